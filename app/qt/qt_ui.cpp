#include "app/qt/qt_ui.h"

#include <QInputDialog>
#include <QMessageBox>

#include "app/qt/form_dialog.h"
#include "app/qt/qt_text.h"
#include "platform/forms.h"
#include "platform/thread.h"

namespace qtview {

namespace {

QMessageBox::Icon IconOf(UINT flags) {
  switch (flags & 0xF0) {
    case MB_ICONERROR:
      return QMessageBox::Critical;
    case MB_ICONWARNING:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    case 0x20:  // the question mark
      return QMessageBox::Question;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

int QtUserInteraction::MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) {
  int answer = IDOK;
  platform::RunOnMainThread([&] {
    // Boxes have no owner window: they are modal to the whole program.
    QMessageBox box(IconOf(flags), ToQString(caption), ToQString(text));
    switch (flags & 0x0F) {
      case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
      case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
      default:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
      case QMessageBox::Ok:
        answer = IDOK;
        break;
      case QMessageBox::Cancel:
        answer = IDCANCEL;
        break;
      case QMessageBox::Yes:
        answer = IDYES;
        break;
      case QMessageBox::No:
        answer = IDNO;
        break;
      default:
        // Closed without a button: the box's way of saying no.
        answer = (flags & 0x0F) == MB_YESNO ? IDNO : (flags & 0x0F) == MB_OKCANCEL ? IDCANCEL : IDOK;
        break;
    }
  });
  return answer;
}

void QtUserInteraction::ShowMessage(const AnsiString& text) {
  platform::RunOnMainThread([&] {
    QMessageBox box(QMessageBox::NoIcon, ToQString(ApplicationTitle), ToQString(text), QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
  });
}

bool QtUserInteraction::InputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value) {
  bool ok = false;
  platform::RunOnMainThread([&] {
    QInputDialog dialog;
    dialog.setWindowTitle(ToQString(caption));
    dialog.setLabelText(ToQString(prompt));
    dialog.setTextValue(ToQString(value));
    if (dialog.exec() == QDialog::Accepted) {
      value = FromQString(dialog.textValue());
      ok = true;
    }
  });
  return ok;
}

int QtUserInteraction::ShowModal(TCustomForm& form) {
  int result = mrCancel;
  platform::RunOnMainThread([&] { result = ShowFormModal(form); });
  return result;
}

}  // namespace qtview
