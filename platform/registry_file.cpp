#include "platform/registry_file.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace platform {

namespace {

constexpr std::size_t kHexLineWidth = 78;

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7f) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", byte);
      out += escape;
    } else {
      out += c;
    }
  }
  out += '"';
}

void AppendValue(std::string& out, const RegistryTree::NamedValue& named) {
  const std::size_t lineStart = out.size();
  if (named.name.empty()) {
    out += '@';
  } else {
    AppendQuoted(out, named.name);
  }
  out += '=';
  const RegistryValue& value = named.value;
  if (value.type == REG_SZ) {
    AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size()));
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    const DWORD dword = value.data[0] | value.data[1] << 8 | value.data[2] << 16 | static_cast<DWORD>(value.data[3]) << 24;
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", dword);
    out += text;
  } else {
    // The store only ever holds the three types; anything else is kept as
    // its bytes rather than lost.
    out += "hex:";
    std::size_t lineLength = out.size() - lineStart;
    for (std::size_t i = 0; i < value.data.size(); ++i) {
      char byte[4];
      std::snprintf(byte, sizeof byte, "%02x", value.data[i]);
      if (i > 0) {
        if (lineLength + 3 > kHexLineWidth) {
          out += ",\\\n  ";
          lineLength = 2;
        } else {
          out += ',';
          ++lineLength;
        }
      }
      out += byte;
      lineLength += 2;
    }
  }
  out += '\n';
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Parser {
 public:
  explicit Parser(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    for (std::size_t start = 0; start <= text.size();) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      lines_.push_back(Trim(text.substr(start, end - start)));
      start = end + 1;
    }
  }

  RegistryTree Parse() {
    // An empty file holds nothing to lose; it is simply an empty registry.
    if (std::all_of(lines_.begin(), lines_.end(), [](std::string_view l) { return l.empty(); })) return {};
    if (lines_.empty() || lines_[0] != kRegFileHeader) {
      Fail(1, std::string("the first line must be \"") + kRegFileHeader + "\"");
    }
    for (index_ = 1; index_ < lines_.size(); ++index_) {
      const std::string_view line = lines_[index_];
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        KeyLine(line);
      } else if (line.front() == '"' || line.front() == '@') {
        ValueLine(line);
      } else {
        Fail("expected a [key] line or a value line starting with \" or @");
      }
    }
    return std::move(tree_);
  }

 private:
  [[noreturn]] static void Fail(int line, std::string what) { throw RegFileError{line, std::move(what)}; }
  [[noreturn]] void Fail(std::string what) const { Fail(static_cast<int>(index_) + 1, std::move(what)); }

  void KeyLine(std::string_view line) {
    if (line.back() != ']') Fail("a key line must end with ']'");
    std::string_view inner = line.substr(1, line.size() - 2);
    if (!inner.empty() && inner.front() == '-') Fail("key deletion lines are not supported");
    const std::size_t rootEnd = inner.find('\\');
    const std::string_view rootName = inner.substr(0, rootEnd);
    const char* root = CanonicalRootName(rootName);
    if (!root) Fail("unknown root key '" + std::string(rootName) + "'");
    std::string path = root;
    if (rootEnd != std::string_view::npos) {
      const std::string_view rest = inner.substr(rootEnd + 1);
      for (std::size_t start = 0;;) {
        std::size_t end = rest.find('\\', start);
        const std::string_view part = rest.substr(start, end == std::string_view::npos ? end : end - start);
        if (part.empty()) Fail("a key name has an empty part");
        for (char c : part) {
          if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) Fail("a key name holds a control character");
        }
        if (end == std::string_view::npos) break;
        start = end + 1;
      }
      path += '\\';
      path += rest;
    }
    tree_.AddKey(path);
    key_ = path;
  }

  void ValueLine(std::string_view line) {
    if (key_.empty()) Fail("a value comes before any [key] line");
    std::size_t pos = 0;
    std::string name;
    if (line.front() == '@') {
      pos = 1;
    } else {
      name = Quoted(line, pos);
    }
    if (pos >= line.size() || line[pos] != '=') Fail("expected '=' after the value name");
    ++pos;
    const std::string_view data = line.substr(pos);
    RegistryValue value;
    if (!data.empty() && data.front() == '"') {
      const std::string text = Quoted(line, pos);
      if (pos != line.size()) Fail("unexpected text after the quoted value");
      value.type = REG_SZ;
      value.data.assign(text.begin(), text.end());
    } else if (data.substr(0, 6) == "dword:") {
      value.type = REG_DWORD;
      value.data = Dword(data.substr(6));
    } else if (data.substr(0, 4) == "hex:") {
      value.type = REG_BINARY;
      value.data = Hex(data.substr(4));
    } else if (data == "-") {
      Fail("value deletion lines are not supported");
    } else if (data.substr(0, 4) == "hex(") {
      Fail("unsupported value type '" + std::string(data.substr(0, data.find(':'))) + "'");
    } else {
      Fail("a value must be quoted text, dword: or hex:");
    }
    tree_.SetValue(key_, name, std::move(value));
  }

  // Reads a quoted text starting at line[pos]; leaves pos after the closing quote.
  std::string Quoted(std::string_view line, std::size_t& pos) const {
    std::string out;
    for (++pos; pos < line.size(); ++pos) {
      const char c = line[pos];
      if (c == '"') {
        ++pos;
        return out;
      }
      if (c != '\\') {
        out += c;
        continue;
      }
      if (++pos >= line.size()) break;
      switch (line[pos]) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
          const int high = pos + 1 < line.size() ? HexDigit(line[pos + 1]) : -1;
          const int low = pos + 2 < line.size() ? HexDigit(line[pos + 2]) : -1;
          if (high < 0 || low < 0) Fail("\\x needs two hexadecimal digits");
          out += static_cast<char>(high * 16 + low);
          pos += 2;
          break;
        }
        default:
          Fail(std::string("unknown escape '\\") + line[pos] + "' in quoted text");
      }
    }
    Fail("quoted text has no closing quote");
  }

  std::vector<BYTE> Dword(std::string_view digits) const {
    if (digits.empty() || digits.size() > 8) Fail("a dword needs 1 to 8 hexadecimal digits");
    DWORD value = 0;
    for (char c : digits) {
      const int d = HexDigit(c);
      if (d < 0) Fail("a dword needs 1 to 8 hexadecimal digits");
      value = value << 4 | static_cast<DWORD>(d);
    }
    return {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
            static_cast<BYTE>(value >> 24)};
  }

  std::vector<BYTE> Hex(std::string_view first) {
    const std::size_t startLine = index_;
    std::string all;
    std::string_view part = first;
    while (!part.empty() && part.back() == '\\') {
      all += Trim(part.substr(0, part.size() - 1));
      if (++index_ >= lines_.size()) {
        index_ = startLine;
        Fail("the file ends inside a continued hex value");
      }
      part = lines_[index_];
    }
    all += part;
    std::vector<BYTE> bytes;
    if (Trim(all).empty()) return bytes;
    for (std::size_t start = 0;;) {
      const std::size_t end = all.find(',', start);
      const std::string_view token =
          Trim(std::string_view(all).substr(start, end == std::string::npos ? end : end - start));
      const int high = token.size() == 2 ? HexDigit(token[0]) : -1;
      const int low = token.size() == 2 ? HexDigit(token[1]) : -1;
      if (high < 0 || low < 0) {
        index_ = startLine;
        Fail("hex data must be two-digit bytes separated by commas");
      }
      bytes.push_back(static_cast<BYTE>(high * 16 + low));
      if (end == std::string::npos) break;
      start = end + 1;
    }
    return bytes;
  }

  std::vector<std::string_view> lines_;
  std::size_t index_ = 0;
  std::string key_;
  RegistryTree tree_;
};

}  // namespace

std::string FormatRegFile(const RegistryTree& tree) {
  std::string out = kRegFileHeader;
  out += "\n\n";
  for (const auto& [folded, key] : tree.Keys()) {
    // A bare root carries nothing worth a section unless it holds values.
    if (key.path.find('\\') == std::string::npos && key.values.empty()) continue;
    out += '[' + key.path + "]\n";
    for (const auto& [foldedName, named] : key.values) AppendValue(out, named);
    out += '\n';
  }
  return out;
}

RegistryTree ParseRegFile(std::string_view text) { return Parser(text).Parse(); }

}  // namespace platform
