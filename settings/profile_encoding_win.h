// A settings file's bytes as text, in the forms the profile functions read:
// the system code page, or UTF-16 with a byte-order mark. Files that systems
// read differently (UTF-16 big-endian, UTF-8 with a mark) are stored in a
// form all of them read alike when they are first saved.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/profile_text.h"

namespace tdx {

// Whether the system code page holds the text exactly: no character replaced
// by a default, none by a look-alike ("é" by "e").
bool FitsCodePage(std::wstring_view text) noexcept;
std::string EncodeCodePage(std::wstring_view text);

// The text of a file in the code page or in UTF-16 with its mark, as the
// program's own reader takes it; nothing for any other form (and for text
// with a NUL, which ends a name or value early), which only the profile
// functions then read. The text refers to the bytes. Bytes the program put
// together itself are known to decode cleanly and are not decoded to tell.
std::optional<StoredText> ReadableText(std::string_view bytes, bool decodesCleanly = false);

// A file's new bytes: runs of its stored bytes, kept as they were, and of new text.
struct EditedFile {
    std::vector<std::string_view> runs;  // into the stored bytes or into made
    std::vector<std::unique_ptr<std::string>> made;
    // The runs without the stored lines a read of the written sections never
    // looks into (see TextPiece::unread): they read back as the whole file
    // does, and a save of a large file is not read a second time to be checked.
    std::vector<std::string_view> readBackRuns;
    std::size_t Size() const noexcept;
    std::string Joined() const;
    std::string ReadBackText() const;
};

// The file's bytes with the edits made, in the encoding it has (UTF-16 when
// the code page cannot hold the new text); nothing when the file holds bytes
// its encoding does not decode, which only the profile functions then keep.
// Lines no edit touches keep their bytes. The result refers to bytes.
std::optional<EditedFile> EditedBytes(std::string_view bytes, const std::vector<SectionEdit>& edits,
                                      bool changesFitCodePage);

}  // namespace tdx
