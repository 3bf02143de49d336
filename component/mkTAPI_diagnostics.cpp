// The debug trace and the names of telephony result codes.
#include <cstdio>

#include "component/mkTAPI.h"
#include "platform/kernel.h"
#include "platform/ui.h"

const char* const LineErrorNames[87] = {
    "",
    "LINEERR_ALLOCATED",
    "LINEERR_BADDEVICEID",
    "LINEERR_BEARERMODEUNAVAIL",
    "LINEERR Unused constant, ERROR!!",
    "LINEERR_CALLUNAVAIL",
    "LINEERR_COMPLETIONOVERRUN",
    "LINEERR_CONFERENCEFULL",
    "LINEERR_DIALBILLING",
    "LINEERR_DIALDIALTONE",
    "LINEERR_DIALPROMPT",
    "LINEERR_DIALQUIET",
    "LINEERR_INCOMPATIBLEAPIVERSION",
    "LINEERR_INCOMPATIBLEEXTVERSION",
    "LINEERR_INIFILECORRUPT",
    "LINEERR_INUSE",
    "LINEERR_INVALADDRESS",
    "LINEERR_INVALADDRESSID",
    "LINEERR_INVALADDRESSMODE",
    "LINEERR_INVALADDRESSSTATE",
    "LINEERR_INVALAPPHANDLE",
    "LINEERR_INVALAPPNAME",
    "LINEERR_INVALBEARERMODE",
    "LINEERR_INVALCALLCOMPLMODE",
    "LINEERR_INVALCALLHANDLE",
    "LINEERR_INVALCALLPARAMS",
    "LINEERR_INVALCALLPRIVILEGE",
    "LINEERR_INVALCALLSELECT",
    "LINEERR_INVALCALLSTATE",
    "LINEERR_INVALCALLSTATELIST",
    "LINEERR_INVALCARD",
    "LINEERR_INVALCOMPLETIONID",
    "LINEERR_INVALCONFCALLHANDLE",
    "LINEERR_INVALCONSULTCALLHANDLE",
    "LINEERR_INVALCOUNTRYCODE",
    "LINEERR_INVALDEVICECLASS",
    "LINEERR_INVALDEVICEHANDLE",
    "LINEERR_INVALDIALPARAMS",
    "LINEERR_INVALDIGITLIST",
    "LINEERR_INVALDIGITMODE",
    "LINEERR_INVALDIGITS",
    "LINEERR_INVALEXTVERSION",
    "LINEERR_INVALGROUPID",
    "LINEERR_INVALLINEHANDLE",
    "LINEERR_INVALLINESTATE",
    "LINEERR_INVALLOCATION",
    "LINEERR_INVALMEDIALIST",
    "LINEERR_INVALMEDIAMODE",
    "LINEERR_INVALMESSAGEID",
    "LINEERR Unused constant, ERROR!!",
    "LINEERR_INVALPARAM",
    "LINEERR_INVALPARKID",
    "LINEERR_INVALPARKMODE",
    "LINEERR_INVALPOINTER",
    "LINEERR_INVALPRIVSELECT",
    "LINEERR_INVALRATE",
    "LINEERR_INVALREQUESTMODE",
    "LINEERR_INVALTERMINALID",
    "LINEERR_INVALTERMINALMODE",
    "LINEERR_INVALTIMEOUT",
    "LINEERR_INVALTONE",
    "LINEERR_INVALTONELIST",
    "LINEERR_INVALTONEMODE",
    "LINEERR_INVALTRANSFERMODE",
    "LINEERR_LINEMAPPERFAILED",
    "LINEERR_NOCONFERENCE",
    "LINEERR_NODEVICE",
    "LINEERR_NODRIVER",
    "LINEERR_NOMEM",
    "LINEERR_NOREQUEST",
    "LINEERR_NOTOWNER",
    "LINEERR_NOTREGISTERED",
    "LINEERR_OPERATIONFAILED",
    "LINEERR_OPERATIONUNAVAIL",
    "LINEERR_RATEUNAVAIL",
    "LINEERR_RESOURCEUNAVAIL",
    "LINEERR_REQUESTOVERRUN",
    "LINEERR_STRUCTURETOOSMALL",
    "LINEERR_TARGETNOTFOUND",
    "LINEERR_TARGETSELF",
    "LINEERR_UNINITIALIZED",
    "LINEERR_USERUSERINFOTOOBIG",
    "LINEERR_REINIT",
    "LINEERR_ADDRESSBLOCKED",
    "LINEERR_BILLINGREJECTED",
    "LINEERR_INVALFEATURE",
    "LINEERR_NOMULTIPLEINSTANCE",
};

char* LineErrorToText(long lErrorCode, char* pErrorText) {
  if (!pErrorText) return nullptr;
  // The code is a 32-bit result, whatever the width of long here.
  const unsigned long code = static_cast<unsigned long>(lErrorCode) & 0xFFFFFFFFul;
  // The longest text with its terminator is 56 bytes; callers guarantee that much.
  constexpr std::size_t kRoom = 56;
  if ((code & 0x90000000ul) == 0x90000000ul) {
    std::snprintf(pErrorText, kRoom, "PHONEERR_ error codes not translated.  Code: 0x%lx", code);
  } else if (code & 0x80000000ul) {
    const unsigned long index = code & 0x0FFFFFFFul;
    if (index <= 86) {
      std::snprintf(pErrorText, kRoom, "%s", LineErrorNames[index]);
    } else {
      std::snprintf(pErrorText, kRoom, "Unknown LINEERR_ code: 0x%lx", code);
    }
  } else {
    std::snprintf(pErrorText, kRoom, "Unknown error code: 0x%lx", code);
  }
  return pErrorText;
}

AnsiString TmkTAPI::GetTapiError(long& lErrorCode) {
  char buffer[4096] = {};
  return AnsiString(LineErrorToText(lErrorCode, buffer));
}

void TmkTAPI::TapiCheck(int iResult) {
  const unsigned code = static_cast<unsigned>(iResult);
  AnsiString text;
  if (iResult < 0) {
    const bool named = code >= 0x80000001u && code <= 0x80000056u && code != 0x80000004u && code != 0x80000031u;
    text = named ? AnsiString("TAPI Line: ") + LineErrorNames[code & 0xFFu] : "Unknown Error - " + IntToStr(iResult);
  }
  FLastTapiCheck = text;
  // The text would otherwise go nowhere; the trace is where a tester looks.
  if (!text.empty()) LogDebug(text);
}

void TmkTAPI::LogRetryPause(int) { Sleep(50); }

void TmkTAPI::LogDebug(AnsiString asMessage) {
  if (FDebugLogFile.empty()) return;
  try {
    for (int attempt = 1; attempt <= 5; ++attempt) {
      std::FILE* file = std::fopen(FDebugLogFile.c_str(), FileExists(FDebugLogFile) ? "a" : "w");
      if (file) {
        const AnsiString line = asMessage + " - " + FormatDateTime("yyyy/mm/dd hh:nn:ss", Now()) + "\r\n";
        std::fwrite(line.data(), 1, line.size(), file);
        std::fflush(file);
        std::fclose(file);
        return;
      }
      LogRetryPause(attempt);
    }
    throw Exception("Max log attempts exceeded for msg: " + asMessage);
  } catch (const Exception& e) {
    MessageBox(0, ("Probem Detected in [TmkTAPI::LogDebug], msg: " + e.Message).c_str(), "ERROR", MB_OK);
  }
}
