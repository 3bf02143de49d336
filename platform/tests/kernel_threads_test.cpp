#include <gtest/gtest.h>

#include <thread>

#include "platform/kernel.h"

TEST(KernelEvents, ManualStaysSignalledAutoResetsOnWake) {
  HANDLE manual = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE automatic = CreateEvent(nullptr, FALSE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
  SetEvent(manual);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  ResetEvent(manual);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);

  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);
  CloseHandle(manual);
  CloseHandle(automatic);
}

TEST(KernelEvents, AnyReportsLowestSignalledIndexAllNeedsEvery) {
  HANDLE a = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE b = CreateEvent(nullptr, TRUE, TRUE, nullptr);
  HANDLE c = CreateEvent(nullptr, TRUE, TRUE, nullptr);
  HANDLE list[3] = {a, b, c};
  EXPECT_EQ(WaitForMultipleObjects(3, list, FALSE, 0), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForMultipleObjects(3, list, TRUE, 0), WAIT_TIMEOUT);
  SetEvent(a);
  EXPECT_EQ(WaitForMultipleObjects(3, list, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(3, list, TRUE, 0), WAIT_OBJECT_0);
  for (HANDLE h : list) CloseHandle(h);
}

TEST(KernelEvents, ClosedUnknownOrBadListsFail) {
  HANDLE e = CreateEvent(nullptr, TRUE, TRUE, nullptr);
  HANDLE list[2] = {e, 0xDEAD0000};
  EXPECT_EQ(WaitForMultipleObjects(2, list, FALSE, 0), WAIT_FAILED) << "an unknown handle fails even beside a signalled one";
  EXPECT_EQ(WaitForMultipleObjects(0, list, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForMultipleObjects(1, nullptr, FALSE, 0), WAIT_FAILED);
  EXPECT_TRUE(CloseHandle(e));
  EXPECT_FALSE(CloseHandle(e)) << "a second close is refused";
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_FAILED);
  EXPECT_FALSE(SetEvent(e));
  HANDLE fresh = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  EXPECT_NE(fresh, e) << "ids are not reused, so stale handles stay invalid";
  CloseHandle(fresh);
}

TEST(KernelEvents, WaiterWakesOnSetAndFailsWhenItsHandleIsClosed) {
  HANDLE e = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  DWORD woke = 12345;
  std::thread waiter([&] { woke = WaitForSingleObject(e, INFINITE); });
  SetEvent(e);
  waiter.join();
  EXPECT_EQ(woke, WAIT_OBJECT_0);

  HANDLE started = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  std::thread blocked([&] {
    SetEvent(started);
    woke = WaitForSingleObject(e, INFINITE);
  });
  ASSERT_EQ(WaitForSingleObject(started, 5000), WAIT_OBJECT_0);
  CloseHandle(e);
  blocked.join();
  EXPECT_EQ(woke, WAIT_FAILED);
  CloseHandle(started);
}
