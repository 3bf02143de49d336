#include "platform/registry_tree.h"

#include <algorithm>

namespace platform {

std::string FoldRegistryName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return folded;
}

const char* RegistryRootName(HKEY root) {
  switch (root) {
    case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    default: return nullptr;
  }
}

const char* CanonicalRootName(std::string_view name) {
  const std::string folded = FoldRegistryName(name);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    if (folded == RegistryRootName(root)) return RegistryRootName(root);
  }
  return nullptr;
}

bool RegistryTree::KeyOrder::operator()(const std::string& a, const std::string& b) const {
  // The separator ranks below every character a key name may hold.
  auto rank = [](char c) { return c == '\\' ? 0 : static_cast<unsigned char>(c) + 1; };
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return rank(a[i]) < rank(b[i]);
  }
  return a.size() < b.size();
}

bool RegistryTree::HasKey(std::string_view path) const { return keys_.count(FoldRegistryName(path)) != 0; }

void RegistryTree::AddKey(std::string_view path) {
  for (std::size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
    const std::string_view prefix = path.substr(0, end);
    auto [it, added] = keys_.try_emplace(FoldRegistryName(prefix));
    if (added) it->second.path = std::string(prefix);
    if (end == std::string_view::npos) break;
  }
}

const RegistryValue* RegistryTree::FindValue(std::string_view keyPath, std::string_view name) const {
  auto key = keys_.find(FoldRegistryName(keyPath));
  if (key == keys_.end()) return nullptr;
  auto value = key->second.values.find(FoldRegistryName(name));
  return value == key->second.values.end() ? nullptr : &value->second.value;
}

void RegistryTree::SetValue(std::string_view keyPath, std::string_view name, RegistryValue value) {
  AddKey(keyPath);
  auto& values = keys_.find(FoldRegistryName(keyPath))->second.values;
  auto [it, added] = values.try_emplace(FoldRegistryName(name));
  if (added) it->second.name = std::string(name);
  it->second.value = std::move(value);
}

bool RegistryTree::DeleteValue(std::string_view keyPath, std::string_view name) {
  auto key = keys_.find(FoldRegistryName(keyPath));
  return key != keys_.end() && key->second.values.erase(FoldRegistryName(name)) != 0;
}

}  // namespace platform
