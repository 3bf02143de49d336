// The application's two general-purpose registry functions: one value in,
// one value out, typed by the class library's Variant type codes. Failures
// of the registry class are shown in a "Problem Detected" box and end the
// call; everything else propagates.
#pragma once

#include "platform/registry.h"
#include "platform/variant.h"

// Reads one value with the reader that iTypeCode selects: 2, 3 integer;
// 4, 5 float; 6 currency; 7 date; 8, 17, 256 string; 11 boolean. The result
// has the reader's own type (an integer read is varInteger whatever code
// asked for it). Null when nothing was read: an empty key path, a missing key
// or value, code 12 or an unknown code, or a failed read. An empty value
// name reads the key's default value. A machine name that cannot be reached
// gives the integer 0.
Variant ReadFromRegistry(const AnsiString& asMachineName, HKEY hRootKey, const AnsiString& asKeyPath,
                         const AnsiString& asValueName, int iTypeCode);

// Writes one value with the writer its own Variant type selects (the same
// codes as reading); creates the key when missing. True when the value was
// written, and for a varVariant value, which writes nothing. False for an
// empty key path or value name, any other type, an unreachable machine, or a
// failed write.
bool WriteToRegistry(const AnsiString& asMachineName, HKEY hRootKey, const AnsiString& asKeyPath,
                     const AnsiString& asValueName, const Variant& value);
