// Driving the simulated lines from outside: the commands telmora-line
// sends, through the control socket of a running service.
#include "telephony/sim/commands.h"
#include "telephony/sim/control_socket.h"
#include "telephony/sim/current.h"
#include "platform/tests/test_home.h"
#include "telephony/tests/sim_fixture.h"

using namespace teltest;
using telephony::sim::RunCommand;
using telephony::sim::SendCommand;

namespace {

class LineControl : public ::testing::Test {
 protected:
  TTestHome home_;  // the socket lives there
  void SetUp() override {
    auto config = ManualConfig();
    config.controlSocket = true;
    Control::Install(config);
  }
  void TearDown() override { Control::Reset(); }
};

TEST_F(LineControl, RingAndHangUpThroughTheSocket) {
  const App a = Initialize();
  Open(a, kVoiceModem, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  bool ok = false;
  std::string text, error;
  ASSERT_TRUE(SendCommand(telephony::sim::ControlSocketPath(),
                          {"ring", "--device", "0", "--name", "Ann", "--number", "5551234", "--flags", "unavail"},
                          ok, text, error))
      << error;
  EXPECT_TRUE(ok) << text;
  ASSERT_TRUE(Control::WaitIdle());
  Elapse(1500);
  const auto messages = Drain(a);
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[1].dwParam1, LINECALLSTATE_OFFERING);

  ASSERT_TRUE(SendCommand(telephony::sim::ControlSocketPath(), {"status"}, ok, text, error)) << error;
  EXPECT_TRUE(ok);
  EXPECT_NE(text.find("call 1 (incoming): offering, \"Ann\", 5551234"), std::string::npos) << text;

  ASSERT_TRUE(SendCommand(telephony::sim::ControlSocketPath(), {"hangup", "--device", "0"}, ok, text, error));
  EXPECT_TRUE(ok) << text;
  ASSERT_TRUE(Control::WaitIdle());
  Elapse(50);
  const auto end = Drain(a);
  ASSERT_EQ(end.size(), 2u);
  EXPECT_EQ(end[1].dwParam1, LINECALLSTATE_IDLE);

  ASSERT_TRUE(SendCommand(telephony::sim::ControlSocketPath(), {"hangup"}, ok, text, error));
  EXPECT_FALSE(ok);
  EXPECT_EQ(text, "no call on device 0");
}

TEST_F(LineControl, CommandsRefuseBadInputWithAReason) {
  struct Row {
    std::vector<std::string> args;
    std::string text;
  };
  const std::vector<Row> rows = {
      {{"ring", "--device", "9"}, "no device 9"},
      {{"ring", "--device", "x"}, "--device: 'x' is not a number"},
      {{"ring", "--colour", "red"}, "unknown option '--colour'"},
      {{"ring", "--name"}, "option --name needs a value"},
      {{"ring", "--flags", "blocked,secret"}, "--flags: unknown flag 'secret'"},
      {{"ring", "--media", "smoke"}, "--media: unknown media mode 'smoke'"},
      {{"dance"}, "unknown command 'dance'"},
  };
  for (const Row& row : rows) {
    const auto result = RunCommand(row.args);
    EXPECT_FALSE(result.ok) << row.args[0];
    EXPECT_EQ(result.text.rfind(row.text, 0), 0u) << result.text;
  }
  EXPECT_TRUE(RunCommand({"ring", "--device", "1", "--rings", "2"}).ok);
  EXPECT_EQ(RunCommand({"ring", "--device", "1"}).text, "device 1 already has a call");
}

TEST(LineControlClient, SaysSoWhenNoBenchListens) {
  bool ok = true;
  std::string text, error;
  EXPECT_FALSE(SendCommand(telephony::sim::ControlSocketPath() + ".none", {"status"}, ok, text, error));
  EXPECT_NE(error.find("no bench is listening"), std::string::npos);
}

}  // namespace
