// The line matchers against the patterns they stand for: on many generated short lines each
// matcher must decide, and capture, exactly what the standard library's ECMAScript engine does
// with the original pattern. Long lines, where that engine would exhaust the stack, only need
// a linear answer.
#include "execution/script_lines.h"

#include <random>
#include <regex>
#include <string>
#include <vector>

#include "test_framework.h"

namespace Velotrax::scriptlines {
namespace {

// Pieces that make the patterns' interesting shapes likely.
const std::vector<std::string> kPieces = {
    " ",   "  ",   "<",      ">",      "/",        "l",    "c",          "<l>",     "</l>",
    "<c>", "</c>", "<l",     "<c",     "</",       "x",    "\r",         "\f",      "\t",
    "'",   "\"",   "import", "<body>", "</body>",  "body", "<procedure", "name=\"", "main",
    "a_1", "p.q",  "\n",     "&",      "\xc3\xa9", "/>",   "<c/>",       "<l />"};

std::string randomLine(std::mt19937& random) {
  std::uniform_int_distribution<size_t> count(0, 9), piece(0, kPieces.size() - 1);
  std::string line;
  for (size_t n = count(random); n > 0; --n) line += kPieces[piece(random)];
  return line;
}

// The original ECMAScript pattern's verdict and capture, as "no" or "yes:<group>".
std::string reference(const std::regex& pattern, const std::string& line, int group) {
  std::smatch match;
  if (!std::regex_search(line, match, pattern)) return "no";
  return group ? "yes:" + match[group].str() : "yes:";
}

std::string verdict(bool matched) {
  return matched ? "yes:" : "no";
}
std::string verdict(std::optional<std::string_view> captured) {
  return captured ? "yes:" + std::string(*captured) : "no";
}

std::string regexLiteral(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

TEST(ScriptLines, EveryMatcherAgreesWithItsPatternOnGeneratedLines) {
  const std::regex anyStart("^ *<procedure *name=\"[A-Za-z0-9_]+\".*> *$");
  const std::regex bodyStart("^ *<body> *$");
  const std::regex bodyEnd("^ *</body> *$");
  const std::regex bodyLine("^ *<(l|c)(?:[^>]*>(.*)</[lc]>|( [^>]*)?/>)$");
  const std::regex import("^ *import *'([^']*)'.*$");
  const std::vector<std::string> names = {"main", "a_1", "p.q"};
  std::vector<std::regex> namedStart;
  for (const std::string& name : names)
    namedStart.emplace_back("^ *<procedure *name=\"" + regexLiteral(name) + "\".*> *$");

  std::mt19937 random(20240611);
  int disagreements = 0;
  int matches[8] = {};
  for (int i = 0; i < 60000; ++i) {
    std::string line = randomLine(random);
    // Shapes that are nearly right, so matches are frequent too.
    switch (i % 5) {
      case 1:
        line = " <l" + line + "</l>";
        break;
      case 2:
        line = "<procedure name=\"" + names[static_cast<size_t>(i) % 3] + "\"" + line;
        break;
      case 3:
        line = "  import '" + line;
        break;
      default:
        break;
    }
    const std::pair<std::string, std::string> checks[] = {
        {verdict(isAnyProcedureStart(line)), reference(anyStart, line, 0)},
        {verdict(isBodyStart(line)), reference(bodyStart, line, 0)},
        {verdict(isBodyEnd(line)), reference(bodyEnd, line, 0)},
        {verdict(bodyLineText(line)), reference(bodyLine, line, 2)},
        {verdict(importedPath(line)), reference(import, line, 1)},
        {verdict(isProcedureStart(line, names[0])), reference(namedStart[0], line, 0)},
        {verdict(isProcedureStart(line, names[1])), reference(namedStart[1], line, 0)},
        {verdict(isProcedureStart(line, names[2])), reference(namedStart[2], line, 0)},
    };
    for (size_t k = 0; k < 8; ++k) {
      const auto& [ours, theirs] = checks[k];
      if (theirs != "no") ++matches[k];
      if (ours == theirs) continue;
      if (++disagreements <= 5) {
        EXPECT_EQ("line \"" + line + "\": " + ours, "line \"" + line + "\": " + theirs);
      }
    }
  }
  EXPECT_EQ(disagreements, 0);
  // The generated lines match every pattern often enough to tell.
  for (int count : matches) EXPECT_GT(count, 50);
}

TEST(ScriptLines, BodyLinesGiveTheTextOfTheirElementAndSelfClosingOnesAreEmpty) {
  EXPECT_EQ(std::string(*bodyLineText("<l>x := 1</l>")), "x := 1");
  EXPECT_EQ(std::string(*bodyLineText("  <c></c>")), "");
  EXPECT_EQ(std::string(*bodyLineText("<l>a &gt; b</c>")), "a &gt; b");
  EXPECT_EQ(std::string(*bodyLineText("<l x=\"1\">y>z</l>")), "y>z");
  for (const char* empty : {"<c/>", "<l/>", " <c />", "<l a=\"1\"/>"})
    EXPECT_EQ(std::string(empty) + ": " + std::string(bodyLineText(empty).value_or("none")),
              std::string(empty) + ": ");
  EXPECT_FALSE(bodyLineText("<cx/>").has_value());
  EXPECT_FALSE(bodyLineText("<c/> ").has_value());
  EXPECT_FALSE(bodyLineText("<l>x</l> ").has_value());
  EXPECT_FALSE(bodyLineText("<l>x\r</l>").has_value());
  EXPECT_FALSE(bodyLineText("<p>x</p>").has_value());
}

TEST(ScriptLines, ANameIsMatchedLiterallyWhateverItHolds) {
  const std::string library = "<procedure name=\"axb\">";
  EXPECT_FALSE(isProcedureStart(library, "a.b"));
  EXPECT_TRUE(isProcedureStart("<procedure name=\"a.b\">", "a.b"));
  EXPECT_TRUE(isProcedureStart("<procedure name=\"f(x\" y=\"1\">  ", "f(x"));
  EXPECT_FALSE(isProcedureStart("<procedure name=\"f(x\">", "f("));
  EXPECT_TRUE(isProcedureStart("<procedure  name=\"[a\">", "[a"));
}

TEST(ScriptLines, AMebibyteLineIsAnsweredWithoutRecursion) {
  const size_t mebibyte = 1 << 20;
  const std::string angles = "<l" + std::string(mebibyte, '>');
  EXPECT_FALSE(bodyLineText(angles).has_value());
  const std::string text(mebibyte, 'x');
  EXPECT_EQ(bodyLineText("<l>" + text + "</l>")->size(), mebibyte);
  EXPECT_FALSE(isAnyProcedureStart("<procedure name=\"" + std::string(mebibyte, 'a')));
  EXPECT_TRUE(isAnyProcedureStart("<procedure name=\"" + text + "\">"));
  EXPECT_EQ(importedPath("import '" + text + "'" + text)->size(), mebibyte);
}

TEST(ScriptLines, EntitiesAreDecodedInOnePass) {
  EXPECT_EQ(decodeEntities("&lt;x&gt; &amp;&amp; y"), "<x> && y");
  EXPECT_EQ(decodeEntities("&amp;lt;"), "&lt;");
  EXPECT_EQ(decodeEntities("&quot;a&apos;&"), "\"a'&");
  EXPECT_EQ(decodeEntities("&am;&#39;&"), "&am;&#39;&");
}

}  // namespace
}  // namespace Velotrax::scriptlines
