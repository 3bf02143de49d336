// The interaction used by tests: records every box and prompt, answers
// prompts and dialogs from a script; every message box answers OK. Safe to
// call from any thread.
#pragma once

#include <deque>
#include <optional>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/ui.h"

class TScriptedUI : public TUserInteraction {
 public:
  struct Box {
    enum class Kind { Message, Information, Prompt, Dialog };
    Kind kind;
    AnsiString text;     // the prompt's label, the dialog's caption
    AnsiString caption;
    UINT flags;
    DWORD threadId;
  };

  int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) override;
  void ShowMessage(const AnsiString& text) override;
  bool InputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value) override;
  int ShowModal(TCustomForm& form) override;

  // Answers for the next prompts, in order; std::nullopt cancels. With no
  // answer left a prompt is cancelled.
  void QueuePromptAnswer(std::optional<AnsiString> answer);
  // Plays the operator's part in the next modal dialogs: gets the form,
  // sets its ModalResult (and whatever state the form has). A dialog with no
  // handler left is cancelled. The close query is asked as a view would.
  void QueueDialog(std::function<void(TCustomForm&)> operatorPart);

  std::vector<Box> Boxes() const;
  std::size_t BoxCount() const;
  void ClearBoxes();

 private:
  void Record(Box box);

  mutable std::mutex mutex_;
  std::vector<Box> boxes_;
  std::deque<std::optional<AnsiString>> prompts_;
  std::deque<std::function<void(TCustomForm&)>> dialogs_;
};

// Installs a scripted interaction for the lifetime of the guard.
class TScriptedUIScope {
 public:
  TScriptedUIScope();
  ~TScriptedUIScope();
  TScriptedUI& ui() { return *ui_; }
  TScriptedUI* operator->() { return ui_; }

 private:
  TScriptedUI* ui_;
  std::unique_ptr<TUserInteraction> previous_;
};
