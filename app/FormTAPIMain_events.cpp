// The handlers that turn the component's events into log lines.
#include "app/FormTAPIMain.h"
#include "platform/ui.h"

void TForm1::mkTAPITapiError(AnsiString asErrorDesc, int iErrorSection, int iFunctionID) {
  const AnsiString line = "Internal TAPI error in section [" + IntToStr(iErrorSection) + "] function [" +
                          IntToStr(iFunctionID) + "] msg: " + asErrorDesc;
  memoTAPI->Lines.Add(line);
  ShowMessage(line);
}

void TForm1::mkTAPICallerIDEvent(AnsiString asName, AnsiString asNumber, int iCallType, HCALL hCall) {
  hCurrentCall = hCall;
  memoTAPI->Lines.Add("TAPI Detected CallerID event: Name: " + asName + " Phone: " + asNumber +
                      " Call Type: " + IntToStr(iCallType));
}

void TForm1::mkTAPICallConnectedEvent(AnsiString, DWORD, DWORD, DWORD, AnsiString, AnsiString, HCALL hCall) {
  memoTAPI->Lines.Add("TAPI component called CallConnected Event.");
  hCurrentCall = hCall;
}

void TForm1::mkTAPICallDisconnectedEvent(HCALL hCall) {
  memoTAPI->Lines.Add("TAPI component called CallDisconnected Event.");
  hCurrentCall = hCall;
  // Ending a recording in progress comes with the recording itself.
}

void TForm1::mkTAPICallRingEvent(int iRingCount, HCALL&) {
  memoTAPI->Lines.Add("Detected RING event via TAPI, RINGS: " + IntToStr(iRingCount));
}

// Decoding every line message into a log line comes with the event log.
void TForm1::mkTAPICallInfoEvent(LINEMESSAGE*, LINECALLINFO*) {}
