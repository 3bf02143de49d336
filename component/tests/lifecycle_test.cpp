#include <gtest/gtest.h>

#include "component/mkTAPI.h"
#include "platform/streaming.h"
#include "platform/ui_scripted.h"

TEST(Lifecycle, NewComponentIsClosedWithItsDefaults) {
  TmkTAPI tapi(nullptr);
  EXPECT_EQ(tapi.OpenDeviceID(), 4294967295ul);
  EXPECT_EQ(tapi.TAPIDevicesDetected(), 0ul);
  EXPECT_EQ(tapi.TAPIVersionString(), "");
  EXPECT_EQ(tapi.Privileges(), 6);
  EXPECT_EQ(tapi.MediaModes(), 4);
  EXPECT_EQ(tapi.LineApp1(), 0u);
  EXPECT_EQ(tapi.LineApp2(), 0u);
  EXPECT_FALSE(tapi.AutomatedVoiceAllowed()) << "no capability record, nothing allowed";
  EXPECT_FALSE(tapi.OnTapiError.Assigned());
}

TEST(Lifecycle, CloseDeviceOnAClosedComponentChangesNothingEvenTwice) {
  TScriptedUIScope ui;
  TmkTAPI tapi(nullptr);
  tapi.SetPrivileges(2);
  EXPECT_FALSE(tapi.CloseDevice());
  EXPECT_FALSE(tapi.CloseDevice());
  EXPECT_EQ(tapi.OpenDeviceID(), 0xFFFFFFFFul);
  EXPECT_EQ(tapi.Privileges(), 2);
  EXPECT_EQ(ui->BoxCount(), 0u);
}

TEST(Lifecycle, ProcessMessagesDrainsTheQueueAndDropsQuit) {
  TmkTAPI tapi(nullptr);
  int dispatched = 0;
  HWND w = AllocateHWnd([&](UINT, WPARAM, LPARAM) -> LRESULT {
    ++dispatched;
    return 0;
  });
  PostMessage(w, WM_USER, 0, 0);
  PostQuitMessage(0);
  PostMessage(w, WM_USER, 0, 0);
  tapi.ProcessMessages();
  EXPECT_EQ(dispatched, 2);
  MSG msg;
  EXPECT_FALSE(PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) << "WM_QUIT was consumed and lost";
  tapi.ProcessMessages();  // an empty queue returns at once
  DeallocateHWnd(w);
}

TEST(Lifecycle, DescriptionStoresOnlyWhatDiffersFromDefaults) {
  TmkTAPI tapi(nullptr);
  tapi.Name = "mkTAPI";
  EXPECT_EQ(WriteComponentText(tapi), "object mkTAPI: TmkTAPI\nend\n");
  tapi.SetPrivileges(0);
  tapi.SetMediaModes(0);
  tapi.SetAppTitle("Bench");
  EXPECT_EQ(WriteComponentText(tapi),
            "object mkTAPI: TmkTAPI\n  Privileges = 0\n  MediaModes = 0\n  AppTitle = 'Bench'\nend\n");

  TmkTAPI copy(nullptr);
  copy.Name = "mkTAPI";
  ReadComponentText(copy, WriteComponentText(tapi), copy);
  EXPECT_EQ(copy.Privileges(), 0);
  EXPECT_EQ(copy.MediaModes(), 0);
  EXPECT_EQ(copy.AppTitle(), "Bench");
  EXPECT_THROW(ReadComponentText(copy, "object mkTAPI: TmkTAPI\n  OpenDeviceID = 3\nend\n", copy), Exception)
      << "read-only properties are never stored";
  EXPECT_THROW(ReadComponentText(copy, "object mkTAPI: TmkTAPI\n  OnTapiError = nothing\nend\n", copy), Exception);
}

TEST(Lifecycle, RegisterPutsTheClassOnItsPalettePage) {
  Register();
  const auto entries = RegisteredComponents();
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.back(), (std::pair<AnsiString, AnsiString>{"Marnek Software", "TmkTAPI"}));
}
