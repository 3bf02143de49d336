// The control commands of the simulated lines, as telmora-line sends them
// over the control socket: "ring", "hangup", "status".
#pragma once

#include <string>
#include <vector>

namespace telephony::sim {

struct CommandResult {
  bool ok = false;
  std::string text;  // what to show the person
};

// args[0] is the command, the rest its options.
CommandResult RunCommand(const std::vector<std::string>& args);
const char* CommandUsage();

}  // namespace telephony::sim
