#include "platform/variant.h"

#include <gtest/gtest.h>

namespace {

TEST(Variant, ConstructionPicksTheClassLibraryTypeCode) {
  const struct {
    Variant value;
    int type;
  } cases[] = {
      {Variant(), varEmpty},
      {Variant::Null(), varNull},
      {Variant(static_cast<short>(7)), varSmallint},
      {Variant(7), varInteger},
      {Variant(1.5f), varSingle},
      {Variant(1.5), varDouble},
      {Variant(Currency(1.5)), varCurrency},
      {Variant::FromDate(EncodeDateTime(2024, 1, 2, 0, 0, 0)), varDate},
      {VarAsType(Variant("x"), varOleStr), varOleStr},
      {Variant::OfType(varDispatch), varDispatch},
      {Variant(true), varBoolean},
      {Variant::OfType(varVariant), varVariant},
      {Variant(static_cast<BYTE>(17)), varByte},
      {Variant(AnsiString("x")), varString},
      {Variant("x"), varString},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.value.VarType(), c.type) << VarTypeName(c.type);
    EXPECT_EQ(VarType(c.value), c.type);
  }
  EXPECT_EQ(varString, 256);
  EXPECT_EQ(varByte, 17);
}

TEST(Variant, ConvertsBetweenNumbersTextAndFlags) {
  const struct {
    Variant value;
    int asInt;
    const char* asText;
    double asDouble;
    bool asBool;
  } cases[] = {
      {Variant(), 0, "", 0.0, false},
      {Variant(300), 300, "300", 300.0, true},
      {Variant(static_cast<short>(-5)), -5, "-5", -5.0, true},
      {Variant(static_cast<BYTE>(17)), 17, "17", 17.0, true},
      {Variant(2.5), 2, "2.5", 2.5, true},  // half to even, as the class library rounds
      {Variant(3.5), 4, "3.5", 3.5, true},
      {Variant(0.1f), 0, "0.1", static_cast<double>(0.1f), true},
      {Variant(true), -1, "True", -1.0, true},
      {Variant(false), 0, "False", 0.0, false},
      {Variant(Currency(12.5)), 12, "12.5", 12.5, true},
      {Variant("-5"), -5, "-5", -5.0, true},
      {Variant("1.5"), 2, "1.5", 1.5, true},
      {Variant("true"), -1, "true", -1.0, true},
      {VarAsType(Variant(0), varOleStr), 0, "0", 0.0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.asText);
    EXPECT_EQ(c.value.ToInt(), c.asInt);
    EXPECT_EQ(c.value.ToString(), c.asText);
    EXPECT_DOUBLE_EQ(c.value.ToDouble(), c.asDouble);
    EXPECT_EQ(c.value.ToBool(), c.asBool);
  }
  EXPECT_EQ(Variant::FromDate(EncodeDateTime(2024, 1, 2, 3, 4, 5)).ToString(), "2024/01/02 03:04:05");
  EXPECT_EQ(Variant::FromDate(EncodeDateTime(2024, 1, 2, 0, 0, 0)).ToString(), "2024/01/02");
  EXPECT_EQ(Variant(12.5).ToCurrency(), Currency(12.5));
}

TEST(Variant, RefusesConversionsThatHaveNoValue) {
  try {
    (void)Variant::Null().ToInt();
    FAIL() << "Null became a number";
  } catch (const EVariantError& e) {
    EXPECT_EQ(e.Message, "Could not convert variant of type (Null) into type (Integer)");
  }
  EXPECT_THROW((void)Variant::Null().ToString(), EVariantError);
  EXPECT_THROW((void)Variant::Null().ToBool(), EVariantError);
  EXPECT_THROW((void)Variant("abc").ToInt(), EVariantError);
  EXPECT_THROW((void)Variant("").ToDouble(), EVariantError);
  EXPECT_THROW((void)Variant::OfType(varDispatch).ToString(), EVariantError);
  EXPECT_THROW((void)Variant(1e300).ToInt(), EVariantError);
  EXPECT_THROW((void)VarAsType(Variant(70000), varSmallint), EVariantError);
  EXPECT_THROW((void)VarAsType(Variant(256), varByte), EVariantError);
  EXPECT_EQ(VarToStr(Variant::Null()), "");
  EXPECT_TRUE(VarIsNull(Variant::Null()));
  EXPECT_FALSE(VarIsNull(Variant()));
}

TEST(Currency, KeepsFourDecimalsExactly) {
  EXPECT_EQ(Currency(0.1).Val + Currency(0.2).Val, Currency(0.3).Val);
  EXPECT_EQ(Currency(0.0).ToString(), "0");
  EXPECT_EQ(Currency(-0.0001).ToString(), "-0.0001");
  EXPECT_EQ(Currency(1234.56781).ToString(), "1234.5678");
  EXPECT_EQ(Currency::FromVal(INT64_MIN).ToString(), "-922337203685477.5808");
  EXPECT_THROW(Currency(1e20), EConvertError);
}

}  // namespace
