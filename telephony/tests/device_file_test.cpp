// The device file: what it can describe, and how a broken one is reported
// while the service falls back to the embedded default.
#include <cstdio>
#include <fstream>

#include "platform/tests/test_home.h"
#include "telephony/sim/sim_provider.h"
#include "telephony/sim/config.h"
#include "telephony/tests/sim_fixture.h"

using namespace teltest;
using telephony::sim::DefaultConfig;
using telephony::sim::ParseConfig;

namespace {

const char kDeviceHeader[] = "[[device]]\nmedia_modes = [\"interactivevoice\"]\n";

TEST(DeviceFile, EmbeddedDefaultHasTheVoiceModemAndTheLegacyModem) {
  const auto config = DefaultConfig();
  ASSERT_EQ(config.devices.size(), 2u);
  EXPECT_EQ(config.devices[0].info.mediaModes,
            LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_AUTOMATEDVOICE | LINEMEDIAMODE_DATAMODEM);
  ASSERT_EQ(config.devices[1].openRefusals.size(), 1u);
  EXPECT_EQ(config.devices[1].openRefusals[0].code, LINEERR_INVALMEDIAMODE);
  // The text printed for people to start their own file is that same default.
  EXPECT_TRUE(ParseConfig(telephony::sim::DefaultConfigText(), "defaults").error.empty());
}

TEST(DeviceFile, BrokenFilesNameTheFileLineAndField) {
  struct Row {
    std::string text;
    std::string expected;  // part of the error text
  };
  const std::string h = kDeviceHeader;
  const std::vector<Row> rows = {
      {"[service]\nversion = \n", "devices.toml:2:"},
      {"[service]\ntime_scal = 1.0\n" + h, "devices.toml:2: service.time_scal: unknown key"},
      {"[service]\ntime_scale = 0\n" + h, "devices.toml:2: service.time_scale: must be above 0"},
      {"[service]\ntime_scale = 1e300\n" + h, "devices.toml:2: service.time_scale: must be above 0 and at most"},
      {"[service]\nversion = \"two\"\n" + h, "devices.toml:2: service.version: expected a version"},
      {"", "device: no [[device]] tables"},
      {"[[device]]\nname = \"x\"\n", "device[0].media_modes: missing"},
      {h + "media_mode = [\"datamodem\"]\n", "devices.toml:3: device[0].media_mode: unknown key"},
      {"[[device]]\nmedia_modes = [\"vioce\"]\n", "devices.toml:2: device[0].media_modes: unknown name 'vioce'"},
      {h + "api_low = \"2.2\"\napi_high = \"2.0\"\n", "devices.toml:3: device[0].api_low: higher than api_high"},
      {h + "incoming_media_mode = \"datamodem\"\n", "device[0].incoming_media_mode: not among the device's"},
      {h + "comm_port = \"COM1\"\n", "device[0].comm_port: a data port needs the datamodem media mode"},
      {h + "wave_in = -1\n", "devices.toml:3: device[0].wave_in: out of range"},
      {h + "name = 5\n", "devices.toml:3: device[0].name: expected a text in quotes"},
      {h + "[[device.open_refusal]]\nprivileges = [\"owner\"]\ncode = \"LINEERR_NOPE\"\n",
       "devices.toml:5: device[0].open_refusal[0].code: expected a LINEERR_ name"},
      {h + "[[device.outgoing]]\noutcome = \"maybe\"\n", "devices.toml:4: device[0].outgoing[0].outcome"},
      {h + "[device.timings]\nring_interval_ms = 0\n", "device[0].timings.ring_interval_ms: out of range"},
  };
  for (const Row& row : rows) {
    const auto result = ParseConfig(row.text, "/home/ann/devices.toml");
    EXPECT_NE(result.error.find(row.expected), std::string::npos) << row.text << "\ngave: " << result.error;
    EXPECT_EQ(result.error.rfind("/home/ann/devices.toml:", 0), 0u) << result.error;
    EXPECT_FALSE(result.fromFile);
    EXPECT_EQ(result.config.devices.size(), 2u) << "falls back to the embedded default";
  }
}

// Writes the device file where the service looks for it and restarts the
// service from it.
class DeviceFileService : public ::testing::Test {
 protected:
  TTestHome home_;  // the device file lives there, apart from other tests'
  void Start(const std::string& text) {
    std::ofstream(telephony::sim::DeviceFilePath()) << text;
    Control::Reset();
  }
  void TearDown() override {
    std::remove(telephony::sim::DeviceFilePath().c_str());
    Control::Reset();
  }
};

TEST_F(DeviceFileService, NamesAreStoredAsTheFileSays) {
  Start(R"(
[service]
version = "2.1"
control_socket = false
[[device]]
name = "Modem"
media_modes = ["datamodem"]
[[device]]
name = "Modem"
name_terminator = false
media_modes = "datamodem"
[[device]]
name = ""
media_modes = 16
[[device]]
media_modes = ["datamodem"]
[[device]]
name = "Modém"
string_format = "unicode"
media_modes = ["datamodem"]
)");
  const App a = Initialize();
  EXPECT_EQ(a.devices, 5u);
  EXPECT_EQ(a.version, TAPI_VERSION2_1);
  EXPECT_EQ(Control::ConfigError(), "");
  struct Row {
    DWORD size;
    std::string bytes;
    DWORD format;
  };
  const Row rows[] = {{6, std::string("Modem\0", 6), STRINGFORMAT_ASCII},
                      {5, "Modem", STRINGFORMAT_ASCII},
                      {1, std::string(1, '\0'), STRINGFORMAT_ASCII},
                      {0, "", STRINGFORMAT_ASCII},
                      {12, std::string("M\0o\0d\0\xE9\0m\0\0\0", 12), STRINGFORMAT_UNICODE}};
  for (DWORD device = 0; device < 5; ++device) {
    std::vector<BYTE> block(1024);
    auto* caps = reinterpret_cast<LINEDEVCAPS*>(block.data());
    caps->dwTotalSize = 1024;
    ASSERT_EQ(lineGetDevCaps(a.app, device, TAPI_VERSION2_0, 0, caps), 0);
    EXPECT_EQ(caps->dwLineNameSize, rows[device].size) << device;
    EXPECT_EQ(caps->dwLineNameOffset != 0, rows[device].size != 0) << device;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data()) + caps->dwLineNameOffset, caps->dwLineNameSize),
              rows[device].bytes)
        << device;
    EXPECT_EQ(caps->dwStringFormat, rows[device].format);
  }
}

TEST_F(DeviceFileService, AServiceWithoutLinesAndAnOldVersion) {
  Start("device = []\n[service]\nversion = 0x00010004\ncontrol_socket = false\n");
  const App a = Initialize();
  EXPECT_EQ(a.devices, 0u);
  EXPECT_EQ(a.version, TAPI_VERSION1_4);
  HLINE line = 0;
  EXPECT_EQ(lineOpen(a.app, 0, &line, TAPI_VERSION1_4, 0, 0, 2, 4, nullptr), LINEERR_BADDEVICEID);
}

TEST_F(DeviceFileService, ABrokenFileStartsTheDefaultAndSaysWhy) {
  Start("[[device]]\nname = \"Mine\"\nmedia_modes = [\"voice\"]\n");
  const App a = Initialize();
  EXPECT_EQ(a.devices, 2u);
  const std::string error = Control::ConfigError();
  EXPECT_NE(error.find("devices.toml:3: device[0].media_modes: unknown name 'voice'"), std::string::npos) << error;
  EXPECT_NE(Control::Status().find("device file not used: "), std::string::npos);
}

TEST_F(DeviceFileService, ScriptedIncomingCallsRingOnTheirOwn) {
  Start(R"(
[service]
manual_clock = true
control_socket = false
[[device]]
name = "Scripted"
media_modes = ["interactivevoice"]
[device.timings]
caller_id_ms = 100
[[device.incoming]]
after_ms = 1000
name = "Script"
number = "5550555"
flags = ["outofarea"]
rings = 1
)");
  const App a = Initialize();
  Open(a, 0, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  Elapse(999);
  EXPECT_TRUE(Drain(a).empty());
  Elapse(101);
  const auto messages = Drain(a);
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[2].dwParam1, LINECALLINFOSTATE_CALLERID);
  std::vector<BYTE> block(1024);
  auto* info = reinterpret_cast<LINECALLINFO*>(block.data());
  info->dwTotalSize = 1024;
  ASSERT_EQ(lineGetCallInfo(messages[1].hDevice, info), 0);
  EXPECT_EQ(info->dwCallerIDFlags, LINECALLPARTYID_OUTOFAREA | LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS);
}

}  // namespace

TEST(OutgoingRules, NumberPatterns) {
  struct Row {
    const char* pattern;
    const char* number;
    bool matches;
  };
  const Row rows[] = {
      {"*", "", true},          {"*", "5551234", true},      {"*0000", "5550000", true},
      {"*0000", "5550001", false}, {"555????", "5551234", true}, {"555????", "555123", false},
      {"5*5", "55", true},      {"5*5", "5", false},         {"*9*9", "1929", true},
      {"", "", true},           {"", "1", false},            {"a*b*c", "axxbyyc", true},
      {"a*b*c", "axxbyy", false},
  };
  for (const Row& row : rows)
    EXPECT_EQ(telephony::sim::MatchesNumberPattern(row.pattern, row.number), row.matches)
        << row.pattern << " ~ " << row.number;
  // Many stars against a long number that almost matches: this once took
  // minutes, with every line call waiting behind it.
  const std::string number(255, '1');
  EXPECT_FALSE(telephony::sim::MatchesNumberPattern("*1*1*1*1*1*1*1*1*2", number.c_str()));
}
