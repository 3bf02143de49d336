// The class library's Variant: a value that carries its own type code.
// The registry functions of the application pick their reader and writer by
// that code, so the codes keep the class library's numbers.
#pragma once

#include <variant>

#include "platform/currency.h"
#include "platform/sysutils.h"
#include "platform/windef.h"

constexpr int varEmpty = 0x0000;
constexpr int varNull = 0x0001;
constexpr int varSmallint = 0x0002;
constexpr int varInteger = 0x0003;
constexpr int varSingle = 0x0004;
constexpr int varDouble = 0x0005;
constexpr int varCurrency = 0x0006;
constexpr int varDate = 0x0007;
constexpr int varOleStr = 0x0008;
constexpr int varDispatch = 0x0009;
constexpr int varBoolean = 0x000B;
constexpr int varVariant = 0x000C;
constexpr int varByte = 0x0011;
constexpr int varString = 0x0100;

// A conversion the value's type does not allow, e.g. Null to a number:
// "Could not convert variant of type (Null) into type (Integer)".
class EVariantError : public Exception {
 public:
  using Exception::Exception;
};

class Variant {
 public:
  Variant() = default;  // varEmpty
  Variant(int value) : type_(varInteger), value_(static_cast<long long>(value)) {}
  Variant(short value) : type_(varSmallint), value_(static_cast<long long>(value)) {}
  Variant(BYTE value) : type_(varByte), value_(static_cast<long long>(value)) {}
  Variant(bool value) : type_(varBoolean), value_(value ? -1LL : 0LL) {}
  Variant(float value) : type_(varSingle), value_(static_cast<double>(value)) {}
  Variant(double value) : type_(varDouble), value_(value) {}
  Variant(Currency value) : type_(varCurrency), value_(value) {}
  Variant(const AnsiString& value) : type_(varString), value_(value) {}
  Variant(const char* value) : type_(varString), value_(AnsiString(value)) {}

  static Variant Null();
  // TDateTime is a plain double here, so a date has to say what it is.
  static Variant FromDate(TDateTime value);
  // A value of the given type code holding that type's zero (0, "", false);
  // codes without a payload here (varDispatch, varVariant, unknown codes)
  // carry the code alone.
  static Variant OfType(int typeCode);

  int VarType() const { return type_; }
  bool IsNull() const { return type_ == varNull; }
  bool IsEmpty() const { return type_ == varEmpty; }

  // Conversions follow the class library: Empty gives 0, "" or false;
  // Null and payload-less types raise EVariantError; a boolean true is -1 as
  // a number; floating values round half to even; text must hold a number
  // (or True/False) to become one.
  int ToInt() const;
  double ToDouble() const;
  bool ToBool() const;
  AnsiString ToString() const;
  Currency ToCurrency() const;
  TDateTime ToDate() const { return ToDouble(); }

  bool operator==(const Variant&) const = default;

 private:
  friend Variant VarAsType(const Variant& value, int typeCode);
  [[noreturn]] void CannotConvert(int toType) const;

  int type_ = varEmpty;
  std::variant<std::monostate, long long, double, Currency, AnsiString> value_;
};

int VarType(const Variant& value);
bool VarIsNull(const Variant& value);
bool VarIsEmpty(const Variant& value);
// Null and Empty give "", anything else its ToString text.
AnsiString VarToStr(const Variant& value);
// The value converted to the given type code; EVariantError when the value
// does not fit (a Smallint out of range) or the code cannot hold it.
Variant VarAsType(const Variant& value, int typeCode);
// The class library's name of a type code ("Integer", "String", ...).
AnsiString VarTypeName(int typeCode);
