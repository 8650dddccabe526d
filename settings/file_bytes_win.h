// A file's bytes in memory for reading: small files read into a buffer, large
// ones mapped. Under Wine, reading 15 MB into fresh memory took 100-150 ms
// (every new page is a fault the loader handles), mapping it 2-15 ms.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "winbase/unique_handle.h"

namespace tdx {

class FileBytes {
public:
    // The size bytes of a file opened for reading; nothing when they cannot be read.
    static std::optional<FileBytes> Of(HANDLE file, ULONGLONG size);
    // Always mapped: a file just written, read where it stands.
    static std::optional<FileBytes> Mapped(HANDLE file, ULONGLONG size);
    std::string_view View() const noexcept {
        return view_ ? std::string_view(static_cast<const char*>(view_.get()), size_) : std::string_view(copy_);
    }

private:
    std::string copy_;
    UniqueMapping mapping_;
    UniqueView view_;
    std::size_t size_ = 0;
};

}  // namespace tdx
