// telmora-line: drives the simulated lines of a running bench through its
// control socket (platform::UserDataDir() + "/line.sock").
//
//   telmora-line ring --device 0 --name "Ann" --number 5551234
//   telmora-line hangup --device 0
//   telmora-line status
//   telmora-line defaults > ~/.config/telmora/devices.toml
#include <cstdio>
#include <string>
#include <vector>

#include "telephony/sim/commands.h"
#include "telephony/sim/config.h"
#include "telephony/sim/control_socket.h"
#include "telephony/sim/current.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "help" || args[0] == "--help" || args[0] == "-h") {
    std::fputs(telephony::sim::CommandUsage(), args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  if (args[0] == "defaults") {
    std::fputs(telephony::sim::DefaultConfigText(), stdout);
    return 0;
  }
  bool ok = false;
  std::string text;
  std::string error;
  if (!telephony::sim::SendCommand(telephony::sim::ControlSocketPath(), args, ok, text, error)) {
    std::fprintf(stderr, "telmora-line: %s\n", error.c_str());
    return 1;
  }
  if (!text.empty() && text.back() != '\n') text.push_back('\n');
  std::fputs(text.c_str(), ok ? stdout : stderr);
  return ok ? 0 : 1;
}
