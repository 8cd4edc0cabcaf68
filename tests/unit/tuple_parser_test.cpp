// Tuple literals on the command line: both passes over one table of texts, the tuples they
// build, the errors and their positions, and the printed form of tuples.
#include "execution/tuple_parser.h"

#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "fake_engine.h"
#include "test_framework.h"

namespace Velotrax {
namespace {

using fake::Elements;
using Tuples = std::vector<Elements>;

struct Error {
  std::string message;
  int32_t position;
};

// One text and what it must give: tuples, a parse error, or a number out of double range.
struct Case {
  std::string text;
  std::optional<Tuples> tuples;
  std::optional<Error> error;
  bool outOfRange = false;
};

Case gives(std::string text, Tuples tuples) {
  return {std::move(text), std::move(tuples), std::nullopt};
}
Case fails(std::string text, std::string message, int32_t position) {
  return {std::move(text), std::nullopt, Error{std::move(message), position}};
}
Case outOfRange(std::string text) {
  return {std::move(text), std::nullopt, std::nullopt, true};
}

const Tuples threeTuples = {{int64_t{1}}, {std::string("a")}, {int64_t{2}, int64_t{3}}};

const std::vector<Case> kCases = {
    // Lists.
    gives("", {}),
    gives("()", {}),
    gives("( )", {}),
    gives("1 'a' [2,3]", threeTuples),
    gives("1,'a',[2,3]", threeTuples),
    gives("(1, 'a', [2, 3])", threeTuples),
    gives("(1) 2", {{int64_t{1}}}),
    gives("1,,2", {{int64_t{1}}, {int64_t{2}}}),
    gives("'a''b'", {{std::string("a")}, {std::string("b")}}),
    fails("(1,)", "')' is unexpected at this place", 3),
    fails("(1", "missing ')'", 2),
    fails("(1,[", "missing ')'", 4),
    fails("(1, [2", "missing ')'", 6),
    fails("('a', [", "missing ')'", 7),
    fails("((1))", "'(' is unexpected at this place", 1),
    fails(",1", "',' is unexpected at this place", 0),
    fails("1 2)", "')' is unexpected at this place", 3),
    fails("(1, x)", "'x' is unexpected at this place", 4),
    // Brackets.
    gives("[1, 2", {{int64_t{1}, int64_t{2}}}),
    gives("[1, 2]", {{int64_t{1}, int64_t{2}}}),
    gives("[1,", {{int64_t{1}}}),
    gives("[", {{}}),
    gives("[]", {{}}),
    gives("[ 1 , 'x' ]", {{int64_t{1}, std::string("x")}}),
    fails("[1 2]", "'2' is unexpected at this place", 3),
    fails("[1,]", "']' is unexpected at this place", 3),
    fails("[[1]]", "'[' is unexpected at this place", 1),
    fails("]", "']' is unexpected at this place", 0),
    fails("1 [2;3]", "';' is unexpected at this place", 4),
    // Strings.
    gives("'it\\'s'", {{std::string("it's")}}),
    gives("'\\n\\t\\v\\b\\r\\f\\a\\\\'", {{std::string("\n\t\v\b\r\f\a\\")}}),
    gives("'say \"hi\"'", {{std::string("say \"hi\"")}}),
    gives("''", {{std::string()}}),
    fails("'a\\qb'", "invalid escape sequence", 2),
    fails("'abc", "expected ' is missing", 4),
    fails("1 'abc\\", "unexpected end of tuple", 6),
    // Numbers.
    gives("7 +7 -0 007", {{int64_t{7}}, {int64_t{7}}, {int64_t{0}}, {int64_t{7}}}),
    gives("7.0 .5 1e3 0x10 1.", {{7.0}, {0.5}, {1000.0}, {16.0}, {1.0}}),
    gives("-.25", {{-0.25}}),
    // Integers are exact over the whole 64-bit range, and nothing outside it is accepted.
    gives("-9223372036854775808 9223372036854775807 +9223372036854775807",
          {{std::numeric_limits<int64_t>::min()},
           {std::numeric_limits<int64_t>::max()},
           {std::numeric_limits<int64_t>::max()}}),
    gives("9007199254740993 00000000000000000000000042",
          {{int64_t{9007199254740993}}, {int64_t{42}}}),
    fails("12abc", "'a' is unexpected at this place", 2),
    fails("-inf", "could not parse number", 0),
    fails("+", "could not parse number", 0),
    fails("1 -.", "could not parse number", 2),
    fails("9223372036854775808", "integer literal out of range", 0),
    fails("-9223372036854775809", "integer literal out of range", 0),
    fails("[1, -99999999999999999999]", "integer literal out of range", 4),
    fails("1 99999999999999999999 (7) 9223372036854775808", "integer literal out of range", 2),
    fails("(99999999999999999999) x", "integer literal out of range", 1),
    // A syntax error anywhere is reported instead of an integer out of range.
    fails("99999999999999999999 x", "'x' is unexpected at this place", 21),
    fails("(99999999999999999999, 1", "missing ')'", 24),
    outOfRange("1e999"),
    outOfRange("[1, 2e-400]"),
    // White space other than blanks.
    fails("1\t2", "'\t' is unexpected at this place", 1),
    fails("\t", "'\t' is unexpected at this place", 0),
    fails("'a'\n", "'\n' is unexpected at this place", 3),
};

class TupleParser : public testing::Test {
 protected:
  void SetUp() override { fake::install(); }
};

std::string rendered(const Elements& elements) {
  std::ostringstream text;
  text << "[";
  for (const fake::Element& e : elements) {
    if (const auto* i = std::get_if<int64_t>(&e)) text << " int " << *i;
    if (const auto* d = std::get_if<double>(&e)) text << " real " << *d;
    if (const auto* s = std::get_if<std::string>(&e)) text << " string '" << *s << "'";
  }
  return text.str() + " ]";
}

// What a case must give, as one comparable text that names the case.
std::string expected(const Case& c, PassMode mode) {
  std::string text = "\"" + c.text + "\" gives";
  if (c.outOfRange) return text + " out of range: stod argument out of range";
  if (c.error)
    return text + " parse error \"" + c.error->message + "\" at " +
           std::to_string(c.error->position);
  if (mode == PassMode::check) return text + " no tuples";
  for (const Elements& tuple : *c.tuples) text += " " + rendered(tuple);
  return text;
}

// What the parser gives, in the same form.
std::string outcome(const Case& c, PassMode mode) {
  std::string text = "\"" + c.text + "\" gives";
  try {
    const std::vector<ProcedureArgument> arguments = parseArgumentList(c.text, mode);
    if (mode == PassMode::check) return text + (arguments.empty() ? " no tuples" : " tuples");
    for (const ProcedureArgument& argument : arguments)
      text += (argument.name.empty() ? " " : " named ") +
              rendered(fake::elementsOf(argument.tuple.get()));
    return text;
  } catch (const ParseException& e) {
    return text + " parse error \"" + e.what() + "\" at " + std::to_string(e.position());
  } catch (const std::out_of_range& e) {
    return text + " out of range: " + e.what();
  }
}

TEST_F(TupleParser, EveryCaseGivesItsTuplesOrItsErrorInBothPasses) {
  for (const Case& c : kCases) {
    fake::reset();
    EXPECT_EQ(outcome(c, PassMode::check), expected(c, PassMode::check));
    // The check pass never touches the engine.
    EXPECT_EQ(fake::engine().tuplesCreated, 0);
    EXPECT_EQ(outcome(c, PassMode::build), expected(c, PassMode::build));
    // Every tuple is released: by its argument, or by the guard of a literal that failed.
    EXPECT_EQ(fake::engine().tuplesFreed, fake::engine().tuplesCreated);
  }
}

TEST_F(TupleParser, ListLevelErrorsAreArgParseExceptionsAndLiteralErrorsTupleParseExceptions) {
  EXPECT_THROW(parseArgumentList("((1))", PassMode::check), ArgParseException);
  EXPECT_THROW(parseArgumentList("(1", PassMode::check), ArgParseException);
  EXPECT_THROW(parseArgumentList("1 [2 3]", PassMode::check), TupleParseException);
  EXPECT_THROW(parseArgumentList("1 'x", PassMode::check), TupleParseException);
}

TEST_F(TupleParser, BuiltTuplesLiveAsLongAsTheirArguments) {
  {
    const std::vector<ProcedureArgument> arguments =
        parseArgumentList("1 [2, 3] 'x'", PassMode::build);
    EXPECT_EQ(fake::engine().tuplesCreated, 3);
    EXPECT_EQ(fake::engine().tuplesFreed, 0);
  }
  EXPECT_EQ(fake::engine().tuplesFreed, 3);
}

TEST_F(TupleParser, AGuardReleasesTheTupleOfALiteralThatFails) {
  // Straight into the build pass, as no caller would: the failing third literal's tuple is
  // created, then released by its guard, and the two finished ones by their holders.
  EXPECT_THROW(parseArgumentList("1 2 [3 4]", PassMode::build), TupleParseException);
  EXPECT_EQ(fake::engine().tuplesCreated, 3);
  EXPECT_EQ(fake::engine().tuplesFreed, 3);
  fake::reset();
  EXPECT_THROW(parseArgumentList("[1, 1e999]", PassMode::build), std::out_of_range);
  EXPECT_EQ(fake::engine().tuplesCreated, 1);
  EXPECT_EQ(fake::engine().tuplesFreed, 1);
}

TEST_F(TupleParser, ARefusedTupleIsAnEngineErrorAndReleasesTheTuplesBefore) {
  fake::engine().failCreateTupleAt = 2;
  bool thrown = false;
  try {
    parseArgumentList("1 2", PassMode::build);
  } catch (const std::runtime_error& e) {
    thrown = std::string(e.what()).find("error code: 6001") != std::string::npos;
  }
  EXPECT_TRUE(thrown);
  EXPECT_EQ(fake::engine().tuplesFreed, fake::engine().tuplesCreated);
  EXPECT_EQ(fake::engine().recordsReleased, 1);
}

TEST_F(TupleParser, HugeArgumentsGiveAResultOrACleanError) {
  const size_t mebibyte = 1 << 20;
  EXPECT_THROW(parseArgumentList(std::string(mebibyte, '1'), PassMode::check), TupleParseException);
  EXPECT_EQ(parseArgumentList(std::string(mebibyte, '0'), PassMode::build).size(), 1u);
  const std::string longString = "'" + std::string(mebibyte, 'a') + "'";
  EXPECT_EQ(parseArgumentList(longString, PassMode::check).size(), 0u);
  std::string manyElements = "[";
  for (size_t i = 0; i < mebibyte / 2; ++i) manyElements += "1,";
  const auto built = parseArgumentList(manyElements, PassMode::build);
  ASSERT_EQ(built.size(), 1u);
  EXPECT_EQ(fake::elementsOf(built[0].tuple.get()).size(), mebibyte / 2);
  bool positioned = false;
  try {
    parseArgumentList(std::string(mebibyte, ' ') + "x", PassMode::check);
  } catch (const ParseException& e) {
    positioned = e.position() == static_cast<int32_t>(mebibyte);
  }
  EXPECT_TRUE(positioned);
}

TEST_F(TupleParser, PrintedFormIsBareForOneElementAndBracketedOtherwise) {
  const std::vector<std::pair<Elements, std::string>> forms = {
      {{}, "[]"},
      {{int64_t{5}}, "5"},
      {{std::string("abc")}, "'abc'"},
      {{std::string("it's")}, "'it's'"},
      {{int64_t{1}, 2.5, std::string("x")}, "[1, 2.5, 'x']"},
      {{16.0, 0.1 + 0.2, 1e20, -1234567.0}, "[16, 0.3, 1e+20, -1.23457e+06]"},
      {{int64_t{-9}}, "-9"},
  };
  for (const auto& [elements, printed] : forms) {
    TupleHandle tuple = fake::makeTuple(elements);
    EXPECT_EQ(tuplePrintedForm(tuple), printed);
    engineClient().hfreeTuple(tuple);
  }
}

}  // namespace
}  // namespace Velotrax
