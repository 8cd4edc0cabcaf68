// Script XML parsing with the in-tree reader (builds without pugixml).
#include <cstdlib>

#include "HDevEngineCpp.h"
#include "errors.h"
#include "script_file.h"
#include "xml_reader.h"

namespace standin::engine {
namespace {

[[noreturn]] void malformed(const std::string& path, const std::string& why) {
  throw HDevEngineCpp::HDevEngineException(("Malformed script file '" + path + "': " + why).c_str(),
                                           err::kMalformedScript, "", "", -1);
}

std::vector<ParamSource> readParams(const XmlElement* iface, const char* list, const std::string& path) {
  std::vector<ParamSource> out;
  const XmlElement* group = iface ? iface->child(list) : nullptr;
  if (!group) return out;
  for (const auto& par : group->children) {
    if (par.name != "par") continue;
    ParamSource p;
    p.name = par.attribute("name");
    p.dimension = std::atoi(par.attribute("dimension", "0").c_str());
    if (p.name.empty()) malformed(path, std::string("parameter without name in <") + list + ">");
    out.push_back(std::move(p));
  }
  return out;
}

}  // namespace

ScriptFile parseScriptText(const std::string& text, const std::string& path) {
  size_t first = text.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
  if (first == std::string::npos) malformed(path, "the file is empty");
  if (text[first] != '<')
    throw HDevEngineCpp::HDevEngineException(
        ("The file format of '" + path +
         "' is not supported: only the XML formats .hdev, .hdvp and .hdpl can be loaded").c_str(),
        err::kFormatUnsupported, "", "", -1);
  XmlElement root;
  try {
    root = parseXml(text);
  } catch (const XmlError& e) {
    malformed(path, e.what());
  }
  if (root.name != "hdevelop") malformed(path, "missing <hdevelop> element");
  ScriptFile file;
  file.path = path;
  for (const auto& proc : root.children) {
    if (proc.name != "procedure") continue;
    ProcedureSource src;
    src.name = proc.attribute("name");
    if (src.name.empty()) malformed(path, "procedure without name");
    const XmlElement* iface = proc.child("interface");
    src.iconicIn = readParams(iface, "io", path);
    src.iconicOut = readParams(iface, "oo", path);
    src.ctrlIn = readParams(iface, "ic", path);
    src.ctrlOut = readParams(iface, "oc", path);
    if (const XmlElement* body = proc.child("body")) {
      for (const auto& line : body->children)
        if (line.name == "l" || line.name == "c") src.lines.push_back(LineSource{line.text, line.name == "c"});
    }
    file.procedures.push_back(std::move(src));
  }
  if (file.procedures.empty()) malformed(path, "no <procedure> element");
  return file;
}

}  // namespace standin::engine
