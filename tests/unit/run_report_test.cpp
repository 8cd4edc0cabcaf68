// The pieces of a report: XML text that every reader accepts, the record a child hands over,
// the procedures a batch finds in a file, and the slices of a sharded batch.
#include <sstream>

#include "execution/junit_report.h"
#include "execution/run_record.h"
#include "execution/script_catalogue.h"
#include "test_framework.h"
#include "watch/batch.h"

namespace Velotrax {
namespace {

TEST(XmlText, KeepsWhatXmlCarriesAndEscapesTheRest) {
  const struct {
    std::string text;
    bool attribute;
    std::string xml;
  } cases[] = {
      {"a<b>&c", false, "a&lt;b&gt;&amp;c"},
      {"say \"hi\"", false, "say \"hi\""},
      {"say \"hi\"", true, "say &quot;hi&quot;"},
      {"one\ntwo\tthree", false, "one\ntwo\tthree"},
      {"one\ntwo\tthree\r", true, "one&#10;two&#9;three&#13;"},
      {"line\r\n", false, "line&#13;\n"},
      {std::string("bell\x07 nul", 9) + std::string(1, '\0'), false, "bell\\x07 nul\\x00"},
      {"\x1b[31mred", false, "\\x1B[31mred"},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", false,
       "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"bad \xFF byte", false, "bad \xEF\xBF\xBD byte"},
      {"cut \xE2\x82", false, "cut \xEF\xBF\xBD\xEF\xBF\xBD"},
      {"overlong \xC0\xAF", false, "overlong \xEF\xBF\xBD\xEF\xBF\xBD"},
      {"surrogate \xED\xA0\x80", false, "surrogate \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"not a character \xEF\xBF\xBF", false,
       "not a character \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) EXPECT_EQ(xmlText(c.text, c.attribute), c.xml);
}

TEST(RunRecordText, ComesBackWholeAndRefusesDamage) {
  RunRecord record;
  record.className = "cases/a b.hdev";
  record.name = "main";
  record.seconds = 1.25;
  record.failureMessage = "message\nwith a line break";
  record.failureType = "HDevEngineException";
  record.failureText = std::string("nul \0 inside", 12);
  record.out = "Value: 55\n";
  record.err = "";
  record.attachments = {"/tmp/a.png", "/tmp/b.png"};
  record.resultLine = "Execution of program x failed.";
  const std::string text = serialized(record);
  const std::optional<RunRecord> back = deserialized(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(serialized(*back), text);
  EXPECT_DOUBLE_EQ(back->seconds, 1.25);

  const std::string damaged[] = {
      "",       text.substr(0, text.size() - 1),  text + "x", "99999999999999999999\n", "5\nab\n",
      "-1\n\n", text.substr(0, text.rfind("2\n"))};
  for (const std::string& each : damaged) EXPECT_FALSE(deserialized(each));
}

TEST(BatchScripts, ProceduresSayWhetherTheyTakeInput) {
  std::istringstream library(
      "<hdevelop>\n<procedure name=\"plain\">\n<interface/>\n<body>\n<l>X := 1</l>\n</body>\n"
      "</procedure>\n<procedure name=\"outputs\">\n<interface>\n<oc>\n<par name=\"O\"/>\n</oc>\n"
      "</interface>\n</procedure>\n  <procedure name=\"control\">\n<interface>\n<ic>\n"
      "<par name=\"I\"/>\n</ic>\n</interface>\n</procedure>\n<procedure name=\"iconic\">\r\n"
      "<interface>\r\n<io>\r\n</io>\r\n</interface>\r\n</procedure>\n<procedure name=\"cut");
  const std::vector<ProcedureEntry> procedures = listProcedures(library);
  ASSERT_EQ(procedures.size(), 4u);
  const std::pair<const char*, bool> expected[] = {
      {"plain", false}, {"outputs", false}, {"control", true}, {"iconic", true}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(procedures[i].name, expected[i].first);
    EXPECT_EQ(procedures[i].takesInput, expected[i].second);
  }
}

TEST(Shards, CoverTheListExactlyOnce) {
  for (size_t size : {0, 1, 2, 7, 200, 1001}) {
    for (int count = 1; count <= 12; ++count) {
      size_t next = 0, shortest = size, longest = 0;
      for (int index = 1; index <= count; ++index) {
        const Slice slice = shardSlice(size, index, count);
        EXPECT_EQ(slice.first, next);
        next = slice.last;
        shortest = std::min(shortest, slice.last - slice.first);
        longest = std::max(longest, slice.last - slice.first);
      }
      EXPECT_EQ(next, size);
      EXPECT_LE(longest - shortest, 1u);
    }
  }
}

}  // namespace
}  // namespace Velotrax
