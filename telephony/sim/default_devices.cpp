// The embedded default devices. The text is a complete device file: copy it
// to platform::UserDataDir() + "/devices.toml" (telmora-line defaults prints
// it) and edit it to change the bench's lines.
#include "telephony/sim/config.h"

namespace telephony::sim {

const char* DefaultConfigText() {
  return R"toml(# Telmora simulated line devices.
#
# Each [[device]] is one line device; device ids count from 0 in file order.
# Flags are lists of names (["owner", "monitor"]) or plain numbers; versions
# are "major.minor" texts or numbers (0x00020002). Times are milliseconds of
# bench time; [service] time_scale stretches them (0.5 runs twice as fast).
# Unknown keys are errors, so a typo never goes unnoticed.

[service]
version = "2.2"          # highest API version the service reports
time_scale = 1.0
control_socket = true    # telmora-line talks to the bench through it

# A voice modem: interactive and automated voice, data modem.
[[device]]
name = "Telmora Voice Modem"
name_terminator = true           # false stores the name without its 0 byte
string_format = "ascii"          # ascii, dbcs, unicode or binary
provider_info = "Telmora simulated line provider"
address = "5550100"
api_low = "1.3"
api_high = "2.2"
media_modes = ["interactivevoice", "automatedvoice", "datamodem"]
bearer_modes = ["voice", "passthrough"]
max_rate = 33600
incoming_media_mode = "interactivevoice"
wave_in = 0
wave_out = 0
comm_port = "SIM1"
# Device-specific bytes behind each record: they make the capability
# records larger than a first query of 780 (line) and 4324 (address) bytes.
devspecific = { dev_caps = 520, address_caps = 4200, call_info = 0, call_status = 16 }

[device.timings]
ring_interval_ms = 6000     # ring cadence of incoming calls
caller_id_ms = 1500         # caller identity arrives after the first ring
answer_ms = 200
drop_ms = 100
reply_ms = 50
dial_tone_ms = 300
dialing_ms = 1200
proceeding_ms = 500
ringback_interval_ms = 4000
busy_ms = 2000
no_answer_rings = 6
idle_ms = 50
tone_ms = 250

# How the far end treats numbers dialled on this line; first match wins,
# '*' stands for any run of characters, '?' for one character.
[[device.outgoing]]
pattern = "*0000"
outcome = "busy"

[[device.outgoing]]
pattern = "*9999"
outcome = "no_answer"

[[device.outgoing]]
pattern = "*7777"
outcome = "unreachable"

[[device.outgoing]]
pattern = "*"
outcome = "answer"
rings = 2
hangup_after_ms = 0         # 0: the far end never hangs up by itself

# Scripted incoming calls look like this (none by default):
# [[device.incoming]]
# after_ms = 5000
# name = "Ann Example"
# number = "5551234"
# flags = []                # blocked, outofarea, unknown, unavail
# rings = 5                 # 0 rings until answered or hung up
# hangup_after_ms = 20000   # after the answer

# A legacy voice modem: it will not be opened as owner for voice, but opens
# as owner for data-modem calls and as monitor for voice.
[[device]]
name = "Telmora Legacy Voice Modem"
provider_info = "Telmora simulated line provider (legacy modem)"
address = "5550200"
api_low = "1.4"
api_high = "2.0"
media_modes = ["interactivevoice", "automatedvoice", "datamodem"]
bearer_modes = ["voice", "passthrough"]
max_rate = 14400
incoming_media_mode = "datamodem"
wave_in = 1
wave_out = 1
comm_port = "SIM2"
devspecific = { dev_caps = 520, address_caps = 4200 }

[[device.open_refusal]]
privileges = ["owner"]
media_modes = ["interactivevoice", "automatedvoice"]
code = "LINEERR_INVALMEDIAMODE"
)toml";
}

}  // namespace telephony::sim
