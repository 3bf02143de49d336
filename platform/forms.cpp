#include "platform/forms.h"

AnsiString ApplicationTitle = "Telmora";

void ShowException(const Exception& e) {
  AnsiString text = e.Message;
  if (!text.empty() && text.back() != '.') text += ".";
  MessageBox(0, text.c_str(), ApplicationTitle.c_str(), MB_OK | MB_ICONERROR);
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
