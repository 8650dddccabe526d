// COM on Win32 the way handles are: an interface pointer that releases its
// reference when its owner goes, and a thread's apartment that ends with the
// scope that began it. ole32 is bound at the first apartment, not at start-up:
// the popup's path needs no COM.
#pragma once

#include <objbase.h>

#include <utility>

#include "winbase/late_bound.h"

namespace tdx {

template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    // Takes over a reference the caller already holds (a fresh object, an out parameter).
    explicit ComPtr(T* owned) noexcept : p_(owned) {}
    ~ComPtr() { Reset(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // For the out parameter of CoCreateInstance and QueryInterface.
    void** Receive() noexcept {
        Reset();
        return reinterpret_cast<void**>(&p_);
    }
    void Reset() noexcept {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};

// A single-threaded apartment for the calling thread while the object lives;
// a nested one is counted by the system and ended in turn.
class ComApartment {
public:
    ComApartment() noexcept {
        static const auto initialize = LateBound<decltype(&::CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
        if (initialize) result_ = initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    }
    ~ComApartment() {
        static const auto uninitialize = LateBound<decltype(&::CoUninitialize)>(L"ole32.dll", "CoUninitialize");
        if (SUCCEEDED(result_) && uninitialize) uninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_ = E_FAIL;
};

// CoCreateInstance for an in-process server, bound like the apartment.
template <typename T>
HRESULT CreateComObject(REFCLSID type, REFIID interfaceId, ComPtr<T>& object) noexcept {
    static const auto create = LateBound<decltype(&::CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
    if (!create) return E_FAIL;
    return create(type, nullptr, CLSCTX_INPROC_SERVER, interfaceId, object.Receive());
}

}  // namespace tdx
