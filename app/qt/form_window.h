// The window of a main form: the form's view in a top-level window that
// owns the form. Closing the window asks the form (CloseQuery) and then
// destroys it. A close that arrives while form code is still running (a
// click whose handler waits with the window kept alive, a dialog opened
// from a handler) is carried out once that code has returned, so nothing
// is destroyed under a running handler.
#pragma once

#include <QWidget>
#include <memory>

#include "platform/forms.h"

namespace qtview {

class FormView;

class FormWindow : public QWidget {
  Q_OBJECT

 public:
  explicit FormWindow(std::unique_ptr<TCustomForm> form, QWidget* parent = nullptr);
  ~FormWindow() override;

  // Null once the window has closed and destroyed the form.
  TCustomForm* Form() const { return form_.get(); }
  FormView* View() const { return view_; }
  bool ClosePending() const { return closePending_; }

  // The first main window still open: dialogs centre on it.
  static FormWindow* Main();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  bool FormCodeRunning() const;
  void CloseIfPending();
  void DestroyForm();

  std::unique_ptr<TCustomForm> form_;
  FormView* view_;
  bool closePending_ = false;
};

}  // namespace qtview
