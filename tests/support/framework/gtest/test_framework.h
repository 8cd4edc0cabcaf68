// Test macros: GoogleTest where it is available.
#pragma once
#include <gtest/gtest.h>

#include <functional>

namespace testing {
// Registers one test made by `factory` (a fixture whose TestBody runs the case), so that a
// table of cases becomes one test per row.
template <typename Fixture>
void registerCase(const char* suite, const char* name, std::function<Fixture*()> factory) {
  RegisterTest(suite, name, nullptr, nullptr, __FILE__, __LINE__, std::move(factory));
}
}  // namespace testing
