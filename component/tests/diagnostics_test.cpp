#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "component/mkTAPI.h"
#include "platform/ui_scripted.h"

namespace fs = std::filesystem;

namespace {

AnsiString ErrorText(long code) {
  TmkTAPI tapi(nullptr);
  return tapi.GetTapiError(code);
}

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

fs::path FreshDir(const char* name) {
  fs::path dir = fs::temp_directory_path() / ("telmora-diag-" + std::to_string(::getpid())) / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// Creates the missing folder during the retries, as another program might.
class FolderAppears : public TmkTAPI {
 public:
  FolderAppears(fs::path folder, int atAttempt) : TmkTAPI(nullptr), folder_(std::move(folder)), at_(atAttempt) {}
  int pauses = 0;

 protected:
  void LogRetryPause(int attempt) override {
    ++pauses;
    if (attempt == at_) fs::create_directories(folder_);
  }

 private:
  fs::path folder_;
  int at_;
};

class NoPause : public TmkTAPI {
 public:
  NoPause() : TmkTAPI(nullptr) {}
  int pauses = 0;

 protected:
  void LogRetryPause(int) override { ++pauses; }
};

}  // namespace

TEST(LineErrorText, NamesAndFallbacks) {
  const std::pair<unsigned long, const char*> cases[] = {
      {0x80000001, "LINEERR_ALLOCATED"},
      {0x8000000F, "LINEERR_INUSE"},
      {0x80000030, "LINEERR_INVALMESSAGEID"},
      {0x80000032, "LINEERR_INVALPARAM"},
      {0x80000056, "LINEERR_NOMULTIPLEINSTANCE"},
      {0x80000004, "LINEERR Unused constant, ERROR!!"},
      {0x80000031, "LINEERR Unused constant, ERROR!!"},
      {0x80000000, ""},
      {0x80000057, "Unknown LINEERR_ code: 0x80000057"},
      {0x90000001, "PHONEERR_ error codes not translated.  Code: 0x90000001"},
      {0xFFFFFFFF, "PHONEERR_ error codes not translated.  Code: 0xffffffff"},
      {0, "Unknown error code: 0x0"},
      {5, "Unknown error code: 0x5"},
  };
  for (const auto& [code, text] : cases) {
    SCOPED_TRACE(code);
    EXPECT_EQ(ErrorText(static_cast<long>(static_cast<LONG>(code))), text);
  }
  EXPECT_EQ(LineErrorToText(0x80000001, nullptr), nullptr);
  // The table holds 87 entries and the longest text fits the documented 56 bytes.
  char buffer[56];
  EXPECT_STREQ(LineErrorToText(static_cast<LONG>(0x9ABCDEF0), buffer),
               "PHONEERR_ error codes not translated.  Code: 0x9abcdef0");
}

TEST(TapiCheck, FormsTheCheckText) {
  const std::pair<unsigned, const char*> cases[] = {
      {0x8000000E, "TAPI Line: LINEERR_INIFILECORRUPT"},
      {0x80000020, "TAPI Line: LINEERR_INVALCONFCALLHANDLE"},
      {0x80000039, "TAPI Line: LINEERR_INVALTERMINALID"},
      {0x80000057, "Unknown Error - -2147483561"},
      {0x80000004, "Unknown Error - -2147483644"},
      {0x80000031, "Unknown Error - -2147483599"},
      {0, ""},
      {17, ""},
  };
  TmkTAPI tapi(nullptr);
  for (const auto& [code, text] : cases) {
    tapi.TapiCheck(static_cast<int>(code));
    EXPECT_EQ(tapi.LastTapiCheckText(), text) << std::hex << code;
  }
}

TEST(DebugLog, EmptyPathTouchesNothing) {
  TScriptedUIScope ui;
  fs::path dir = FreshDir("empty");
  fs::current_path(dir);
  {
    TmkTAPI tapi(nullptr);
    tapi.LogDebug("anything");
  }
  EXPECT_TRUE(fs::is_empty(dir));
  EXPECT_EQ(ui->BoxCount(), 0u);
}

TEST(DebugLog, CreatesThenAppendsTimestampedLines) {
  fs::path file = FreshDir("append") / "trace.log";
  {
    std::ofstream(file) << "kept\r\n";
  }
  {
    TmkTAPI tapi(nullptr);
    tapi.SetDebugLogFile(file.string());
    tapi.LogDebug("START of [TmkTAPI::DispatchCallEvent]");
  }  // the destructor traces too
  const std::string text = ReadAll(file);
  const std::regex layout(
      "kept\r\n"
      "START of \\[TmkTAPI::DispatchCallEvent\\] - \\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\r\n"
      "In \\[TmkTAPI::~TmkTAPI\\] before CloseDevice\\. - [0-9/ :]{19}\r\n"
      "In \\[TmkTAPI::~TmkTAPI\\] after CloseDevice\\. - [0-9/ :]{19}\r\n");
  EXPECT_TRUE(std::regex_match(text, layout)) << text;
}

TEST(DebugLog, MissingFolderRetriesFiveTimesThenReportsAndGoesOn) {
  TScriptedUIScope ui;
  fs::path file = FreshDir("missing") / "no-such-folder" / "trace.log";
  NoPause tapi;
  tapi.SetDebugLogFile(file.string());
  tapi.LogDebug("hello");
  EXPECT_EQ(tapi.pauses, 5) << "five attempts, each failure followed by its pause";
  ASSERT_EQ(ui->BoxCount(), 1u);
  const auto box = ui->Boxes()[0];
  EXPECT_EQ(box.text, "Probem Detected in [TmkTAPI::LogDebug], msg: Max log attempts exceeded for msg: hello");
  EXPECT_EQ(box.caption, "ERROR");
  EXPECT_EQ(box.flags, MB_OK);
  tapi.SetDebugLogFile("");
}

TEST(DebugLog, FolderAppearingBeforeTheLastAttemptGetsTheLine) {
  TScriptedUIScope ui;
  fs::path folder = FreshDir("appears") / "later";
  FolderAppears tapi(folder, 3);
  tapi.SetDebugLogFile((folder / "trace.log").string());
  tapi.LogDebug("late but written");
  EXPECT_EQ(tapi.pauses, 3);
  EXPECT_EQ(ui->BoxCount(), 0u);
  EXPECT_NE(ReadAll(folder / "trace.log").find("late but written - "), std::string::npos);
  tapi.SetDebugLogFile("");
}
