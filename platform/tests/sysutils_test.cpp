#include <gtest/gtest.h>

#include "platform/classes.h"
#include "platform/sysutils.h"

TEST(SysUtils, StrictIntegerConversion) {
  struct Case {
    const char* text;
    bool valid;
    int value;
  };
  const Case cases[] = {{"300", true, 300},    {"-5", true, -5},          {"+7", true, 7},
                        {"2147483647", true, 2147483647}, {"-2147483648", true, -2147483647 - 1},
                        {"2147483648", false, 0}, {"abc", false, 0},        {"", false, 0},
                        {" 1", false, 0},      {"1.5", false, 0},         {"-", false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    if (c.valid) {
      EXPECT_EQ(StrToInt(c.text), c.value);
    } else {
      EXPECT_THROW(StrToInt(c.text), EConvertError);
      EXPECT_EQ(StrToIntDef(c.text, 300), 300);
    }
  }
  try {
    StrToInt("abc");
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "'abc' is not a valid integer value");
  }
}

TEST(SysUtils, DateTimeFormatting) {
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn:ss", EncodeDateTime(2002, 5, 3, 14, 5, 9)), "2002/05/03 14:05:09");
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn:ss", EncodeDateTime(1999, 12, 31, 23, 59, 59)), "1999/12/31 23:59:59");
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd", EncodeDateTime(2024, 2, 29, 0, 0, 0)), "2024/02/29");
  EXPECT_EQ(EncodeDateTime(1899, 12, 30, 0, 0, 0), 0.0);
}

TEST(Components, OwnerDestroysOwnedLastFirst) {
  std::vector<AnsiString> order;
  struct Probe : TComponent {
    Probe(TComponent* owner, AnsiString n, std::vector<AnsiString>& log) : TComponent(owner), log_(log) { Name = n; }
    ~Probe() override { log_.push_back(Name); }
    std::vector<AnsiString>& log_;
  };
  auto* root = new TComponent(nullptr);
  new Probe(root, "a", order);
  auto* b = new Probe(root, "b", order);
  new Probe(root, "c", order);
  delete b;  // an owned component deleted early leaves its owner
  EXPECT_EQ(root->ComponentCount(), 2);
  delete root;
  EXPECT_EQ(order, (std::vector<AnsiString>{"b", "c", "a"}));
}
