#include "telephony/service/var_writer.h"

#include "telephony/tapi.h"

namespace telephony::service {

namespace {

// UTF-8 to UTF-16 little-endian; bytes that are not valid UTF-8 become U+FFFD.
std::string ToUtf16(const std::string& text) {
  std::string out;
  auto put = [&](unsigned unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  };
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    unsigned code = 0xFFFD;
    std::size_t length = 1;
    if (byte < 0x80) {
      code = byte;
    } else if ((byte >> 5) == 0x6 && i + 1 < text.size()) {
      code = ((byte & 0x1F) << 6) | (text[i + 1] & 0x3F);
      length = 2;
    } else if ((byte >> 4) == 0xE && i + 2 < text.size()) {
      code = ((byte & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) | (text[i + 2] & 0x3F);
      length = 3;
    } else if ((byte >> 3) == 0x1E && i + 3 < text.size()) {
      code = ((byte & 0x07) << 18) | ((text[i + 1] & 0x3F) << 12) | ((text[i + 2] & 0x3F) << 6) | (text[i + 3] & 0x3F);
      length = 4;
    }
    i += length;
    if (code >= 0x10000) {
      code -= 0x10000;
      put(0xD800 | (code >> 10));
      put(0xDC00 | (code & 0x3FF));
    } else {
      put(code);
    }
  }
  return out;
}

}  // namespace

std::string EncodeText(const std::string& text, DWORD stringFormat, bool terminator) {
  if (stringFormat == STRINGFORMAT_UNICODE) {
    std::string wide = ToUtf16(text);
    if (terminator) wide.append(2, '\0');
    return wide;
  }
  std::string bytes = text;
  if (terminator) bytes.push_back('\0');
  return bytes;
}

std::string DevSpecificBlob(DWORD length) {
  static const char kFiller[] = "telmora-device-specific ";
  std::string blob(length, '\0');
  for (DWORD i = 0; i < length; ++i) blob[i] = kFiller[i % (sizeof(kFiller) - 1)];
  return blob;
}

}  // namespace telephony::service
