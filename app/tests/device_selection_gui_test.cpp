// The component's device selection in the real window face: the dialog
// lists the simulated devices and hands back the one the operator picks;
// line messages keep reaching the main thread while a modal box is open.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "app/qt/qt_ui.h"
#include "app/tests/qt_test_support.h"
#include "component/mkTAPI.h"
#include "component/mkTAPIThread.h"
#include "component/tests/thread_wiring.h"
#include "platform/kernel.h"
#include "telephony/service/control.h"
#include "telephony/sim/control.h"
#include "telephony/tests/sim_fixture.h"

namespace {

using qttest::App;
using qttest::OnNextModal;

class DeviceSelection : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    qtview::MainLoop::Install();
    previous_ = platform::SetUI(std::make_unique<qtview::QtUserInteraction>());
    telephony::sim::Config config;
    config.manualClock = true;
    config.controlSocket = false;
    for (const char* name : {"Alpha", "Bravo", "Charlie"}) {
      telephony::sim::DeviceConfig d;
      d.info.name = name;
      config.devices.push_back(d);
    }
    telephony::sim::Control::Install(config);
  }
  void TearDown() override {
    telephony::sim::Control::Reset();
    platform::SetUI(std::move(previous_));
    qtview::MainLoop::Remove();
  }

  TmkTAPI tapi_{nullptr};
  std::unique_ptr<TUserInteraction> previous_;
};

}  // namespace

TEST_F(DeviceSelection, PickingTheSecondOfThreeGivesDeviceOne) {
  OnNextModal op([](QWidget* w) {
    auto* list = w->findChild<QListWidget*>("lbTAPIDevList");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(1)->text(), "Bravo");
    list->setCurrentRow(1);
    QTest::mouseClick(w->findChild<QPushButton*>("bbtnOk"), Qt::LeftButton);
  });
  unsigned long id = 0xFFFFFFFF;
  LINEDEVCAPS* caps = tapi_.GetDeviceCapabilities(id, true);
  EXPECT_TRUE(op.Acted());
  ASSERT_NE(caps, nullptr);
  EXPECT_EQ(id, 1ul);
  EXPECT_EQ(tapi_.GetLineName(caps), "Bravo");
}

TEST_F(DeviceSelection, DoubleClickingAnEntryChoosesIt) {
  OnNextModal op([](QWidget* w) {
    auto* list = w->findChild<QListWidget*>("lbTAPIDevList");
    ASSERT_NE(list, nullptr);
    const QPoint at = list->visualItemRect(list->item(2)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  });
  EXPECT_EQ(tapi_.GetTAPIDevice(3), 2);
  EXPECT_TRUE(op.Acted());
}

TEST_F(DeviceSelection, AHandOverArrivingInsideAModalBoxIsServedThere) {
  const teltest::App reg = teltest::Initialize();
  const HLINEAPP app = reg.app;
  HANDLE stop = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  mkTAPIThread thread(true);
  WireMessageThread(thread, app, reg.event, stop);
  QMessageBox* openBox = nullptr;
  bool servedInsideTheBox = false;
  // The operator reads the box until the hand-over has come through it.
  thread.FOnDispatch = TLineMessageDispatch::FromCallable([&](LINEMESSAGE*) {
    servedInsideTheBox = openBox != nullptr && openBox->isVisible();
    if (openBox) QMetaObject::invokeMethod(openBox, &QDialog::accept, Qt::QueuedConnection);
  });
  thread.Resume();

  OnNextModal op([&](QWidget* w) {
    openBox = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(openBox, nullptr);
    ASSERT_EQ(telephony::InjectMessage(app, LINEMESSAGE{0, LINE_REPLY, 0, 1, 0, 0}), 0);
  });
  MessageBox(0, "Busy", "ERROR", MB_OK);
  EXPECT_TRUE(op.Acted());
  EXPECT_TRUE(servedInsideTheBox);
  SetEvent(stop);
  thread.WaitFor();
  CloseHandle(stop);
}
