#include "platform/ui_scripted.h"

#include "platform/forms.h"
#include "platform/kernel.h"
#include "platform/thread.h"

void TScriptedUI::Record(Box box) {
  std::lock_guard lock(mutex_);
  boxes_.push_back(box);
}

int TScriptedUI::MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) {
  Record(Box{Box::Kind::Message, text, caption, flags, GetCurrentThreadId()});
  return IDOK;
}

void TScriptedUI::ShowMessage(const AnsiString& text) {
  Record(Box{Box::Kind::Information, text, "", MB_OK, GetCurrentThreadId()});
}

bool TScriptedUI::InputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value) {
  Record(Box{Box::Kind::Prompt, prompt, caption, MB_OKCANCEL, GetCurrentThreadId()});
  std::optional<AnsiString> answer;
  {
    std::lock_guard lock(mutex_);
    if (!prompts_.empty()) {
      answer = prompts_.front();
      prompts_.pop_front();
    }
  }
  if (!answer) return false;
  value = *answer;
  return true;
}

int TScriptedUI::ShowModal(TCustomForm& form) {
  int result = mrCancel;
  // Dialogs belong to the main thread, as they do with a real view.
  platform::RunOnMainThread([&] {
    Record(Box{Box::Kind::Dialog, form.Caption, form.Caption, 0, GetCurrentThreadId()});
    std::function<void(TCustomForm&)> operatorPart;
    {
      std::lock_guard lock(mutex_);
      if (!dialogs_.empty()) {
        operatorPart = std::move(dialogs_.front());
        dialogs_.pop_front();
      }
    }
    form.DoShow();
    // The operator acts until the form agrees to close; each refused close
    // takes the next scripted action, and running out of them cancels.
    for (;;) {
      form.ModalResult = mrNone;
      if (operatorPart) {
        operatorPart(form);
      } else {
        form.ModalResult = mrCancel;
      }
      if (form.ModalResult == mrNone) form.ModalResult = mrCancel;
      if (form.CloseQuery()) break;
      std::lock_guard lock(mutex_);
      operatorPart = nullptr;
      if (!dialogs_.empty()) {
        operatorPart = std::move(dialogs_.front());
        dialogs_.pop_front();
      }
    }
    result = form.ModalResult;
  });
  return result;
}

void TScriptedUI::QueuePromptAnswer(std::optional<AnsiString> answer) {
  std::lock_guard lock(mutex_);
  prompts_.push_back(std::move(answer));
}

void TScriptedUI::QueueDialog(std::function<void(TCustomForm&)> operatorPart) {
  std::lock_guard lock(mutex_);
  dialogs_.push_back(std::move(operatorPart));
}

std::vector<TScriptedUI::Box> TScriptedUI::Boxes() const {
  std::lock_guard lock(mutex_);
  return boxes_;
}

std::size_t TScriptedUI::BoxCount() const {
  std::lock_guard lock(mutex_);
  return boxes_.size();
}

void TScriptedUI::ClearBoxes() {
  std::lock_guard lock(mutex_);
  boxes_.clear();
}

TScriptedUIScope::TScriptedUIScope() {
  auto ui = std::make_unique<TScriptedUI>();
  ui_ = ui.get();
  previous_ = platform::SetUI(std::move(ui));
}

TScriptedUIScope::~TScriptedUIScope() { platform::SetUI(std::move(previous_)); }
