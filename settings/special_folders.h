// The shell special folders that entries may name instead of a path.
#pragma once

#include <string_view>

namespace tdx {

// Shell folder numbers (CSIDL values) of the folders the program knows.
namespace SpecialFolder {
inline constexpr int Desktop = 0;
inline constexpr int ControlPanel = 3;
inline constexpr int Printers = 4;
inline constexpr int Documents = 5;
inline constexpr int RecycleBin = 10;
inline constexpr int Computer = 17;
inline constexpr int Network = 18;
// A name outside the table stands for no folder.
inline constexpr int None = -1;
}  // namespace SpecialFolder

// The folder number for a stored name ("MyComputer", "DustBox", ...), names
// compared exactly; SpecialFolder::None for any other text.
int SpecialFolderId(std::wstring_view name) noexcept;

}  // namespace tdx
