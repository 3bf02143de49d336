#include "app/qt/form_window.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "app/qt/form_view.h"
#include "app/qt/main_loop.h"
#include "app/qt/qt_text.h"

namespace qtview {

namespace {
FormWindow* g_main = nullptr;
}

FormWindow::FormWindow(std::unique_ptr<TCustomForm> form, QWidget* parent)
    : QWidget(parent), form_(std::move(form)), view_(new FormView(*form_, this)) {
  if (!g_main) g_main = this;
  setWindowTitle(ToQString(form_->Caption));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  resize(form_->ClientWidth, form_->ClientHeight);
  move(form_->Left, form_->Top);
  view_->AfterHandler = [this] { CloseIfPending(); };
  connect(&MainLoop::Instance(), &MainLoop::FormCodeRan, this, [this] {
    if (view_) view_->PullFromForm();
    CloseIfPending();
  });
}

FormWindow::~FormWindow() {
  DestroyForm();
  if (g_main == this) g_main = nullptr;
}

FormWindow* FormWindow::Main() { return g_main; }

bool FormWindow::FormCodeRunning() const { return form_->BusyDepth() > 0 || MainLoop::Depth() > 0; }

void FormWindow::closeEvent(QCloseEvent* event) {
  if (!form_) {
    event->accept();
    return;
  }
  if (FormCodeRunning()) {
    closePending_ = true;
    event->ignore();
    return;
  }
  if (!form_->CloseQuery()) {
    event->ignore();
    return;
  }
  DestroyForm();
  event->accept();
}

void FormWindow::CloseIfPending() {
  if (!closePending_ || !form_ || FormCodeRunning()) return;
  closePending_ = false;
  // Queued: the button whose click just ended is still on the stack.
  QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void FormWindow::DestroyForm() {
  if (!form_) return;
  // The view first: it hands the form's lists their observers back.
  delete view_;
  view_ = nullptr;
  form_.reset();
}

}  // namespace qtview
