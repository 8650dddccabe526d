// Settings files edited in memory: a known key keeps its line and its
// neighbours' bytes, new keys follow the section's last line, erased sections
// go and come back at the end, names match without regard to case and blanks.
#include <gtest/gtest.h>

#include "settings/profile_text.h"

namespace tdx {
namespace {

TEST(ProfileText, EditsKeepEveryUntouchedByteAndPlaceNewTextWhereTheProfileFunctionsWould) {
    const std::wstring text =
        L"; kept\r\n[Option]\r\nVkKey=74\r\n  colmax = 7 \n\r\n[Program]\r\nTitle0=Old\r\n[program]\r\nTitle0=Copy\r\n"
        L"[Other]\r\nx=1";
    SectionEdits edits;
    edits.Write(L"option", L"ColMax", L"9");
    edits.Write(L"Option", L"MouseFlag", L"1");
    edits.Write(L"Option", L"mouseflag", L"0");  // the last value wins, in the first place
    edits.Write(L"Program", L"Title0", L"Lost");
    edits.Erase(L"Program");
    edits.Write(L"Program", L"Title0", L"New");
    edits.Write(L"Gone", L"a", L"b");
    edits.Erase(L"Gone");
    edits.Write(L" Other ", L"y", L"2");
    EXPECT_EQ(ApplySectionEdits(text, edits.Edits()),
              L"; kept\r\n[Option]\r\nVkKey=74\r\nColMax=9\nMouseFlag=0\r\n\r\n[Other]\r\nx=1\r\ny=2\r\n"
              L"[Program]\r\nTitle0=New\r\n");
    // A new file: the sections in the order first written.
    SectionEdits fresh;
    fresh.Write(L"B", L"k", L"v");
    fresh.Write(L"A", L"k", L"");
    EXPECT_EQ(ApplySectionEdits(L"", fresh.Edits()), L"[B]\r\nk=v\r\n[A]\r\nk=\r\n");
}

// Files another editor wrote: lines ended by a bare CR (or one stray CR), a
// header without its closing bracket, a key line without '='. They are split
// and named as the profile functions read them.
TEST(ProfileText, LinesAndNamesAreReadAsTheProfileFunctionsReadThem) {
    const std::wstring text =
        L"[Option]\rVkKey=74\rColMax\r[Program\rTitle0=Kept\r\r[System]\r\nCount=2\r[a]b] ; note\nk=1";
    SectionEdits edits;
    edits.Write(L"Option", L"ColMax", L"9");     // takes the bare line's place
    edits.Write(L"Option", L"Title0", L"New");   // "[Program" opens no section
    edits.Write(L"Program", L"Title0", L"Own");  // so this one is new
    edits.Write(L"System", L"Count", L"3");
    edits.Write(L"a]b", L"k", L"2");
    EXPECT_EQ(ApplySectionEdits(text, edits.Edits()),
              L"[Option]\rVkKey=74\rColMax=9\r[Program\rTitle0=New\r\r[System]\r\nCount=3\r[a]b] ; note\nk=2\r\n"
              L"[Program]\r\nTitle0=Own\r\n");
}

}  // namespace
}  // namespace tdx
