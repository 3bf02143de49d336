#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "app/FormTAPIMain.h"
#include "app/registry_access.h"
#include "platform/tests/test_home.h"
#include "platform/streaming.h"
#include "platform/ui_scripted.h"

namespace {

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_.reset();  // the old home restores the environment before a new one is made
    home_ = std::make_unique<TTestHome>();
  }
  static Variant Read(const char* name, int type) {
    return ReadFromRegistry("", HKEY_CURRENT_USER, TelmoraSettingsKey, name, type);
  }
  static void Write(const char* name, const Variant& v) {
    ASSERT_TRUE(WriteToRegistry("", HKEY_CURRENT_USER, TelmoraSettingsKey, name, v));
  }
  // Closes the window as a face does: ask, then destroy.
  static void Close(TForm1* form) {
    EXPECT_TRUE(form->CloseQuery());
    delete form;
  }
  std::unique_ptr<TTestHome> home_;
  TScriptedUIScope ui;
};

}  // namespace

TEST_F(FormTest, FirstStartShowsDefaultsQuietly) {
  auto* form = new TForm1(nullptr);
  EXPECT_EQ(form->edtTestWav->Text, "");
  EXPECT_EQ(form->CallPhoneNumber(), "");
  EXPECT_EQ(form->edtMaxRecordTime->Text, "300");
  EXPECT_EQ(form->CurrentCall(), 0u);
  EXPECT_EQ(ui->BoxCount(), 0u);
  Close(form);
}

TEST_F(FormTest, SettingsSurviveARestart) {
  Write("WavFile", Variant(AnsiString("/tmp/hello.wav")));
  Write("CallPhoneNumber", Variant(AnsiString("5551234")));
  Write("MaxRecordSecs", Variant(-5));
  auto* form = new TForm1(nullptr);
  EXPECT_EQ(form->edtTestWav->Text, "/tmp/hello.wav");
  EXPECT_EQ(form->CallPhoneNumber(), "5551234");
  EXPECT_EQ(form->edtMaxRecordTime->Text, "-5");
  Close(form);
  EXPECT_EQ(Read("MaxRecordSecs", varInteger).ToInt(), -5);
}

TEST_F(FormTest, MaxRecordSecsStoredAsTextGivesOneBoxAndTheDefault) {
  Write("MaxRecordSecs", Variant(AnsiString("ten")));
  auto* form = new TForm1(nullptr);
  EXPECT_EQ(form->edtMaxRecordTime->Text, "300");
  ASSERT_EQ(ui->BoxCount(), 1u);
  EXPECT_EQ(ui->Boxes()[0].caption, "Problem Detected");
  delete form;
}

TEST_F(FormTest, ClosingAlwaysWritesAllThreeAndFallsBackTo300) {
  for (const char* text : {"abc", "", "12x"}) {
    SCOPED_TRACE(text);
    SetUp();
    auto* form = new TForm1(nullptr);
    form->edtMaxRecordTime->Text = text;
    Close(form);
    EXPECT_EQ(Read("MaxRecordSecs", varInteger).ToInt(), 300);
    EXPECT_EQ(Read("WavFile", varString).ToString(), "") << "the empty text is written too";
    EXPECT_FALSE(Read("CallPhoneNumber", varString).IsNull());
  }
}

TEST_F(FormTest, HostedComponentComesFromItsDescription) {
  auto* form = new TForm1(nullptr);
  TmkTAPI* tapi = form->mkTAPI;
  EXPECT_EQ(tapi->Owner(), form);
  EXPECT_EQ(tapi->Privileges(), 0);
  EXPECT_EQ(tapi->MediaModes(), 0);
  EXPECT_EQ(tapi->DebugLogFile(), "");
  EXPECT_EQ(tapi->AppTitle(), "");
  EXPECT_TRUE(tapi->OnTapiError.Assigned());
  EXPECT_TRUE(tapi->OnCallerIDEvent.Assigned());
  EXPECT_TRUE(tapi->OnCallConnectedEvent.Assigned());
  EXPECT_TRUE(tapi->OnCallDisconnectedEvent.Assigned());
  EXPECT_TRUE(tapi->OnCallRingEvent.Assigned());
  EXPECT_TRUE(tapi->OnCallInfoEvent.Assigned());
  EXPECT_FALSE(tapi->OnCalledPartyIDEvent.Assigned());
  EXPECT_FALSE(tapi->OnCallLineReplyEvent.Assigned());
  EXPECT_FALSE(tapi->OnCallOfferingEvent.Assigned());
  // Written back, the description is what the designer stored.
  EXPECT_EQ(WriteComponentText(*tapi),
            "object mkTAPI: TmkTAPI\n"
            "  OnTapiError = mkTAPITapiError\n"
            "  OnCallerIDEvent = mkTAPICallerIDEvent\n"
            "  OnCallConnectedEvent = mkTAPICallConnectedEvent\n"
            "  OnCallDisconnectedEvent = mkTAPICallDisconnectedEvent\n"
            "  OnCallRingEvent = mkTAPICallRingEvent\n"
            "  OnCallInfoEvent = mkTAPICallInfoEvent\n"
            "  Privileges = 0\n"
            "  MediaModes = 0\n"
            "end\n");
  // The events reach the window's handlers.
  tapi->OnCallerIDEvent("Ann", "555", 0, 77);
  EXPECT_EQ(form->CurrentCall(), 77u);
  EXPECT_EQ(form->memoTAPI->Lines.Strings(0), "TAPI Detected CallerID event: Name: Ann Phone: 555 Call Type: 0");
  delete form;
}

TEST_F(FormTest, LayoutFollowsTheDesign) {
  TForm1 form(nullptr);
  EXPECT_EQ(form.Caption, "Telmora Application");
  EXPECT_EQ(form.Width, 555);
  EXPECT_EQ(form.Height, 376);
  struct Row {
    TControl* control;
    int top, width, height;
    const char* caption;
    int tab;
  };
  const Row rows[] = {
      {form.bbtnOpenTAPI, 8, 99, 25, "Open Tapi Device", 0},  {form.bbtnCall, 48, 97, 25, "Make A Call", 7},
      {form.bbtnAnswerTAPI, 88, 97, 25, "Answer Call", 2},    {form.bbtnHangupTAPI, 128, 97, 25, "Hangup Call", 3},
      {form.lblSoundFile, 160, 0, 0, "WAV File:", -1},        {form.edtTestWav, 176, 97, 21, "", 6},
      {form.bbtnPlaySoundTAPI, 208, 97, 25, "Play a Sound", 1}, {form.Label1, 240, 0, 0, "Max recording secs:", -1},
      {form.edtMaxRecordTime, 256, 97, 21, "", 9},            {form.bbtnRecordTAPI, 288, 97, 25, "Record a Msg", 4},
      {form.bbtnStopRecordTAPI, 320, 97, 25, "Stop Recording", 8},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.control->Name);
    EXPECT_EQ(r.control->Left, 8);
    EXPECT_EQ(r.control->Top, r.top);
    EXPECT_EQ(r.control->Width, r.width);
    EXPECT_EQ(r.control->Height, r.height);
    EXPECT_EQ(r.control->Caption, r.caption);
    EXPECT_EQ(r.control->TabOrder, r.tab);
  }
  EXPECT_EQ(form.memoTAPI->Align, TAlign::alRight);
  EXPECT_EQ(form.memoTAPI->Width, 435);
  EXPECT_EQ(form.memoTAPI->Height, 349);
  EXPECT_EQ(form.memoTAPI->TabOrder, 5);
  EXPECT_EQ(form.memoTAPI->Lines.Count(), 0);
}

TEST_F(FormTest, AnExceptionFromAButtonIsShownAndTheProgramGoesOn) {
  TForm1 form(nullptr);
  form.bbtnCall->OnClick = TNotifyEvent::FromCallable([](TObject*) { throw EConvertError("'abc' is not a valid integer value"); });
  form.ClickButton(*form.bbtnCall);
  ASSERT_EQ(ui->BoxCount(), 1u);
  EXPECT_EQ(ui->Boxes()[0].text, "'abc' is not a valid integer value.");
  EXPECT_EQ(form.BusyDepth(), 0);
  // Not only the class library's own exceptions: a busy count left behind
  // would keep the window from ever closing.
  form.bbtnCall->OnClick = TNotifyEvent::FromCallable([](TObject*) { throw std::out_of_range("index 9"); });
  form.ClickButton(*form.bbtnCall);
  EXPECT_EQ(form.BusyDepth(), 0);
  EXPECT_EQ(ui->BoxCount(), 2u);
}
