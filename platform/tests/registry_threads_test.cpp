#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_store.h"
#include "platform/tests/test_home.h"
#include "platform/ui_scripted.h"

namespace {

// Threads that start together race on the first load and then on every save;
// afterwards the file must hold exactly what each of them wrote.
TEST(RegistryThreads, ConcurrentWritersAllLandInTheFile) {
  TTestHome home;
  TScriptedUIScope ui;
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Shared", true));
    reg.WriteString("Before", "kept");
  }
  platform::ResetRegistryStoreForTests();

  constexpr int kThreads = 4;
  constexpr int kValues = 20;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      TRegistry reg;
      const AnsiString key = "\\SOFTWARE\\Shared\\T" + IntToStr(t);
      if (!reg.OpenKey(key, true)) return;
      for (int i = 0; i < kValues; ++i) {
        reg.WriteInteger("V" + IntToStr(i), t * 1000 + i);
        if (reg.ReadInteger("V" + IntToStr(i)) != t * 1000 + i) return;
      }
    });
  }
  for (auto& thread : threads) thread.join();

  platform::ResetRegistryStoreForTests();
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\Shared"));
  EXPECT_EQ(reg.ReadString("Before"), "kept");
  for (int t = 0; t < kThreads; ++t) {
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\Shared\\T" + IntToStr(t)));
    for (int i = 0; i < kValues; ++i) EXPECT_EQ(reg.ReadInteger("V" + IntToStr(i)), t * 1000 + i);
  }
  EXPECT_EQ(ui->BoxCount(), 0u);
}

}  // namespace
