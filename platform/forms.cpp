#include "platform/forms.h"

#include "platform/messages.h"

AnsiString ApplicationTitle = "Telmora";

void ShowException(const std::exception& e) {
  AnsiString text = e.what();
  if (!text.empty() && text.back() != '.') text += ".";
  MessageBox(0, text.c_str(), ApplicationTitle.c_str(), MB_OK | MB_ICONERROR);
}

void HandleMessage(const MSG& msg) {
  TranslateMessage(&msg);
  try {
    DispatchMessage(&msg);
  } catch (const std::exception& e) {
    ShowException(e);
  }
}

void TCustomForm::ClickButton(TBitBtn& button) {
  ++busy_;
  try {
    if (button.ModalResult != mrNone) ModalResult = button.ModalResult;
    Raise(button.OnClick, &button);
  } catch (const Exception& e) {
    ShowException(e);
  }
  --busy_;
}

std::vector<TControl*> TCustomForm::Controls() const {
  std::vector<TControl*> out;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TControl*>(Components(i))) out.push_back(c);
  return out;
}
