// The window face's user interaction: message boxes, the information box
// and the input prompt as Qt dialogs, and any form shown modally through
// its generic view. Every call runs on the main thread; a worker thread's
// call is carried there and waits for the operator's answer.
#pragma once

#include "platform/ui.h"

namespace qtview {

class QtUserInteraction : public TUserInteraction {
 public:
  int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) override;
  void ShowMessage(const AnsiString& text) override;
  bool InputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value) override;
  int ShowModal(TCustomForm& form) override;
};

}  // namespace qtview
