// Records of the line API in their 32-bit layouts. Variable-length records
// (those starting with dwTotalSize, dwNeededSize, dwUsedSize) carry their
// strings and arrays behind the fixed part, located by a size and an offset
// from the start of the record. The caller sets dwTotalSize; when it is too
// small for the variable parts, the service fills the fixed part, leaves out
// what does not fit and reports the size it needs in dwNeededSize.
#pragma once

#include "platform/windef.h"

using HLINEAPP = DWORD;
using HLINE = DWORD;
using HCALL = DWORD;

// One message of a registration's queue.
struct LINEMESSAGE {
  DWORD hDevice;  // call handle for call messages, line handle for line messages
  DWORD dwMessageID;
  DWORD dwCallbackInstance;
  DWORD dwParam1;
  DWORD dwParam2;
  DWORD dwParam3;
};
static_assert(sizeof(LINEMESSAGE) == 24);

// The handle member is reachable both as hEvent and as Handles.hEvent.
union LINEINITIALIZEEXPARAMS_HANDLES {
  HANDLE hEvent;
  HANDLE hCompletionPort;
};

struct LINEINITIALIZEEXPARAMS {
  DWORD dwTotalSize;
  DWORD dwNeededSize;
  DWORD dwUsedSize;
  DWORD dwOptions;
  union {
    HANDLE hEvent;
    HANDLE hCompletionPort;
    LINEINITIALIZEEXPARAMS_HANDLES Handles;
  };
  DWORD dwCompletionKey;
};
static_assert(sizeof(LINEINITIALIZEEXPARAMS) == 24);

struct LINEEXTENSIONID {
  DWORD dwExtensionID0;
  DWORD dwExtensionID1;
  DWORD dwExtensionID2;
  DWORD dwExtensionID3;
};

struct LINEDIALPARAMS {
  DWORD dwDialPause;
  DWORD dwDialSpeed;
  DWORD dwDigitDuration;
  DWORD dwWaitForDialtone;
};

// Calendar time as the API's records carry it (tStateEntryTime).
struct LINESYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

struct VARSTRING {
  DWORD dwTotalSize;
  DWORD dwNeededSize;
  DWORD dwUsedSize;
  DWORD dwStringFormat;
  DWORD dwStringSize;
  DWORD dwStringOffset;
};
static_assert(sizeof(VARSTRING) == 24);

// Fixed part as of API version 2.0.
struct LINEDEVCAPS {
  DWORD dwTotalSize;
  DWORD dwNeededSize;
  DWORD dwUsedSize;
  DWORD dwProviderInfoSize;
  DWORD dwProviderInfoOffset;
  DWORD dwSwitchInfoSize;
  DWORD dwSwitchInfoOffset;
  DWORD dwPermanentLineID;
  DWORD dwLineNameSize;
  DWORD dwLineNameOffset;
  DWORD dwStringFormat;
  DWORD dwAddressModes;
  DWORD dwNumAddresses;
  DWORD dwBearerModes;
  DWORD dwMaxRate;
  DWORD dwMediaModes;
  DWORD dwGenerateToneModes;
  DWORD dwGenerateToneMaxNumFreq;
  DWORD dwGenerateDigitModes;
  DWORD dwMonitorToneMaxNumFreq;
  DWORD dwMonitorToneMaxNumEntries;
  DWORD dwMonitorDigitModes;
  DWORD dwGatherDigitsMinTimeout;
  DWORD dwGatherDigitsMaxTimeout;
  DWORD dwMedCtlDigitMaxListSize;
  DWORD dwMedCtlMediaMaxListSize;
  DWORD dwMedCtlToneMaxListSize;
  DWORD dwMedCtlCallStateMaxListSize;
  DWORD dwDevCapFlags;
  DWORD dwMaxNumActiveCalls;
  DWORD dwAnswerMode;
  DWORD dwRingModes;
  DWORD dwLineStates;
  DWORD dwUUIAcceptSize;
  DWORD dwUUIAnswerSize;
  DWORD dwUUIMakeCallSize;
  DWORD dwUUIDropSize;
  DWORD dwUUISendUserUserInfoSize;
  DWORD dwUUICallInfoSize;
  LINEDIALPARAMS MinDialParams;
  LINEDIALPARAMS MaxDialParams;
  LINEDIALPARAMS DefaultDialParams;
  DWORD dwNumTerminals;
  DWORD dwTerminalCapsSize;
  DWORD dwTerminalCapsOffset;
  DWORD dwTerminalTextEntrySize;
  DWORD dwTerminalTextSize;
  DWORD dwTerminalTextOffset;
  DWORD dwDevSpecificSize;
  DWORD dwDevSpecificOffset;
  DWORD dwLineFeatures;
  DWORD dwSettableDevStatus;
  DWORD dwDeviceClassesSize;
  DWORD dwDeviceClassesOffset;
};
static_assert(sizeof(LINEDEVCAPS) == 252);

// Fixed part as of API version 2.0.
struct LINEADDRESSCAPS {
  DWORD dwTotalSize;
  DWORD dwNeededSize;
  DWORD dwUsedSize;
  DWORD dwLineDeviceID;
  DWORD dwAddressSize;
  DWORD dwAddressOffset;
  DWORD dwDevSpecificSize;
  DWORD dwDevSpecificOffset;
  DWORD dwAddressSharing;
  DWORD dwAddressStates;
  DWORD dwCallInfoStates;
  DWORD dwCallerIDFlags;
  DWORD dwCalledIDFlags;
  DWORD dwConnectedIDFlags;
  DWORD dwRedirectionIDFlags;
  DWORD dwRedirectingIDFlags;
  DWORD dwCallStates;
  DWORD dwDialToneModes;
  DWORD dwBusyModes;
  DWORD dwSpecialInfo;
  DWORD dwDisconnectModes;
  DWORD dwMaxNumActiveCalls;
  DWORD dwMaxNumOnHoldCalls;
  DWORD dwMaxNumOnHoldPendingCalls;
  DWORD dwMaxNumConference;
  DWORD dwMaxNumTransConf;
  DWORD dwAddrCapFlags;
  DWORD dwCallFeatures;
  DWORD dwRemoveFromConfCaps;
  DWORD dwRemoveFromConfState;
  DWORD dwTransferModes;
  DWORD dwParkModes;
  DWORD dwForwardModes;
  DWORD dwMaxForwardEntries;
  DWORD dwMaxSpecificEntries;
  DWORD dwMinFwdNumRings;
  DWORD dwMaxFwdNumRings;
  DWORD dwMaxCallCompletions;
  DWORD dwCallCompletionConds;
  DWORD dwCallCompletionModes;
  DWORD dwNumCompletionMessages;
  DWORD dwCompletionMsgTextEntrySize;
  DWORD dwCompletionMsgTextSize;
  DWORD dwCompletionMsgTextOffset;
  DWORD dwAddressFeatures;
  DWORD dwPredictiveAutoTransferStates;
  DWORD dwNumCallTreatments;
  DWORD dwCallTreatmentListSize;
  DWORD dwCallTreatmentListOffset;
  DWORD dwDeviceClassesSize;
  DWORD dwDeviceClassesOffset;
  DWORD dwMaxCallDataSize;
  DWORD dwCallFeatures2;
  DWORD dwMaxNoAnswerTimeout;
  DWORD dwConnectedModes;
  DWORD dwOfferingModes;
  DWORD dwAvailableMediaModes;
};
static_assert(sizeof(LINEADDRESSCAPS) == 228);

// Fixed part as of API version 2.0.
struct LINECALLINFO {
  DWORD dwTotalSize;
  DWORD dwNeededSize;
  DWORD dwUsedSize;
  HLINE hLine;
  DWORD dwLineDeviceID;
  DWORD dwAddressID;
  DWORD dwBearerMode;
  DWORD dwRate;
  DWORD dwMediaMode;
  DWORD dwAppSpecific;
  DWORD dwCallID;
  DWORD dwRelatedCallID;
  DWORD dwCallParamFlags;
  DWORD dwCallStates;
  DWORD dwMonitorDigitModes;
  DWORD dwMonitorMediaModes;
  LINEDIALPARAMS DialParams;
  DWORD dwOrigin;
  DWORD dwReason;
  DWORD dwCompletionID;
  DWORD dwNumOwners;
  DWORD dwNumMonitors;
  DWORD dwCountryCode;
  DWORD dwTrunk;
  DWORD dwCallerIDFlags;
  DWORD dwCallerIDSize;
  DWORD dwCallerIDOffset;
  DWORD dwCallerIDNameSize;
  DWORD dwCallerIDNameOffset;
  DWORD dwCalledIDFlags;
  DWORD dwCalledIDSize;
  DWORD dwCalledIDOffset;
  DWORD dwCalledIDNameSize;
  DWORD dwCalledIDNameOffset;
  DWORD dwConnectedIDFlags;
  DWORD dwConnectedIDSize;
  DWORD dwConnectedIDOffset;
  DWORD dwConnectedIDNameSize;
  DWORD dwConnectedIDNameOffset;
  DWORD dwRedirectionIDFlags;
  DWORD dwRedirectionIDSize;
  DWORD dwRedirectionIDOffset;
  DWORD dwRedirectionIDNameSize;
  DWORD dwRedirectionIDNameOffset;
  DWORD dwRedirectingIDFlags;
  DWORD dwRedirectingIDSize;
  DWORD dwRedirectingIDOffset;
  DWORD dwRedirectingIDNameSize;
  DWORD dwRedirectingIDNameOffset;
  DWORD dwAppNameSize;
  DWORD dwAppNameOffset;
  DWORD dwDisplayableAddressSize;
  DWORD dwDisplayableAddressOffset;
  DWORD dwCalledPartySize;
  DWORD dwCalledPartyOffset;
  DWORD dwCommentSize;
  DWORD dwCommentOffset;
  DWORD dwDisplaySize;
  DWORD dwDisplayOffset;
  DWORD dwUserUserInfoSize;
  DWORD dwUserUserInfoOffset;
  DWORD dwHighLevelCompSize;
  DWORD dwHighLevelCompOffset;
  DWORD dwLowLevelCompSize;
  DWORD dwLowLevelCompOffset;
  DWORD dwChargingInfoSize;
  DWORD dwChargingInfoOffset;
  DWORD dwTerminalModesSize;
  DWORD dwTerminalModesOffset;
  DWORD dwDevSpecificSize;
  DWORD dwDevSpecificOffset;
  DWORD dwCallTreatment;
  DWORD dwCallDataSize;
  DWORD dwCallDataOffset;
  DWORD dwSendingFlowspecSize;
  DWORD dwSendingFlowspecOffset;
  DWORD dwReceivingFlowspecSize;
  DWORD dwReceivingFlowspecOffset;
};
static_assert(sizeof(LINECALLINFO) == 324);

// Fixed part as of API version 2.0.
struct LINECALLSTATUS {
  DWORD dwTotalSize;
  DWORD dwNeededSize;
  DWORD dwUsedSize;
  DWORD dwCallState;
  DWORD dwCallStateMode;
  DWORD dwCallPrivilege;
  DWORD dwCallFeatures;
  DWORD dwDevSpecificSize;
  DWORD dwDevSpecificOffset;
  DWORD dwCallFeatures2;
  LINESYSTEMTIME tStateEntryTime;
};
static_assert(sizeof(LINECALLSTATUS) == 56);

// Fixed part as of API version 2.0.
struct LINECALLPARAMS {
  DWORD dwTotalSize;
  DWORD dwBearerMode;
  DWORD dwMinRate;
  DWORD dwMaxRate;
  DWORD dwMediaMode;
  DWORD dwCallParamFlags;
  DWORD dwAddressMode;
  DWORD dwAddressID;
  LINEDIALPARAMS DialParams;
  DWORD dwOrigAddressSize;
  DWORD dwOrigAddressOffset;
  DWORD dwDisplayableAddressSize;
  DWORD dwDisplayableAddressOffset;
  DWORD dwCalledPartySize;
  DWORD dwCalledPartyOffset;
  DWORD dwCommentSize;
  DWORD dwCommentOffset;
  DWORD dwUserUserInfoSize;
  DWORD dwUserUserInfoOffset;
  DWORD dwHighLevelCompSize;
  DWORD dwHighLevelCompOffset;
  DWORD dwLowLevelCompSize;
  DWORD dwLowLevelCompOffset;
  DWORD dwDevSpecificSize;
  DWORD dwDevSpecificOffset;
  DWORD dwPredictiveAutoTransferStates;
  DWORD dwTargetAddressSize;
  DWORD dwTargetAddressOffset;
  DWORD dwSendingFlowspecSize;
  DWORD dwSendingFlowspecOffset;
  DWORD dwReceivingFlowspecSize;
  DWORD dwReceivingFlowspecOffset;
  DWORD dwDeviceClassSize;
  DWORD dwDeviceClassOffset;
  DWORD dwDeviceConfigSize;
  DWORD dwDeviceConfigOffset;
  DWORD dwCallDataSize;
  DWORD dwCallDataOffset;
  DWORD dwNoAnswerTimeout;
  DWORD dwCallingPartyIDSize;
  DWORD dwCallingPartyIDOffset;
};
static_assert(sizeof(LINECALLPARAMS) == 176);

// Fixed part of a call parameter record of API versions before 2.0.
constexpr DWORD kLineCallParamsSize1_4 = 112;

// One frequency component of a custom tone (lineGenerateTone).
struct LINEGENERATETONE {
  DWORD dwFrequency;
  DWORD dwCadenceOn;
  DWORD dwCadenceOff;
  DWORD dwVolume;
};
