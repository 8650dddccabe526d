// Settings files that another editor or tool wrote, saved by the program and,
// side by side, by the profile functions: both must read the same afterwards.
// Saves also go through beside programs that hold the file, and keep what the
// user set on the file itself.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "settings/ini_values.h"
#include "settings/options_io.h"
#include "settings/profile_file_win.h"
#include "settings/settings_folder_win.h"
#include "settings/temp_settings_win.h"
#include "winbase/unique_handle.h"

namespace tdx {
namespace {

using test::FilesIn;
using test::ReadBytes;
using test::WriteBytes;

class ProfileEditTest : public test::TempSettingsTest {};

// A list of zero-separated strings, as the profile functions return them.
std::vector<std::wstring> Strings(const wchar_t* list) {
    std::vector<std::wstring> strings;
    for (const wchar_t* p = list; *p; p += wcslen(p) + 1) strings.emplace_back(p);
    return strings;
}

std::vector<std::wstring> SectionNames(const std::wstring& file) {
    std::vector<wchar_t> buffer(65536);
    ::GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    std::vector<std::wstring> names = Strings(buffer.data());
    std::sort(names.begin(), names.end());
    return names;
}

// Every key the section names, with a line of its own or not.
std::vector<std::wstring> KeyNames(const std::wstring& section, const std::wstring& file) {
    std::vector<wchar_t> buffer(65536);
    ::GetPrivateProfileSectionW(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    std::vector<std::wstring> keys;
    for (const std::wstring& line : Strings(buffer.data())) keys.push_back(line.substr(0, line.find(L'=')));
    return keys;
}

std::optional<std::wstring> ProfileRead(const std::wstring& section, const std::wstring& key,
                                        const std::wstring& file) {
    constexpr wchar_t kMissing[] = L"<missing>";
    wchar_t buffer[1024];
    ::GetPrivateProfileStringW(section.c_str(), key.c_str(), kMissing, buffer, 1024, file.c_str());
    if (std::wstring(buffer) == kMissing) return std::nullopt;
    return buffer;
}

std::string Utf16Be(const std::wstring& text) {
    std::string bytes("\xFE\xFF", 2);
    for (wchar_t c : text) {
        bytes += static_cast<char>(c >> 8);
        bytes += static_cast<char>(c & 0xFF);
    }
    return bytes;
}

std::string Utf8(const std::wstring& text) {
    std::string bytes(static_cast<std::size_t>(::WideCharToMultiByte(
                          CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr)),
                      '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                          static_cast<int>(bytes.size()), nullptr, nullptr);
    return bytes;
}

// Every key of every section the profile functions see in the file reads the
// same through them and through the program's own reader.
void ExpectOwnReaderReadsAsTheProfileFunctions(const std::wstring& file) {
    const ProfileFile reader(file);
    for (const std::wstring& section : SectionNames(file)) {
        for (const std::wstring& key : KeyNames(section, file)) {
            SCOPED_TRACE(testing::Message() << "[" << section << "] " << key);
            EXPECT_EQ(reader.ReadString(section, key), ProfileRead(section, key, file));
        }
    }
}

TEST_F(ProfileEditTest, CraftedFilesReadTheSameAfterASaveByTheProgramAndByTheProfileFunctions) {
    // A title no code page of the bed holds, for the files that store Unicode.
    const std::wstring unicodeTitle = L"메모 ü";
    const struct {
        const char* what;
        std::string bytes;
        std::wstring title;
    } files[] = {
        {"lines ended by CR alone",
         "[Option]\rVkKey=74\rColMax=7\r[Program]\rTitle0=Old\rTitle1=Two\r[System]\rCount=2\r[Other]\rx=1\r", L"New"},
        {"a stray CR before a header",
         "[Option]\r\nVkKey=74\r[Program]\r\nTitle0=Old\r\n[System]\r\nCount=2\r\n", L"New"},
        {"a header without its bracket",
         "[System]\r\nCount=2\r\n[Option]\r\nVkKey=74\r\n[Program\r\nColMax=5\r\nTitle0=Old\r\n", L"New"},
        {"key lines without '='",
         "[Option]\r\nColMax\r\nVkKey=74\r\nMouseFlag\r\nColMax=3\r\n[Program]\r\nTitle0=Old\r\n", L"New"},
        {"UTF-16 big-endian",
         Utf16Be(L"[Option]\r\nVkKey=74\r\nIniName1=環境\r\n[Program]\r\nTitle0=Old\r\n[System]\r\nCount=2\r\n"),
         unicodeTitle},
        {"UTF-8 with its mark",
         "\xEF\xBB\xBF" + Utf8(L"[Option]\r\nVkKey=74\r\nIniName1=環境\r\n[Program]\r\nTitle0=Old\r\n"), unicodeTitle},
    };
    const std::wstring ours = SettingsFileName(1), theirs = SettingsFileName(2);
    for (const auto& crafted : files) {
        SCOPED_TRACE(crafted.what);
        WriteBytes(ours, crafted.bytes);
        WriteBytes(theirs, crafted.bytes);
        ExpectOwnReaderReadsAsTheProfileFunctions(ours);

        // A list save and two options, as the program saves them.
        ProfileTransaction writer(ours);
        writer.EraseSection(L"Program");
        WriteText(writer, L"Program", L"Title0", crafted.title);
        WriteText(writer, L"Program", L"Title1", L"Second");
        WriteInteger(writer, L"Option", L"ColMax", 9);
        WriteInteger(writer, L"Option", L"VkKey", 75);
        writer.Commit();
        ASSERT_TRUE(::WritePrivateProfileStringW(L"Program", nullptr, nullptr, theirs.c_str()));
        ASSERT_TRUE(::WritePrivateProfileStringW(L"Program", L"Title0", crafted.title.c_str(), theirs.c_str()));
        ASSERT_TRUE(::WritePrivateProfileStringW(L"Program", L"Title1", L"Second", theirs.c_str()));
        ASSERT_TRUE(::WritePrivateProfileStringW(L"Option", L"ColMax", L"9", theirs.c_str()));
        ASSERT_TRUE(::WritePrivateProfileStringW(L"Option", L"VkKey", L"75", theirs.c_str()));

        // Nothing is left in a form that systems read differently.
        const std::string stored = ReadBytes(ours);
        EXPECT_NE(stored.rfind("\xFE\xFF", 0), 0u) << "UTF-16 big-endian";
        EXPECT_NE(stored.rfind("\xEF\xBB\xBF", 0), 0u) << "UTF-8 with its mark";
        EXPECT_EQ(ProfileRead(L"Program", L"Title0", ours), crafted.title);
        EXPECT_EQ(ProfileRead(L"Option", L"ColMax", ours), L"9");
        const std::vector<std::wstring> sections = SectionNames(theirs);
        EXPECT_EQ(SectionNames(ours), sections);
        for (const std::wstring& section : sections) {
            std::vector<std::wstring> keys = KeyNames(section, ours);
            const std::vector<std::wstring> theirKeys = KeyNames(section, theirs);
            keys.insert(keys.end(), theirKeys.begin(), theirKeys.end());
            const ProfileFile reader(ours);
            for (const std::wstring& key : keys) {
                SCOPED_TRACE(testing::Message() << "[" << section << "] " << key);
                const std::optional<std::wstring> expected = ProfileRead(section, key, theirs);
                EXPECT_EQ(ProfileRead(section, key, ours), expected);
                EXPECT_EQ(reader.ReadString(section, key), expected) << "the program's own reader";
            }
        }
    }
}

// What other editors leave in a file: comments, blanks around names and
// values, nameless lines, a ^Z, text after a header's bracket, a second copy
// of a section, and a Shift-JIS header whose last character ends in the
// byte of ']'.
TEST_F(ProfileEditTest, TheProgramsOwnReaderReadsHandEditedFilesAsTheProfileFunctions) {
    const std::wstring file = SettingsFileName(1);
    WriteBytes(file,
               "; comment\r\nTop=1\r\n[ Option ] ; note\r\nVkKey=70\r\n  ColMax = \"5\" \r\n=x\r\n=y\r\n;VkMod=1\r\n"
               "MouseFlag\x1A\r\nMouseFlag=1\r\n\tVkMod\t=\t'3'\n[OPTION]\r\nColMax=6\r\n"
               "[Program]\x83\x5D\r\nTitle0=\x83\x81\x83\x82\r\n[Program\r\nTitle1=b\r\n[System]\r\n");
    ExpectOwnReaderReadsAsTheProfileFunctions(file);
    const ProfileFile reader(file);
    EXPECT_EQ(reader.ReadString(L"Option", L"ColMax"), L"5") << "the second copy of a section is never read";
    EXPECT_EQ(reader.ReadString(L"Option", L"VkMod"), L"3");
    EXPECT_FALSE(reader.ReadString(L"Option", L"MouseFlag")) << "the bare line counts";
    EXPECT_EQ(reader.ReadString(L"Program", L"Title0"), L"メモ");
    EXPECT_EQ(reader.ReadString(L"Program", L"Title1"), ProfileRead(L"Program", L"Title1", file));
}

TEST_F(ProfileEditTest, ASaveGoesThroughWhileAnotherProgramHoldsTheFile) {
    const std::wstring file = SettingsFileName(1);
    WriteBytes(file, "[Option]\r\nVkKey=75\r\nColMax=7\r\n");
    // As a scanner or an editor holds it: sharing reading and writing, not deletion.
    UniqueFile held(::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    OptionSet options;
    options.ColMax = 11;
    WriteOptions(1, options);
    OptionSet read;
    ReadOptions(1, read);
    EXPECT_EQ(read, options);
    EXPECT_EQ(FilesIn(SettingsFolderPath()), std::vector<std::wstring>{L"tiledex.ini"})
        << "no copy is left behind";
}

// The file's access list as text, protected or not: "D:P(A;;FA;;;WD)".
std::wstring AccessListOf(const std::wstring& file) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                                nullptr, &descriptor) != ERROR_SUCCESS)
        return L"<none>";
    UniqueLocal owned(descriptor);
    wchar_t* text = nullptr;
    if (!::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                                DACL_SECURITY_INFORMATION, &text, nullptr))
        return L"<none>";
    UniqueLocal ownedText(text);
    return text;
}

TEST_F(ProfileEditTest, ASaveKeepsTheHiddenAttributeTheAccessListAndASecondNameOfTheFile) {
    const std::wstring file = SettingsFileName(1);
    WriteBytes(file, "[Option]\r\nColMax=7\r\n");
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
    // An access list of the user's own, unlike the one a new file in the folder gets.
    PSECURITY_DESCRIPTOR own = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;WD)(A;;FR;;;AU)", SDDL_REVISION_1,
                                                                       &own, nullptr));
    UniqueLocal ownedDescriptor(own);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(::GetSecurityDescriptorDacl(own, &present, &dacl, &defaulted));
    ASSERT_EQ(::SetNamedSecurityInfoW(const_cast<wchar_t*>(file.c_str()), SE_FILE_OBJECT,
                                      DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                      nullptr, dacl, nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));
    const std::wstring accessList = AccessListOf(file);
    ASSERT_NE(accessList, AccessListOf(SettingsFolderPath()));
    ProfileTransaction writer(file);
    WriteInteger(writer, L"Option", L"ColMax", 8);
    writer.Commit();
    EXPECT_EQ(ReadBytes(file), "[Option]\r\nColMax=8\r\n");
    EXPECT_NE(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(AccessListOf(file), accessList);

    // A hard link made by the user sees every save, made through either name.
    const std::wstring other = root_ + L"\\linked.ini";
    ASSERT_TRUE(::CreateHardLinkW(other.c_str(), file.c_str(), nullptr));
    ProfileTransaction again(file);
    WriteInteger(again, L"Option", L"ColMax", 9);
    again.Commit();
    EXPECT_EQ(ReadBytes(other), "[Option]\r\nColMax=9\r\n");
    EXPECT_EQ(ReadBytes(file), "[Option]\r\nColMax=9\r\n");
    EXPECT_EQ(FilesIn(SettingsFolderPath()), std::vector<std::wstring>{L"tiledex.ini"});
}

}  // namespace
}  // namespace tdx
