// The device selection dialog: one line per line device, entry i for
// device i; Ok (or a double-click) accepts the selected entry.
#pragma once

#include "platform/forms.h"

class TfrmTAPIDevList : public TForm {
 public:
  explicit TfrmTAPIDevList(TComponent* Owner);
  AnsiString ClassName() const override { return "TfrmTAPIDevList"; }

  TListBox* lbTAPIDevList;
  TBitBtn* bbtnOk;
  TBitBtn* bbtnCancel;

  void FormShow(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void lbTAPIDevListDblClick(TObject* Sender);
};

// Kept for the class library's habit of one global per form; every request
// creates its own dialog instead.
extern TfrmTAPIDevList* frmTAPIDevList;
