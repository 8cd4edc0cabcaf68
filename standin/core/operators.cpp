#include "operators.h"

#include <string>
#include <unordered_map>

namespace standin {

const OperatorDef* findOperator(std::string_view name) {
  static const std::unordered_map<std::string_view, const OperatorDef*> table = [] {
    std::unordered_map<std::string_view, const OperatorDef*> t;
    for (auto list : {tupleOperators(), systemOperators(), fileOperators(), imageOperators(),
                      regionOperators(), windowOperators()})
      for (const auto& def : list) t.emplace(def.name, &def);
    return t;
  }();
  auto it = table.find(name);
  return it == table.end() ? nullptr : it->second;
}

}  // namespace standin
