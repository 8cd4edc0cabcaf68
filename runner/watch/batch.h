// Many scripts in one call: each in a child process, some at once, each with a time limit, and
// one summary and report for them all.
#pragma once

#include "common/run_settings.h"

namespace Velotrax {

// Runs every script --all finds (the slice --shard names) and reports each as it ends, then
// the summary. The exit status: 0 when every script passed, 1 otherwise, and 128 plus the
// signal's number when a terminating signal (Ctrl+C) ended the batch; the report then holds
// what finished. Throws std::runtime_error when the scripts cannot be listed.
int runBatch(const RunSettings& settings);

// The `index`-th (from 1) of `count` slices of a list of `size`: [first, last). The slices cover
// the list exactly once and differ in length by at most one.
struct Slice {
  size_t first, last;
};
Slice shardSlice(size_t size, int index, int count);

}  // namespace Velotrax
