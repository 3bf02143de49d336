#include "app/line_service_start.h"

#include "platform/ui.h"
#include "telephony/service/control.h"
#include "telephony/sim/control.h"

void StartLineService() {
  telephony::EnsureServiceStarted();
  const std::string error = telephony::sim::Control::ConfigError();
  if (!error.empty()) {
    const std::string text = "The device file could not be used; the built-in devices run instead.\n" + error;
    MessageBox(0, text.c_str(), "Telmora", MB_OK | MB_ICONWARNING);
  }
}
