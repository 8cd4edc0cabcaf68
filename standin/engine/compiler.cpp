#include "compiler.h"

#include <algorithm>

#include "body_compiler.h"

namespace standin::engine {
namespace {

std::string lineList(const std::vector<int>& lines) {
  std::string s;
  for (size_t i = 0; i < lines.size(); ++i) s += (i ? ", " : "") + std::to_string(lines[i]);
  return s;
}

}  // namespace

std::shared_ptr<Procedure> declareProcedure(const ProcedureSource& src, const std::string& file) {
  auto proc = std::make_shared<Procedure>();
  proc->name = src.name;
  proc->reportName = src.name;
  proc->file = file;
  auto addCtrl = [&](const std::vector<ParamSource>& in, std::vector<Param>& out) {
    for (const auto& p : in) {
      auto it = std::find(proc->ctrlNames.begin(), proc->ctrlNames.end(), p.name);
      int slot = static_cast<int>(it - proc->ctrlNames.begin());
      if (it == proc->ctrlNames.end()) {
        proc->ctrlNames.push_back(p.name);
        slot = proc->ctrlSlots++;
      }
      out.push_back(Param{p.name, p.dimension, slot});
    }
  };
  auto addIconic = [&](const std::vector<ParamSource>& in, std::vector<Param>& out) {
    for (const auto& p : in) out.push_back(Param{p.name, p.dimension, proc->iconicSlots++});
  };
  addIconic(src.iconicIn, proc->iconicIn);
  addIconic(src.iconicOut, proc->iconicOut);
  addCtrl(src.ctrlIn, proc->ctrlIn);
  addCtrl(src.ctrlOut, proc->ctrlOut);
  return proc;
}

CompileResult compileBody(Procedure& proc, const ProcedureSource& src, const CompileContext& ctx) {
  BodyCompiler compiler(proc, src, ctx);
  CompileResult result = compiler.run();
  proc.compiled = true;
  return result;
}

std::vector<std::string> importedDirectories(const ProcedureSource& src) {
  std::vector<std::string> dirs;
  for (const auto& line : src.lines) {
    if (line.comment || leadingWord(line.text) != "import") continue;
    std::vector<Token> toks;
    std::string error;
    if (tokenize(line.text, toks, error) && toks.size() == 3 && toks[1].kind == Tok::String)
      dirs.push_back(toks[1].text);
  }
  return dirs;
}

std::string loadErrorMessage(const std::string& name, const CompileResult& result,
                             const CompileContext& ctx) {
  std::vector<std::string> parts;
  const auto& inv = result.invalidLines;
  const auto& unr = result.unresolvedLines;
  if (!inv.empty() && !ctx.ignoreInvalidLines)
    parts.push_back(inv.size() == 1 ? "there is an invalid program line: " + lineList(inv)
                                    : "there are invalid program lines: " + lineList(inv));
  if (!unr.empty() && !ctx.ignoreUnresolvedLines)
    parts.push_back(unr.size() == 1 ? "there is an unresolved procedure call: " + lineList(unr)
                                    : "there are unresolved procedure calls: " + lineList(unr));
  if (parts.empty()) return {};
  std::string msg = "Error(s) in procedure '" + name + "': " + parts[0];
  for (size_t i = 1; i < parts.size(); ++i) msg += "; " + parts[i];
  return msg;
}

}  // namespace standin::engine
