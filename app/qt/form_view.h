// A widget that renders any form from its controls: bitmap buttons, edits,
// labels, memos and list boxes become Qt widgets at the design geometry,
// with the design font (or the nearest one that lets every text fit).
// The form keeps the state and the handlers; the view only shows it and
// forwards what the operator does. Whoever hosts the view (a window, a
// modal dialog) decides what a button press means beyond the click.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "platform/forms.h"

class QListWidget;
class QPlainTextEdit;

namespace qtview {

class FormView : public QWidget {
  Q_OBJECT

 public:
  FormView(TCustomForm& form, QWidget* parent);
  ~FormView() override;

  TCustomForm& Form() const { return form_; }
  QWidget* WidgetOf(const TControl* control) const;
  // The form's cancel button (the one Escape presses), if it has one.
  TBitBtn* CancelButton() const;

  // Brings the widgets in line with the controls' state: edit texts,
  // captions, list selection. Cheap; called whenever form code has run.
  void PullFromForm();

  // Runs after a button's click or a list's double-click handler has
  // returned, while the view is still alive.
  std::function<void()> AfterHandler;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Item {
    TControl* control;
    QWidget* widget;
  };
  struct Watched {
    TStrings* strings;
    std::function<void()> previous;
  };

  void Build();
  QWidget* MakeWidget(TControl& control);
  void PressButton(TBitBtn& button);
  void DoubleClicked(TListBox& list);
  void SyncMemo(TMemo& memo, QPlainTextEdit& view);
  void SyncList(TListBox& list, QListWidget& view);
  void FitFonts();
  void Realign();
  void ApplyTabOrder();
  void Watch(TStrings& strings, std::function<void()> onChange);

  TCustomForm& form_;
  std::vector<Item> items_;
  std::vector<Watched> watched_;
  bool realigning_ = false;
};

// Whether a control's text fits the widget that shows it, with the
// widget's own font: a button's caption inside its frame and margins, an
// edit's line inside its frame, a label inside the form's client area and
// clear of every other control.
bool TextFits(const QWidget& widget);

}  // namespace qtview
