// What the built program asks the loader for. The loader looks for an imported
// library beside the program first, unless the system keeps it as one of its
// known libraries: anything else imported could be planted beside a copy
// unpacked into a downloads folder and run inside Tiledex.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "support/tiledex_process_win.h"

namespace tdx::test {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The names in the import directory of a 64-bit image file.
std::vector<std::string> ImportedLibraries(const std::vector<char>& image) {
    const auto at = [&image](std::size_t offset, std::size_t size) {
        if (offset + size > image.size()) throw std::out_of_range("outside the file");
        return image.data() + offset;
    };
    IMAGE_DOS_HEADER dos{};
    std::memcpy(&dos, at(0, sizeof(dos)), sizeof(dos));
    IMAGE_NT_HEADERS64 nt{};
    std::memcpy(&nt, at(static_cast<std::size_t>(dos.e_lfanew), sizeof(nt)), sizeof(nt));
    const std::size_t sectionTable = static_cast<std::size_t>(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                                     nt.FileHeader.SizeOfOptionalHeader;
    const auto fileOffset = [&](DWORD rva) -> std::size_t {
        for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
            IMAGE_SECTION_HEADER section{};
            std::memcpy(&section, at(sectionTable + i * sizeof(section), sizeof(section)), sizeof(section));
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData)
                return rva - section.VirtualAddress + section.PointerToRawData;
        }
        throw std::out_of_range("address in no section");
    };
    std::vector<std::string> names;
    for (int directory : {IMAGE_DIRECTORY_ENTRY_IMPORT, IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT}) {
        const IMAGE_DATA_DIRECTORY& entry = nt.OptionalHeader.DataDirectory[directory];
        if (entry.VirtualAddress == 0) continue;
        std::size_t offset = fileOffset(entry.VirtualAddress);
        // Both kinds of descriptor carry the name's address; a zero one ends the list.
        const std::size_t stride = directory == IMAGE_DIRECTORY_ENTRY_IMPORT ? sizeof(IMAGE_IMPORT_DESCRIPTOR) : 32;
        const std::size_t nameField = directory == IMAGE_DIRECTORY_ENTRY_IMPORT ? offsetof(IMAGE_IMPORT_DESCRIPTOR, Name) : 4;
        for (;; offset += stride) {
            DWORD name = 0;
            std::memcpy(&name, at(offset + nameField, sizeof(name)), sizeof(name));
            if (name == 0) break;
            names.push_back(Lower(at(fileOffset(name), 1)));
        }
    }
    return names;
}

TEST(Imports, TheProgramImportsOnlyKnownSystemLibrariesAndItsHook) {
    std::ifstream file(ExeDir() / L"tiledex.exe", std::ios::binary);
    ASSERT_TRUE(file.good());
    const std::vector<char> image{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const std::vector<std::string> imports = ImportedLibraries(image);
    ASSERT_FALSE(imports.empty());

    // The system's known libraries (the KnownDLLs of Windows 7 to 11), always
    // taken from the system folder; the common controls, bound through the
    // manifest; and the hook library, which belongs beside the program.
    const std::set<std::string> allowed{
        "advapi32.dll", "comdlg32.dll", "gdi32.dll",   "imagehlp.dll", "imm32.dll",    "kernel32.dll",
        "msvcrt.dll",   "ole32.dll",    "oleaut32.dll", "psapi.dll",   "rpcrt4.dll",   "setupapi.dll",
        "shell32.dll",  "shlwapi.dll",  "user32.dll",   "ws2_32.dll",  "comctl32.dll", "tdxhook.dll"};
    for (const std::string& name : imports) EXPECT_TRUE(allowed.count(name)) << name << " is imported";
    EXPECT_TRUE(std::count(imports.begin(), imports.end(), "tdxhook.dll"));
}

}  // namespace
}  // namespace tdx::test
