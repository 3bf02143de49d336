#include "platform/variant.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <strings.h>

namespace {

// Whole-text number parsing, independent of the process locale (the window
// toolkit sets it from the environment, which may use a decimal comma).
bool ParseDouble(const std::string& text, double& out) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  auto [end, error] = std::from_chars(first, last, out);
  return error == std::errc() && end == last && first != last;
}

bool ParseBoolText(const std::string& text, bool& out) {
  if (strcasecmp(text.c_str(), "true") == 0) return out = true, true;
  if (strcasecmp(text.c_str(), "false") == 0) return out = false, true;
  return false;
}

}  // namespace

Variant Variant::Null() {
  Variant v;
  v.type_ = varNull;
  return v;
}

Variant Variant::FromDate(TDateTime value) {
  Variant v(value);
  v.type_ = varDate;
  return v;
}

Variant Variant::OfType(int typeCode) {
  Variant v;
  switch (typeCode) {
    case varSmallint:
    case varInteger:
    case varBoolean:
    case varByte:
      v.value_ = 0LL;
      break;
    case varSingle:
    case varDouble:
    case varDate:
      v.value_ = 0.0;
      break;
    case varCurrency:
      v.value_ = Currency();
      break;
    case varOleStr:
    case varString:
      v.value_ = AnsiString();
      break;
    default:
      break;
  }
  v.type_ = typeCode;
  return v;
}

void Variant::CannotConvert(int toType) const {
  throw EVariantError("Could not convert variant of type (" + VarTypeName(type_) + ") into type (" +
                      VarTypeName(toType) + ")");
}

int Variant::ToInt() const {
  if (type_ == varEmpty) return 0;
  if (const long long* i = std::get_if<long long>(&value_)) return static_cast<int>(*i);
  double d = 0;
  if (const Currency* c = std::get_if<Currency>(&value_)) {
    d = c->ToDouble();
  } else if (const AnsiString* s = std::get_if<AnsiString>(&value_)) {
    bool b = false;
    // Two different fallbacks tell a parsed value from a rejected text.
    if (const int parsed = StrToIntDef(*s, 0); parsed == StrToIntDef(*s, 1)) return parsed;
    if (ParseBoolText(*s, b)) return b ? -1 : 0;
    if (!ParseDouble(*s, d)) CannotConvert(varInteger);
  } else if (const double* f = std::get_if<double>(&value_)) {
    d = *f;
  } else {
    CannotConvert(varInteger);
  }
  const double rounded = std::nearbyint(d);
  if (!(rounded >= INT_MIN && rounded <= INT_MAX)) CannotConvert(varInteger);
  return static_cast<int>(rounded);
}

double Variant::ToDouble() const {
  if (type_ == varEmpty) return 0.0;
  if (const long long* i = std::get_if<long long>(&value_)) return static_cast<double>(*i);
  if (const double* f = std::get_if<double>(&value_)) return *f;
  if (const Currency* c = std::get_if<Currency>(&value_)) return c->ToDouble();
  if (const AnsiString* s = std::get_if<AnsiString>(&value_)) {
    double d = 0;
    bool b = false;
    if (ParseDouble(*s, d)) return d;
    if (ParseBoolText(*s, b)) return b ? -1.0 : 0.0;
  }
  CannotConvert(varDouble);
}

bool Variant::ToBool() const {
  if (type_ == varEmpty) return false;
  if (const long long* i = std::get_if<long long>(&value_)) return *i != 0;
  if (const double* f = std::get_if<double>(&value_)) return *f != 0.0;
  if (const Currency* c = std::get_if<Currency>(&value_)) return c->Val != 0;
  if (const AnsiString* s = std::get_if<AnsiString>(&value_)) {
    double d = 0;
    bool b = false;
    if (ParseBoolText(*s, b)) return b;
    if (ParseDouble(*s, d)) return d != 0.0;
  }
  CannotConvert(varBoolean);
}

AnsiString Variant::ToString() const {
  if (type_ == varEmpty) return AnsiString();
  if (const AnsiString* s = std::get_if<AnsiString>(&value_)) return *s;
  if (const Currency* c = std::get_if<Currency>(&value_)) return c->ToString();
  if (const long long* i = std::get_if<long long>(&value_)) {
    if (type_ == varBoolean) return *i ? "True" : "False";
    return IntToStr(*i);
  }
  if (const double* f = std::get_if<double>(&value_)) {
    if (type_ == varDate) {
      // A date alone when there is no time of day, as the class library shows it.
      return FormatDateTime(*f == std::floor(*f) ? "yyyy/mm/dd" : "yyyy/mm/dd hh:nn:ss", *f);
    }
    char buffer[32];
    // Shortest text that reads back to the same value.
    auto [end, error] = type_ == varSingle
                            ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(*f))
                            : std::to_chars(buffer, buffer + sizeof buffer, *f);
    if (error == std::errc()) return AnsiString(buffer, static_cast<std::size_t>(end - buffer));
  }
  CannotConvert(varString);
}

Currency Variant::ToCurrency() const {
  if (const Currency* c = std::get_if<Currency>(&value_)) return *c;
  if (const long long* i = std::get_if<long long>(&value_)) return Currency::FromVal(*i * 10000);
  try {
    return Currency(ToDouble());
  } catch (const EVariantError&) {
    CannotConvert(varCurrency);
  } catch (const EConvertError&) {
    CannotConvert(varCurrency);
  }
}

int VarType(const Variant& value) { return value.VarType(); }
bool VarIsNull(const Variant& value) { return value.IsNull(); }
bool VarIsEmpty(const Variant& value) { return value.IsEmpty(); }

AnsiString VarToStr(const Variant& value) { return value.IsNull() ? AnsiString() : value.ToString(); }

Variant VarAsType(const Variant& value, int typeCode) {
  if (value.VarType() == typeCode) return value;
  switch (typeCode) {
    case varEmpty:
      return Variant();
    case varNull:
      return Variant::Null();
    case varSmallint:
    case varByte: {
      const int i = value.ToInt();
      const bool fits = typeCode == varByte ? (i >= 0 && i <= 255) : (i >= SHRT_MIN && i <= SHRT_MAX);
      if (!fits) {
        throw EVariantError("Could not convert variant of type (" + VarTypeName(value.VarType()) +
                            ") into type (" + VarTypeName(typeCode) + ")");
      }
      return typeCode == varByte ? Variant(static_cast<BYTE>(i)) : Variant(static_cast<short>(i));
    }
    case varInteger:
      return Variant(value.ToInt());
    case varSingle:
      return Variant(static_cast<float>(value.ToDouble()));
    case varDouble:
      return Variant(value.ToDouble());
    case varCurrency:
      return Variant(value.ToCurrency());
    case varDate:
      return Variant::FromDate(value.ToDate());
    case varBoolean:
      return Variant(value.ToBool());
    case varOleStr: {
      Variant text = Variant::OfType(varOleStr);
      text.value_ = value.ToString();
      return text;
    }
    case varString:
      return Variant(value.ToString());
    default:
      throw EVariantError("Could not convert variant of type (" + VarTypeName(value.VarType()) + ") into type (" +
                          VarTypeName(typeCode) + ")");
  }
}

AnsiString VarTypeName(int typeCode) {
  switch (typeCode) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varSmallint: return "Smallint";
    case varInteger: return "Integer";
    case varSingle: return "Single";
    case varDouble: return "Double";
    case varCurrency: return "Currency";
    case varDate: return "Date";
    case varOleStr: return "OleStr";
    case varDispatch: return "Dispatch";
    case varBoolean: return "Boolean";
    case varVariant: return "Variant";
    case varByte: return "Byte";
    case varString: return "String";
    default: return "Unknown";
  }
}
