#include "settings/profile_encoding_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>

namespace tdx {
namespace {

// Nothing when the bytes hold a sequence the code page does not decode (with
// MB_ERR_INVALID_CHARS): the text would not be written back as it was.
// Conversions are made in one pass into room for the longest result (a byte
// never gives more than one unit), not measured by a first pass.
std::optional<std::wstring> Decode(UINT codePage, std::string_view bytes, DWORD flags = MB_ERR_INVALID_CHARS) {
    if (bytes.empty()) return std::wstring();
    std::wstring text(bytes.size(), L'\0');
    const int length = ::MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                                             text.data(), static_cast<int>(text.size()));
    if (length <= 0) return std::nullopt;
    text.resize(static_cast<std::size_t>(length));
    return text;
}

// The most bytes one unit of text takes in the code page (a character that
// needs two units takes at most twice as many).
std::size_t MostBytesPerUnit(UINT codePage) noexcept {
    CPINFO info{};
    return ::GetCPInfo(codePage, &info) ? std::max<std::size_t>(info.MaxCharSize, 1) : 4;
}

std::string Encode(UINT codePage, std::wstring_view text) {
    if (text.empty()) return {};
    static const std::size_t acpBytes = MostBytesPerUnit(CP_ACP);
    std::string bytes(text.size() * (codePage == CP_ACP ? acpBytes : MostBytesPerUnit(codePage)), '\0');
    const int length = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                             static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(static_cast<std::size_t>(std::max(length, 0)));
    return bytes;
}

// Lines found in a code-page file's bytes are decoded as the profile functions
// decode the whole file.
StoredText::Decoder CodePageDecoder() {
    return [](std::string_view bytes) { return Decode(CP_ACP, bytes, 0).value_or(std::wstring()); };
}

bool HasHighByte(std::string_view bytes) noexcept {
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        if (word & 0x8080808080808080u) return true;
    }
    for (; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) return true;
    return false;
}

bool HasNul(std::string_view bytes) noexcept {
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        if ((word - kOnes) & ~word & kHighs) break;
    }
    for (; i < bytes.size(); ++i)
        if (bytes[i] == '\0') return true;
    return false;
}

enum class CodePageText {
    Clean,      // decodes, and encodes back to the same bytes
    Invalid,    // holds a sequence the code page does not decode
    Rewritten,  // decodes, but a character has a second spelling that encoding would not keep
};

// Checked in runs of whole lines, as a line end is never part of a character:
// runs of plain ASCII (most of any settings file) are never converted.
CodePageText CheckCodePageText(std::string_view bytes, bool roundTrip) {
    constexpr std::size_t kRun = 64 * 1024;
    for (std::size_t begin = 0; begin < bytes.size();) {
        std::size_t end = bytes.size();
        if (bytes.size() - begin > kRun) {
            const auto lineEnd = bytes.find_first_of("\r\n", begin + kRun);
            if (lineEnd != std::string_view::npos) end = lineEnd + 1;
        }
        const std::string_view run = bytes.substr(begin, end - begin);
        if (HasHighByte(run)) {
            const std::optional<std::wstring> text = Decode(CP_ACP, run);
            if (!text) return CodePageText::Invalid;
            if (roundTrip && Encode(CP_ACP, *text) != run) return CodePageText::Rewritten;
        }
        begin = end;
    }
    return CodePageText::Clean;
}

std::string Utf16File(std::wstring_view text) {
    std::string bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return bytes;
}

bool StartsWith(std::string_view bytes, std::string_view mark) noexcept {
    return bytes.compare(0, mark.size(), mark) == 0;
}

// The text after a UTF-16 mark; nothing for an odd number of bytes.
std::optional<std::wstring_view> Utf16Units(std::string_view bytes) noexcept {
    if (bytes.size() % 2 != 0) return std::nullopt;
    return std::wstring_view(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
}

}  // namespace

bool FitsCodePage(std::wstring_view text) noexcept {
    if (std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; })) return true;
    const UINT codePage = ::GetACP();
    if (codePage == CP_UTF8) return true;
    BOOL usedDefault = FALSE;
    const int length = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(),
                                             static_cast<int>(text.size()), nullptr, 0, nullptr, &usedDefault);
    return length > 0 && !usedDefault;
}

std::string EncodeCodePage(std::wstring_view text) { return Encode(CP_ACP, text); }

std::optional<StoredText> ReadableText(std::string_view bytes, bool decodesCleanly) {
    if (StartsWith(bytes, "\xFF\xFE")) {
        const std::optional<std::wstring_view> units = Utf16Units(bytes);
        if (!units || units->find(L'\0') != std::wstring_view::npos) return std::nullopt;
        return StoredText(*units);
    }
    if (StartsWith(bytes, "\xFE\xFF") || StartsWith(bytes, "\xEF\xBB\xBF")) return std::nullopt;
    if (HasNul(bytes)) return std::nullopt;
    if (!decodesCleanly && CheckCodePageText(bytes, false) != CodePageText::Clean) return std::nullopt;
    return StoredText(bytes, CodePageDecoder());
}

std::size_t EditedFile::Size() const noexcept {
    std::size_t size = 0;
    for (std::string_view run : runs) size += run.size();
    return size;
}

namespace {

std::string Join(const std::vector<std::string_view>& runs) {
    std::size_t size = 0;
    for (std::string_view run : runs) size += run.size();
    std::string bytes;
    bytes.reserve(size);
    for (std::string_view run : runs) bytes += run;
    return bytes;
}

}  // namespace

std::string EditedFile::Joined() const { return Join(runs); }
std::string EditedFile::ReadBackText() const { return Join(readBackRuns); }

std::optional<EditedFile> EditedBytes(std::string_view bytes, const std::vector<SectionEdit>& edits,
                                      bool changesFitCodePage) {
    EditedFile file;
    const auto make = [&](std::string made) {
        file.runs.push_back(*file.made.emplace_back(std::make_unique<std::string>(std::move(made))));
        file.readBackRuns = file.runs;
        return std::optional<EditedFile>(std::move(file));
    };
    // Stored runs as they are, new text converted. A NUL anywhere in the file
    // makes it one only the profile functions read: then all of it is read back.
    const auto pieced = [&](const std::vector<TextPiece>& pieces, std::size_t unit, std::size_t offset,
                            const std::function<std::string(std::wstring_view)>& encode, bool hasNul) {
        if (offset > 0) file.runs.push_back(bytes.substr(0, offset));
        file.readBackRuns = file.runs;
        for (const TextPiece& piece : pieces) {
            if (!piece.text.empty())
                file.runs.push_back(*file.made.emplace_back(std::make_unique<std::string>(encode(piece.text))));
            else
                file.runs.push_back(bytes.substr(offset + piece.begin * unit, (piece.end - piece.begin) * unit));
            if (!piece.unread || hasNul) file.readBackRuns.push_back(file.runs.back());
        }
        return std::optional<EditedFile>(std::move(file));
    };
    if (StartsWith(bytes, "\xFF\xFE")) {
        const std::optional<std::wstring_view> units = Utf16Units(bytes);
        if (!units) return std::nullopt;
        return pieced(
            EditStoredText(StoredText(*units), edits), sizeof(wchar_t), 2,
            [](std::wstring_view text) {
                return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
            },
            units->find(L'\0') != std::wstring_view::npos);
    }
    if (StartsWith(bytes, "\xFE\xFF")) {
        // Big-endian UTF-16 is not read alike everywhere; the little-endian
        // form every reader of such files takes is stored from now on.
        if (bytes.size() % 2 != 0) return std::nullopt;
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) << 8 |
                                           static_cast<unsigned char>(bytes[3 + 2 * i]));
        return make(Utf16File(ApplySectionEdits(text, edits)));
    }
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        // Windows reads such a file in the code page, the mark glued to the
        // first line (whose section it then does not see), and Wine reads it as
        // UTF-8: no text written into it reads back alike on both. It is stored
        // in a form both read alike: the code page when all its text fits, UTF-16 otherwise.
        const std::optional<std::wstring> text = Decode(CP_UTF8, bytes.substr(3));
        if (!text) return std::nullopt;
        const std::wstring edited = ApplySectionEdits(*text, edits);
        return make(FitsCodePage(edited) ? Encode(CP_ACP, edited) : Utf16File(edited));
    }
    if (changesFitCodePage) {
        switch (CheckCodePageText(bytes, true)) {
        case CodePageText::Invalid:
            return std::nullopt;
        case CodePageText::Clean:
            // Only the lines the edits touch are converted, both ways.
            return pieced(EditStoredText(StoredText(bytes, CodePageDecoder()), edits), 1, 0,
                          [](std::wstring_view text) { return Encode(CP_ACP, text); }, HasNul(bytes));
        case CodePageText::Rewritten:
            break;  // converted whole, as the profile functions would rewrite it
        }
    }
    const std::optional<std::wstring> text = Decode(CP_ACP, bytes);
    if (!text) return std::nullopt;
    const std::wstring edited = ApplySectionEdits(*text, edits);
    // Text the code page cannot hold would be stored as "?" or as a look-alike
    // (another file's name): such a file is kept in UTF-16 from now on.
    return make(changesFitCodePage ? Encode(CP_ACP, edited) : Utf16File(edited));
}

}  // namespace tdx
