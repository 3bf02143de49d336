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
  // Whatever leaves the handler, the form is not busy any more: a count left
  // behind would hold off closing for good.
  struct Busy {
    int& depth;
    explicit Busy(int& d) : depth(d) { ++depth; }
    ~Busy() { --depth; }
  } busy(busy_);
  try {
    if (button.ModalResult != mrNone) ModalResult = button.ModalResult;
    Raise(button.OnClick, &button);
  } catch (const std::exception& e) {
    ShowException(e);
  }
}

std::vector<TControl*> TCustomForm::Controls() const {
  std::vector<TControl*> out;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TControl*>(Components(i))) out.push_back(c);
  return out;
}
