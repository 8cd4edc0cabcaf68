// A minimal stand-in for the GoogleTest macros these tests use, for builds
// without GoogleTest (MinGW). The runner prints "N passed, N failed".
#pragma once

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace minitest {

struct TestCase {
  std::string name;
  std::function<void()> body;
};

std::vector<TestCase>& registry();
// Records a failed check of the running test.
void fail(const char* file, int line, const std::string& what);

struct Registrar {
  Registrar(const char* suite, const char* name, std::function<void()> body) {
    registry().push_back({std::string(suite) + "." + name, std::move(body)});
  }
};

struct AssertionAbort {};

template <typename T>
void print(std::ostringstream& s, const T& v) {
  if constexpr (requires { s << v; }) {
    s << v;
  } else {
    s << "(value not printable)";
  }
}

template <typename A, typename B>
std::string describe(const A& a, const B& b) {
  std::ostringstream s;
  s << "  left: ";
  print(s, a);
  s << "\n  right: ";
  print(s, b);
  return s.str();
}

}  // namespace minitest

namespace testing {
class Test {
 public:
  virtual ~Test() = default;
  virtual void SetUp() {}
  virtual void TearDown() {}
  virtual void TestBody() {}
};

// Registers one test made by `factory` (a fixture whose TestBody runs the case), so that a
// table of cases becomes one test per row.
template <typename Fixture>
void registerCase(const char* suite, const char* name, std::function<Fixture*()> factory) {
  minitest::Registrar(suite, name, [factory] {
    std::unique_ptr<Test> test(factory());  // SetUp and TearDown are public here
    test->SetUp();
    try {
      test->TestBody();
    } catch (const minitest::AssertionAbort&) {
    } catch (...) {
      test->TearDown();
      throw;
    }
    test->TearDown();
  });
}
}  // namespace testing

#define MINITEST_CLASS(suite, name) suite##_##name##_Test
#define MINITEST_DEFINE(suite, name, base)                                  \
  class MINITEST_CLASS(suite, name) : public base {                         \
   public:                                                                  \
    void TestBody() override;                                               \
    void Run() {                                                            \
      SetUp();                                                              \
      try {                                                                 \
        TestBody();                                                         \
      } catch (const minitest::AssertionAbort&) {                           \
      } catch (...) {                                                       \
        TearDown();                                                         \
        throw;                                                              \
      }                                                                     \
      TearDown();                                                           \
    }                                                                       \
  };                                                                        \
  static minitest::Registrar suite##_##name##_registrar(#suite, #name, [] { \
    MINITEST_CLASS(suite, name) t;                                          \
    t.Run();                                                                \
  });                                                                       \
  void MINITEST_CLASS(suite, name)::TestBody()

#define TEST(suite, name) MINITEST_DEFINE(suite, name, testing::Test)
#define TEST_F(fixture, name) MINITEST_DEFINE(fixture, name, fixture)

#define MINITEST_CHECK(cond, text, fatal)          \
  do {                                             \
    if (!(cond)) {                                 \
      minitest::fail(__FILE__, __LINE__, text);    \
      if (fatal) throw minitest::AssertionAbort(); \
    }                                              \
  } while (0)

#define MINITEST_CMP(a, op, b, fatal)                                                        \
  do {                                                                                       \
    const auto& minitest_a = (a);                                                            \
    const auto& minitest_b = (b);                                                            \
    if (!(minitest_a op minitest_b)) {                                                       \
      minitest::fail(                                                                        \
          __FILE__, __LINE__,                                                                \
          std::string(#a " " #op " " #b "\n") + minitest::describe(minitest_a, minitest_b)); \
      if (fatal) throw minitest::AssertionAbort();                                           \
    }                                                                                        \
  } while (0)

#define EXPECT_TRUE(c) MINITEST_CHECK((c), #c, false)
#define EXPECT_FALSE(c) MINITEST_CHECK(!(c), "!(" #c ")", false)
#define ASSERT_TRUE(c) MINITEST_CHECK((c), #c, true)
#define ASSERT_FALSE(c) MINITEST_CHECK(!(c), "!(" #c ")", true)
#define EXPECT_EQ(a, b) MINITEST_CMP(a, ==, b, false)
#define EXPECT_NE(a, b) MINITEST_CMP(a, !=, b, false)
#define EXPECT_LT(a, b) MINITEST_CMP(a, <, b, false)
#define EXPECT_LE(a, b) MINITEST_CMP(a, <=, b, false)
#define EXPECT_GT(a, b) MINITEST_CMP(a, >, b, false)
#define EXPECT_GE(a, b) MINITEST_CMP(a, >=, b, false)
#define ASSERT_EQ(a, b) MINITEST_CMP(a, ==, b, true)
#define ASSERT_NE(a, b) MINITEST_CMP(a, !=, b, true)
#define ASSERT_GE(a, b) MINITEST_CMP(a, >=, b, true)
#define EXPECT_STREQ(a, b) MINITEST_CMP(std::string(a), ==, std::string(b), false)
#define ASSERT_STREQ(a, b) MINITEST_CMP(std::string(a), ==, std::string(b), true)
#define EXPECT_DOUBLE_EQ(a, b) MINITEST_CHECK(std::fabs((a) - (b)) < 1e-12, #a " == " #b, false)
#define EXPECT_NEAR(a, b, eps) MINITEST_CHECK(std::fabs((a) - (b)) <= (eps), #a " ~ " #b, false)
#define EXPECT_THROW(stmt, type)                                    \
  do {                                                              \
    bool minitest_thrown = false;                                   \
    try {                                                           \
      stmt;                                                         \
    } catch (const type&) {                                         \
      minitest_thrown = true;                                       \
    } catch (...) {                                                 \
    }                                                               \
    MINITEST_CHECK(minitest_thrown, #stmt " throws " #type, false); \
  } while (0)
#define EXPECT_NO_THROW(stmt)                                    \
  do {                                                           \
    bool minitest_ok = true;                                     \
    try {                                                        \
      stmt;                                                      \
    } catch (...) {                                              \
      minitest_ok = false;                                       \
    }                                                            \
    MINITEST_CHECK(minitest_ok, #stmt " does not throw", false); \
  } while (0)
#define ADD_FAILURE() minitest::fail(__FILE__, __LINE__, "failure")
#define FAIL() MINITEST_CHECK(false, "failure", true)
#define GTEST_SKIP() return
