#include "app/qt/form_dialog.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/form_view.h"
#include "app/qt/form_window.h"
#include "app/qt/main_loop.h"
#include "app/qt/qt_text.h"

namespace qtview {

namespace {

class FormDialog : public QDialog {
 public:
  FormDialog(TCustomForm& form, QWidget* parent) : QDialog(parent), form_(form), view_(new FormView(form, this)) {
    setObjectName(ToQString(form.Name));
    setWindowTitle(ToQString(form.Caption));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    if (form.Dialog) {
      setFixedSize(form.ClientWidth, form.ClientHeight);
    } else {
      resize(form.ClientWidth, form.ClientHeight);
    }
    view_->AfterHandler = [this] { TryClose(); };
    connect(&MainLoop::Instance(), &MainLoop::FormCodeRan, view_, &FormView::PullFromForm);
  }

  ~FormDialog() override {
    // The view goes before the form's lists could outlive its observers.
    delete view_;
  }

  void reject() override {
    form_.ModalResult = mrCancel;
    TryClose();
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
      if (TBitBtn* cancel = view_->CancelButton()) {
        if (auto* button = qobject_cast<QPushButton*>(view_->WidgetOf(cancel)); button && button->isEnabled()) {
          button->click();
          return;
        }
      }
      reject();
      return;
    }
    QDialog::keyPressEvent(event);
  }

 private:
  void TryClose() {
    if (form_.ModalResult == mrNone || !isVisible()) return;
    if (form_.CloseQuery()) {
      done(form_.ModalResult);
    } else {
      form_.ModalResult = mrNone;
    }
  }

  TCustomForm& form_;
  FormView* view_;
};

QWidget* OwnerWindow() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (QWidget* active = QApplication::activeWindow()) return active;
  return FormWindow::Main();
}

}  // namespace

int ShowFormModal(TCustomForm& form) {
  FormDialog dialog(form, OwnerWindow());
  form.ModalResult = mrNone;
  form.DoShow();
  dialog.exec();
  // exec's own result is not the answer: a close the form refused leaves
  // the dialog open, and only the form knows how it ended.
  if (form.ModalResult == mrNone) form.ModalResult = mrCancel;
  return form.ModalResult;
}

}  // namespace qtview
