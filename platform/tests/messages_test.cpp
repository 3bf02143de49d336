#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/kernel.h"
#include "platform/messages.h"

TEST(Messages, QueueIsFifoFilteredAndSignalsWhileNonEmpty) {
  MSG msg;
  while (PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
  }
  HANDLE q = platform::QueueEventForCurrentThread();
  EXPECT_EQ(WaitForSingleObject(q, 0), WAIT_TIMEOUT);
  PostMessage(0, WM_USER + 1, 1, 0);
  PostMessage(0, WM_USER + 2, 2, 0);
  EXPECT_EQ(WaitForSingleObject(q, 0), WAIT_OBJECT_0);

  ASSERT_TRUE(PeekMessage(&msg, 0, WM_USER + 2, WM_USER + 2, PM_NOREMOVE));
  EXPECT_EQ(msg.wParam, 2u);
  ASSERT_TRUE(PeekMessage(&msg, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1);
  ASSERT_TRUE(PeekMessage(&msg, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 2);
  EXPECT_FALSE(PeekMessage(&msg, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(WaitForSingleObject(q, 0), WAIT_TIMEOUT);
}

TEST(Messages, UtilityWindowRunsItsMethodOnDispatchAndDiesWithDeallocate) {
  std::vector<UINT> seen;
  HWND w = AllocateHWnd([&](UINT m, WPARAM wp, LPARAM) -> LRESULT {
    seen.push_back(m);
    return static_cast<LRESULT>(wp * 2);
  });
  ASSERT_TRUE(PostMessage(w, WM_USER + 7, 21, 0));
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, w, 0, 0, PM_REMOVE));
  EXPECT_EQ(DispatchMessage(&msg), 42);
  EXPECT_EQ(seen, std::vector<UINT>{WM_USER + 7});
  DeallocateHWnd(w);
  EXPECT_FALSE(PostMessage(w, WM_USER, 0, 0));
}

TEST(Messages, AFilteredGetMessageWaitsForItsOwnKind) {
  MSG msg;
  while (PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
  }
  PostMessage(0, WM_USER + 1, 0, 0);  // not what the reader wants; stays queued
  std::thread poster([main = GetCurrentThreadId()] { PostThreadMessage(main, WM_USER + 2, 7, 0); });
  ASSERT_TRUE(GetMessage(&msg, 0, WM_USER + 2, WM_USER + 2));
  poster.join();
  EXPECT_EQ(msg.wParam, 7u);
  ASSERT_TRUE(PeekMessage(&msg, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1);
}
