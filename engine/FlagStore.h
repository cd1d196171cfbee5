// The three flag stores (temporary, event, system), each a number map and a string map, with the
// name-prefix rule and the number and string views every reader gets.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace script {

enum class FlagStoreId { Temporary, Event, System };

class FlagStore {
 public:
  // "E_..." is an event flag, "S_..." a system flag, any other name a temporary flag.
  static FlagStoreId StoreForName(std::string_view name);

  // A name lives in at most one map of a store: storing a number removes a string of the same
  // name and the other way round.
  void setNumber(FlagStoreId store, std::string_view name, double value);
  void setString(FlagStoreId store, std::string_view name, std::string_view value);

  // Number view: the number, else atof of the string, else 0.
  double numberView(FlagStoreId store, std::string_view name) const;
  // String view: the string, else the number formatted with "%f", else the empty string.
  std::string stringView(FlagStoreId store, std::string_view name) const;

  // The same through the prefix rule.
  void setNumber(std::string_view name, double value) { setNumber(StoreForName(name), name, value); }
  void setString(std::string_view name, std::string_view value) { setString(StoreForName(name), name, value); }
  double numberView(std::string_view name) const { return numberView(StoreForName(name), name); }
  std::string stringView(std::string_view name) const { return stringView(StoreForName(name), name); }

  // The engine's own number setter (click events): only names beginning "T_", "E_" or "S_" are
  // stored; any other name is ignored (false).
  bool setEngineNumber(std::string_view name, double value);

 private:
  struct Store {
    std::map<std::string, double, std::less<>> numbers;
    std::map<std::string, std::string, std::less<>> strings;
  };
  Store& store(FlagStoreId id) { return stores_[static_cast<int>(id)]; }
  const Store& store(FlagStoreId id) const { return stores_[static_cast<int>(id)]; }

  Store stores_[3];
};

// The "%f" text of a number (six decimals, "3.000000").
std::string FormatFlagNumber(double value);

}  // namespace script
