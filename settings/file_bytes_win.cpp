#include "settings/file_bytes_win.h"

namespace tdx {

std::optional<FileBytes> FileBytes::Of(HANDLE file, ULONGLONG size) {
    constexpr ULONGLONG kMappedFrom = 1u << 20;
    if (size > 0x7FFFFFFF) return std::nullopt;
    FileBytes bytes;
    bytes.size_ = static_cast<std::size_t>(size);
    if (size < kMappedFrom) {
        bytes.copy_.resize(bytes.size_);
        DWORD read = 0;
        if (!bytes.copy_.empty() && (!::ReadFile(file, bytes.copy_.data(), static_cast<DWORD>(size), &read, nullptr) ||
                                     read != size))
            return std::nullopt;
        return bytes;
    }
    return Mapped(file, size);
}

std::optional<FileBytes> FileBytes::Mapped(HANDLE file, ULONGLONG size) {
    if (size > 0x7FFFFFFF) return std::nullopt;
    FileBytes bytes;
    bytes.size_ = static_cast<std::size_t>(size);
    if (size == 0) return bytes;  // nothing to map
    bytes.mapping_.reset(::CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!bytes.mapping_) return std::nullopt;
    bytes.view_.reset(::MapViewOfFile(bytes.mapping_.get(), FILE_MAP_READ, 0, 0, bytes.size_));
    if (!bytes.view_) return std::nullopt;
    return bytes;
}

}  // namespace tdx
