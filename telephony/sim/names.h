// Names of the API's flags and codes as the device file, the control
// commands and status texts spell them (lower case, without the prefix:
// "interactivevoice" for LINEMEDIAMODE_INTERACTIVEVOICE; codes in full:
// "LINEERR_INVALMEDIAMODE").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "telephony/tapi.h"

namespace telephony::sim {

struct NamedBit {
  const char* name;
  DWORD bit;
};

const std::vector<NamedBit>& MediaModeNames();
const std::vector<NamedBit>& BearerModeNames();
const std::vector<NamedBit>& LineStateNames();
const std::vector<NamedBit>& AddressStateNames();
const std::vector<NamedBit>& AddressModeNames();
const std::vector<NamedBit>& PrivilegeNames();
const std::vector<NamedBit>& PartyFlagNames();
const std::vector<NamedBit>& ToneModeNames();
const std::vector<NamedBit>& CallStateNames();

// Case-insensitive.
bool BitByName(const std::vector<NamedBit>& names, std::string_view name, DWORD& bit);
// "a,b,c" for the bits set.
std::string NamesOf(const std::vector<NamedBit>& names, DWORD bits);

bool LineErrorByName(std::string_view name, LONG& code);
// The code's name, or its signed decimal value.
std::string LineErrorName(LONG code);

}  // namespace telephony::sim
