// The test window rendered by the Qt view: layout, captions, sizes, tab
// order and fonts as designed; edits and the memo in step with the form;
// closing saves the settings, and a close during a running click waits.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <algorithm>

#include "app/FormTAPIMain.h"
#include "app/qt/form_view.h"
#include "app/qt/form_window.h"
#include "app/qt/main_loop.h"
#include "app/registry_access.h"
#include "platform/messages.h"
#include "platform/ui_scripted.h"
#include "app/tests/qt_test_support.h"
#include "platform/tests/test_home.h"

namespace {

using qttest::App;

Variant Setting(const char* name, int typeCode) {
  return ReadFromRegistry("", HKEY_CURRENT_USER, TelmoraSettingsKey, name, typeCode);
}

class MainWindow : public ::testing::Test {
 protected:
  // Every test starts with no settings, in a folder of its own.
  TTestHome home_;
  void SetUp() override {
    App();
    auto form = std::make_unique<TForm1>(nullptr);
    form_ = form.get();
    window_ = std::make_unique<qtview::FormWindow>(std::move(form));
    window_->show();
  }

  template <class W>
  W* Widget(const char* name) {
    W* w = window_->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  TScriptedUIScope ui_;  // no real box may block a test
  TForm1* form_ = nullptr;
  std::unique_ptr<qtview::FormWindow> window_;
};

TEST_F(MainWindow, ControlsStandWhereTheDesignPutsThem) {
  EXPECT_EQ(window_->windowTitle(), "Telmora Application");
  EXPECT_EQ(window_->size(), QSize(547, 349));

  struct Expected {
    const char* name;
    const char* text;
    QRect geometry;
  };
  const Expected buttons[] = {
      {"bbtnOpenTAPI", "Open Tapi Device", {8, 8, 99, 25}},    {"bbtnCall", "Make A Call", {8, 48, 97, 25}},
      {"bbtnAnswerTAPI", "Answer Call", {8, 88, 97, 25}},      {"bbtnHangupTAPI", "Hangup Call", {8, 128, 97, 25}},
      {"bbtnPlaySoundTAPI", "Play a Sound", {8, 208, 97, 25}}, {"bbtnRecordTAPI", "Record a Msg", {8, 288, 97, 25}},
      {"bbtnStopRecordTAPI", "Stop Recording", {8, 320, 97, 25}},
  };
  for (const Expected& e : buttons) {
    auto* b = Widget<QPushButton>(e.name);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->text(), e.text) << e.name;
    EXPECT_EQ(b->geometry(), e.geometry) << e.name;
  }
  EXPECT_EQ(Widget<QLineEdit>("edtTestWav")->geometry(), QRect(8, 176, 97, 21));
  EXPECT_EQ(Widget<QLineEdit>("edtTestWav")->text(), "");
  EXPECT_EQ(Widget<QLineEdit>("edtMaxRecordTime")->geometry(), QRect(8, 256, 97, 21));
  EXPECT_EQ(Widget<QLineEdit>("edtMaxRecordTime")->text(), "300");
  EXPECT_EQ(Widget<QLabel>("lblSoundFile")->text(), "WAV File:");
  EXPECT_EQ(Widget<QLabel>("lblSoundFile")->pos(), QPoint(8, 160));
  EXPECT_EQ(Widget<QLabel>("Label1")->text(), "Max recording secs:");
  EXPECT_EQ(Widget<QLabel>("Label1")->pos(), QPoint(8, 240));
  EXPECT_EQ(Widget<QPlainTextEdit>("memoTAPI")->geometry(), QRect(547 - 435, 0, 435, 349));
  EXPECT_TRUE(Widget<QPlainTextEdit>("memoTAPI")->toPlainText().isEmpty());
}

// Measured with the widget's own font, independently of how the view chose
// it: a caption inside its button's frame, a line inside its edit, a label
// clear of its neighbours.
TEST_F(MainWindow, EveryTextFitsItsControl) {
  for (QPushButton* b : window_->findChildren<QPushButton*>()) {
    const QFontMetrics fm(b->font());
    const int frame = b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b);
    EXPECT_LE(fm.horizontalAdvance(b->text()) + 2 * frame + 4, b->width()) << b->objectName().toStdString();
    EXPECT_LE(fm.height() + 2 * frame, b->height()) << b->objectName().toStdString();
    EXPECT_GE(b->font().pixelSize(), 8);
  }
  for (QLineEdit* e : window_->findChildren<QLineEdit*>()) {
    const QFontMetrics fm(e->font());
    EXPECT_LE(fm.height() + 4, e->height()) << e->objectName().toStdString();
    EXPECT_LE(fm.horizontalAdvance(e->text()) + 8, e->width()) << e->objectName().toStdString();
  }
  const QRect memo = Widget<QPlainTextEdit>("memoTAPI")->geometry();
  for (QLabel* l : window_->findChildren<QLabel*>()) {
    const QFontMetrics fm(l->font());
    EXPECT_GE(l->width(), fm.horizontalAdvance(l->text())) << l->objectName().toStdString();
    EXPECT_FALSE(l->geometry().intersects(memo)) << l->objectName().toStdString();
    EXPECT_LE(l->geometry().bottom(), l->objectName() == "lblSoundFile" ? 175 : 255)
        << "runs into the edit below it: " << l->objectName().toStdString();
  }
  for (QWidget* w : window_->View()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    EXPECT_TRUE(qtview::TextFits(*w)) << w->objectName().toStdString();
}

TEST_F(MainWindow, TabGoesThroughTheControlsInDesignOrder) {
  const char* const order[] = {"bbtnOpenTAPI", "bbtnPlaySoundTAPI", "bbtnAnswerTAPI", "bbtnHangupTAPI",
                               "bbtnRecordTAPI", "memoTAPI",          "edtTestWav",     "bbtnCall",
                               "bbtnStopRecordTAPI", "edtMaxRecordTime"};
  QWidget* w = window_->findChild<QWidget*>("bbtnOpenTAPI");
  ASSERT_NE(w, nullptr);
  for (std::size_t i = 1; i < std::size(order); ++i) {
    do w = w->nextInFocusChain();
    while (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty());
    EXPECT_EQ(w->objectName().toStdString(), order[i]);
  }
  EXPECT_EQ(Widget<QLabel>("Label1")->focusPolicy(), Qt::NoFocus);
}

TEST_F(MainWindow, EditsAndMemoFollowTheForm) {
  auto* wav = Widget<QLineEdit>("edtTestWav");
  QTest::keyClicks(wav, "/tmp/a.wav");
  EXPECT_EQ(form_->edtTestWav->Text, "/tmp/a.wav");

  // Form code run from the main thread's queue (here a hidden window's
  // message) shows in the widgets once Qt has drained the queue.
  qtview::MainLoop::Install();
  HWND hidden = AllocateHWnd([this](UINT, WPARAM, LPARAM) -> LRESULT {
    form_->edtMaxRecordTime->Text = "42";
    return 0;
  });
  PostMessage(hidden, WM_USER, 0, 0);
  QCoreApplication::processEvents();
  DeallocateHWnd(hidden);
  qtview::MainLoop::Remove();
  EXPECT_EQ(Widget<QLineEdit>("edtMaxRecordTime")->text(), "42");

  HCALL call = 7;
  form_->mkTAPICallRingEvent(2, call);
  form_->mkTAPICallDisconnectedEvent(7);
  EXPECT_EQ(Widget<QPlainTextEdit>("memoTAPI")->toPlainText(),
            "Detected RING event via TAPI, RINGS: 2\nTAPI component called CallDisconnected Event.");

  // Aligned right: stays at the right edge and as high as the client area.
  window_->resize(700, 500);
  EXPECT_EQ(Widget<QPlainTextEdit>("memoTAPI")->geometry(), QRect(700 - 435, 0, 435, 500));
  EXPECT_EQ(form_->memoTAPI->Height, 500);
  EXPECT_EQ(Widget<QPushButton>("bbtnOpenTAPI")->pos(), QPoint(8, 8));
}

TEST_F(MainWindow, ClosingSavesTheSettingsAndDestroysTheForm) {
  QTest::keyClicks(Widget<QLineEdit>("edtTestWav"), "/tmp/call.wav");
  auto* max = Widget<QLineEdit>("edtMaxRecordTime");
  max->clear();
  QTest::keyClicks(max, "-5");

  EXPECT_TRUE(window_->close());
  EXPECT_EQ(window_->Form(), nullptr);
  EXPECT_EQ(VarToStr(Setting("WavFile", varString)), "/tmp/call.wav");
  EXPECT_EQ(VarToStr(Setting("CallPhoneNumber", varString)), "");
  EXPECT_EQ(Setting("MaxRecordSecs", varInteger).ToInt(), -5);
}

// A click that is still running (as Play and Record wait with the window
// alive) keeps the form: the close happens after the click has returned.
TEST_F(MainWindow, CloseDuringARunningClickWaitsForIt) {
  std::vector<std::string> events;
  form_->bbtnRecordTAPI->OnClick = TNotifyEvent::FromCallable([&](TObject*) {
    events.push_back("click begins");
    EXPECT_FALSE(window_->close());
    QCoreApplication::processEvents();
    EXPECT_NE(window_->Form(), nullptr);
    EXPECT_TRUE(window_->ClosePending());
    events.push_back("click ends");
  });
  form_->edtTestWav->Text = "/tmp/late.wav";

  QTest::mouseClick(Widget<QPushButton>("bbtnRecordTAPI"), Qt::LeftButton);
  EXPECT_EQ(events, (std::vector<std::string>{"click begins", "click ends"}));
  EXPECT_NE(window_->Form(), nullptr);  // still on the click's way out

  QCoreApplication::processEvents();
  EXPECT_EQ(window_->Form(), nullptr);
  EXPECT_EQ(VarToStr(Setting("WavFile", varString)), "/tmp/late.wav");
}

TEST_F(MainWindow, AFormThatRefusesKeepsTheWindowOpen) {
  form_->OnCloseQuery = TCloseQueryEvent::FromCallable([](TObject*, bool& canClose) { canClose = false; });
  EXPECT_FALSE(window_->close());
  EXPECT_NE(window_->Form(), nullptr);
}

}  // namespace
