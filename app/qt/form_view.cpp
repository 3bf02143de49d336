#include "app/qt/form_view.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QThread>
#include <algorithm>

#include "app/qt/qt_text.h"

namespace qtview {

namespace {

// "MS Sans Serif" 8 pt at 96 DPI is 11 pixels; the geometry is in pixels,
// so the font is too, whatever the screen's DPI. The fallbacks are faces
// of similar width, narrowest first among those commonly installed.
QFont DesignFont() {
  static const char* const families[] = {"MS Sans Serif", "Microsoft Sans Serif", "Tahoma",  "Arial",
                                         "Liberation Sans", "Arimo",               "Helvetica", "DejaVu Sans"};
  QFont font = QApplication::font();
  const QStringList available = QFontDatabase::families();
  for (const char* family : families) {
    if (available.contains(QString::fromLatin1(family), Qt::CaseInsensitive)) {
      font = QFont(QString::fromLatin1(family));
      break;
    }
  }
  font.setPixelSize(11);
  return font;
}

// Fonts to try, in order, until a control's text fits: the design font, its
// condensed face, then smaller condensed sizes. A wide fallback face would
// otherwise push captions out of the design's 97-pixel buttons.
std::vector<QFont> FontCandidates() {
  const QFont base = DesignFont();
  std::vector<QFont> out{base};
  QFont condensed = base;
  condensed.setStretch(QFont::Condensed);
  out.push_back(condensed);
  for (int px = 10; px >= 8; --px) {
    QFont smaller = condensed;
    smaller.setPixelSize(px);
    out.push_back(smaller);
  }
  return out;
}

bool OnGuiThread() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }

}  // namespace

bool TextFits(const QWidget& widget) {
  const QFontMetrics fm(widget.font());
  const QStyle* style = widget.style();
  const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &widget);
  if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
    const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &widget);
    return fm.horizontalAdvance(button->text()) + 2 * (margin + frame) <= button->width() &&
           fm.height() + 2 * frame <= button->height();
  }
  if (qobject_cast<const QLineEdit*>(&widget)) return fm.height() + 2 * frame <= widget.height();
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
    if (fm.horizontalAdvance(label->text()) > label->width() || fm.height() > label->height()) return false;
    const QWidget* parent = label->parentWidget();
    if (!parent) return true;
    if (!parent->rect().contains(label->geometry())) return false;
    for (const QObject* child : parent->children()) {
      const auto* sibling = qobject_cast<const QWidget*>(child);
      if (!sibling || sibling == label || sibling->isWindow()) continue;
      if (sibling->geometry().intersects(label->geometry())) return false;
    }
    return true;
  }
  return true;
}

FormView::FormView(TCustomForm& form, QWidget* parent) : QWidget(parent), form_(form) {
  setFont(DesignFont());
  setAttribute(Qt::WA_StyledBackground);
  Build();
}

FormView::~FormView() {
  // The form outlives its view: give its lists back their own observers.
  for (Watched& w : watched_) w.strings->OnChange = std::move(w.previous);
}

void FormView::Build() {
  for (TControl* control : form_.Controls()) {
    QWidget* widget = MakeWidget(*control);
    if (!widget) continue;
    widget->setObjectName(ToQString(control->Name));
    widget->setGeometry(control->Left, control->Top, control->Width, control->Height);
    items_.push_back({control, widget});
  }
  resize(form_.ClientWidth, form_.ClientHeight);
  Realign();
  FitFonts();
  ApplyTabOrder();
}

QWidget* FormView::MakeWidget(TControl& control) {
  if (auto* button = dynamic_cast<TBitBtn*>(&control)) {
    auto* w = new QPushButton(ToQString(button->Caption), this);
    // A default-button frame would eat into the design's narrow buttons;
    // only the form's own default button gets it.
    w->setAutoDefault(false);
    w->setDefault(button->Default);
    connect(w, &QPushButton::clicked, this, [this, button] { PressButton(*button); });
    return w;
  }
  if (auto* edit = dynamic_cast<TEdit*>(&control)) {
    auto* w = new QLineEdit(ToQString(edit->Text), this);
    connect(w, &QLineEdit::textEdited, this, [edit](const QString& text) { edit->Text = FromQString(text); });
    return w;
  }
  if (auto* label = dynamic_cast<TLabel*>(&control)) {
    auto* w = new QLabel(ToQString(label->Caption), this);
    w->setFocusPolicy(Qt::NoFocus);
    return w;
  }
  if (auto* memo = dynamic_cast<TMemo*>(&control)) {
    auto* w = new QPlainTextEdit(this);
    w->setReadOnly(memo->ReadOnly);
    w->setLineWrapMode(memo->WordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    // The design's memo has no scroll bars; the wheel and the keys still scroll.
    w->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    w->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SyncMemo(*memo, *w);
    Watch(memo->Lines, [this, memo, w] { SyncMemo(*memo, *w); });
    return w;
  }
  if (auto* list = dynamic_cast<TListBox*>(&control)) {
    auto* w = new QListWidget(this);
    w->setSelectionMode(QAbstractItemView::SingleSelection);
    w->setUniformItemSizes(true);
    SyncList(*list, *w);
    connect(w, &QListWidget::itemSelectionChanged, this, [list, w] {
      const QList<QListWidgetItem*> selected = w->selectedItems();
      list->ItemIndex = selected.isEmpty() ? -1 : w->row(selected.front());
    });
    // The class library raises a list's double-click anywhere inside it,
    // not only on an item.
    w->viewport()->installEventFilter(this);
    w->viewport()->setProperty("telmoraList", QVariant::fromValue(static_cast<void*>(list)));
    Watch(list->Items, [this, list, w] { SyncList(*list, *w); });
    return w;
  }
  return nullptr;
}

QWidget* FormView::WidgetOf(const TControl* control) const {
  for (const Item& item : items_)
    if (item.control == control) return item.widget;
  return nullptr;
}

TBitBtn* FormView::CancelButton() const {
  for (const Item& item : items_)
    if (auto* b = dynamic_cast<TBitBtn*>(item.control); b && b->Cancel) return b;
  return nullptr;
}

void FormView::Watch(TStrings& strings, std::function<void()> onChange) {
  std::function<void()> previous = strings.OnChange;
  watched_.push_back({&strings, previous});
  strings.OnChange = [this, previous, onChange = std::move(onChange)] {
    if (previous) previous();
    // Lists belong to the main thread; should a worker touch one anyway,
    // the widget still changes only on the GUI thread.
    if (OnGuiThread()) {
      onChange();
    } else {
      QMetaObject::invokeMethod(this, onChange, Qt::QueuedConnection);
    }
  };
}

void FormView::SyncMemo(TMemo& memo, QPlainTextEdit& view) {
  bool ok = false;
  int shown = view.property("telmoraShown").toInt(&ok);
  if (!ok) shown = 0;
  const int count = memo.Lines.Count();
  if (count < shown) {
    // Only a cleared or shortened list goes back to a full repaint; a log
    // that grows is appended to, so the operator's scroll position holds.
    view.setPlainText(ToQString(memo.Lines.Text()));
  } else {
    for (int i = shown; i < count; ++i) view.appendPlainText(ToQString(memo.Lines[i]));
  }
  view.setProperty("telmoraShown", count);
}

void FormView::SyncList(TListBox& list, QListWidget& view) {
  QStringList texts;
  for (int i = 0; i < list.Items.Count(); ++i) texts << ToQString(list.Items[i]);
  QStringList current;
  for (int i = 0; i < view.count(); ++i) current << view.item(i)->text();
  if (texts != current) {
    const QSignalBlocker block(view);
    view.clear();
    view.addItems(texts);
  }
  const QList<QListWidgetItem*> selected = view.selectedItems();
  const int shown = selected.isEmpty() ? -1 : view.row(selected.front());
  if (shown != list.ItemIndex) {
    if (list.ItemIndex >= 0 && list.ItemIndex < view.count()) {
      view.setCurrentRow(list.ItemIndex, QItemSelectionModel::ClearAndSelect);
    } else {
      view.clearSelection();
    }
  }
}

void FormView::PullFromForm() {
  QWidget* top = window();
  if (top && top->windowTitle() != ToQString(form_.Caption)) top->setWindowTitle(ToQString(form_.Caption));
  for (const Item& item : items_) {
    if (auto* button = qobject_cast<QPushButton*>(item.widget)) {
      const QString caption = ToQString(item.control->Caption);
      if (button->text() != caption) button->setText(caption);
    } else if (auto* edit = qobject_cast<QLineEdit*>(item.widget)) {
      const QString text = ToQString(static_cast<TEdit*>(item.control)->Text);
      if (edit->text() != text) edit->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(item.widget)) {
      const QString caption = ToQString(item.control->Caption);
      if (label->text() != caption) {
        label->setText(caption);
        label->adjustSize();
      }
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(item.widget)) {
      SyncMemo(*static_cast<TMemo*>(item.control), *memo);
    } else if (auto* list = qobject_cast<QListWidget*>(item.widget)) {
      SyncList(*static_cast<TListBox*>(item.control), *list);
    }
  }
}

void FormView::PressButton(TBitBtn& button) {
  QPointer<FormView> self(this);
  // The click shows the class library's exceptions itself; anything else
  // must not unwind through Qt's event loop either.
  try {
    form_.ClickButton(button);
  } catch (const std::exception& e) {
    ShowException(e);
  }
  if (!self) return;
  PullFromForm();
  if (AfterHandler) AfterHandler();
}

void FormView::DoubleClicked(TListBox& list) {
  QPointer<FormView> self(this);
  try {
    Raise(list.OnDblClick, &list);
  } catch (const std::exception& e) {
    ShowException(e);
  }
  if (!self) return;
  PullFromForm();
  if (AfterHandler) AfterHandler();
}

bool FormView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    if (auto* list = static_cast<TListBox*>(watched->property("telmoraList").value<void*>())) {
      // After Qt has finished with the click, so a handler that closes
      // the dialog does not pull the list away under its own event.
      QMetaObject::invokeMethod(this, [this, list] { DoubleClicked(*list); }, Qt::QueuedConnection);
    }
  }
  return QWidget::eventFilter(watched, event);
}

void FormView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Realign();
}

void FormView::Realign() {
  if (realigning_) return;
  realigning_ = true;
  form_.ClientWidth = width();
  form_.ClientHeight = height();
  for (const Item& item : items_) {
    TControl& c = *item.control;
    switch (c.Align) {
      case TAlign::alRight:
        c.SetBounds(width() - c.Width, 0, c.Width, height());
        break;
      case TAlign::alTop:
        c.SetBounds(0, 0, width(), c.Height);
        break;
      case TAlign::alNone:
        continue;
    }
    item.widget->setGeometry(c.Left, c.Top, c.Width, c.Height);
  }
  realigning_ = false;
}

void FormView::FitFonts() {
  const std::vector<QFont> candidates = FontCandidates();
  // Labels size themselves and must then stay clear of the other controls,
  // so they come last.
  for (int pass = 0; pass < 2; ++pass) {
    for (const Item& item : items_) {
      auto* label = qobject_cast<QLabel*>(item.widget);
      if ((pass == 0) == (label != nullptr)) continue;
      for (const QFont& font : candidates) {
        item.widget->setFont(font);
        if (label && static_cast<TLabel*>(item.control)->AutoSize) {
          label->adjustSize();
          item.control->Width = label->width();
          item.control->Height = label->height();
        }
        if (TextFits(*item.widget)) break;
      }
    }
  }
}

void FormView::ApplyTabOrder() {
  std::vector<Item> stops;
  for (const Item& item : items_) {
    if (item.widget->focusPolicy() == Qt::NoFocus) continue;
    if (item.control->TabOrder < 0) {
      item.widget->setFocusPolicy(Qt::ClickFocus);
      continue;
    }
    stops.push_back(item);
  }
  std::stable_sort(stops.begin(), stops.end(),
                   [](const Item& a, const Item& b) { return a.control->TabOrder < b.control->TabOrder; });
  for (std::size_t i = 1; i < stops.size(); ++i) QWidget::setTabOrder(stops[i - 1].widget, stops[i].widget);
}

}  // namespace qtview
