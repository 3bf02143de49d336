// Handles, value types and result codes of the host registry API.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/windef.h"

// Registry key handle. Only the predefined roots exist as handles here: a
// TRegistry keeps the path of its open key itself.
using HKEY = std::uint32_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;
constexpr HKEY HKEY_USERS = 0x80000003;

// Value types the bench stores.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_INVALID_HANDLE = 6;

namespace platform {

// One stored value. A REG_SZ holds its text bytes without a terminator, a
// REG_DWORD its four bytes little-endian.
struct RegistryValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  bool operator==(const RegistryValue&) const = default;
};

}  // namespace platform
