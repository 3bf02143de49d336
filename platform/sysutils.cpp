#include "platform/sysutils.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

bool ParseInt(const std::string& text, int& out) {
  if (text.empty()) return false;
  std::size_t i = 0;
  bool negative = false;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    i = 1;
  }
  if (i == text.size()) return false;
  long long value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (negative) value = -value;
  if (value < INT_MIN || value > INT_MAX) return false;
  out = static_cast<int>(value);
  return true;
}

// Days between 1970-01-01 and the given civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2));
}

// The date origin of TDateTime, 1899-12-30, counted from 1970-01-01.
constexpr long long kDelphiEpochOffset = -25569;

AnsiString Pad(int value, int width) {
  std::string s = std::to_string(value);
  while (static_cast<int>(s.size()) < width) s.insert(s.begin(), '0');
  return s;
}

}  // namespace

int AnsiString::ToInt() const { return StrToInt(*this); }
int AnsiString::ToIntDef(int fallback) const { return StrToIntDef(*this, fallback); }

AnsiString Trim(const AnsiString& text) {
  const auto first = text.find_first_not_of(" \t\r\n\f\v");
  if (first == std::string::npos) return "";
  const auto last = text.find_last_not_of(" \t\r\n\f\v");
  return AnsiString(text.substr(first, last - first + 1));
}

int StrToInt(const AnsiString& text) {
  int value = 0;
  if (!ParseInt(text, value)) throw EConvertError("'" + text + "' is not a valid integer value");
  return value;
}

int StrToIntDef(const AnsiString& text, int fallback) {
  int value = 0;
  return ParseInt(text, value) ? value : fallback;
}

AnsiString IntToStr(long long value) { return AnsiString(std::to_string(value)); }

bool FileExists(const AnsiString& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second) {
  const long long days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kDelphiEpochOffset;
  return static_cast<double>(days) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

TDateTime Now() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                        local.tm_sec);
}

AnsiString FormatDateTime(const AnsiString& format, TDateTime value) {
  const long long days = static_cast<long long>(std::floor(value));
  // Round to the second so 14:05:09 never prints as 14:05:08.
  long long seconds = std::llround((value - static_cast<double>(days)) * 86400.0);
  long long dayCount = days;
  if (seconds >= 86400) {
    seconds -= 86400;
    ++dayCount;
  }
  int year = 0, month = 0, day = 0;
  CivilFromDays(dayCount + kDelphiEpochOffset, year, month, day);
  const int hour = static_cast<int>(seconds / 3600);
  const int minute = static_cast<int>(seconds / 60 % 60);
  const int second = static_cast<int>(seconds % 60);

  AnsiString out;
  std::size_t i = 0;
  auto run = [&](char c) {
    std::size_t n = 0;
    while (i + n < format.size() && (format[i + n] | 0x20) == c) ++n;
    return n;
  };
  while (i < format.size()) {
    const char c = static_cast<char>(format[i] | 0x20);
    std::size_t n = 0;
    switch (c) {
      case 'y':
        n = run('y');
        out += n >= 3 ? Pad(year, 4) : Pad(year % 100, 2);
        break;
      case 'm':
        n = run('m');
        out += Pad(month, n >= 2 ? 2 : 1);
        break;
      case 'd':
        n = run('d');
        out += Pad(day, n >= 2 ? 2 : 1);
        break;
      case 'h':
        n = run('h');
        out += Pad(hour, n >= 2 ? 2 : 1);
        break;
      case 'n':
        n = run('n');
        out += Pad(minute, n >= 2 ? 2 : 1);
        break;
      case 's':
        n = run('s');
        out += Pad(second, n >= 2 ? 2 : 1);
        break;
      default:
        out += format[i];
        n = 1;
        break;
    }
    i += n;
  }
  return out;
}
