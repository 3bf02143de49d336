// Construction, closing, destruction, the message pump and the published
// shape of the component.
#include <cstdlib>

#include "component/mkTAPI.h"
#include "platform/kernel.h"
#include "platform/streaming.h"
#include "platform/ui.h"

namespace {

void ShowError(const AnsiString& text) { MessageBox(0, text.c_str(), "ERROR", MB_OK); }

}  // namespace

TmkTAPI::TmkTAPI(TComponent* Owner) : TComponent(Owner) {}

TmkTAPI::~TmkTAPI() {
  try {
    LogDebug("In [TmkTAPI::~TmkTAPI] before CloseDevice.");
    CloseDevice();
    LogDebug("In [TmkTAPI::~TmkTAPI] after CloseDevice.");
  } catch (const Exception& e) {
    ShowError("Internal error in [TmkTAPI::~TmkTAPI] msg: " + e.Message);
  } catch (...) {
    ShowError("UNKNOWN Internal error in [TmkTAPI::~TmkTAPI]");
  }
  FMsgThread2.reset();
  FMsgThread1.reset();
}

void TmkTAPI::StopMessageThread(TOwnedHolder<mkTAPIThread>& holder, HANDLE& stopEvent) {
  // A second close finds the stop event already gone and leaves it alone.
  if (!holder || stopEvent == 0) return;
  SetEvent(stopEvent);
  holder->Terminate();
  // The thread may still be inside its wait or its lineGetMessage; let it
  // end before its stop event and its registration go away.
  holder->WaitFor();
  CloseHandle(stopEvent);
  stopEvent = 0;
}

bool TmkTAPI::CloseDevice() {
  try {
    StopMessageThread(FMsgThread1, FStopEvent1);
    StopMessageThread(FMsgThread2, FStopEvent2);
    if (FLine1 != 0) lineClose(FLine1);
    if (FLine2 != 0) lineClose(FLine2);
    if (FLineApp1 != 0) lineShutdown(FLineApp1);
    if (FLineApp2 != 0) lineShutdown(FLineApp2);
    std::free(FLastCallInfo);
    std::free(FLineDevCaps);
    std::free(FLineAddressCaps);
    FLineApp1 = FLineApp2 = 0;
    FLine1 = FLine2 = 0;
    FTAPIDevicesDetected = 0;
    FOpenDeviceID = 0xFFFFFFFF;
    FLastCallInfo = nullptr;
    FLineDevCaps = nullptr;
    FLineAddressCaps = nullptr;
  } catch (const Exception& e) {
    ShowError("Internal error in [TmkTAPI::CloseDevice] msg: " + e.Message);
  } catch (...) {
    ShowError("UNKNOWN Internal error in [TmkTAPI::CloseDevice]");
  }
  return false;
}

bool TmkTAPI::CheckAllowedAutomatedVoice() {
  // Without a capability record nothing is known to be allowed.
  return FLineDevCaps != nullptr && (FLineDevCaps->dwMediaModes & LINEMEDIAMODE_AUTOMATEDVOICE) != 0;
}

bool TmkTAPI::ProcessMessage(MSG& msg) {
  if (!PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) return false;
  if (msg.message != WM_QUIT) {
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  return true;
}

void TmkTAPI::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TmkTAPI::Dispatch(void* message) { TComponent::Dispatch(message); }

std::vector<TPublishedProperty> TmkTAPI::PublishedProperties() {
  auto integer = [](const AnsiString& name, int& field, int storedDefault) {
    TPublishedProperty p;
    p.name = name;
    p.kind = TPublishedProperty::Kind::Integer;
    p.get = [&field] { return IntToStr(field); };
    p.set = [&field](const AnsiString& v) { field = StrToInt(v); };
    p.storedDefault = IntToStr(storedDefault);
    return p;
  };
  auto text = [](const AnsiString& name, AnsiString& field) {
    TPublishedProperty p;
    p.name = name;
    p.kind = TPublishedProperty::Kind::String;
    p.get = [&field] { return field; };
    p.set = [&field](const AnsiString& v) { field = v; };
    return p;
  };
  auto readOnly = [](const AnsiString& name, std::function<AnsiString()> get) {
    TPublishedProperty p;
    p.name = name;
    p.kind = TPublishedProperty::Kind::String;
    p.get = std::move(get);
    return p;
  };
  return {
      EventProperty(*this, "OnTapiError", OnTapiError),
      EventProperty(*this, "OnCallerIDEvent", OnCallerIDEvent),
      EventProperty(*this, "OnCalledPartyIDEvent", OnCalledPartyIDEvent),
      EventProperty(*this, "OnCallConnectedEvent", OnCallConnectedEvent),
      EventProperty(*this, "OnCallDisconnectedEvent", OnCallDisconnectedEvent),
      EventProperty(*this, "OnCallRingEvent", OnCallRingEvent),
      EventProperty(*this, "OnCallInfoEvent", OnCallInfoEvent),
      EventProperty(*this, "OnCallLineReplyEvent", OnCallLineReplyEvent),
      EventProperty(*this, "OnCallOfferingEvent", OnCallOfferingEvent),
      integer("Privileges", FPrivileges, 6),
      integer("MediaModes", FMediaModes, 4),
      readOnly("AutomatedVoiceAllowed", [this] { return AnsiString(CheckAllowedAutomatedVoice() ? "True" : "False"); }),
      readOnly("TAPIVersionString", [this] { return FTAPIVersionString; }),
      readOnly("OpenDeviceID", [this] { return IntToStr(FOpenDeviceID); }),
      readOnly("TAPIDevicesDetected", [this] { return IntToStr(FTAPIDevicesDetected); }),
      text("DebugLogFile", FDebugLogFile),
      text("AppTitle", FAppTitle),
  };
}

void Register() {
  RegisterComponents("Marnek Software", {{"TmkTAPI", [](TComponent* owner) { return new TmkTAPI(owner); }}});
}
