// Owning handles for COM references, BSTRs and VARIANTs.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <string>
#include <string_view>
#include <utility>

namespace orvi {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    explicit ComPtr(T* raw) : ptr(raw) { if (ptr) ptr->AddRef(); }
    ComPtr(const ComPtr& other) : ComPtr(other.ptr) {}
    ComPtr(ComPtr&& other) noexcept : ptr(std::exchange(other.ptr, nullptr)) {}
    ~ComPtr() { Reset(); }
    ComPtr& operator=(ComPtr other) noexcept { std::swap(ptr, other.ptr); return *this; }

    // Takes over a reference the caller already owns.
    static ComPtr Adopt(T* raw) { ComPtr p; p.ptr = raw; return p; }

    T* Get() const { return ptr; }
    T* operator->() const { return ptr; }
    explicit operator bool() const { return ptr != nullptr; }
    T** Put() { Reset(); return &ptr; }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    T* Detach() { return std::exchange(ptr, nullptr); }
    void Reset() { if (T* old = std::exchange(ptr, nullptr)) old->Release(); }

    template <class U>
    ComPtr<U> As() const {
        ComPtr<U> other;
        if (ptr) ptr->QueryInterface(__uuidof(U), other.PutVoid());
        return other;
    }

private:
    T* ptr = nullptr;
};

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view text)
        : value(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
        if (!value && !text.empty()) throw std::bad_alloc();
    }
    Bstr(const Bstr& other) : Bstr(other.View()) {}
    Bstr(Bstr&& other) noexcept : value(std::exchange(other.value, nullptr)) {}
    ~Bstr() { SysFreeString(value); }
    Bstr& operator=(Bstr other) noexcept { std::swap(value, other.value); return *this; }

    static Bstr Adopt(BSTR raw) { Bstr b; b.value = raw; return b; }
    // A BSTR owned by someone else, viewed without copying; null reads as empty.
    static std::wstring_view ViewOf(BSTR raw) { return raw ? std::wstring_view(raw, SysStringLen(raw)) : std::wstring_view(); }

    BSTR Get() const { return value; }
    BSTR* Put() { SysFreeString(std::exchange(value, nullptr)); return &value; }
    BSTR Detach() { return std::exchange(value, nullptr); }
    std::wstring_view View() const { return ViewOf(value); }
    bool Empty() const { return View().empty(); }

private:
    BSTR value = nullptr;
};

class Variant {
public:
    Variant() { VariantInit(&value); }
    Variant(const Variant& other) : Variant() { Check(VariantCopy(&value, const_cast<VARIANT*>(&other.value))); }
    Variant(Variant&& other) noexcept : value(other.value) { VariantInit(&other.value); }
    explicit Variant(const VARIANT& other) : Variant() { Check(VariantCopy(&value, const_cast<VARIANT*>(&other))); }
    ~Variant() { VariantClear(&value); }
    Variant& operator=(Variant other) noexcept { std::swap(value, other.value); return *this; }

    // Values of the automation types the component hands around.
    static Variant Long(long number) {
        Variant v;
        V_VT(&v.value) = VT_I4;
        V_I4(&v.value) = number;
        return v;
    }
    static Variant Integer(short number) {
        Variant v;
        V_VT(&v.value) = VT_I2;
        V_I2(&v.value) = number;
        return v;
    }
    static Variant Date(double date) {
        Variant v;
        V_VT(&v.value) = VT_DATE;
        V_DATE(&v.value) = date;
        return v;
    }
    static Variant Text(std::wstring_view text) {
        Variant v;
        V_BSTR(&v.value) = Bstr(text).Detach();
        V_VT(&v.value) = VT_BSTR;
        return v;
    }
    static Variant Object(IDispatch* object) {
        Variant v;
        V_VT(&v.value) = VT_DISPATCH;
        V_DISPATCH(&v.value) = object;
        if (object) object->AddRef();
        return v;
    }

    VARIANT* Get() { return &value; }
    const VARIANT* Get() const { return &value; }
    VARIANT* Put() { VariantClear(&value); return &value; }
    VARTYPE Type() const { return V_VT(&value); }
    // Moves the value into a caller's out-parameter.
    void DetachTo(VARIANT* out) { *out = value; VariantInit(&value); }

private:
    static void Check(HRESULT hr) { if (FAILED(hr)) throw std::bad_alloc(); }
    VARIANT value;
};

}  // namespace orvi
