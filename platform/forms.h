// Forms and controls as the class library has them, without any view: a
// form holds its controls' state and handlers; a face (the Qt window, the
// console, a test) renders and drives them. Geometry is in pixels at 96 DPI.
#pragma once

#include "platform/classes.h"
#include "platform/events.h"
#include "platform/ui.h"

using TObject = TComponent;
using TNotifyEvent = TMethod<void(TObject* Sender)>;
using TCloseQueryEvent = TMethod<void(TObject* Sender, bool& CanClose)>;

constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

enum class TAlign { alNone, alTop, alRight };

class TControl : public TComponent {
 public:
  using TComponent::TComponent;
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int TabOrder = -1;  // -1: not a tab stop
  TAlign Align = TAlign::alNone;
  AnsiString Caption;
  void SetBounds(int left, int top, int width, int height) {
    Left = left;
    Top = top;
    Width = width;
    Height = height;
  }
};

class TBitBtn : public TControl {
 public:
  using TControl::TControl;
  AnsiString ClassName() const override { return "TBitBtn"; }
  TNotifyEvent OnClick;
  int ModalResult = mrNone;
  bool Default = false;
  bool Cancel = false;
};

class TLabel : public TControl {
 public:
  using TControl::TControl;
  AnsiString ClassName() const override { return "TLabel"; }
  bool AutoSize = true;
};

class TEdit : public TControl {
 public:
  using TControl::TControl;
  AnsiString ClassName() const override { return "TEdit"; }
  AnsiString Text;
};

class TMemo : public TControl {
 public:
  using TControl::TControl;
  AnsiString ClassName() const override { return "TMemo"; }
  TStringList Lines;
  bool ReadOnly = false;
  bool WordWrap = true;
};

class TListBox : public TControl {
 public:
  using TControl::TControl;
  AnsiString ClassName() const override { return "TListBox"; }
  TStringList Items;
  int ItemIndex = -1;
  int ItemHeight = 13;
  TNotifyEvent OnDblClick;
};

class TCustomForm : public TComponent {
 public:
  explicit TCustomForm(TComponent* owner) : TComponent(owner) {}
  AnsiString ClassName() const override { return "TCustomForm"; }

  AnsiString Caption;
  int Left = 0, Top = 0;
  int Width = 0, Height = 0;              // outer size
  int ClientWidth = 0, ClientHeight = 0;  // inside the frame
  bool Dialog = false;                    // dialog border, centred on its owner
  int ModalResult = mrNone;
  TNotifyEvent OnShow;
  TCloseQueryEvent OnCloseQuery;

  void DoShow() { Raise(OnShow, this); }
  // Asks the form whether it may close.
  bool CloseQuery() {
    bool canClose = true;
    Raise(OnCloseQuery, this, canClose);
    return canClose;
  }
  // Shows the form modally through the interaction in force; returns the
  // modal result it closed with.
  int ShowModal() {
    ModalResult = mrNone;
    return platform::UI().ShowModal(*this);
  }

  // What a face calls when the operator presses a button: a modal button
  // sets the form's result; the click handler runs; an exception that
  // escapes it is shown in the default exception box and the program goes
  // on. While a click runs the form counts as busy, so a face postpones
  // closing it until the outermost click has returned.
  void ClickButton(TBitBtn& button);
  int BusyDepth() const { return busy_; }

  // The controls of the form, in creation order.
  std::vector<TControl*> Controls() const;

 private:
  int busy_ = 0;
};

using TForm = TCustomForm;

// The application's title, used as the caption of the default exception box.
extern AnsiString ApplicationTitle;
// The default exception box; any exception's message is shown.
void ShowException(const std::exception& e);
// What an application's message loop does with each message: translate and
// dispatch it; an exception that escapes is shown in the default exception
// box and the loop goes on.
void HandleMessage(const MSG& msg);
