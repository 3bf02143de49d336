// Forms shown modally through the Qt view (the device selection dialog),
// and the Qt user interaction called from a worker thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <thread>

#include "app/qt/form_dialog.h"
#include "app/qt/form_view.h"
#include "app/qt/main_loop.h"
#include "app/qt/qt_ui.h"
#include "component/mkFormTAPIDevList.h"
#include "platform/kernel.h"
#include "platform/ui_scripted.h"
#include "app/tests/qt_test_support.h"

namespace {

using qttest::App;
using qttest::OnNextModal;
using qttest::RunOnWorkerWithQtLoop;

class DeviceDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    form_.lbTAPIDevList->Items.Add("Line Zero");
    form_.lbTAPIDevList->Items.Add("Line One");
  }

  TScriptedUIScope ui_;
  TfrmTAPIDevList form_{nullptr};
};

TEST_F(DeviceDialog, ShowsTheFormAsDesigned) {
  OnNextModal op([](QWidget* w) {
    EXPECT_EQ(w->windowTitle(), "Select a TAPI Device to use");
    EXPECT_EQ(w->size(), QSize(257, 187));
    auto* list = w->findChild<QListWidget*>("lbTAPIDevList");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->geometry(), QRect(0, 0, 257, 153));
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), "Line One");
    auto* ok = w->findChild<QPushButton*>("bbtnOk");
    auto* cancel = w->findChild<QPushButton*>("bbtnCancel");
    ASSERT_TRUE(ok && cancel);
    EXPECT_EQ(ok->text(), "Ok");
    EXPECT_EQ(ok->geometry(), QRect(88, 160, 75, 25));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(cancel->geometry(), QRect(176, 160, 75, 25));
    for (QWidget* c : w->findChildren<qtview::FormView*>().front()->findChildren<QWidget*>(
             Qt::FindDirectChildrenOnly))
      EXPECT_TRUE(qtview::TextFits(*c)) << c->objectName().toStdString();
    QTest::keyClick(w, Qt::Key_Escape);
  });
  EXPECT_EQ(qtview::ShowFormModal(form_), mrCancel);
  EXPECT_TRUE(op.Acted());
}

TEST_F(DeviceDialog, OkWithoutSelectionIsRefusedAndTheDialogStaysOpen) {
  OnNextModal op([](QWidget* w) {
    auto* ok = w->findChild<QPushButton*>("bbtnOk");
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_TRUE(w->isVisible());
    w->findChild<QListWidget*>("lbTAPIDevList")->setCurrentRow(1);
    QTest::mouseClick(ok, Qt::LeftButton);
  });
  EXPECT_EQ(qtview::ShowFormModal(form_), mrOk);
  EXPECT_EQ(form_.lbTAPIDevList->ItemIndex, 1);
  ASSERT_EQ(ui_->BoxCount(), 1u);
  EXPECT_EQ(ui_->Boxes()[0].text, "You must select at least ONE TAPI Device!");
  EXPECT_EQ(ui_->Boxes()[0].caption, "Notice");
}

TEST_F(DeviceDialog, DoubleClickOnAnEntryAcceptsIt) {
  OnNextModal op([](QWidget* w) {
    auto* list = w->findChild<QListWidget*>("lbTAPIDevList");
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  });
  EXPECT_EQ(qtview::ShowFormModal(form_), mrOk);
  EXPECT_EQ(form_.lbTAPIDevList->ItemIndex, 0);
  EXPECT_EQ(ui_->BoxCount(), 0u);
}

TEST_F(DeviceDialog, TitleBarCloseCancelsEvenWithNothingSelected) {
  OnNextModal op([](QWidget* w) { w->close(); });
  EXPECT_EQ(qtview::ShowFormModal(form_), mrCancel);
  EXPECT_EQ(ui_->BoxCount(), 0u);
}

TEST(QtUserInteraction, AWorkersBoxIsShownOnTheMainThreadAndAnswered) {
  App();
  qtview::QtUserInteraction ui;
  OnNextModal op([](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(QThread::currentThread(), qApp->thread());
    EXPECT_EQ(box->windowTitle(), "Problem Detected");
    EXPECT_EQ(box->text(), "Go on?");
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    ASSERT_NE(box->button(QMessageBox::No), nullptr);
    QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
  });
  int answer = 0;
  RunOnWorkerWithQtLoop([&] { answer = ui.MessageBox("Go on?", "Problem Detected", MB_YESNO | MB_ICONWARNING); });
  EXPECT_EQ(answer, IDYES);
}

TEST(QtUserInteraction, AWorkersDialogRunsModallyOnTheMainThread) {
  App();
  TScriptedUIScope boxes;
  qtview::QtUserInteraction ui;
  TfrmTAPIDevList form(nullptr);
  form.lbTAPIDevList->Items.Add("Only line");
  OnNextModal op([](QWidget* w) {
    w->findChild<QListWidget*>("lbTAPIDevList")->setCurrentRow(0);
    QTest::keyClick(w, Qt::Key_Return);
  });
  int result = mrNone;
  RunOnWorkerWithQtLoop([&] { result = ui.ShowModal(form); });
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(form.lbTAPIDevList->ItemIndex, 0);
}

TEST(QtUserInteraction, InputPromptGivesTheEnteredTextOrKeepsItOnCancel) {
  App();
  qtview::QtUserInteraction ui;
  AnsiString value = "555";
  {
    OnNextModal op([](QWidget* w) {
      auto* prompt = qobject_cast<QInputDialog*>(w);
      ASSERT_NE(prompt, nullptr);
      EXPECT_EQ(prompt->windowTitle(), "Enter Phone # to call");
      EXPECT_EQ(prompt->labelText(), "Phone #:");
      EXPECT_EQ(prompt->textValue(), "555");
      prompt->setTextValue("0123 456");
      prompt->accept();
    });
    EXPECT_TRUE(ui.InputQuery("Enter Phone # to call", "Phone #:", value));
  }
  EXPECT_EQ(value, "0123 456");
  {
    OnNextModal op([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_FALSE(ui.InputQuery("Enter Phone # to call", "Phone #:", value));
  }
  EXPECT_EQ(value, "0123 456");
}

}  // namespace
