// The line component: one instance stands for one telephony line device at a
// time. It holds the registrations with the telephony service, the open
// lines, the device's capability records, the threads that serve the line,
// its settings and the nine events through which it reports to its owner.
// Every operation and every event runs on the main thread.
#pragma once

#include "platform/classes.h"
#include "platform/events.h"
#include "platform/messages.h"
#include "platform/sysutils.h"
#include "telephony/tapi.h"

#include "component/mkTAPIThread.h"

using TTapiErrorEvent = TMethod<void(AnsiString asErrorDesc, int iErrorSection, int iFunctionID)>;
using TCallerIDEvent = TMethod<void(AnsiString asName, AnsiString asNumber, int iCallType, HCALL hCall)>;
using TCalledPartyIDEvent = TMethod<void(AnsiString asName, AnsiString asNumber, int iCallType)>;
using TCallConnectedEvent = TMethod<void(AnsiString asAppName, DWORD dwBearerMode, DWORD dwMediaMode, DWORD dwRate,
                                         AnsiString asCalledPartyName, AnsiString asComments, HCALL hCall)>;
using TCallDisconnectedEvent = TMethod<void(HCALL hCall)>;
using TCallRingEvent = TMethod<void(int iRingCount, HCALL& hCall)>;
using TCallInfoEvent = TMethod<void(LINEMESSAGE* cbData, LINECALLINFO* pLineCallInfo)>;
using TCallLineReplyEvent = TMethod<void(int iRequestID, int iStatus)>;
using TCallOfferingEvent = TMethod<void(HCALL hCall, int iOfferingMode, int iCallPrivaledge)>;

// Text of a telephony result code: the LINEERR_ name, or a fallback with the
// code in hexadecimal. Writes into pErrorText (at least 56 bytes) and returns
// it; given no buffer, writes nothing and returns nullptr. Keeps no state.
char* LineErrorToText(long lErrorCode, char* pErrorText);

// Entry n names code 0x80000000 + n.
extern const char* const LineErrorNames[87];

// The design environment's registration of the component class.
void Register();

class TmkTAPI : public TComponent {
 public:
  explicit TmkTAPI(TComponent* Owner);
  ~TmkTAPI() override;

  AnsiString ClassName() const override { return "TmkTAPI"; }
  void Dispatch(void* message) override;
  std::vector<TPublishedProperty> PublishedProperties() override;

  // Lifecycle.
  bool CloseDevice();
  bool CheckAllowedAutomatedVoice();

  // Diagnostics.
  void LogDebug(AnsiString asMessage);
  void TapiCheck(int iResult);
  AnsiString GetTapiError(long& lErrorCode);
  // What the last TapiCheck formed (also written to the debug trace).
  const AnsiString& LastTapiCheckText() const { return FLastTapiCheck; }

  // Device discovery, selection and capabilities.
  int GetTAPIDevice(unsigned int uiDeviceCount);
  int FillTAPILine(TStrings* pLines, int iDeviceCount);
  AnsiString GetLineName(LINEDEVCAPS* caps);
  LINEDEVCAPS* GetDeviceCapabilities(unsigned long& dwDeviceID, bool bPromptForDevice);
  LINEADDRESSCAPS* GetAddressCapabilities(unsigned long& dwDeviceID, bool bPromptForDevice);
  LINEDEVCAPS* Get_The_LineDevCaps(unsigned long& hLineApp, unsigned long& dwAPIVersion, int& iDeviceID);
  LINEADDRESSCAPS* Get_The_LineAddressCaps(unsigned long& hLineApp, unsigned long& dwAPIVersion, int& iDeviceID);
  DWORD I_lineNegotiateAPIVersion(unsigned long dwDeviceID);
  DWORD I_lineNegotiateLegacyAPIVersion(unsigned long dwDeviceID);

  // The main thread's message pump.
  bool ProcessMessage(MSG& msg);
  void ProcessMessages();

  // Published properties.
  int Privileges() const { return FPrivileges; }
  void SetPrivileges(int value) { FPrivileges = value; }
  int MediaModes() const { return FMediaModes; }
  void SetMediaModes(int value) { FMediaModes = value; }
  bool AutomatedVoiceAllowed() { return CheckAllowedAutomatedVoice(); }
  AnsiString TAPIVersionString() const { return FTAPIVersionString; }
  unsigned long OpenDeviceID() const { return FOpenDeviceID; }
  unsigned long TAPIDevicesDetected() const { return FTAPIDevicesDetected; }
  AnsiString DebugLogFile() const { return FDebugLogFile; }
  void SetDebugLogFile(const AnsiString& value) { FDebugLogFile = value; }
  AnsiString AppTitle() const { return FAppTitle; }
  void SetAppTitle(const AnsiString& value) { FAppTitle = value; }

  TTapiErrorEvent OnTapiError;
  TCallerIDEvent OnCallerIDEvent;
  TCalledPartyIDEvent OnCalledPartyIDEvent;
  TCallConnectedEvent OnCallConnectedEvent;
  TCallDisconnectedEvent OnCallDisconnectedEvent;
  TCallRingEvent OnCallRingEvent;
  TCallInfoEvent OnCallInfoEvent;
  TCallLineReplyEvent OnCallLineReplyEvent;
  TCallOfferingEvent OnCallOfferingEvent;

  // Read by tests and by the owner's view of the component's state.
  HLINEAPP LineApp1() const { return FLineApp1; }
  HLINEAPP LineApp2() const { return FLineApp2; }
  HLINE Line1() const { return FLine1; }
  HLINE Line2() const { return FLine2; }
  LINEDEVCAPS* LineDevCaps() const { return FLineDevCaps; }
  LINEADDRESSCAPS* LineAddressCaps() const { return FLineAddressCaps; }
  LINECALLINFO* LastCallInfo() const { return FLastCallInfo; }

 protected:
  // The pause between two attempts to open the debug trace; a seam for tests.
  virtual void LogRetryPause(int iAttempt);

  // The component's state, open to descendants as the class library's
  // components keep theirs.
  AnsiString FDebugLogFile;
  LINEDEVCAPS* FLineDevCaps = nullptr;
  LINEADDRESSCAPS* FLineAddressCaps = nullptr;
  HLINEAPP FLineApp1 = 0;
  HLINEAPP FLineApp2 = 0;
  HLINE FLine1 = 0;
  HLINE FLine2 = 0;
  DWORD FTAPIDevicesDetected = 0;
  DWORD FAPIVersion = 0x00020000;
  AnsiString FAppTitle;
  DWORD FOpenDeviceID = 0xFFFFFFFF;
  AnsiString FTAPIVersionString;
  LINEEXTENSIONID FExtensionID1{};
  LINEEXTENSIONID FExtensionID2{};
  int FPrivileges = 6;
  int FMediaModes = 4;
  LINECALLINFO* FLastCallInfo = nullptr;
  TOwnedHolder<mkTAPIThread> FMsgThread1;
  TOwnedHolder<mkTAPIThread> FMsgThread2;
  HANDLE FStopEvent1 = 0;
  HANDLE FStopEvent2 = 0;

 private:
  void StopMessageThread(TOwnedHolder<mkTAPIThread>& holder, HANDLE& stopEvent);

  AnsiString FLastTapiCheck;
};
