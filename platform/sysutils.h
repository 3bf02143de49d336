// Strings, exceptions, conversions and file and time helpers of the class
// library.
#pragma once

#include <ctime>
#include <exception>
#include <string>

#include "platform/windef.h"

// Byte string. Event parameters and component texts pass it by value; the
// numeric constructors give signed or unsigned decimal text.
class AnsiString : public std::string {
 public:
  AnsiString() = default;
  AnsiString(const char* text) : std::string(text ? text : "") {}
  AnsiString(const std::string& text) : std::string(text) {}
  AnsiString(std::string&& text) : std::string(std::move(text)) {}
  AnsiString(const char* text, std::size_t length) : std::string(text, length) {}
  explicit AnsiString(int value) : std::string(std::to_string(value)) {}
  explicit AnsiString(long value) : std::string(std::to_string(value)) {}
  explicit AnsiString(unsigned value) : std::string(std::to_string(value)) {}
  explicit AnsiString(unsigned long value) : std::string(std::to_string(value)) {}

  int Length() const { return static_cast<int>(size()); }
  bool IsEmpty() const { return empty(); }
  int ToInt() const;                 // throws EConvertError
  int ToIntDef(int fallback) const;  // never throws
};

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : Message(std::move(message)) {}
  const char* what() const noexcept override { return Message.c_str(); }
  AnsiString Message;
};

// The "silent" exception: an operation's own detected failure.
class EAbort : public Exception {
 public:
  using Exception::Exception;
};

class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// Strict conversion: optional sign and decimal digits only, within 32 bits;
// anything else raises EConvertError with "'<text>' is not a valid integer value".
// Without leading and trailing white space (blanks, tabs, line ends).
AnsiString Trim(const AnsiString& text);

int StrToInt(const AnsiString& text);
int StrToIntDef(const AnsiString& text, int fallback);
AnsiString IntToStr(long long value);

bool FileExists(const AnsiString& path);

// Days since 1899-12-30 with the time as the fraction, local time.
using TDateTime = double;
TDateTime Now();
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second);
// Supports yyyy, yy, mm, m, dd, d, hh, h, nn, n, ss, s, '/', ':' and literal text.
// '/' and ':' stand for the date and time separators ('/' and ':' here).
AnsiString FormatDateTime(const AnsiString& format, TDateTime value);
