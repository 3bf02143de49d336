// The interaction of the console face: boxes are printed, the input prompt
// and dialogs read lines. Where the lines come from is the face's business
// (ReadLine); without one, prompts are cancelled and boxes just print.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <optional>

#include "platform/ui.h"

class TConsoleUI : public TUserInteraction {
 public:
  using LineReader = std::function<std::optional<AnsiString>()>;
  using FormRenderer = std::function<int(TCustomForm& form, TConsoleUI& ui)>;

  int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) override;
  void ShowMessage(const AnsiString& text) override;
  bool InputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value) override;
  int ShowModal(TCustomForm& form) override;

  // Prints one line to standard output; safe from any thread.
  void Print(const AnsiString& line);
  // Reads one line on the main thread; nullopt at end of input.
  std::optional<AnsiString> ReadLine();

  void SetLineReader(LineReader reader) { reader_ = std::move(reader); }
  // How a console shows a form of the given class (a numbered choice, say).
  void SetFormRenderer(const AnsiString& className, FormRenderer renderer) { renderers_[className] = std::move(renderer); }

 private:
  std::mutex outputMutex_;
  LineReader reader_;
  std::map<AnsiString, FormRenderer> renderers_;
};
