// The provider the line service starts with when nobody installed one: the
// simulated lines of the device file, or the embedded default when the file
// is missing or unusable (the reason is kept for the bench to show).
#include "telephony/service/control.h"
#include "telephony/sim/config.h"
#include "telephony/sim/sim_provider.h"

namespace telephony {

std::unique_ptr<LineProvider> CreateDefaultProvider() {
  sim::LoadResult loaded = sim::LoadConfigFile(sim::DeviceFilePath());
  return std::make_unique<sim::SimProvider>(std::move(loaded.config), std::move(loaded.error));
}

}  // namespace telephony
