// Starting, replacing and inspecting the line service (for the bench's
// control faces and for tests). The line API itself is telephony/tapi.h.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "telephony/service/provider.h"

namespace telephony {

// The provider started on first use when none was installed: the simulated
// line devices of the device file, or the embedded default.
std::unique_ptr<LineProvider> CreateDefaultProvider();

// Starts the service now if it does not run yet (first use does the same).
void EnsureServiceStarted();

// Ends every registration (their events are closed, so waiting threads
// wake), forgets every line, call and pending request, and stops the
// provider. The next use starts the default provider again.
void ResetService();

// Resets the service and runs it with this provider from now on (until the
// next reset).
void InstallProvider(std::unique_ptr<LineProvider> provider);

// Puts a message straight into a registration's queue, as if the service
// had sent it. LINEERR_INVALAPPHANDLE for an unknown registration.
LONG InjectMessage(HLINEAPP app, const LINEMESSAGE& message);
// Sends a message to every line open on a device: hDevice is each line's
// handle and dwCallbackInstance its callback instance. Returns how many
// lines received it.
int InjectLineMessage(DWORD device, DWORD messageId, DWORD param1, DWORD param2, DWORD param3);

struct LineSnapshot {
  HLINEAPP app = 0;
  HLINE line = 0;
  DWORD device = 0;
  DWORD version = 0;
  DWORD privileges = 0;
  DWORD mediaModes = 0;
};

struct CallSnapshot {
  DWORD device = 0;
  DWORD callId = 0;
  DWORD state = 0;
  DWORD mode = 0;
  bool outgoing = false;
  CallDetails details;
  std::vector<HCALL> handles;
};

struct ServiceSnapshot {
  bool running = false;
  DWORD version = 0;
  std::vector<std::string> devices;
  std::vector<HLINEAPP> registrations;
  std::vector<LineSnapshot> lines;
  std::vector<CallSnapshot> calls;
  std::size_t queuedMessages = 0;
};
ServiceSnapshot Snapshot();

}  // namespace telephony
