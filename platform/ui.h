// User interaction: message boxes, the information box, the single-line
// input prompt and modal dialogs, behind one interface. The window face
// renders real dialogs, the console face prints and reads lines, and tests
// script the answers. Calls from a worker thread are carried to the main
// thread by the implementations that need it.
#pragma once

#include <memory>

#include "platform/sysutils.h"
#include "platform/windef.h"

class TCustomForm;

class TUserInteraction {
 public:
  virtual ~TUserInteraction() = default;
  // Returns IDOK, IDCANCEL, IDYES or IDNO.
  virtual int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) = 0;
  // Information box with an OK button.
  virtual void ShowMessage(const AnsiString& text) = 0;
  // Returns false when the operator cancels; `value` is the initial text
  // and, on OK, the text entered.
  virtual bool InputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value) = 0;
  // Shows the form modally until it closes; returns its modal result.
  virtual int ShowModal(TCustomForm& form) = 0;
};

namespace platform {
// The interaction in force; the console one until another is installed.
TUserInteraction& UI();
// Installs an interaction and returns the previous one.
std::unique_ptr<TUserInteraction> SetUI(std::unique_ptr<TUserInteraction> ui);
}  // namespace platform

// The host API's entry points, routed to platform::UI().
int MessageBox(HWND owner, const char* text, const char* caption, UINT flags);
void ShowMessage(const AnsiString& text);
bool InputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value);

