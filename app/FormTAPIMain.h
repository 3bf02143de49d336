// The test application's window: its controls, the line component it hosts,
// the three operator settings and the handlers behind buttons and component
// events. No toolkit here: the Qt view and the console face render and
// drive this class, and tests drive it directly.
#pragma once

#include "component/mkTAPI.h"
#include "platform/forms.h"

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* Owner);
  ~TForm1() override;
  AnsiString ClassName() const override { return "TForm1"; }

  // Published fields, in declaration order.
  TmkTAPI* mkTAPI;
  TBitBtn* bbtnOpenTAPI;
  TBitBtn* bbtnPlaySoundTAPI;
  TBitBtn* bbtnAnswerTAPI;
  TBitBtn* bbtnHangupTAPI;
  TBitBtn* bbtnRecordTAPI;
  TMemo* memoTAPI;
  TEdit* edtTestWav;
  TLabel* lblSoundFile;
  TBitBtn* bbtnCall;
  TBitBtn* bbtnStopRecordTAPI;
  TEdit* edtMaxRecordTime;
  TLabel* Label1;

  // Published handlers, in declaration order.
  void bbtnOpenTAPIClick(TObject* Sender);
  void mkTAPITapiError(AnsiString asErrorDesc, int iErrorSection, int iFunctionID);
  void mkTAPICallInfoEvent(LINEMESSAGE* cbData, LINECALLINFO* pLineCallInfo);
  void mkTAPICallerIDEvent(AnsiString asName, AnsiString asNumber, int iCallType, HCALL hCall);
  void bbtnPlaySoundTAPIClick(TObject* Sender);
  void bbtnAnswerTAPIClick(TObject* Sender);
  void bbtnHangupTAPIClick(TObject* Sender);
  void bbtnRecordTAPIClick(TObject* Sender);
  void bbtnCallClick(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void mkTAPICallConnectedEvent(AnsiString asAppName, DWORD dwBearerMode, DWORD dwMediaMode, DWORD dwRate,
                                AnsiString asCalledPartyName, AnsiString asComments, HCALL hCall);
  void mkTAPICallDisconnectedEvent(HCALL hCall);
  void bbtnStopRecordTAPIClick(TObject* Sender);
  void mkTAPICallRingEvent(int iRingCount, HCALL& hCall);

  HCALL CurrentCall() const { return hCurrentCall; }
  const AnsiString& CallPhoneNumber() const { return asCallPhoneNumber; }

  // The design-time description of the hosted component.
  static const char* const mkTAPIDescription;

 private:
  void PublishHandlers();

  HCALL hCurrentCall = 0;
  AnsiString asCallPhoneNumber;
};

// The application's main window while it exists.
extern TForm1* Form1;

// The registry key of the operator settings, below HKEY_CURRENT_USER.
extern const char* const TelmoraSettingsKey;
