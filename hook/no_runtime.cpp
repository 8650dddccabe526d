// The library links no C runtime; the compiler may still turn a zeroed buffer
// or a structure copy into calls of these, so they are provided here. Built
// with -fno-tree-loop-distribute-patterns so the loops do not become calls of
// themselves.
#include <cstddef>

#if defined(_MSC_VER)
#pragma function(memset, memcpy)
#endif

extern "C" {

void* memset(void* dest, int value, std::size_t count) {
    auto* d = static_cast<unsigned char*>(dest);
    while (count--) *d++ = static_cast<unsigned char>(value);
    return dest;
}

void* memcpy(void* dest, const void* src, std::size_t count) {
    auto* d = static_cast<unsigned char*>(dest);
    const auto* s = static_cast<const unsigned char*>(src);
    while (count--) *d++ = *s++;
    return dest;
}

void* memmove(void* dest, const void* src, std::size_t count) {
    auto* d = static_cast<unsigned char*>(dest);
    const auto* s = static_cast<const unsigned char*>(src);
    if (d < s) {
        while (count--) *d++ = *s++;
    } else {
        while (count--) d[count] = s[count];
    }
    return dest;
}

}  // extern "C"
