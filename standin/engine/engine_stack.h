// Runs the engine's work on a stack of the engine's own, on the calling thread. Loading and
// running a script recurse; within the engine's named limits (kMaxCallDepth, kMaxBlockNesting,
// kMaxExprNesting, kMaxExprDepth) that recursion must never depend on the caller's stack,
// which is 1 MB for a Windows main thread. Staying on the calling thread keeps what the
// library remembers per thread (the extended error information) and the thread that window
// callbacks come from.
#pragma once

#include <cstddef>
#include <functional>

namespace standin::engine {

// Address space reserved for the engine stack; pages are only committed as they are used.
// The deepest script within the limits uses a few megabytes (several times that with address
// sanitizing); the reserve leaves a wide margin.
constexpr size_t kEngineStackBytes = size_t{256} << 20;

// Runs work on the engine stack and returns when it is done; what it throws is rethrown here.
// Work started while already on the engine stack runs directly. Throws HDevEngineException
// (out of memory) when no engine stack can be made.
void onEngineStack(const std::function<void()>& work);

}  // namespace standin::engine
