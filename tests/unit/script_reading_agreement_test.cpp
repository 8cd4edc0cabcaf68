// The import scanner and the stand-in engine read a procedure's body lines independently: one
// line by line, the other as XML. An error report prints the scanner's line n for the engine's
// line n, so for every procedure of every script the project holds, and of generated ones, the
// two must list the same texts in the same order.
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../xml_text.h"
#include "HDevEngineCpp.h"
#include "execution/import_scanner.h"
#include "execution/script_lines.h"
#include "script_file.h"

namespace Velotrax {
namespace {

namespace stfs = std::filesystem;
using Lines = std::vector<std::string>;

Lines engineLines(const standin::engine::ProcedureSource& procedure) {
  Lines lines;
  for (const auto& line : procedure.lines) lines.push_back(line.text);
  return lines;
}

// One side by side comparison per procedure, naming it; empty when they agree.
std::string disagreement(const std::string& where, const std::string& procedure,
                         const Lines& engine, const Lines& scanner) {
  if (engine == scanner) return "";
  std::ostringstream text;
  text << where << " procedure " << procedure << ": engine " << engine.size() << " lines, scanner "
       << scanner.size() << "\n";
  for (size_t i = 0; i < std::max(engine.size(), scanner.size()); ++i) {
    const std::string e = i < engine.size() ? engine[i] : "<none>";
    const std::string s = i < scanner.size() ? scanner[i] : "<none>";
    if (e != s) {
      text << "  line " << i + 1 << ": engine \"" << e << "\", scanner \"" << s << "\"\n";
      break;
    }
  }
  return text.str();
}

TEST(ScriptReadingAgreement, EveryScriptOfTheProjectListsTheSameLines) {
  int procedures = 0;
  const stfs::path source(VELOTRAX_SOURCE_DIR);
  for (const char* tree : {"examples", "standin/procedures", "bench", "tests"}) {
    for (const auto& entry : stfs::recursive_directory_iterator(source / tree)) {
      const std::string extension = entry.path().extension().string();
      if (extension != ".hdev" && extension != ".hdvp" && extension != ".hdpl") continue;
      standin::engine::ScriptFile file;
      try {
        file = standin::engine::readScriptFile(entry.path().string());
      } catch (const HDevEngineCpp::HDevEngineException&) {
        continue;  // the engine reports no line of a file it refuses
      }
      for (const auto& procedure : file.procedures) {
        Lines scanned, imports;
        readProcedureFile(entry.path().string(), procedure.name, scanned, imports, false);
        EXPECT_EQ(
            disagreement(entry.path().string(), procedure.name, engineLines(procedure), scanned),
            "");
        ++procedures;
      }
    }
  }
  EXPECT_GT(procedures, 50);
}

// Body line texts: statements, comments, blanks, indentation, non-ASCII text, and the
// characters XML escapes or may leave as they are.
const std::vector<std::string> kTexts = {
    "x := 1",       "* note",     "",      " ",     "    if (A < B and C > 0)",
    "S := 'it''s'", "\"quoted\"", "a & b", "<l>",   "caf\xC3\xA9",
    "T[|T|] := I",  "a > b > c",  "'",     "&amp;", "\t"};

// One body element: the shapes hdevelop-format.md allows, self-closing ones included. Text is
// escaped as HDevelop writes it, except that ">" may stay as it is.
std::string element(std::mt19937& random) {
  std::uniform_int_distribution<size_t> pick(0, kTexts.size() - 1), shape(0, 7);
  const std::string text = kTexts[pick(random)];
  std::string escaped = xmlEscaped(text);
  if (random() % 2) {
    for (size_t at; (at = escaped.find("&gt;")) != std::string::npos;) escaped.replace(at, 4, ">");
  }
  switch (shape(random)) {
    case 0:
      return "<c/>";
    case 1:
      return "<l/>";
    case 2:
      return "<c />";
    case 3:
      return "<c></c>";
    case 4:
      return "  <c>" + escaped + "</c>";
    default:
      return "<l>" + escaped + "</l>";
  }
}

std::string generatedScript(std::mt19937& random, std::vector<std::string>& names) {
  const std::string end = random() % 2 ? "\r\n" : "\n";
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + end +
                    "<hdevelop file_version=\"1.1\" halcon_version=\"13.0\">" + end;
  names.clear();
  for (size_t p = random() % 3 + 1; p > 0; --p) {
    names.push_back("proc_" + std::to_string(names.size()));
    xml +=
        "<procedure name=\"" + names.back() + "\">" + end + "<interface/>" + end + "<body>" + end;
    for (size_t n = random() % 12; n > 0; --n) xml += element(random) + end;
    xml += "</body>" + end + "<docu id=\"" + names.back() + "\">" + end + "<parameters/>" + end +
           "</docu>" + end + "</procedure>" + end;
  }
  return xml + "</hdevelop>" + end;
}

TEST(ScriptReadingAgreement, GeneratedScriptsListTheSameLines) {
  std::mt19937 random(20261209);
  std::vector<std::string> names;
  for (int i = 0; i < 2000; ++i) {
    const std::string text = generatedScript(random, names);
    const standin::engine::ScriptFile file = standin::engine::parseScriptText(text, "generated");
    ASSERT_EQ(file.procedures.size(), names.size());
    for (const auto& procedure : file.procedures) {
      std::istringstream script(text);
      Lines scanned;
      for (const std::string& raw : readBodyLines(script, procedure.name))
        scanned.push_back(scriptlines::decodeEntities(raw));
      const std::string found = disagreement("generated script " + std::to_string(i),
                                             procedure.name, engineLines(procedure), scanned);
      ASSERT_EQ(found, "") << text;
    }
  }
}

}  // namespace
}  // namespace Velotrax
