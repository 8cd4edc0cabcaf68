// Script XML parsing with pugixml.
#include <pugixml.hpp>

#include "HDevEngineCpp.h"
#include "errors.h"
#include "script_file.h"

namespace standin::engine {
namespace {

[[noreturn]] void malformed(const std::string& path, const std::string& why) {
  throw HDevEngineCpp::HDevEngineException(("Malformed script file '" + path + "': " + why).c_str(),
                                           err::kMalformedScript, "", "", -1);
}

std::vector<ParamSource> readParams(const pugi::xml_node& iface, const char* list,
                                    const std::string& path) {
  std::vector<ParamSource> out;
  for (pugi::xml_node par : iface.child(list).children("par")) {
    ParamSource p;
    p.name = par.attribute("name").as_string();
    p.dimension = par.attribute("dimension").as_int(0);
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
         "' is not supported: only the XML formats .hdev, .hdvp and .hdpl can be loaded")
            .c_str(),
        err::kFormatUnsupported, "", "", -1);
  pugi::xml_document doc;
  pugi::xml_parse_result result =
      doc.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_ws_pcdata);
  if (!result)
    malformed(path,
              std::string(result.description()) + " at byte " + std::to_string(result.offset));
  pugi::xml_node root = doc.child("hdevelop");
  if (!root) malformed(path, "missing <hdevelop> element");
  ScriptFile file;
  file.path = path;
  for (pugi::xml_node proc : root.children("procedure")) {
    ProcedureSource src;
    src.name = proc.attribute("name").as_string();
    if (src.name.empty()) malformed(path, "procedure without name");
    pugi::xml_node iface = proc.child("interface");
    src.iconicIn = readParams(iface, "io", path);
    src.iconicOut = readParams(iface, "oo", path);
    src.ctrlIn = readParams(iface, "ic", path);
    src.ctrlOut = readParams(iface, "oc", path);
    pugi::xml_node body = proc.child("body");
    for (pugi::xml_node line : body.children()) {
      std::string tag = line.name();
      if (tag != "l" && tag != "c") continue;
      src.lines.push_back(LineSource{line.child_value(), tag == "c"});
    }
    file.procedures.push_back(std::move(src));
  }
  if (file.procedures.empty()) malformed(path, "no <procedure> element");
  return file;
}

}  // namespace standin::engine
