#include "settings/options_io.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "settings/option_limits.h"
#include "support/memory_settings.h"

namespace tdx {
namespace {

const std::vector<std::wstring> kKeyOrder = {
    L"VkKey",          L"VkMod",          L"MouseFlag",          L"ColMax",
    L"RowMax",         L"MousePositionFlag", L"KeyCursorFlag",   L"RightClickFlag",
    L"FrameFlag",      L"MoveCursorFlag", L"DirectMoveOnlyFlag", L"KeyPositionFlag",
    L"KeyOnlyFlag",    L"KeyNumberFlag",  L"DosFlag",            L"BackColor",
    L"TextColor"};

// Records which keys are asked for, in order, and answers from a MemorySettings.
class RecordingReader : public SettingsReader {
public:
    explicit RecordingReader(const test::MemorySettings& inner) : inner_(inner) {}
    std::optional<std::wstring> ReadString(std::wstring_view section,
                                           std::wstring_view key) const override {
        asked.emplace_back(std::wstring(section) + L"/" + std::wstring(key));
        return inner_.ReadString(section, key);
    }
    mutable std::vector<std::wstring> asked;

private:
    const test::MemorySettings& inner_;
};

OptionSet NonDefaultOptions() {
    OptionSet o;
    o.VkKey = 0x70;
    o.VkMod = 7;
    o.MouseFlag = 3;
    o.KeyPositionFlag = true;
    o.KeyOnlyFlag = true;
    o.MousePositionFlag = -1;
    o.KeyCursorFlag = 2;
    o.RightClickFlag = 1;
    o.MoveCursorFlag = false;
    o.DirectMoveOnlyFlag = true;
    o.DosFlag = 0;
    o.KeyNumberFlag = true;
    o.ColMax = 12;
    o.RowMax = 9;
    o.FrameFlag = 0;
    o.TextColor = 0x00123456u;
    o.BackColor = 0x8000000Fu;
    return o;
}

TEST(OptionsIo, AnEmptyFileGivesExactlyTheDefaults) {
    test::MemorySettings store;
    OptionSet options = NonDefaultOptions();
    ReadOptions(store, options);
    EXPECT_EQ(options, OptionSet{});
    EXPECT_EQ(options.VkKey, 74);
    EXPECT_EQ(options.VkMod, 3);
    EXPECT_EQ(options.MouseFlag, 1);
    EXPECT_EQ(options.ColMax, 7);
    EXPECT_EQ(options.FrameFlag, 1);
    EXPECT_TRUE(options.MoveCursorFlag);
    EXPECT_EQ(options.BackColor, 0x80000002u);
    EXPECT_EQ(options.TextColor, 0x80000009u);
}

TEST(OptionsIo, DefaultsAreWrittenInReadOrderWithSignedColours) {
    test::MemorySettings store;
    WriteOptions(store, OptionSet{});
    EXPECT_FALSE(store.ReadString(L"Option", L"VkKey")) << "WriteOptions leaves the commit to its caller";
    store.Commit();

    EXPECT_EQ(store.writeOrder, kKeyOrder);
    EXPECT_EQ(store.ReadString(L"Option", L"BackColor"), L"-2147483646");
    EXPECT_EQ(store.ReadString(L"Option", L"TextColor"), L"-2147483639");
    EXPECT_EQ(store.ReadString(L"Option", L"MoveCursorFlag"), L"1");
    EXPECT_EQ(store.ReadString(L"Option", L"KeyOnlyFlag"), L"0");
    EXPECT_EQ(store.ReadString(L"Option", L"VkKey"), L"74");
    ASSERT_EQ(store.Contents().size(), 1u);
    EXPECT_EQ(store.Contents().begin()->first, L"Option");

    RecordingReader reader(store);
    OptionSet options;
    ReadOptions(reader, options);
    std::vector<std::wstring> expected;
    for (const auto& key : kKeyOrder) expected.push_back(L"Option/" + key);
    EXPECT_EQ(reader.asked, expected);
}

TEST(OptionsIo, EveryFieldRoundTrips) {
    test::MemorySettings store;
    const OptionSet written = NonDefaultOptions();
    WriteOptions(store, written);
    store.Commit();
    EXPECT_EQ(store.ReadString(L"Option", L"MousePositionFlag"), L"-1");
    EXPECT_EQ(store.ReadString(L"Option", L"BackColor"), L"-2147483633");
    OptionSet read;
    ReadOptions(store, read);
    EXPECT_EQ(read, written);
}

TEST(OptionsIo, HandEditedSpellingsAndGarbage) {
    test::MemorySettings store;
    store.Set(L"Option", L"VkKey", L"0x4B");
    store.Set(L"Option", L"ColMax", L"$A");
    store.Set(L"Option", L"VkMod", L"ctrl");
    store.Set(L"Option", L"TextColor", L"$FF");
    store.Set(L"Option", L"KeyOnlyFlag", L"5");
    store.Set(L"Option", L"MoveCursorFlag", L"no");
    OptionSet options;
    ReadOptions(store, options);
    EXPECT_EQ(options.VkKey, 0x4B);
    EXPECT_EQ(options.ColMax, 10);
    EXPECT_EQ(options.VkMod, 3);
    EXPECT_EQ(options.TextColor, 0xFFu);
    EXPECT_TRUE(options.KeyOnlyFlag);
    EXPECT_TRUE(options.MoveCursorFlag);
}

TEST(OptionLimits, OutOfRangeValuesAreKeptButUsedSafely) {
    for (const wchar_t* stored : {L"0", L"-5", L"100000", L"-2147483648", L"2147483647"}) {
        test::MemorySettings store;
        store.Set(L"Option", L"ColMax", stored);
        store.Set(L"Option", L"KeyCursorFlag", stored);
        store.Set(L"Option", L"MousePositionFlag", stored);
        OptionSet options;
        ReadOptions(store, options);

        const std::int32_t cols = EffectiveColMax(options);
        EXPECT_GE(cols, kMinColMax);
        EXPECT_LE(cols, kMaxColMax);
        EXPECT_EQ(EffectiveKeyCursorTray(options), 0);
        EXPECT_EQ(EffectiveMouseCursorTray(options), 0);

        test::MemorySettings back;
        WriteOptions(back, options);
        back.Commit();
        EXPECT_EQ(back.ReadString(L"Option", L"ColMax"), stored);
        EXPECT_EQ(back.ReadString(L"Option", L"KeyCursorFlag"), stored);
    }
}

TEST(OptionLimits, InRangeValuesPassThrough) {
    OptionSet options;
    options.ColMax = 0;
    EXPECT_EQ(EffectiveColMax(options), 1);
    options.ColMax = 1000;
    EXPECT_EQ(EffectiveColMax(options), 64);
    for (std::int32_t cols : {1, 3, 7, 15, 64}) {
        options.ColMax = cols;
        EXPECT_EQ(EffectiveColMax(options), cols);
    }
    for (std::int32_t tray : {0, 1, 2}) {
        options.KeyCursorFlag = tray;
        options.MousePositionFlag = tray;
        EXPECT_EQ(EffectiveKeyCursorTray(options), tray);
        EXPECT_EQ(EffectiveMouseCursorTray(options), tray);
    }
    options.MousePositionFlag = 3;  // window centre: starts in the Program tray
    EXPECT_EQ(EffectiveMouseCursorTray(options), 0);
}

}  // namespace
}  // namespace tdx
