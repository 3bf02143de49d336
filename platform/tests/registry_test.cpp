#include "platform/registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "platform/registry_store.h"
#include "platform/tests/test_home.h"
#include "platform/ui_scripted.h"

namespace {

const char* const kKey = "SOFTWARE\\MARNEK\\Telmora";

class RegistryTest : public ::testing::Test {
 protected:
  TTestHome home;
  TScriptedUIScope ui;
};

TEST_F(RegistryTest, EveryTypeSurvivesASaveAndAFreshLoad) {
  const std::string awkward = "C:\\sounds\\a \"b\".wav\nsecond line\ttab\x01 end";
  std::vector<BYTE> blob(100);
  for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<BYTE>(i * 7);
  const TDateTime when = EncodeDateTime(2024, 2, 29, 13, 45, 10);
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteString("", "default");
    reg.WriteString("WavFile", awkward);
    reg.WriteString("Empty", "");
    reg.WriteInteger("MaxRecordSecs", 300);
    reg.WriteInteger("Negative", -5);
    reg.WriteBool("On", true);
    reg.WriteBool("Off", false);
    reg.WriteFloat("Float", 0.1);
    reg.WriteCurrency("Money", Currency(12.3456));
    reg.WriteDate("When", when);
    reg.WriteBinaryData("Blob", blob.data(), static_cast<int>(blob.size()));
    reg.WriteBinaryData("NoBytes", nullptr, 0);
    reg.RootKey = HKEY_LOCAL_MACHINE;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Other", true));
    reg.WriteInteger("Machine", 1);
  }

  const std::string text = TTestHome::Contents(home.File());
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\n\n", 0), 0u) << text;
  for (const char* line : {"[HKEY_CURRENT_USER\\SOFTWARE\\MARNEK\\Telmora]\n@=\"default\"\n",
                           "\n\"MaxRecordSecs\"=dword:0000012c\n", "\n\"Negative\"=dword:fffffffb\n",
                           "\n\"WavFile\"=\"C:\\\\sounds\\\\a \\\"b\\\".wav\\nsecond line\\ttab\\x01 end\"\n",
                           "\n\"NoBytes\"=hex:\n", "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\nin\n" << text;
  }

  platform::ResetRegistryStoreForTests();
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly(kKey));
  EXPECT_EQ(reg.ReadString(""), "default");
  EXPECT_EQ(reg.ReadString("wavfile"), awkward);  // names ignore case
  EXPECT_EQ(reg.ReadString("Empty"), "");
  EXPECT_EQ(reg.GetDataType("Empty"), rdString);
  EXPECT_EQ(reg.ReadInteger("MaxRecordSecs"), 300);
  EXPECT_EQ(reg.ReadInteger("Negative"), -5);
  EXPECT_TRUE(reg.ReadBool("On"));
  EXPECT_FALSE(reg.ReadBool("Off"));
  EXPECT_EQ(reg.ReadFloat("Float"), 0.1);
  EXPECT_EQ(reg.ReadCurrency("Money"), Currency(12.3456));
  EXPECT_EQ(reg.ReadDate("When"), when);
  std::vector<BYTE> back(200);
  EXPECT_EQ(reg.ReadBinaryData("Blob", back.data(), static_cast<int>(back.size())), 100);
  back.resize(100);
  EXPECT_EQ(back, blob);
  EXPECT_EQ(reg.GetDataType("NoBytes"), rdBinary);
  EXPECT_EQ(reg.GetDataSize("NoBytes"), 0);
  reg.RootKey = HKEY_LOCAL_MACHINE;
  ASSERT_TRUE(reg.OpenKey("\\software\\other", false));
  EXPECT_EQ(reg.ReadInteger("Machine"), 1);
  EXPECT_EQ(ui->BoxCount(), 0u);
}

TEST_F(RegistryTest, ReadsAFileAPersonWroteByHand) {
  home.WriteFile(
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; edited by hand\r\n"
      "[hkey_current_user\\Software\\Marnek\\Telmora]\r\n"
      "\"MaxRecordSecs\"=dword:3C  \r\n"
      "\"Key\"=hex:01,02,\\\r\n"
      "  03,04\r\n");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  EXPECT_EQ(reg.ReadInteger("MaxRecordSecs"), 60);
  BYTE bytes[4] = {};
  EXPECT_EQ(reg.ReadBinaryData("Key", bytes, 4), 4);
  EXPECT_EQ(bytes[3], 4);
  EXPECT_EQ(ui->BoxCount(), 0u);
}

TEST_F(RegistryTest, AnEditMadeWhileTheBenchRunsIsKeptWhenItSaves) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, true));
  reg.WriteString("WavFile", "/tmp/a.wav");
  // Someone edits the file by hand meanwhile.
  home.WriteFile(TTestHome::Contents(home.File()) + "\"CallPhoneNumber\"=\"5551234\"\r\n");
  EXPECT_EQ(reg.ReadString("CallPhoneNumber"), "5551234");
  reg.WriteInteger("MaxRecordSecs", 42);
  platform::ResetRegistryStoreForTests();
  TRegistry fresh;
  ASSERT_TRUE(fresh.OpenKey(kKey, false));
  EXPECT_EQ(fresh.ReadString("WavFile"), "/tmp/a.wav");
  EXPECT_EQ(fresh.ReadString("CallPhoneNumber"), "5551234");
  EXPECT_EQ(fresh.ReadInteger("MaxRecordSecs"), 42);
  EXPECT_EQ(ui->BoxCount(), 0u);
}

TEST_F(RegistryTest, AReaderOfAnotherTypeRaisesInvalidDataType) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, true));
  reg.WriteString("Text", "300");
  reg.WriteInteger("Number", 300);
  const BYTE four[4] = {1, 2, 3, 4};
  reg.WriteBinaryData("Four", four, 4);
  reg.WriteFloat("Eight", 1.5);
  BYTE small[4];
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"Text", [&] { reg.ReadInteger("Text"); }},
      {"Text", [&] { reg.ReadBool("Text"); }},
      {"Text", [&] { reg.ReadFloat("Text"); }},
      {"Number", [&] { reg.ReadString("Number"); }},
      {"Number", [&] { reg.ReadDate("Number"); }},
      {"Four", [&] { reg.ReadInteger("Four"); }},
      {"Four", [&] { reg.ReadCurrency("Four"); }},  // right type, wrong size
      {"Eight", [&] { reg.ReadBinaryData("Eight", small, sizeof small); }},
  };
  for (const auto& [name, read] : cases) {
    try {
      read();
      ADD_FAILURE() << name << " was read";
    } catch (const ERegistryException& e) {
      EXPECT_EQ(e.Message, std::string("Invalid data type for '") + name + "'");
    }
  }
}

TEST_F(RegistryTest, MissingValuesAndKeys) {
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey(kKey, false));
  EXPECT_FALSE(reg.KeyExists(kKey));
  EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException);  // no key open
  ASSERT_TRUE(reg.OpenKey(kKey, true));
  EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\MARNEK"));  // parents come with it
  EXPECT_FALSE(reg.ValueExists("Nope"));
  EXPECT_EQ(reg.ReadString("Nope"), "");
  EXPECT_EQ(reg.ReadBinaryData("Nope", nullptr, 0), 0);
  EXPECT_EQ(reg.GetDataType("Nope"), rdUnknown);
  EXPECT_EQ(reg.GetDataSize("Nope"), -1);
  try {
    reg.ReadInteger("Nope");
    FAIL();
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message, "Failed to get data for 'Nope'");
  }
  EXPECT_FALSE(reg.DeleteValue("Nope"));
}

TEST_F(RegistryTest, KeyPathsAreRelativeToTheOpenKeyUnlessTheyStartAtTheRoot) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE", true));
  ASSERT_TRUE(reg.OpenKey("MARNEK\\Telmora\\", true));
  EXPECT_EQ(reg.CurrentPath(), kKey);
  EXPECT_TRUE(reg.OpenKey("\\SOFTWARE", false));
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE");
  EXPECT_FALSE(reg.OpenKey("\\SOFTWARE\\\\MARNEK", true));
  EXPECT_FALSE(reg.OpenKey("bad\nname", true));
  reg.RootKey = HKEY_USERS;  // not kept here
  EXPECT_FALSE(reg.OpenKey("\\SOFTWARE", true));
  EXPECT_EQ(RegFlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  EXPECT_EQ(RegFlushKey(HKEY_USERS), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, ReadOnlyKeysRefuseChangesAndDeletionsPersist) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteInteger("Gone", 1);
    reg.WriteInteger("Kept", 2);
  }
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly(kKey));
  EXPECT_THROW(reg.WriteInteger("Gone", 3), ERegistryException);
  EXPECT_FALSE(reg.DeleteValue("Gone"));
  ASSERT_TRUE(reg.OpenKey(AnsiString("\\") + kKey, false));
  EXPECT_TRUE(reg.DeleteValue("Gone"));
  platform::ResetRegistryStoreForTests();
  EXPECT_FALSE(reg.ValueExists("Gone"));
  EXPECT_TRUE(reg.ValueExists("Kept"));
}

TEST_F(RegistryTest, OnlyTheLocalMachineConnects) {
  char host[HOST_NAME_MAX + 1] = {};
  ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
  TRegistry reg;
  EXPECT_TRUE(reg.RegistryConnect(""));
  EXPECT_TRUE(reg.RegistryConnect("\\\\localhost"));
  EXPECT_TRUE(reg.RegistryConnect(AnsiString("\\\\") + host));
  EXPECT_FALSE(reg.RegistryConnect("\\\\faraway"));
  EXPECT_FALSE(reg.RegistryConnect("faraway"));
}

TEST_F(RegistryTest, ADamagedFileIsReportedOnceKeptAsideAndTheDefaultsAreUsed) {
  const struct {
    const char* text;
    const char* where;
  } cases[] = {
      {"REGEDIT4\n", "line 1: the first line must be"},
      {"Windows Registry Editor Version 5.00\n\"a\"=dword:1\n", "line 2: a value comes before any [key] line"},
      {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\S]\n\"a\"=dword:123456789\n", "line 3: a dword"},
      {"Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\S]\n\"a\"=\"open\n", "line 4: quoted text"},
      {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\S]\n\"a\"=\"\\q\"\n", "line 3: unknown escape"},
      {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\S]\n\"a\"=hex:1,2\n", "line 3: hex data"},
      {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\S]\n\"a\"=hex:01,\\", "line 3: the file ends"},
      {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\S]\n\"a\"=hex:01,\\\n\n", "line 3: hex data"},
      {"Windows Registry Editor Version 5.00\n[HKEY_NOWHERE\\S]\n", "line 2: unknown root key 'HKEY_NOWHERE'"},
      {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\S]\n\"a\"=hex(2):00\n", "line 3: unsupported"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    for (const auto& aside : home.SetAsideFiles()) std::filesystem::remove(aside);
    platform::ResetRegistryStoreForTests();
    ui->ClearBoxes();
    home.WriteFile(c.text);

    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("\\S"));
    EXPECT_FALSE(reg.KeyExists("\\S"));
    ASSERT_EQ(ui->BoxCount(), 1u);
    const auto box = ui->Boxes()[0];
    EXPECT_EQ(box.caption, "Registry");
    EXPECT_NE(box.text.find(home.File()), std::string::npos) << box.text;
    EXPECT_NE(box.text.find(c.where), std::string::npos) << box.text;

    const auto aside = home.SetAsideFiles();
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(TTestHome::Contents(aside[0]), c.text);
    EXPECT_FALSE(std::filesystem::exists(home.File()));

    // The next change starts a new file; the damaged one stays as it was.
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteInteger("MaxRecordSecs", 300);
    EXPECT_TRUE(std::filesystem::exists(home.File()));
    EXPECT_EQ(TTestHome::Contents(aside[0]), c.text);
    EXPECT_EQ(ui->BoxCount(), 1u);
  }
}

TEST_F(RegistryTest, AnUnreadableFileIsSetAsideToo) {
  std::filesystem::create_directory(home.File());
  TRegistry reg;
  EXPECT_FALSE(reg.KeyExists(kKey));
  ASSERT_EQ(ui->BoxCount(), 1u);
  EXPECT_NE(ui->Boxes()[0].text.find("cannot be read"), std::string::npos) << ui->Boxes()[0].text;
  EXPECT_EQ(home.SetAsideFiles().size(), 1u);
}

TEST_F(RegistryTest, AFailedSaveLeavesTheFileAndTheValueAsTheyWere) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, true));
  reg.WriteInteger("MaxRecordSecs", 300);
  const std::string before = TTestHome::Contents(home.File());

  std::filesystem::create_directory(home.TempFile());  // the save cannot write its new copy
  try {
    reg.WriteInteger("MaxRecordSecs", 60);
    FAIL() << "the write reported success";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message.rfind("Failed to set data for 'MaxRecordSecs': ", 0), 0u) << e.Message;
  }
  EXPECT_FALSE(reg.OpenKey("\\SOFTWARE\\New", true));
  EXPECT_EQ(TTestHome::Contents(home.File()), before);
  ASSERT_TRUE(reg.OpenKey(AnsiString("\\") + kKey, false));
  EXPECT_EQ(reg.ReadInteger("MaxRecordSecs"), 300);
  EXPECT_FALSE(reg.KeyExists("\\SOFTWARE\\New"));

  std::filesystem::remove(home.TempFile());
  reg.WriteInteger("MaxRecordSecs", 60);
  platform::ResetRegistryStoreForTests();
  EXPECT_EQ(reg.ReadInteger("MaxRecordSecs"), 60);
}

}  // namespace
