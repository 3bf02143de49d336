#include "telephony/sim/commands.h"

#include <sstream>

#include "platform/sysutils.h"
#include "telephony/sim/control.h"
#include "telephony/sim/names.h"

namespace telephony::sim {
namespace {

const char kUsage[] =
    "usage:\n"
    "  telmora-line ring [--device N] [--name TEXT] [--number TEXT] [--flags blocked,outofarea,unknown,unavail]\n"
    "                    [--rings N] [--hangup-after MS] [--called-name TEXT] [--called-number TEXT]\n"
    "                    [--media interactivevoice|automatedvoice|datamodem|...]\n"
    "  telmora-line hangup [--device N]\n"
    "  telmora-line status\n"
    "  telmora-line defaults        (prints the embedded default device file)\n";

struct Options {
  std::vector<std::pair<std::string, std::string>> values;
  std::string error;
};

Options Parse(const std::vector<std::string>& args, std::initializer_list<std::string_view> known) {
  Options options;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool ok = false;
    for (std::string_view name : known) ok = ok || arg == name;
    if (!ok) {
      options.error = "unknown option '" + arg + "'";
      return options;
    }
    if (i + 1 >= args.size()) {
      options.error = "option " + arg + " needs a value";
      return options;
    }
    options.values.emplace_back(arg, args[++i]);
  }
  return options;
}

bool Number(const std::string& option, const std::string& text, int& value, std::string& error) {
  try {
    value = StrToInt(AnsiString(text));
  } catch (const EConvertError&) {
    value = -1;
  }
  if (value < 0) error = option + ": '" + text + "' is not a number";
  return value >= 0;
}

CommandResult Ring(const std::vector<std::string>& args) {
  const Options options = Parse(args, {"--device", "--name", "--number", "--flags", "--rings", "--hangup-after",
                                      "--called-name", "--called-number", "--media"});
  if (!options.error.empty()) return {false, options.error + "\n" + kUsage};
  IncomingCall call;
  std::string error;
  for (const auto& [option, value] : options.values) {
    int number = 0;
    if (option == "--device") {
      if (!Number(option, value, number, error)) break;
      call.device = static_cast<DWORD>(number);
    } else if (option == "--name") {
      call.name = value;
    } else if (option == "--number") {
      call.number = value;
    } else if (option == "--called-name") {
      call.calledName = value;
    } else if (option == "--called-number") {
      call.calledNumber = value;
    } else if (option == "--rings") {
      if (!Number(option, value, number, error)) break;
      call.rings = number;
    } else if (option == "--hangup-after") {
      if (!Number(option, value, number, error)) break;
      call.hangupAfterMs = number;
    } else if (option == "--flags") {
      std::stringstream list(value);
      for (std::string name; std::getline(list, name, ',');) {
        DWORD bit = 0;
        if (!name.empty() && !BitByName(PartyFlagNames(), name, bit)) {
          error = "--flags: unknown flag '" + name + "'";
          break;
        }
        call.flags |= bit;
      }
    } else if (option == "--media") {
      if (!BitByName(MediaModeNames(), value, call.mediaMode)) error = "--media: unknown media mode '" + value + "'";
    }
    if (!error.empty()) break;
  }
  if (!error.empty()) return {false, error};
  error = Control::Ring(call);
  if (!error.empty()) return {false, error};
  return {true, "ringing device " + std::to_string(call.device)};
}

CommandResult HangUp(const std::vector<std::string>& args) {
  const Options options = Parse(args, {"--device"});
  if (!options.error.empty()) return {false, options.error + "\n" + kUsage};
  int device = 0;
  std::string error;
  for (const auto& [option, value] : options.values) {
    if (!Number(option, value, device, error)) return {false, error};
  }
  error = Control::HangUp(static_cast<DWORD>(device));
  if (!error.empty()) return {false, error};
  return {true, "far end of device " + std::to_string(device) + " hangs up"};
}

}  // namespace

const char* CommandUsage() { return kUsage; }

CommandResult RunCommand(const std::vector<std::string>& args) {
  if (args.empty() || args[0] == "help" || args[0] == "--help") return {args.empty() ? false : true, kUsage};
  if (args[0] == "ring") return Ring(args);
  if (args[0] == "hangup") return HangUp(args);
  if (args[0] == "status") {
    if (args.size() > 1) return {false, "status takes no options"};
    return {true, Control::Status()};
  }
  return {false, "unknown command '" + args[0] + "'\n" + kUsage};
}

}  // namespace telephony::sim
