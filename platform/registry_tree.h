// The registry's contents in memory: keys by path, values by name. Names
// compare without regard to ASCII case and keep the case they were created
// with, as the host registry does.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/registry_types.h"

namespace platform {

std::string FoldRegistryName(std::string_view name);

// "HKEY_CURRENT_USER" and "HKEY_LOCAL_MACHINE", the roots the bench keeps;
// nullptr for any other handle.
const char* RegistryRootName(HKEY root);
// The root's own spelling for a name in any case; nullptr when unknown.
const char* CanonicalRootName(std::string_view name);

class RegistryTree {
 public:
  struct NamedValue {
    std::string name;  // "" is the key's default value
    RegistryValue value;
    bool operator==(const NamedValue&) const = default;
  };
  struct Key {
    std::string path;
    std::map<std::string, NamedValue> values;  // by folded name; "" sorts first
    bool operator==(const Key&) const = default;
  };
  // A parent sorts right before its children, so a listing reads as a tree.
  struct KeyOrder {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  using KeyMap = std::map<std::string, Key, KeyOrder>;

  // Paths are full, root name first: "HKEY_CURRENT_USER\SOFTWARE\MARNEK".
  bool HasKey(std::string_view path) const;
  // Adds the key and every parent up to the root.
  void AddKey(std::string_view path);
  const RegistryValue* FindValue(std::string_view keyPath, std::string_view name) const;
  // Adds the key when missing.
  void SetValue(std::string_view keyPath, std::string_view name, RegistryValue value);
  bool DeleteValue(std::string_view keyPath, std::string_view name);

  const KeyMap& Keys() const { return keys_; }
  bool operator==(const RegistryTree&) const = default;

 private:
  KeyMap keys_;
};

}  // namespace platform
