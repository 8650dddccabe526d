// Turns a fuzzer's bytes into the values a target needs, front to back; past
// the end every read gives zero, so any input is a complete case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tdx::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return pos_ >= size_; }
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint32_t U32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
        return v;
    }
    std::int32_t Range(std::int32_t low, std::int32_t high) {
        return low + static_cast<std::int32_t>(U32() % static_cast<std::uint32_t>(high - low + 1));
    }
    bool Bool() { return Byte() & 1; }
    // Up to maxLength characters; bytes from 0x80 up stand for characters of
    // the Japanese ranges so that text outside ASCII is exercised.
    std::wstring Text(std::size_t maxLength) {
        std::size_t length = Byte() % (maxLength + 1);
        std::wstring text;
        for (std::size_t i = 0; i < length; ++i) {
            const std::uint8_t b = Byte();
            text.push_back(b < 0x80 ? static_cast<wchar_t>(b) : static_cast<wchar_t>(0x3040 + b));
        }
        return text;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace tdx::fuzz
