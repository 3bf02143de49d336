// Reads the device file. Every key is checked: an unknown key, a value of
// the wrong kind or a contradiction stops the reading with a text naming the
// file, the line and the field, so that a typo never silently changes a
// device.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <toml++/toml.h>

#include "platform/paths.h"
#include "telephony/sim/config.h"
#include "telephony/sim/names.h"

namespace telephony::sim {
namespace {

struct ConfigError {
  std::string text;
};

class Reader {
 public:
  explicit Reader(std::string source) : source_(std::move(source)) {}

  [[noreturn]] void Fail(const toml::source_region& where, const std::string& field, const std::string& problem) const {
    std::ostringstream text;
    text << source_ << ':' << where.begin.line << ": " << field << ": " << problem;
    throw ConfigError{text.str()};
  }

  void CheckKeys(const toml::table& table, const std::string& where,
                 std::initializer_list<std::string_view> allowed) const {
    for (auto&& [key, value] : table) {
      if (std::find(allowed.begin(), allowed.end(), key.str()) == allowed.end())
        Fail(key.source(), Field(where, key.str()), "unknown key");
    }
  }

  static std::string Field(const std::string& where, std::string_view key) {
    return where.empty() ? std::string(key) : where + "." + std::string(key);
  }

  const toml::node* Find(const toml::table& table, std::string_view key) const { return table.get(key); }

  std::int64_t Int(const toml::table& table, const std::string& where, std::string_view key, std::int64_t fallback,
                   std::int64_t low, std::int64_t high) const {
    const toml::node* node = Find(table, key);
    if (!node) return fallback;
    const auto value = node->value_exact<std::int64_t>();
    if (!value) Fail(node->source(), Field(where, key), "expected a whole number");
    if (*value < low || *value > high)
      Fail(node->source(), Field(where, key),
           "out of range (" + std::to_string(low) + " to " + std::to_string(high) + ")");
    return *value;
  }

  double Real(const toml::table& table, const std::string& where, std::string_view key, double fallback) const {
    const toml::node* node = Find(table, key);
    if (!node) return fallback;
    const auto value = node->value<double>();
    if (!value) Fail(node->source(), Field(where, key), "expected a number");
    return *value;
  }

  bool Bool(const toml::table& table, const std::string& where, std::string_view key, bool fallback) const {
    const toml::node* node = Find(table, key);
    if (!node) return fallback;
    const auto value = node->value_exact<bool>();
    if (!value) Fail(node->source(), Field(where, key), "expected true or false");
    return *value;
  }

  std::string String(const toml::table& table, const std::string& where, std::string_view key,
                     const std::string& fallback) const {
    const toml::node* node = Find(table, key);
    if (!node) return fallback;
    const auto value = node->value_exact<std::string>();
    if (!value) Fail(node->source(), Field(where, key), "expected a text in quotes");
    return *value;
  }

  // "2.2" or a whole number such as 0x00020002.
  DWORD Version(const toml::table& table, const std::string& where, std::string_view key, DWORD fallback) const {
    const toml::node* node = Find(table, key);
    if (!node) return fallback;
    if (const auto number = node->value_exact<std::int64_t>()) {
      if (*number < 0 || *number > 0xFFFFFFFF) Fail(node->source(), Field(where, key), "out of range");
      return static_cast<DWORD>(*number);
    }
    if (const auto text = node->value_exact<std::string>()) {
      unsigned major = 0, minor = 0;
      char extra = 0;
      if (std::sscanf(text->c_str(), "%u.%u%c", &major, &minor, &extra) == 2 && major <= 0xFFFF && minor <= 0xFFFF)
        return (major << 16) | minor;
    }
    Fail(node->source(), Field(where, key), "expected a version such as \"2.2\" or 0x00020002");
  }

  // A list of names (["owner", "monitor"]) or a whole number.
  DWORD Mask(const toml::table& table, const std::string& where, std::string_view key, DWORD fallback,
             const std::vector<NamedBit>& names) const {
    const toml::node* node = Find(table, key);
    if (!node) return fallback;
    if (const auto number = node->value_exact<std::int64_t>()) {
      if (*number < 0 || *number > 0xFFFFFFFF) Fail(node->source(), Field(where, key), "out of range");
      return static_cast<DWORD>(*number);
    }
    // A single name stands for a list of one.
    toml::array single;
    if (const auto name = node->value_exact<std::string>()) single.push_back(*name);
    const toml::array* list = single.empty() ? node->as_array() : &single;
    if (!list) Fail(node->source(), Field(where, key), "expected a list of names or a number");
    DWORD mask = 0;
    for (const toml::node& item : *list) {
      const auto name = item.value_exact<std::string>();
      DWORD bit = 0;
      if (!name || !BitByName(names, *name, bit)) {
        const auto& at = single.empty() ? item.source() : node->source();
        std::string known;
        for (const auto& entry : names) known += std::string(known.empty() ? "" : ", ") + entry.name;
        Fail(at, Field(where, key), "unknown name" + (name ? " '" + *name + "'" : std::string()) +
                                                   " (known: " + known + ")");
      }
      mask |= bit;
    }
    return mask;
  }

  DWORD One(const toml::table& table, const std::string& where, std::string_view key, DWORD fallback,
            const std::vector<NamedBit>& names) const {
    const DWORD mask = Mask(table, where, key, fallback, names);
    if (mask & (mask - 1)) Fail(Find(table, key)->source(), Field(where, key), "expected exactly one name");
    return mask;
  }

  LONG Code(const toml::table& table, const std::string& where, std::string_view key, LONG fallback) const {
    const toml::node* node = Find(table, key);
    if (!node) return fallback;
    LONG code = 0;
    const auto name = node->value_exact<std::string>();
    if (!name || !LineErrorByName(*name, code))
      Fail(node->source(), Field(where, key), "expected a LINEERR_ name such as \"LINEERR_INVALMEDIAMODE\"");
    return code;
  }

  const toml::table* Table(const toml::table& table, const std::string& where, std::string_view key) const {
    const toml::node* node = Find(table, key);
    if (!node) return nullptr;
    if (!node->is_table()) Fail(node->source(), Field(where, key), "expected a table");
    return node->as_table();
  }

  // An array of tables ([[device.outgoing]]) as a list.
  std::vector<const toml::table*> Tables(const toml::table& table, const std::string& where,
                                         std::string_view key) const {
    std::vector<const toml::table*> out;
    const toml::node* node = Find(table, key);
    if (!node) return out;
    const toml::array* list = node->as_array();
    if (!list) Fail(node->source(), Field(where, key), "expected [[" + Field(where, key) + "]] tables");
    for (const toml::node& item : *list) {
      if (!item.is_table()) Fail(item.source(), Field(where, key), "expected a table");
      out.push_back(item.as_table());
    }
    return out;
  }

 private:
  std::string source_;
};

constexpr int kMaxMs = 24 * 3600 * 1000;
constexpr DWORD kNoDevice = 0xFFFFFFFF;

DWORD DefaultLineStates() {
  return LINEDEVSTATE_OTHER | LINEDEVSTATE_RINGING | LINEDEVSTATE_CONNECTED | LINEDEVSTATE_DISCONNECTED |
         LINEDEVSTATE_MSGWAITON | LINEDEVSTATE_MSGWAITOFF | LINEDEVSTATE_INSERVICE | LINEDEVSTATE_OUTOFSERVICE |
         LINEDEVSTATE_OPEN | LINEDEVSTATE_CLOSE | LINEDEVSTATE_NUMCALLS;
}

Timings ReadTimings(const Reader& r, const toml::table& t, const std::string& where) {
  r.CheckKeys(t, where,
              {"ring_interval_ms", "caller_id_ms", "answer_ms", "drop_ms", "reply_ms", "dial_tone_ms", "dialing_ms",
               "proceeding_ms", "ringback_interval_ms", "busy_ms", "no_answer_rings", "idle_ms", "tone_ms"});
  Timings d;
  auto ms = [&](std::string_view key, int fallback, int low) {
    return static_cast<int>(r.Int(t, where, key, fallback, low, kMaxMs));
  };
  d.ringIntervalMs = ms("ring_interval_ms", d.ringIntervalMs, 1);
  d.callerIdMs = ms("caller_id_ms", d.callerIdMs, 0);
  d.answerMs = ms("answer_ms", d.answerMs, 0);
  d.dropMs = ms("drop_ms", d.dropMs, 0);
  d.replyMs = ms("reply_ms", d.replyMs, 0);
  d.dialToneMs = ms("dial_tone_ms", d.dialToneMs, 0);
  d.dialingMs = ms("dialing_ms", d.dialingMs, 0);
  d.proceedingMs = ms("proceeding_ms", d.proceedingMs, 0);
  d.ringbackIntervalMs = ms("ringback_interval_ms", d.ringbackIntervalMs, 1);
  d.busyMs = ms("busy_ms", d.busyMs, 0);
  d.noAnswerRings = static_cast<int>(r.Int(t, where, "no_answer_rings", d.noAnswerRings, 1, 1000));
  d.idleMs = ms("idle_ms", d.idleMs, 0);
  d.toneMs = ms("tone_ms", d.toneMs, 0);
  return d;
}

OutgoingRule ReadOutgoing(const Reader& r, const toml::table& t, const std::string& where) {
  r.CheckKeys(t, where, {"pattern", "outcome", "rings", "hangup_after_ms"});
  OutgoingRule rule;
  rule.pattern = r.String(t, where, "pattern", "*");
  const std::string outcome = r.String(t, where, "outcome", "answer");
  if (outcome == "answer") {
    rule.outcome = OutgoingRule::Outcome::Answer;
  } else if (outcome == "busy") {
    rule.outcome = OutgoingRule::Outcome::Busy;
  } else if (outcome == "no_answer") {
    rule.outcome = OutgoingRule::Outcome::NoAnswer;
  } else if (outcome == "unreachable") {
    rule.outcome = OutgoingRule::Outcome::Unreachable;
  } else if (outcome == "reject") {
    rule.outcome = OutgoingRule::Outcome::Reject;
  } else {
    r.Fail(t.get("outcome")->source(), Reader::Field(where, "outcome"),
           "expected answer, busy, no_answer, unreachable or reject");
  }
  rule.rings = static_cast<int>(r.Int(t, where, "rings", rule.rings, 0, 1000));
  rule.hangupAfterMs = static_cast<int>(r.Int(t, where, "hangup_after_ms", 0, 0, kMaxMs));
  return rule;
}

IncomingCall ReadIncoming(const Reader& r, const toml::table& t, const std::string& where, DWORD device,
                          DWORD mediaModes) {
  r.CheckKeys(t, where,
              {"after_ms", "name", "number", "flags", "rings", "hangup_after_ms", "called_name", "called_number",
               "media_mode"});
  IncomingCall call;
  call.device = device;
  call.afterMs = static_cast<int>(r.Int(t, where, "after_ms", 0, 0, kMaxMs));
  call.name = r.String(t, where, "name", "");
  call.number = r.String(t, where, "number", "");
  call.flags = r.Mask(t, where, "flags", 0, PartyFlagNames());
  call.rings = static_cast<int>(r.Int(t, where, "rings", 0, 0, 1000));
  call.hangupAfterMs = static_cast<int>(r.Int(t, where, "hangup_after_ms", 0, 0, kMaxMs));
  call.calledName = r.String(t, where, "called_name", "");
  call.calledNumber = r.String(t, where, "called_number", "");
  call.mediaMode = r.One(t, where, "media_mode", 0, MediaModeNames());
  if (call.mediaMode && !(call.mediaMode & mediaModes))
    r.Fail(t.get("media_mode")->source(), Reader::Field(where, "media_mode"), "not among the device's media_modes");
  return call;
}

DeviceConfig ReadDevice(const Reader& r, const toml::table& t, const std::string& where, DWORD index) {
  r.CheckKeys(t, where,
              {"name", "name_terminator", "string_format", "provider_info", "switch_info", "address",
               "permanent_line_id", "api_low", "api_high", "media_modes", "bearer_modes", "max_rate",
               "address_modes", "line_states", "address_states", "caller_id_flags", "tone_modes",
               "max_active_calls", "wave_in", "wave_out", "comm_port", "incoming_media_mode", "devspecific",
               "timings", "open_refusal", "outgoing", "incoming"});
  DeviceConfig device;
  LineDeviceInfo& info = device.info;
  info.hasName = t.get("name") != nullptr;
  info.name = r.String(t, where, "name", "");
  info.nameTerminator = r.Bool(t, where, "name_terminator", true);
  const std::string format = r.String(t, where, "string_format", "ascii");
  static const std::vector<NamedBit> kFormats = {{"ascii", STRINGFORMAT_ASCII},
                                                 {"dbcs", STRINGFORMAT_DBCS},
                                                 {"unicode", STRINGFORMAT_UNICODE},
                                                 {"binary", STRINGFORMAT_BINARY}};
  if (!BitByName(kFormats, format, info.stringFormat))
    r.Fail(t.get("string_format")->source(), Reader::Field(where, "string_format"),
           "expected ascii, dbcs, unicode or binary");
  info.providerInfo = r.String(t, where, "provider_info", "Telmora simulated line");
  info.switchInfo = r.String(t, where, "switch_info", "");
  info.address = r.String(t, where, "address", "");
  info.permanentLineId = static_cast<DWORD>(r.Int(t, where, "permanent_line_id", 0x1000 + index, 0, 0xFFFFFFFF));
  info.apiLow = r.Version(t, where, "api_low", TAPI_VERSION1_0);
  info.apiHigh = r.Version(t, where, "api_high", TAPI_VERSION2_2);
  if (info.apiLow > info.apiHigh)
    r.Fail(t.get("api_low") ? t.get("api_low")->source() : t.source(), Reader::Field(where, "api_low"),
           "higher than api_high");
  if (!t.get("media_modes")) r.Fail(t.source(), Reader::Field(where, "media_modes"), "missing");
  info.mediaModes = r.Mask(t, where, "media_modes", 0, MediaModeNames());
  if (info.mediaModes == 0) r.Fail(t.get("media_modes")->source(), Reader::Field(where, "media_modes"), "empty");
  info.bearerModes =
      r.Mask(t, where, "bearer_modes", LINEBEARERMODE_VOICE | LINEBEARERMODE_PASSTHROUGH, BearerModeNames());
  info.maxRate = static_cast<DWORD>(r.Int(t, where, "max_rate", 0, 0, 0xFFFFFFFF));
  info.addressModes = r.Mask(t, where, "address_modes", LINEADDRESSMODE_ADDRESSID, AddressModeNames());
  info.lineStates = r.Mask(t, where, "line_states", DefaultLineStates(), LineStateNames());
  info.addressStates =
      r.Mask(t, where, "address_states",
             LINEADDRESSSTATE_OTHER | LINEADDRESSSTATE_INUSEZERO | LINEADDRESSSTATE_INUSEONE |
                 LINEADDRESSSTATE_NUMCALLS,
             AddressStateNames());
  info.callerIdFlags = r.Mask(t, where, "caller_id_flags",
                              LINECALLPARTYID_BLOCKED | LINECALLPARTYID_OUTOFAREA | LINECALLPARTYID_NAME |
                                  LINECALLPARTYID_ADDRESS | LINECALLPARTYID_UNKNOWN | LINECALLPARTYID_UNAVAIL,
                              PartyFlagNames());
  info.generateToneModes =
      r.Mask(t, where, "tone_modes", LINETONEMODE_BEEP | LINETONEMODE_BILLING | LINETONEMODE_BUSY |
                                         LINETONEMODE_RINGBACK,
             ToneModeNames());
  info.maxActiveCalls = static_cast<DWORD>(r.Int(t, where, "max_active_calls", 1, 1, 64));
  info.waveIn = static_cast<DWORD>(r.Int(t, where, "wave_in", kNoDevice, 0, 0xFFFFFFFE));
  info.waveOut = static_cast<DWORD>(r.Int(t, where, "wave_out", kNoDevice, 0, 0xFFFFFFFE));
  info.commPort = r.String(t, where, "comm_port", "");
  if (!info.commPort.empty() && !(info.mediaModes & LINEMEDIAMODE_DATAMODEM))
    r.Fail(t.get("comm_port")->source(), Reader::Field(where, "comm_port"),
           "a data port needs the datamodem media mode");
  device.incomingMediaMode =
      r.One(t, where, "incoming_media_mode", info.mediaModes & -info.mediaModes, MediaModeNames());
  if (!(device.incomingMediaMode & info.mediaModes))
    r.Fail(t.get("incoming_media_mode")->source(), Reader::Field(where, "incoming_media_mode"),
           "not among the device's media_modes");

  if (const toml::table* extra = r.Table(t, where, "devspecific")) {
    const std::string at = Reader::Field(where, "devspecific");
    r.CheckKeys(*extra, at, {"dev_caps", "address_caps", "call_info", "call_status"});
    info.devCapsExtra = static_cast<DWORD>(r.Int(*extra, at, "dev_caps", 0, 0, 65536));
    info.addressCapsExtra = static_cast<DWORD>(r.Int(*extra, at, "address_caps", 0, 0, 65536));
    info.callInfoExtra = static_cast<DWORD>(r.Int(*extra, at, "call_info", 0, 0, 65536));
    info.callStatusExtra = static_cast<DWORD>(r.Int(*extra, at, "call_status", 0, 0, 65536));
  }
  if (const toml::table* timings = r.Table(t, where, "timings"))
    device.timings = ReadTimings(r, *timings, Reader::Field(where, "timings"));

  int n = 0;
  for (const toml::table* refusal : r.Tables(t, where, "open_refusal")) {
    const std::string at = where + ".open_refusal[" + std::to_string(n++) + "]";
    r.CheckKeys(*refusal, at, {"privileges", "media_modes", "code"});
    OpenRefusal rule;
    rule.privileges = r.Mask(*refusal, at, "privileges", 0, PrivilegeNames());
    rule.mediaModes = r.Mask(*refusal, at, "media_modes", 0, MediaModeNames());
    if (!refusal->get("code")) r.Fail(refusal->source(), Reader::Field(at, "code"), "missing");
    rule.code = r.Code(*refusal, at, "code", 0);
    device.openRefusals.push_back(rule);
  }
  n = 0;
  for (const toml::table* rule : r.Tables(t, where, "outgoing"))
    device.outgoing.push_back(ReadOutgoing(r, *rule, where + ".outgoing[" + std::to_string(n++) + "]"));
  n = 0;
  for (const toml::table* call : r.Tables(t, where, "incoming"))
    device.incoming.push_back(
        ReadIncoming(r, *call, where + ".incoming[" + std::to_string(n++) + "]", index, info.mediaModes));
  return device;
}

Config Read(const Reader& r, const toml::table& root) {
  r.CheckKeys(root, "", {"service", "device"});
  Config config;
  if (const toml::table* service = r.Table(root, "", "service")) {
    r.CheckKeys(*service, "service", {"version", "time_scale", "manual_clock", "control_socket"});
    config.serviceVersion = r.Version(*service, "service", "version", TAPI_VERSION2_2);
    config.timeScale = r.Real(*service, "service", "time_scale", 1.0);
    if (!(config.timeScale > 0) || !(config.timeScale <= kMaxTimeScale))
      r.Fail(service->get("time_scale")->source(), "service.time_scale",
             "must be above 0 and at most " + std::to_string(static_cast<int>(kMaxTimeScale)));
    config.manualClock = r.Bool(*service, "service", "manual_clock", false);
    config.controlSocket = r.Bool(*service, "service", "control_socket", true);
  }
  const toml::node* devices = root.get("device");
  if (!devices) r.Fail(root.source(), "device", "no [[device]] tables (write device = [] for a service without lines)");
  DWORD index = 0;
  for (const toml::table* device : r.Tables(root, "", "device")) {
    config.devices.push_back(ReadDevice(r, *device, "device[" + std::to_string(index) + "]", index));
    ++index;
  }
  return config;
}

}  // namespace

std::string DeviceFilePath() { return platform::UserDataDir() + "/devices.toml"; }

namespace {

// Parses without falling back to the default.
LoadResult Parse(const std::string& text, const std::string& sourceName) {
  LoadResult result;
  try {
    const toml::table root = toml::parse(text, sourceName);
    result.config = Read(Reader(sourceName), root);
    result.fromFile = true;
  } catch (const toml::parse_error& error) {
    std::ostringstream message;
    message << sourceName << ':' << error.source().begin.line << ": " << error.description();
    result.error = message.str();
  } catch (const ConfigError& error) {
    result.error = error.text;
  }
  return result;
}

}  // namespace

Config DefaultConfig() {
  static const Config config = [] {
    LoadResult embedded = Parse(DefaultConfigText(), "<embedded default>");
    if (!embedded.error.empty()) throw std::logic_error("embedded default devices: " + embedded.error);
    return embedded.config;
  }();
  return config;
}

LoadResult ParseConfig(const std::string& text, const std::string& sourceName) {
  LoadResult result = Parse(text, sourceName);
  if (!result.error.empty()) {
    result.config = DefaultConfig();
    result.fromFile = false;
  }
  return result;
}

LoadResult LoadConfigFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    LoadResult result;
    result.config = DefaultConfig();
    return result;
  }
  std::ostringstream text;
  text << file.rdbuf();
  return ParseConfig(text.str(), path);
}

}  // namespace telephony::sim
