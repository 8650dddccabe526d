// The two string tables against each other and the texts' lookup: every id has
// a text in both languages, with the same slot for what the program fills in.
#include "winbase/ui_text.h"

#include <gtest/gtest.h>

#include "support/rc_texts.h"

namespace tdx {
namespace {

TEST(UiTextTest, BothTablesHoldEveryIdWithTheSamePlaceholders) {
    const test::RcTables& tables = test::SourceTables();
    ASSERT_GT(tables.ids.size(), 100u);
    EXPECT_EQ(tables.japanese.size(), tables.ids.size());
    EXPECT_EQ(tables.english.size(), tables.ids.size());
    for (const auto& [name, id] : tables.ids) {
        const auto ja = tables.japanese.find(id);
        const auto en = tables.english.find(id);
        ASSERT_TRUE(ja != tables.japanese.end() && en != tables.english.end()) << name;
        EXPECT_FALSE(ja->second.empty()) << name;
        EXPECT_FALSE(en->second.empty()) << name;
        EXPECT_EQ(ja->second.find(L"%1") != std::wstring::npos, en->second.find(L"%1") != std::wstring::npos)
            << name;
        // Japanese letters left in the English table (the language names aside).
        if (id == IDS_OPT_LANGUAGE_JAPANESE) continue;
        for (wchar_t c : en->second) EXPECT_LT(c, 0x3000) << name;
    }
}

TEST(UiTextTest, TextsFollowTheLanguageInUseAndFillInTheirSlot) {
    UseTexts(test::SourceText, UiLanguage::English);
    EXPECT_EQ(TextLanguage(), UiLanguage::English);
    EXPECT_STREQ(Text(IDS_SYS_MYCOMPUTER), L"My Computer");
    EXPECT_EQ(FormatText(IDS_CANNOT_WRITE_FILE, L"a.ini"), L"Cannot write to a.ini");
    const wchar_t* english = Text(IDS_TM_EXIT);

    UseTexts(test::SourceText, UiLanguage::Japanese);
    EXPECT_STREQ(Text(IDS_SYS_MYCOMPUTER), L"マイコンピュータ");
    EXPECT_EQ(FormatText(IDS_DELETE_QUESTION, L"メモ帳"), L"メモ帳\r\n　を削除しますか？");
    // A text handed out earlier stays as it was.
    EXPECT_STREQ(english, L"E&xit");
    EXPECT_STREQ(Text(99999), L"");
}

}  // namespace
}  // namespace tdx
