#include "app/FormTAPIMain.h"

#include "app/registry_access.h"
#include "platform/streaming.h"

TForm1* Form1 = nullptr;

const char* const TelmoraSettingsKey = "SOFTWARE\\MARNEK\\Telmora";

const char* const TForm1::mkTAPIDescription =
    "object mkTAPI: TmkTAPI\n"
    "  OnTapiError = mkTAPITapiError\n"
    "  OnCallerIDEvent = mkTAPICallerIDEvent\n"
    "  OnCallConnectedEvent = mkTAPICallConnectedEvent\n"
    "  OnCallDisconnectedEvent = mkTAPICallDisconnectedEvent\n"
    "  OnCallRingEvent = mkTAPICallRingEvent\n"
    "  OnCallInfoEvent = mkTAPICallInfoEvent\n"
    "  Privileges = 0\n"
    "  MediaModes = 0\n"
    "end\n";

namespace {

template <class Control>
Control* Make(TForm1* form, const char* name, int top, int width, int height, const char* caption, int tabOrder) {
  auto* c = new Control(form);
  c->Name = name;
  c->SetBounds(8, top, width, height);
  c->Caption = caption;
  c->TabOrder = tabOrder;
  return c;
}

}  // namespace

TForm1::TForm1(TComponent* Owner) : TForm(Owner) {
  Name = "Form1";
  Caption = "Telmora Application";
  Left = 304;
  Top = 195;
  Width = 555;
  Height = 376;
  ClientWidth = 547;
  ClientHeight = 349;

  PublishHandlers();
  mkTAPI = new TmkTAPI(this);
  mkTAPI->Name = "mkTAPI";
  ReadComponentText(*mkTAPI, mkTAPIDescription, *this);

  // Creation order is tab order's tie-breaker only; the numbers are the design's.
  bbtnOpenTAPI = Make<TBitBtn>(this, "bbtnOpenTAPI", 8, 99, 25, "Open Tapi Device", 0);
  bbtnCall = Make<TBitBtn>(this, "bbtnCall", 48, 97, 25, "Make A Call", 7);
  bbtnAnswerTAPI = Make<TBitBtn>(this, "bbtnAnswerTAPI", 88, 97, 25, "Answer Call", 2);
  bbtnHangupTAPI = Make<TBitBtn>(this, "bbtnHangupTAPI", 128, 97, 25, "Hangup Call", 3);
  lblSoundFile = Make<TLabel>(this, "lblSoundFile", 160, 0, 0, "WAV File:", -1);
  edtTestWav = Make<TEdit>(this, "edtTestWav", 176, 97, 21, "", 6);
  bbtnPlaySoundTAPI = Make<TBitBtn>(this, "bbtnPlaySoundTAPI", 208, 97, 25, "Play a Sound", 1);
  Label1 = Make<TLabel>(this, "Label1", 240, 0, 0, "Max recording secs:", -1);
  edtMaxRecordTime = Make<TEdit>(this, "edtMaxRecordTime", 256, 97, 21, "", 9);
  edtMaxRecordTime->Text = "300";
  bbtnRecordTAPI = Make<TBitBtn>(this, "bbtnRecordTAPI", 288, 97, 25, "Record a Msg", 4);
  bbtnStopRecordTAPI = Make<TBitBtn>(this, "bbtnStopRecordTAPI", 320, 97, 25, "Stop Recording", 8);
  memoTAPI = new TMemo(this);
  memoTAPI->Name = "memoTAPI";
  memoTAPI->Align = TAlign::alRight;
  memoTAPI->SetBounds(ClientWidth - 435, 0, 435, ClientHeight);
  memoTAPI->TabOrder = 5;

  bbtnOpenTAPI->OnClick = TNotifyEvent(this, &TForm1::bbtnOpenTAPIClick);
  bbtnPlaySoundTAPI->OnClick = TNotifyEvent(this, &TForm1::bbtnPlaySoundTAPIClick);
  bbtnAnswerTAPI->OnClick = TNotifyEvent(this, &TForm1::bbtnAnswerTAPIClick);
  bbtnHangupTAPI->OnClick = TNotifyEvent(this, &TForm1::bbtnHangupTAPIClick);
  bbtnRecordTAPI->OnClick = TNotifyEvent(this, &TForm1::bbtnRecordTAPIClick);
  bbtnCall->OnClick = TNotifyEvent(this, &TForm1::bbtnCallClick);
  bbtnStopRecordTAPI->OnClick = TNotifyEvent(this, &TForm1::bbtnStopRecordTAPIClick);
  OnCloseQuery = TCloseQueryEvent(this, &TForm1::FormCloseQuery);

  // The operator settings.
  edtTestWav->Text = "";
  Variant v = ReadFromRegistry("", HKEY_CURRENT_USER, TelmoraSettingsKey, "WavFile", varString);
  if (!v.IsNull()) edtTestWav->Text = v.ToString();
  asCallPhoneNumber = "";
  v = ReadFromRegistry("", HKEY_CURRENT_USER, TelmoraSettingsKey, "CallPhoneNumber", varString);
  if (!v.IsNull()) asCallPhoneNumber = v.ToString();
  edtMaxRecordTime->Text = "300";
  v = ReadFromRegistry("", HKEY_CURRENT_USER, TelmoraSettingsKey, "MaxRecordSecs", varInteger);
  if (!v.IsNull()) edtMaxRecordTime->Text = IntToStr(v.ToInt());
}

TForm1::~TForm1() {
  // Closing the line may still hand over a message whose events this window
  // logs, so the component goes while the window is whole.
  delete mkTAPI;
  mkTAPI = nullptr;
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::PublishHandlers() {
  PublishMethod("mkTAPITapiError", TTapiErrorEvent(this, &TForm1::mkTAPITapiError));
  PublishMethod("mkTAPICallInfoEvent", TCallInfoEvent(this, &TForm1::mkTAPICallInfoEvent));
  PublishMethod("mkTAPICallerIDEvent", TCallerIDEvent(this, &TForm1::mkTAPICallerIDEvent));
  PublishMethod("mkTAPICallConnectedEvent", TCallConnectedEvent(this, &TForm1::mkTAPICallConnectedEvent));
  PublishMethod("mkTAPICallDisconnectedEvent", TCallDisconnectedEvent(this, &TForm1::mkTAPICallDisconnectedEvent));
  PublishMethod("mkTAPICallRingEvent", TCallRingEvent(this, &TForm1::mkTAPICallRingEvent));
}

void TForm1::FormCloseQuery(TObject*, bool&) {
  WriteToRegistry("", HKEY_CURRENT_USER, TelmoraSettingsKey, "WavFile", Variant(edtTestWav->Text));
  WriteToRegistry("", HKEY_CURRENT_USER, TelmoraSettingsKey, "CallPhoneNumber", Variant(asCallPhoneNumber));
  WriteToRegistry("", HKEY_CURRENT_USER, TelmoraSettingsKey, "MaxRecordSecs",
                  Variant(StrToIntDef(edtMaxRecordTime->Text, 300)));
}
