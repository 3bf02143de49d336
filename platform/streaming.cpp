#include "platform/streaming.h"

#include <mutex>
#include <sstream>

namespace {

AnsiString Quote(const AnsiString& text) {
  AnsiString out = "'";
  for (char c : text) {
    if (c == '\'') out += "''";
    else out += c;
  }
  return out + "'";
}

AnsiString Unquote(const AnsiString& value, int line) {
  if (value.size() < 2 || value.front() != '\'' || value.back() != '\'')
    throw Exception("Line " + IntToStr(line) + ": a text value must be quoted: " + value);
  AnsiString out;
  for (std::size_t i = 1; i + 1 < value.size(); ++i) {
    out += value[i];
    if (value[i] == '\'' && i + 2 < value.size() && value[i + 1] == '\'') ++i;
  }
  return out;
}

struct Palette {
  std::mutex mutex;
  std::vector<std::pair<AnsiString, AnsiString>> entries;
};

Palette& palette() {
  static Palette p;
  return p;
}

}  // namespace

AnsiString WriteComponentText(TComponent& component) {
  AnsiString out = "object " + component.Name + ": " + component.ClassName() + "\n";
  for (const TPublishedProperty& p : component.PublishedProperties()) {
    if (!p.set && p.kind != TPublishedProperty::Kind::Event) continue;  // read-only: never stored
    const AnsiString value = p.get ? p.get() : AnsiString();
    if (p.kind == TPublishedProperty::Kind::Event) {
      if (!value.empty()) out += "  " + p.name + " = " + value + "\n";
      continue;
    }
    if (p.storedDefault ? value == *p.storedDefault : value.empty()) continue;
    out += "  " + p.name + " = " + (p.kind == TPublishedProperty::Kind::String ? Quote(value) : value) + "\n";
  }
  return out + "end\n";
}

void ReadComponentText(TComponent& component, const AnsiString& text, const TComponent& methodRoot) {
  std::vector<TPublishedProperty> props = component.PublishedProperties();
  std::istringstream in(text);
  std::string raw;
  int line = 0;
  bool inObject = false, ended = false;
  while (std::getline(in, raw)) {
    ++line;
    const AnsiString l = Trim(raw);
    if (l.empty()) continue;
    if (ended) throw Exception("Line " + IntToStr(line) + ": text after 'end'");
    if (!inObject) {
      const AnsiString expected = "object " + component.Name + ": " + component.ClassName();
      if (l != expected) throw Exception("Line " + IntToStr(line) + ": expected '" + expected + "'");
      inObject = true;
      continue;
    }
    if (l == "end") {
      ended = true;
      continue;
    }
    const auto eq = l.find('=');
    if (eq == std::string::npos) throw Exception("Line " + IntToStr(line) + ": expected 'Name = value'");
    const AnsiString name = Trim(l.substr(0, eq));
    const AnsiString value = Trim(l.substr(eq + 1));
    const TPublishedProperty* prop = nullptr;
    for (const auto& p : props)
      if (p.name == name) prop = &p;
    if (!prop) throw Exception("Line " + IntToStr(line) + ": unknown property '" + name + "'");
    switch (prop->kind) {
      case TPublishedProperty::Kind::Integer: {
        if (!prop->set) throw Exception("Line " + IntToStr(line) + ": property '" + name + "' is read-only");
        int number = 0;
        try {
          number = StrToInt(value);
        } catch (const EConvertError&) {
          throw Exception("Line " + IntToStr(line) + ": '" + value + "' is not a number for '" + name + "'");
        }
        prop->set(IntToStr(number));
        break;
      }
      case TPublishedProperty::Kind::String:
        if (!prop->set) throw Exception("Line " + IntToStr(line) + ": property '" + name + "' is read-only");
        prop->set(Unquote(value, line));
        break;
      case TPublishedProperty::Kind::Event:
        try {
          prop->bind(methodRoot, value);
        } catch (const Exception& e) {
          throw Exception("Line " + IntToStr(line) + ": " + e.Message);
        }
        break;
    }
  }
  if (!inObject || !ended) throw Exception("The description of '" + component.Name + "' is incomplete");
}

void RegisterComponents(const AnsiString& page, const std::vector<TComponentClass>& classes) {
  Palette& p = palette();
  std::lock_guard lock(p.mutex);
  for (const auto& c : classes) p.entries.emplace_back(page, c.name);
}

std::vector<std::pair<AnsiString, AnsiString>> RegisteredComponents() {
  Palette& p = palette();
  std::lock_guard lock(p.mutex);
  return p.entries;
}
