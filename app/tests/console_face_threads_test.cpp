// The console face driven by a scripted input stream: commands press the
// form's buttons and set its edits, prompts take the next line, the memo's
// lines reach standard output, and quit or the end of input closes the
// form as closing its window would.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <sstream>

#include "app/FormTAPIMain.h"
#include "app/console_face.h"
#include "app/registry_access.h"
#include "component/mkFormTAPIDevList.h"
#include "platform/tests/test_home.h"
#include "platform/kernel.h"
#include "platform/messages.h"
#include "platform/ui_console.h"
#include "platform/ui_scripted.h"

namespace {

using Log = std::vector<std::string>;

// A form with the test window's control names whose handlers only log.
class ProbeForm : public TForm {
 public:
  explicit ProbeForm(Log& log) : TForm(nullptr), log_(log) {
    Caption = "Probe";
    for (const char* name : {"bbtnOpenTAPI", "bbtnCall", "bbtnAnswerTAPI", "bbtnHangupTAPI", "bbtnPlaySoundTAPI",
                             "bbtnRecordTAPI", "bbtnStopRecordTAPI"}) {
      auto* b = new TBitBtn(this);
      b->Name = name;
      b->OnClick = TNotifyEvent::FromCallable([this, name](TObject*) { log_.push_back(name); });
      buttons[name] = b;
    }
    for (const char* name : {"edtTestWav", "edtMaxRecordTime"}) {
      auto* e = new TEdit(this);
      e->Name = name;
      edits[name] = e;
    }
    memo = new TMemo(this);
    memo->Name = "memoTAPI";
    OnCloseQuery = TCloseQueryEvent::FromCallable([this](TObject*, bool&) { log_.push_back("close query"); });
  }
  ~ProbeForm() override { log_.push_back("destroyed"); }

  std::map<std::string, TBitBtn*> buttons;
  std::map<std::string, TEdit*> edits;
  TMemo* memo;

 private:
  Log& log_;
};

// Runs the face over `script` with a form made by `make`; returns stdout.
std::string RunFace(const std::string& script, const std::function<std::unique_ptr<TCustomForm>()>& make) {
  std::istringstream input(script);
  testing::internal::CaptureStdout();
  RunConsoleFace(input, make);
  return testing::internal::GetCapturedStdout();
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(ConsoleFace, CommandsPressTheButtonsAndTheEndOfInputClosesTheForm) {
  Log log;
  const std::string out =
      RunFace("open\n  CALL \nanswer\nhangup\nplay\nrecord\nstop\n\nfrobnicate now\n", [&] {
        return std::make_unique<ProbeForm>(log);
      });
  EXPECT_EQ(log, (Log{"bbtnOpenTAPI", "bbtnCall", "bbtnAnswerTAPI", "bbtnHangupTAPI", "bbtnPlaySoundTAPI",
                      "bbtnRecordTAPI", "bbtnStopRecordTAPI", "close query", "destroyed"}));
  EXPECT_TRUE(Contains(out, "Unknown command 'frobnicate'; type 'help' for the commands.")) << out;
}

TEST(ConsoleFace, QuitClosesAndIgnoresWhatFollows) {
  Log log;
  ProbeForm* form = nullptr;
  std::string wav, max;
  const std::string out = RunFace("wav /tmp/my file.wav\nmax 42\nhelp\nquit\nopen\n", [&] {
    auto f = std::make_unique<ProbeForm>(log);
    form = f.get();
    f->OnCloseQuery = TCloseQueryEvent::FromCallable([&](TObject*, bool&) {
      wav = form->edits["edtTestWav"]->Text;
      max = form->edits["edtMaxRecordTime"]->Text;
      log.push_back("close query");
    });
    return f;
  });
  EXPECT_EQ(wav, "/tmp/my file.wav");
  EXPECT_EQ(max, "42");
  EXPECT_EQ(log, (Log{"close query", "destroyed"}));
  EXPECT_TRUE(Contains(out, "record")) << "help lists the commands: " << out;
}

TEST(ConsoleFace, MemoLinesGoToStandardOutput) {
  Log log;
  const std::string out = RunFace("answer\n", [&] {
    auto f = std::make_unique<ProbeForm>(log);
    TMemo* memo = f->memo;
    f->buttons["bbtnAnswerTAPI"]->OnClick = TNotifyEvent::FromCallable([memo](TObject*) {
      memo->Lines.Add("FAILED TO ANSWER Call for hCall Handle: 0");
      memo->Lines.Add("second line");
    });
    return f;
  });
  EXPECT_TRUE(Contains(out, "FAILED TO ANSWER Call for hCall Handle: 0\nsecond line\n")) << out;
}

TEST(ConsoleFace, APromptTakesTheNextLineNotACommand) {
  Log log;
  AnsiString number = "1";
  bool confirmed = false;
  const std::string out = RunFace("call\nopen\nopen\n", [&] {
    auto f = std::make_unique<ProbeForm>(log);
    f->buttons["bbtnCall"]->OnClick = TNotifyEvent::FromCallable(
        [&](TObject*) { confirmed = InputQuery("Enter Phone # to call", "Phone #:", number); });
    return f;
  });
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(number, "open");
  EXPECT_EQ(log, (Log{"bbtnOpenTAPI", "close query", "destroyed"}));
  EXPECT_TRUE(Contains(out, "Enter Phone # to call")) << out;
}

// Record waits with the queue pumped, as the component does; a quit typed
// meanwhile waits for it, and a stop typed meanwhile is served inside it.
TEST(ConsoleFace, QuitDuringARunningCommandWaitsForIt) {
  Log log;
  RunFace("record\nquit\nstop\n", [&] {
    auto f = std::make_unique<ProbeForm>(log);
    auto stopped = std::make_shared<bool>(false);
    f->buttons["bbtnStopRecordTAPI"]->OnClick = TNotifyEvent::FromCallable([&log, stopped](TObject*) {
      log.push_back("stop");
      *stopped = true;
    });
    f->buttons["bbtnRecordTAPI"]->OnClick = TNotifyEvent::FromCallable([&log, stopped](TObject*) {
      log.push_back("record begins");
      while (!*stopped) {
        MSG msg;
        if (PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
          DispatchMessage(&msg);
        } else if (WaitForSingleObject(platform::QueueEventForCurrentThread(), 10000) != WAIT_OBJECT_0) {
          ADD_FAILURE() << "no more input arrived";
          break;
        }
      }
      log.push_back("record ends");
    });
    return f;
  });
  EXPECT_EQ(log, (Log{"record begins", "stop", "record ends", "close query", "destroyed"}));
}

TEST(ConsoleFace, QuitWhileAnotherMessagesHandlerServesTheQueueWaitsForIt) {
  // Not a click: a handler of some other message (an audio notification,
  // say) that serves the queue while it waits, and a quit typed meanwhile.
  Log log;
  HWND other = AllocateHWnd([&log](UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message != WM_USER + 7) return 0;
    log.push_back("handler begins");
    MSG msg;
    for (;;) {
      if (PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
        DispatchMessage(&msg);
      } else if (WaitForSingleObject(platform::QueueEventForCurrentThread(), 300) != WAIT_OBJECT_0) {
        break;  // the input has been served; nothing else is coming
      }
    }
    log.push_back("handler ends");
    return 0;
  });
  PostMessage(other, WM_USER + 7, 0, 0);  // ahead of every input line
  RunFace("quit\n", [&] { return std::make_unique<ProbeForm>(log); });
  DeallocateHWnd(other);
  EXPECT_EQ(log, (Log{"handler begins", "handler ends", "close query", "destroyed"}));
}

Variant Setting(const char* name, int typeCode) {
  return ReadFromRegistry("", HKEY_CURRENT_USER, TelmoraSettingsKey, name, typeCode);
}

TEST(ConsoleFaceWithTheTestWindow, QuitSavesTheEditedSettings) {
  TTestHome home;  // no settings yet, in a folder of this test's own
  RunFace("wav /tmp/out.wav\nmax 42\nquit\nmax 7\n", [] { return std::make_unique<TForm1>(nullptr); });
  EXPECT_EQ(VarToStr(Setting("WavFile", varString)), "/tmp/out.wav");
  EXPECT_EQ(Setting("MaxRecordSecs", varInteger).ToInt(), 42);
  EXPECT_EQ(VarToStr(Setting("CallPhoneNumber", varString)), "");
}

TEST(ConsoleFaceWithTheTestWindow, EndOfInputSavesToo) {
  TTestHome home;  // no settings yet, in a folder of this test's own
  RunFace("wav /tmp/first.wav\nmax abc\n", [] { return std::make_unique<TForm1>(nullptr); });
  EXPECT_EQ(VarToStr(Setting("WavFile", varString)), "/tmp/first.wav");
  EXPECT_EQ(Setting("MaxRecordSecs", varInteger).ToInt(), 300);

  // The next start shows what was saved, and 'wav -' empties the field.
  const std::string out =
      RunFace("wav\nwav -\n", [] { return std::make_unique<TForm1>(nullptr); });
  EXPECT_TRUE(Contains(out, "wav: /tmp/first.wav\n")) << out;
  EXPECT_EQ(VarToStr(Setting("WavFile", varString)), "");
}

// The device dialog on the console, answered line by line.
class DeviceListOnConsole : public ::testing::Test {
 protected:
  void SetUp() override {
    form_.lbTAPIDevList->Items.Add("Line Zero");
    form_.lbTAPIDevList->Items.Add("Line One");
    ui_.SetLineReader([this]() -> std::optional<AnsiString> {
      if (answers_.empty()) return std::nullopt;
      AnsiString a = answers_.front();
      answers_.pop_front();
      return a;
    });
  }
  int Show(std::deque<AnsiString> answers) {
    answers_ = std::move(answers);
    form_.ModalResult = mrNone;
    testing::internal::CaptureStdout();
    const int result = RenderDeviceListOnConsole(form_, ui_);
    out_ = testing::internal::GetCapturedStdout();
    return result;
  }

  TConsoleUI ui_;
  TfrmTAPIDevList form_{nullptr};
  std::deque<AnsiString> answers_;
  std::string out_;
};

TEST_F(DeviceListOnConsole, ANumberPicksThatDevice) {
  EXPECT_EQ(Show({"7", "x1", "1"}), mrOk);
  EXPECT_EQ(form_.lbTAPIDevList->ItemIndex, 1);
  EXPECT_TRUE(Contains(out_, "Select a TAPI Device to use:\n  0: Line Zero\n  1: Line One\n")) << out_;
  EXPECT_TRUE(Contains(out_, "No device '7'.")) << out_;
  EXPECT_TRUE(Contains(out_, "No device 'x1'.")) << out_;
  EXPECT_TRUE(answers_.empty());
}

TEST_F(DeviceListOnConsole, OkWithoutAPickIsRefusedUntilOneIsMade) {
  TScriptedUIScope boxes;  // the form's notice box
  EXPECT_EQ(Show({"ok", "0"}), mrOk);
  EXPECT_EQ(form_.lbTAPIDevList->ItemIndex, 0);
  ASSERT_EQ(boxes->BoxCount(), 1u);
  EXPECT_EQ(boxes->Boxes()[0].text, "You must select at least ONE TAPI Device!");
}

TEST_F(DeviceListOnConsole, CancelAndEndOfInputCancel) {
  EXPECT_EQ(Show({"cancel"}), mrCancel);
  EXPECT_EQ(Show({}), mrCancel);
  EXPECT_EQ(form_.lbTAPIDevList->ItemIndex, -1);
}

}  // namespace
