#include "platform/ui.h"

#include <mutex>

#include "platform/ui_console.h"

namespace {

std::mutex& uiMutex() {
  static std::mutex m;
  return m;
}

std::unique_ptr<TUserInteraction>& current() {
  static std::unique_ptr<TUserInteraction> ui = std::make_unique<TConsoleUI>();
  return ui;
}

}  // namespace

namespace platform {

TUserInteraction& UI() {
  std::lock_guard lock(uiMutex());
  return *current();
}

std::unique_ptr<TUserInteraction> SetUI(std::unique_ptr<TUserInteraction> ui) {
  std::lock_guard lock(uiMutex());
  std::unique_ptr<TUserInteraction> previous = std::move(current());
  current() = std::move(ui);
  return previous;
}

}  // namespace platform

int MessageBox(HWND, const char* text, const char* caption, UINT flags) {
  return platform::UI().MessageBox(text ? text : "", caption ? caption : "", flags);
}

void ShowMessage(const AnsiString& text) { platform::UI().ShowMessage(text); }

bool InputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value) {
  return platform::UI().InputQuery(caption, prompt, value);
}
