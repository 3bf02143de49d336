// The simulated provider the line service runs right now, for the control
// API and the control socket. Only one runs at a time.
#pragma once

#include <functional>
#include <string>

namespace telephony::sim {

class SimProvider;

void SetCurrent(SimProvider* provider);
// Clears it when it is still this provider; waits for callers using it.
void ClearCurrent(SimProvider* provider);
// Runs use with the current provider (null when none runs); the provider
// stays alive until use returns. use must not call into the line service.
void WithCurrent(const std::function<void(SimProvider*)>& use);

// platform::UserDataDir() + "/line.sock".
std::string ControlSocketPath();

}  // namespace telephony::sim
