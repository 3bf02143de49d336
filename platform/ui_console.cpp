#include "platform/ui_console.h"

#include <cstdio>

#include "platform/forms.h"
#include "platform/thread.h"

int TConsoleUI::MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) {
  Print("*** " + caption + ": " + text);
  if ((flags & 0x0F) == MB_YESNO || (flags & 0x0F) == MB_OKCANCEL) {
    // A question needs an answer; read it on the main thread.
    std::optional<AnsiString> answer;
    platform::RunOnMainThread([&] {
      Print((flags & 0x0F) == MB_YESNO ? "(y/n)?" : "(ok/cancel)?");
      answer = ReadLine();
    });
    const bool yes = answer && !answer->empty() && ((*answer)[0] == 'y' || (*answer)[0] == 'o');
    if ((flags & 0x0F) == MB_YESNO) return yes ? IDYES : IDNO;
    return yes ? IDOK : IDCANCEL;
  }
  return IDOK;
}

void TConsoleUI::ShowMessage(const AnsiString& text) { Print("*** " + text); }

bool TConsoleUI::InputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value) {
  bool ok = false;
  platform::RunOnMainThread([&] {
    Print(caption + " - " + prompt + " [" + value + "] (empty line keeps it, '.' cancels, '-' clears):");
    std::optional<AnsiString> line = ReadLine();
    if (!line || *line == ".") return;
    if (*line == "-") {
      value.clear();
    } else if (!line->empty()) {
      value = *line;
    }
    ok = true;
  });
  return ok;
}

int TConsoleUI::ShowModal(TCustomForm& form) {
  int result = mrCancel;
  platform::RunOnMainThread([&] {
    auto it = renderers_.find(form.ClassName());
    if (it == renderers_.end()) {
      Print("*** " + form.Caption + ": this dialog has no console view; cancelled.");
      form.ModalResult = mrCancel;
      result = mrCancel;
      return;
    }
    form.DoShow();
    result = it->second(form, *this);
  });
  return result;
}

void TConsoleUI::Print(const AnsiString& line) {
  std::lock_guard lock(outputMutex_);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

std::optional<AnsiString> TConsoleUI::ReadLine() {
  if (!reader_) return std::nullopt;
  return reader_();
}
