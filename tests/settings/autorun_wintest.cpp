#include "settings/autorun_win.h"

#include <gtest/gtest.h>

#include "settings/settings_error.h"
#include "settings/settings_folder_win.h"
#include "winbase/unique_handle.h"

namespace tdx {
namespace {

const std::wstring kExe = L"C:\\Program Files\\Tiledex Test\\Tiledex.exe";

UniqueKey RunKey(HKEY root) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root, kRunKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return {};
    return UniqueKey(key);
}

void PutValue(HKEY root, DWORD type, const std::wstring& text) {
    const UniqueKey key = RunKey(root);
    ASSERT_TRUE(key);
    ASSERT_EQ(::RegSetValueExW(key.get(), kAutoRunValueName, 0, type,
                               reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

// The value's type and text, or nothing when it is missing.
std::optional<std::pair<DWORD, std::wstring>> GetValue(HKEY root) {
    const UniqueKey key = RunKey(root);
    wchar_t data[1024] = {};
    DWORD type = 0, bytes = sizeof data - sizeof(wchar_t);
    if (::RegQueryValueExW(key.get(), kAutoRunValueName, nullptr, &type,
                           reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return std::make_pair(type, std::wstring(data));
}

void RemoveValue(HKEY root) {
    if (const UniqueKey key = RunKey(root)) ::RegDeleteValueW(key.get(), kAutoRunValueName);
}

class AutoRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        place_.executablePath = kExe;
        RemoveValue(HKEY_CURRENT_USER);
        RemoveValue(HKEY_LOCAL_MACHINE);
    }
    void TearDown() override {
        RemoveValue(HKEY_CURRENT_USER);
        RemoveValue(HKEY_LOCAL_MACHINE);
    }
    AutoRunPlace place_;
};

TEST_F(AutoRunTest, OnWritesTheQuotedPathAndOffRemovesIt) {
    EXPECT_FALSE(IsAutoRunRegistered(place_));
    SetAutoRun(true, place_);
    const auto value = GetValue(HKEY_CURRENT_USER);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->first, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value->second, L"\"" + kExe + L"\"");
    EXPECT_TRUE(IsAutoRunRegistered(place_));

    SetAutoRun(false, place_);
    EXPECT_FALSE(GetValue(HKEY_CURRENT_USER));
    EXPECT_FALSE(IsAutoRunRegistered(place_));
    SetAutoRun(false, place_);  // nothing left to remove is no error
}

TEST_F(AutoRunTest, TheRunningProgramIsTheDefault) {
    SetAutoRun(true);
    const auto value = GetValue(HKEY_CURRENT_USER);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->second, L"\"" + RunningExecutablePath() + L"\"");
    EXPECT_TRUE(IsAutoRunRegistered());
    EXPECT_FALSE(IsAutoRunRegistered(place_)) << "another path is another program";
    SetAutoRun(false);
    EXPECT_FALSE(IsAutoRunRegistered());
}

TEST_F(AutoRunTest, OlderSpellingsAreRecognised) {
    PutValue(HKEY_CURRENT_USER, REG_SZ, kExe);
    EXPECT_TRUE(IsAutoRunRegistered(place_)) << "unquoted, as older versions wrote it";
    PutValue(HKEY_CURRENT_USER, REG_SZ, L"c:\\PROGRAM FILES\\tiledex test\\tiledex.EXE");
    EXPECT_TRUE(IsAutoRunRegistered(place_));
    PutValue(HKEY_CURRENT_USER, REG_EXPAND_SZ, L"\"" + kExe + L"\"");
    EXPECT_TRUE(IsAutoRunRegistered(place_));
    PutValue(HKEY_CURRENT_USER, REG_SZ, L"C:\\Program Files\\Other\\Tiledex.exe");
    EXPECT_FALSE(IsAutoRunRegistered(place_));
}

TEST_F(AutoRunTest, AMachineWideValueCountsAndIsRemoved) {
    PutValue(HKEY_LOCAL_MACHINE, REG_SZ, kExe);
    EXPECT_TRUE(IsAutoRunRegistered(place_));
    SetAutoRun(true, place_);
    EXPECT_FALSE(GetValue(HKEY_LOCAL_MACHINE));
    EXPECT_TRUE(GetValue(HKEY_CURRENT_USER));

    PutValue(HKEY_LOCAL_MACHINE, REG_SZ, kExe);
    SetAutoRun(false, place_);
    EXPECT_FALSE(GetValue(HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(GetValue(HKEY_CURRENT_USER));
    EXPECT_FALSE(IsAutoRunRegistered(place_));
}

TEST_F(AutoRunTest, AValueOfAnotherTypeIsReported) {
    const UniqueKey key = RunKey(HKEY_CURRENT_USER);
    const DWORD number = 1;
    ASSERT_EQ(::RegSetValueExW(key.get(), kAutoRunValueName, 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&number), sizeof number),
              ERROR_SUCCESS);
    try {
        IsAutoRunRegistered(place_);
        ADD_FAILURE() << "no error for a number";
    } catch (const AutoRunError& error) {
        EXPECT_EQ(error.GetKind(), AutoRunError::Kind::InvalidType);
        EXPECT_EQ(error.Message(), L"'Tiledex' のﾃﾞｰﾀ型が不正です");
    }
}

TEST_F(AutoRunTest, AFailedWriteIsReported) {
    // Under a volatile key no lasting key can be made: the Run key cannot be created.
    const wchar_t* kVolatile = L"Software\\Tiledex Test Volatile";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kVolatile);
    HKEY raw = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kVolatile, 0, nullptr, REG_OPTION_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &raw, nullptr),
              ERROR_SUCCESS);
    const UniqueKey parent(raw);
    const ScopeExit removeParent([&] { ::RegDeleteTreeW(HKEY_CURRENT_USER, kVolatile); });
    AutoRunPlace place = place_;
    place.userRoot = parent.get();
    place.keyPath = L"Run";
    try {
        SetAutoRun(true, place);
        ADD_FAILURE() << "the write was not refused";
    } catch (const AutoRunError& error) {
        EXPECT_EQ(error.GetKind(), AutoRunError::Kind::WriteFailed);
        EXPECT_EQ(error.Message(), L"'Tiledex' の設定に失敗しました");
    }
    // Turning autorun off where there is nothing to remove succeeds quietly.
    EXPECT_NO_THROW(SetAutoRun(false, place));
}

}  // namespace
}  // namespace tdx
