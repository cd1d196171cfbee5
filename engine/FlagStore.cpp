// The flag stores: prefix rule, the two views and the number/string exclusion within a store.
#include "engine/FlagStore.h"

#include <cstdio>
#include <cstdlib>

namespace script {

FlagStoreId FlagStore::StoreForName(std::string_view name) {
  if (name.starts_with("E_")) return FlagStoreId::Event;
  if (name.starts_with("S_")) return FlagStoreId::System;
  return FlagStoreId::Temporary;
}

void FlagStore::setNumber(FlagStoreId id, std::string_view name, double value) {
  Store& s = store(id);
  if (auto it = s.strings.find(name); it != s.strings.end()) s.strings.erase(it);
  if (auto it = s.numbers.find(name); it != s.numbers.end()) {
    it->second = value;
  } else {
    s.numbers.emplace(std::string(name), value);
  }
}

void FlagStore::setString(FlagStoreId id, std::string_view name, std::string_view value) {
  Store& s = store(id);
  if (auto it = s.numbers.find(name); it != s.numbers.end()) s.numbers.erase(it);
  if (auto it = s.strings.find(name); it != s.strings.end()) {
    it->second.assign(value);
  } else {
    s.strings.emplace(std::string(name), std::string(value));
  }
}

double FlagStore::numberView(FlagStoreId id, std::string_view name) const {
  const Store& s = store(id);
  if (auto it = s.numbers.find(name); it != s.numbers.end()) return it->second;
  if (auto it = s.strings.find(name); it != s.strings.end()) return std::atof(it->second.c_str());
  return 0.0;
}

std::string FlagStore::stringView(FlagStoreId id, std::string_view name) const {
  const Store& s = store(id);
  if (auto it = s.strings.find(name); it != s.strings.end()) return it->second;
  if (auto it = s.numbers.find(name); it != s.numbers.end()) return FormatFlagNumber(it->second);
  return std::string();
}

bool FlagStore::setEngineNumber(std::string_view name, double value) {
  if (name.starts_with("T_")) {
    setNumber(FlagStoreId::Temporary, name, value);
  } else if (name.starts_with("E_")) {
    setNumber(FlagStoreId::Event, name, value);
  } else if (name.starts_with("S_")) {
    setNumber(FlagStoreId::System, name, value);
  } else {
    return false;
  }
  return true;
}

std::string FormatFlagNumber(double value) {
  // "%f" of the largest double needs 317 characters.
  char text[400];
  const int n = std::snprintf(text, sizeof text, "%f", value);
  return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
}

}  // namespace script
