#include "platform/registry.h"

#include <unistd.h>

#include <climits>
#include <cstring>
#include <strings.h>

#include "platform/registry_store.h"

namespace {

AnsiString Quote(const AnsiString& name) { return "'" + name + "'"; }

}  // namespace

bool TRegistry::Resolve(const AnsiString& key, HKEY& root, std::string& path) const {
  std::string_view rest = key;
  const bool absolute = !rest.empty() && rest.front() == '\\';
  // A key open under another root than the one now set is no base for a
  // relative path: the path starts at the new root, as after a root change.
  const bool relative = !absolute && open_ && currentRoot_ == RootKey;
  root = relative ? currentRoot_ : RootKey;
  path = relative ? std::string(currentPath_) : std::string();
  if (absolute) rest.remove_prefix(1);
  if (!rest.empty() && rest.back() == '\\') rest.remove_suffix(1);
  if (rest.empty()) return true;
  for (std::size_t start = 0;;) {
    const std::size_t end = rest.find('\\', start);
    const std::string_view part = rest.substr(start, end == std::string_view::npos ? end : end - start);
    if (part.empty()) return false;
    for (char c : part) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
    }
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  if (!path.empty()) path += '\\';
  path += rest;
  return true;
}

bool TRegistry::Open(const AnsiString& key, bool canCreate, bool readOnly) {
  HKEY root = 0;
  std::string path;
  if (!Resolve(key, root, path)) return false;
  std::string ignored;
  const bool exists = canCreate ? platform::registry_store::CreateKey(root, path, ignored)
                                : platform::registry_store::KeyExists(root, path);
  if (!exists) return false;
  CloseKey();
  open_ = true;
  readOnly_ = readOnly;
  currentRoot_ = root;
  currentPath_ = path;
  return true;
}

bool TRegistry::OpenKey(const AnsiString& key, bool canCreate) { return Open(key, canCreate, false); }

bool TRegistry::OpenKeyReadOnly(const AnsiString& key) { return Open(key, false, true); }

void TRegistry::CloseKey() {
  open_ = false;
  readOnly_ = false;
  currentPath_.clear();
}

bool TRegistry::KeyExists(const AnsiString& key) {
  HKEY root = 0;
  std::string path;
  return Resolve(key, root, path) && platform::registry_store::KeyExists(root, path);
}

bool TRegistry::ValueExists(const AnsiString& name) {
  return open_ && platform::registry_store::GetValue(currentRoot_, currentPath_, name).has_value();
}

bool TRegistry::DeleteValue(const AnsiString& name) {
  if (!open_ || readOnly_) return false;
  std::string ignored;
  return platform::registry_store::DeleteValue(currentRoot_, currentPath_, name, ignored);
}

TRegDataType TRegistry::GetDataType(const AnsiString& name) {
  const auto value = open_ ? platform::registry_store::GetValue(currentRoot_, currentPath_, name) : std::nullopt;
  if (!value) return rdUnknown;
  switch (value->type) {
    case REG_SZ: return rdString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
  }
}

int TRegistry::GetDataSize(const AnsiString& name) {
  const auto value = open_ ? platform::registry_store::GetValue(currentRoot_, currentPath_, name) : std::nullopt;
  if (!value) return -1;
  return static_cast<int>(value->data.size()) + (value->type == REG_SZ ? 1 : 0);
}

std::vector<BYTE> TRegistry::Read(const AnsiString& name, DWORD type, int size) {
  auto value = open_ ? platform::registry_store::GetValue(currentRoot_, currentPath_, name) : std::nullopt;
  if (!value) throw ERegistryException("Failed to get data for " + Quote(name));
  if (value->type != type || (size >= 0 && value->data.size() != static_cast<std::size_t>(size))) {
    throw ERegistryException("Invalid data type for " + Quote(name));
  }
  return std::move(value->data);
}

void TRegistry::Write(const AnsiString& name, DWORD type, const void* data, std::size_t size) {
  if (!open_ || readOnly_) {
    throw ERegistryException("Failed to set data for " + Quote(name) + (open_ ? ": the key is open read-only" : ": no key is open"));
  }
  platform::RegistryValue value;
  value.type = type;
  const auto* bytes = static_cast<const BYTE*>(data);
  value.data.assign(bytes, bytes + size);
  std::string error;
  if (!platform::registry_store::SetValue(currentRoot_, currentPath_, name, std::move(value), error)) {
    throw ERegistryException("Failed to set data for " + Quote(name) + ": " + error);
  }
}

AnsiString TRegistry::ReadString(const AnsiString& name) {
  if (!ValueExists(name)) return AnsiString();
  const std::vector<BYTE> data = Read(name, REG_SZ, -1);
  return AnsiString(reinterpret_cast<const char*>(data.data()), data.size());
}

void TRegistry::WriteString(const AnsiString& name, const AnsiString& value) {
  Write(name, REG_SZ, value.data(), value.size());
}

int TRegistry::ReadInteger(const AnsiString& name) {
  const std::vector<BYTE> data = Read(name, REG_DWORD, 4);
  const DWORD value = data[0] | data[1] << 8 | data[2] << 16 | static_cast<DWORD>(data[3]) << 24;
  return static_cast<int>(value);
}

void TRegistry::WriteInteger(const AnsiString& name, int value) {
  const auto dword = static_cast<DWORD>(value);
  const BYTE data[4] = {static_cast<BYTE>(dword), static_cast<BYTE>(dword >> 8), static_cast<BYTE>(dword >> 16),
                        static_cast<BYTE>(dword >> 24)};
  Write(name, REG_DWORD, data, sizeof data);
}

bool TRegistry::ReadBool(const AnsiString& name) { return ReadInteger(name) != 0; }

void TRegistry::WriteBool(const AnsiString& name, bool value) { WriteInteger(name, value ? 1 : 0); }

double TRegistry::ReadFloat(const AnsiString& name) {
  const std::vector<BYTE> data = Read(name, REG_BINARY, sizeof(double));
  double value = 0;
  std::memcpy(&value, data.data(), sizeof value);
  return value;
}

void TRegistry::WriteFloat(const AnsiString& name, double value) { Write(name, REG_BINARY, &value, sizeof value); }

Currency TRegistry::ReadCurrency(const AnsiString& name) {
  const std::vector<BYTE> data = Read(name, REG_BINARY, sizeof(std::int64_t));
  std::int64_t val = 0;
  std::memcpy(&val, data.data(), sizeof val);
  return Currency::FromVal(val);
}

void TRegistry::WriteCurrency(const AnsiString& name, Currency value) {
  Write(name, REG_BINARY, &value.Val, sizeof value.Val);
}

TDateTime TRegistry::ReadDate(const AnsiString& name) { return ReadFloat(name); }

void TRegistry::WriteDate(const AnsiString& name, TDateTime value) { WriteFloat(name, value); }

int TRegistry::ReadBinaryData(const AnsiString& name, void* buffer, int bufSize) {
  if (!ValueExists(name)) return 0;
  const std::vector<BYTE> data = Read(name, REG_BINARY, -1);
  if (bufSize < 0 || data.size() > static_cast<std::size_t>(bufSize)) {
    throw ERegistryException("Invalid data type for " + Quote(name));
  }
  if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
  return static_cast<int>(data.size());
}

void TRegistry::WriteBinaryData(const AnsiString& name, const void* buffer, int bufSize) {
  if (bufSize < 0) throw ERegistryException("Failed to set data for " + Quote(name) + ": negative size");
  Write(name, REG_BINARY, buffer, static_cast<std::size_t>(bufSize));
}

bool TRegistry::RegistryConnect(const AnsiString& machineName) {
  std::string_view name = machineName;
  while (!name.empty() && name.front() == '\\') name.remove_prefix(1);
  if (name.empty()) return true;
  const std::string machine(name);
  if (strcasecmp(machine.c_str(), "localhost") == 0) return true;
  char host[HOST_NAME_MAX + 1] = {};
  return ::gethostname(host, sizeof host - 1) == 0 && strcasecmp(machine.c_str(), host) == 0;
}

LONG RegFlushKey(HKEY key) {
  return (key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
