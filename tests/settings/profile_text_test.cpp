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

}  // namespace
}  // namespace tdx
