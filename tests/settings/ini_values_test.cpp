#include "settings/ini_values.h"

#include <gtest/gtest.h>

#include "support/memory_settings.h"
#include "winbase/decimal_text.h"

namespace tdx {
namespace {

TEST(IniValues, IntegersInEveryStoredSpelling) {
    EXPECT_EQ(ParseInteger(L"0x1F"), 31);
    EXPECT_EQ(ParseInteger(L"0X1f"), 31);
    EXPECT_EQ(ParseInteger(L"$1F"), 31);
    EXPECT_EQ(ParseInteger(L"-5"), -5);
    EXPECT_EQ(ParseInteger(L"+7"), 7);
    EXPECT_EQ(ParseInteger(L"-2147483646"), static_cast<std::int32_t>(0x80000002u));
    EXPECT_EQ(ParseInteger(L"$FFFFFFFF"), -1);
    EXPECT_EQ(ParseInteger(L"-2147483648"), INT32_MIN);
}

TEST(IniValues, WrittenIntegersAreTheStandardTextAndReadBack) {
    for (std::int32_t value : {INT32_MIN, INT32_MIN + 1, -100, -1, 0, 9, 10, 1234567890, INT32_MAX}) {
        EXPECT_EQ(FormatInteger(value), std::to_wstring(value));
        EXPECT_EQ(ParseInteger(FormatInteger(value)), value);
    }
    EXPECT_EQ(DecimalText(INT64_MIN), std::to_wstring(INT64_MIN));
    EXPECT_EQ(DecimalText(INT64_MAX), std::to_wstring(INT64_MAX));
}

TEST(IniValues, TextThatIsNoIntegerGivesNothing) {
    for (const wchar_t* bad : {L"0x", L"abc", L"", L"-", L"$", L"12a", L"0xG1", L"2147483648",
                               L"$123456789", L"99999999999999999999"}) {
        EXPECT_FALSE(ParseInteger(bad).has_value()) << "input: " << std::wstring(bad).size();
    }
}

TEST(IniValues, ReadsFallBackToTheCallersDefault) {
    test::MemorySettings store;
    store.Set(L"Option", L"Good", L"$10");
    store.Set(L"Option", L"Bad", L"abc");
    store.Set(L"Option", L"Zero", L"0");
    store.Set(L"Option", L"Two", L"2");
    EXPECT_EQ(ReadInteger(store, L"Option", L"Good", 5), 16);
    EXPECT_EQ(ReadInteger(store, L"Option", L"Bad", 5), 5);
    EXPECT_EQ(ReadInteger(store, L"Option", L"Missing", -9), -9);
    EXPECT_FALSE(ReadBoolean(store, L"Option", L"Zero", true));
    EXPECT_TRUE(ReadBoolean(store, L"Option", L"Two", false));
    EXPECT_TRUE(ReadBoolean(store, L"Option", L"Bad", true));
    EXPECT_EQ(ReadText(store, L"Option", L"Missing", L"dflt"), L"dflt");
}

TEST(IniValues, LongTextIsCutAtTheReadBuffer) {
    test::MemorySettings store;
    store.Set(L"Program", L"Title0", std::wstring(5000, L'あ'));
    EXPECT_EQ(ReadText(store, L"Program", L"Title0").size(), kMaxStringValue);
}

TEST(IniValues, WritesUseSignedDecimalAndOneOrZero) {
    test::MemorySettings store;
    WriteInteger(store, L"Option", L"BackColor", static_cast<std::int32_t>(0x80000002u));
    WriteBoolean(store, L"Option", L"On", true);
    WriteBoolean(store, L"Option", L"Off", false);
    store.Commit();
    EXPECT_EQ(store.ReadString(L"Option", L"BackColor"), L"-2147483646");
    EXPECT_EQ(store.ReadString(L"Option", L"On"), L"1");
    EXPECT_EQ(store.ReadString(L"Option", L"Off"), L"0");
}

}  // namespace
}  // namespace tdx
