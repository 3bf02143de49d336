#include "app/registry_access.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/tests/test_home.h"
#include "platform/ui_scripted.h"

namespace {

const char* const kKey = "SOFTWARE\\MARNEK\\Telmora";

class RegistryAccessTest : public ::testing::Test {
 protected:
  // Values as another program (or an earlier run) left them.
  void Store() {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteString("", "default");
    reg.WriteString("WavFile", "hello.wav");
    reg.WriteInteger("MaxRecordSecs", 300);
    reg.WriteBool("On", true);
    reg.WriteFloat("Float", 2.5);
    reg.WriteCurrency("Money", Currency(12.5));
    reg.WriteDate("When", when);
  }
  static Variant Read(const AnsiString& name, int typeCode) {
    return ReadFromRegistry("", HKEY_CURRENT_USER, kKey, name, typeCode);
  }
  static Variant Stored(const AnsiString& name, int typeCode) {
    platform::ResetRegistryStoreForTests();  // from the file, not from memory
    return Read(name, typeCode);
  }

  const TDateTime when = EncodeDateTime(2024, 2, 29, 13, 45, 10);
  TTestHome home;
  TScriptedUIScope ui;
};

TEST_F(RegistryAccessTest, TheTypeCodeChoosesTheReader) {
  Store();
  const struct {
    const char* name;
    int typeCode;
    Variant expected;
  } cases[] = {
      {"MaxRecordSecs", varSmallint, Variant(300)},
      {"MaxRecordSecs", varInteger, Variant(300)},
      {"Float", varSingle, Variant(2.5)},
      {"Float", varDouble, Variant(2.5)},
      {"Money", varCurrency, Variant(Currency(12.5))},
      {"When", varDate, Variant::FromDate(when)},
      {"WavFile", varOleStr, Variant("hello.wav")},
      {"WavFile", varByte, Variant("hello.wav")},  // a string, not a byte
      {"WavFile", varString, Variant("hello.wav")},
      {"On", varBoolean, Variant(true)},
      {"", varString, Variant("default")},  // the key's default value
      {"MaxRecordSecs", varVariant, Variant::Null()},
      {"MaxRecordSecs", varDispatch, Variant::Null()},
      {"MaxRecordSecs", 999, Variant::Null()},
      {"Missing", varInteger, Variant::Null()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " as " + std::to_string(c.typeCode));
    const Variant got = Read(c.name, c.typeCode);
    EXPECT_EQ(got.VarType(), c.expected.VarType());
    EXPECT_TRUE(got == c.expected) << VarToStr(got);
  }
  EXPECT_TRUE(ReadFromRegistry("", HKEY_CURRENT_USER, "SOFTWARE\\Nowhere", "x", varString).IsNull());
  EXPECT_EQ(ui->BoxCount(), 0u);
}

TEST_F(RegistryAccessTest, AStringWhereAnIntegerIsReadGivesOneProblemBoxAndNull) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteString("MaxRecordSecs", "300");
  }
  EXPECT_TRUE(Read("MaxRecordSecs", varInteger).IsNull());
  ASSERT_EQ(ui->BoxCount(), 1u);
  const auto box = ui->Boxes()[0];
  EXPECT_EQ(box.text, "Internal Error in [PACKAGE method ReadFromRegistry()] msg: Invalid data type for 'MaxRecordSecs'");
  EXPECT_EQ(box.caption, "Problem Detected");
  EXPECT_EQ(box.flags, MB_OK);
}

TEST_F(RegistryAccessTest, AnEmptyKeyPathDoesNotTouchTheRegistry) {
  // Were the registry loaded, this file would be reported and moved aside.
  home.WriteFile("not a registry file\n");
  EXPECT_TRUE(ReadFromRegistry("", HKEY_CURRENT_USER, "", "WavFile", varString).IsNull());
  EXPECT_FALSE(WriteToRegistry("", HKEY_CURRENT_USER, "", "WavFile", Variant("x")));
  EXPECT_EQ(ui->BoxCount(), 0u);
  EXPECT_EQ(TTestHome::Contents(home.File()), "not a registry file\n");
}

TEST_F(RegistryAccessTest, TheValuesOwnTypeChoosesTheWriter) {
  const struct {
    const char* name;
    Variant value;
    TRegDataType stored;
    int readAs;
    Variant readBack;
  } cases[] = {
      {"Small", Variant(static_cast<short>(-7)), rdInteger, varInteger, Variant(-7)},
      {"MaxRecordSecs", Variant(-5), rdInteger, varInteger, Variant(-5)},
      {"Single", Variant(0.5f), rdBinary, varDouble, Variant(0.5)},
      {"Double", Variant(0.1), rdBinary, varDouble, Variant(0.1)},
      {"Money", Variant(Currency(-3.25)), rdBinary, varCurrency, Variant(Currency(-3.25))},
      {"When", Variant::FromDate(when), rdBinary, varDate, Variant::FromDate(when)},
      {"Ole", VarAsType(Variant("ole"), varOleStr), rdString, varString, Variant("ole")},
      {"Byte", Variant(static_cast<BYTE>(17)), rdString, varString, Variant("17")},
      {"WavFile", Variant(""), rdString, varString, Variant("")},
      {"On", Variant(true), rdInteger, varInteger, Variant(1)},  // written as 1, not -1
      {"Off", Variant(false), rdInteger, varBoolean, Variant(false)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(WriteToRegistry("", HKEY_CURRENT_USER, kKey, c.name, c.value));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(kKey));
    EXPECT_EQ(reg.GetDataType(c.name), c.stored);
    const Variant back = Stored(c.name, c.readAs);
    EXPECT_TRUE(back == c.readBack) << VarToStr(back);
  }
  EXPECT_EQ(ui->BoxCount(), 0u);
}

TEST_F(RegistryAccessTest, WritesThatWriteNothing) {
  TRegistry reg;
  // Type 12 is handled without writing; the key is still created.
  EXPECT_TRUE(WriteToRegistry("", HKEY_CURRENT_USER, kKey, "V", Variant::OfType(varVariant)));
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  EXPECT_FALSE(reg.ValueExists("V"));
  EXPECT_FALSE(WriteToRegistry("", HKEY_CURRENT_USER, kKey, "D", Variant::OfType(varDispatch)));
  EXPECT_FALSE(reg.ValueExists("D"));
  EXPECT_FALSE(WriteToRegistry("", HKEY_CURRENT_USER, kKey, "N", Variant::Null()));
  EXPECT_FALSE(reg.ValueExists("N"));
  // An empty value name is refused before the key is even created.
  EXPECT_FALSE(WriteToRegistry("", HKEY_CURRENT_USER, "SOFTWARE\\Other", "", Variant("x")));
  EXPECT_FALSE(reg.KeyExists("\\SOFTWARE\\Other"));
  EXPECT_EQ(ui->BoxCount(), 0u);
}

TEST_F(RegistryAccessTest, ARemoteMachineGivesIntegerZeroAndFalseQuietly) {
  Store();
  const Variant read = ReadFromRegistry("faraway", HKEY_CURRENT_USER, kKey, "WavFile", varString);
  EXPECT_EQ(read.VarType(), varInteger);
  EXPECT_EQ(read.ToInt(), 0);
  EXPECT_FALSE(WriteToRegistry("faraway", HKEY_CURRENT_USER, kKey, "WavFile", Variant("remote.wav")));
  EXPECT_TRUE(Read("WavFile", varString) == Variant("hello.wav"));
  EXPECT_EQ(ui->BoxCount(), 0u);
}

TEST_F(RegistryAccessTest, AWriteThatCannotBeSavedIsReportedNotClaimed) {
  ASSERT_TRUE(WriteToRegistry("", HKEY_CURRENT_USER, kKey, "MaxRecordSecs", Variant(300)));
  const std::string before = TTestHome::Contents(home.File());
  std::filesystem::create_directory(home.TempFile());

  EXPECT_FALSE(WriteToRegistry("", HKEY_CURRENT_USER, kKey, "MaxRecordSecs", Variant(60)));
  ASSERT_EQ(ui->BoxCount(), 1u);
  const auto box = ui->Boxes()[0];
  EXPECT_EQ(box.text.rfind("Internal Error in [PACKAGE method WriteToRegistry()] msg: Failed to set data for "
                           "'MaxRecordSecs': ",
                           0),
            0u)
      << box.text;
  EXPECT_EQ(box.caption, "Problem Detected");
  EXPECT_EQ(TTestHome::Contents(home.File()), before);
  EXPECT_TRUE(Read("MaxRecordSecs", varInteger) == Variant(300));
}

}  // namespace
