#include "component/mkFormTAPIDevList.h"

TfrmTAPIDevList* frmTAPIDevList = nullptr;

TfrmTAPIDevList::TfrmTAPIDevList(TComponent* Owner) : TForm(Owner) {
  Name = "frmTAPIDevList";
  Caption = "Select a TAPI Device to use";
  Dialog = true;
  ClientWidth = 257;
  ClientHeight = 187;

  lbTAPIDevList = new TListBox(this);
  lbTAPIDevList->Name = "lbTAPIDevList";
  lbTAPIDevList->SetBounds(0, 0, 257, 153);
  lbTAPIDevList->Align = TAlign::alTop;
  lbTAPIDevList->ItemHeight = 13;
  lbTAPIDevList->TabOrder = 0;
  lbTAPIDevList->OnDblClick = TNotifyEvent(this, &TfrmTAPIDevList::lbTAPIDevListDblClick);

  bbtnOk = new TBitBtn(this);
  bbtnOk->Name = "bbtnOk";
  bbtnOk->Caption = "Ok";
  bbtnOk->SetBounds(88, 160, 75, 25);
  bbtnOk->Default = true;
  bbtnOk->ModalResult = mrOk;
  bbtnOk->TabOrder = 1;

  bbtnCancel = new TBitBtn(this);
  bbtnCancel->Name = "bbtnCancel";
  bbtnCancel->Caption = "Cancel";
  bbtnCancel->SetBounds(176, 160, 75, 25);
  bbtnCancel->Cancel = true;
  bbtnCancel->ModalResult = mrCancel;
  bbtnCancel->TabOrder = 2;

  OnShow = TNotifyEvent(this, &TfrmTAPIDevList::FormShow);
  OnCloseQuery = TCloseQueryEvent(this, &TfrmTAPIDevList::FormCloseQuery);
}

// A view brings a shown form to the front by itself.
void TfrmTAPIDevList::FormShow(TObject*) {}

void TfrmTAPIDevList::FormCloseQuery(TObject*, bool& CanClose) {
  if (ModalResult == mrOk && lbTAPIDevList->ItemIndex < 0 && lbTAPIDevList->Items.Count() > 0) {
    CanClose = false;
    MessageBox(0, "You must select at least ONE TAPI Device!", "Notice", MB_OK | MB_TASKMODAL);
  }
}

void TfrmTAPIDevList::lbTAPIDevListDblClick(TObject*) { ModalResult = mrOk; }
