#include "bios_data_module.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "ansi.h"
#include "errors.h"
#include "osinfo/os_version_query.h"
#include "pure/bios_text.h"
#include "registry_key.h"
#include "system_function.h"

namespace orvi::basKvOrviBiosDataA {
namespace {

const SystemFunction<decltype(&::GetCurrentProcess)> getCurrentProcess{"kernel32.dll", "GetCurrentProcess"};
const SystemFunction<decltype(&::ReadProcessMemory)> readProcessMemory{"kernel32.dll", "ReadProcessMemory"};
const SystemFunction<decltype(&::RegOpenKeyExA)> regOpenKeyEx{"advapi32.dll", "RegOpenKeyExA"};
const SystemFunction<decltype(&::RegQueryValueExA)> regQueryValueEx{"advapi32.dll", "RegQueryValueExA"};
const SystemFunction<decltype(&::VariantChangeTypeEx)> variantChangeTypeEx{"oleaut32.dll", "VariantChangeTypeEx"};

constexpr std::size_t kPageSize = 0x1000;
// Longer than any BIOS text; bounds a read through memory without a NUL.
constexpr std::size_t kTextLimit = 0x10000;
constexpr DWORD kFirstBufferSize = 2048;

Variant LongVariant(long value) { return Variant::Long(value); }

Variant TextVariant(std::wstring_view text) { return Variant::Text(text); }

Variant BytesVariant(const BYTE* data, DWORD size) {
    SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, size);
    if (!bytes) throw std::bad_alloc();
    if (size > 0) {
        void* elements = nullptr;
        SafeArrayAccessData(bytes, &elements);
        std::memcpy(elements, data, size);
        SafeArrayUnaccessData(bytes);
    }
    Variant result;
    V_VT(result.Put()) = VT_ARRAY | VT_UI1;
    V_ARRAY(result.Get()) = bytes;
    return result;
}

}  // namespace

bool IsNTPlatform() { return QueryOsVersion().dwPlatformId == VER_PLATFORM_WIN32_NT; }

std::wstring StringAtAddress(std::uint32_t address) { return StringAtAddress(std::uintptr_t{address}, kTextLimit); }

std::wstring StringAtAddress(std::uintptr_t address, std::size_t limit) {
    // Page by page, so a read is either all readable or stops the text.
    std::string text;
    const HANDLE self = getCurrentProcess();
    char chunk[kPageSize];
    while (text.size() < limit) {
        const std::uintptr_t at = address + text.size();
        const std::size_t wanted = std::min(kPageSize - at % kPageSize, limit - text.size());
        SIZE_T copied = 0;
        if (!readProcessMemory(self, reinterpret_cast<const void*>(at), chunk, wanted, &copied) || copied == 0) break;
        const std::string_view piece(chunk, std::min<std::size_t>(copied, wanted));
        const std::size_t end = piece.find('\0');
        text.append(piece.substr(0, end));
        if (end != std::string_view::npos || copied < wanted) break;
    }
    return TrimAtNull(FromAnsi(text));
}

std::wstring TrimAtNull(std::wstring_view text) { return bios::TrimAtNull(text); }

Variant ReadRegistryValue(HKEY root, std::wstring_view path, std::wstring_view name, const Variant& defaultValue) {
    Variant result(defaultValue);
    RegistryKey key;
    if (regOpenKeyEx(root, ToAnsi(path).c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return result;

    const std::string valueName = ToAnsi(name);
    std::vector<BYTE> buffer(kFirstBufferSize, 0);
    DWORD type = REG_NONE, size = kFirstBufferSize;
    LONG status = regQueryValueEx(key.Get(), valueName.c_str(), nullptr, &type, buffer.data(), &size);
    // A value larger than the first buffer: ask again with its exact size
    // (again if it grew in between).
    for (int attempt = 0; status == ERROR_MORE_DATA && attempt < 4; ++attempt) {
        buffer.assign(size, 0);
        status = regQueryValueEx(key.Get(), valueName.c_str(), nullptr, &type, buffer.data(), &size);
    }
    if (status != ERROR_SUCCESS) return result;
    size = std::min<DWORD>(size, static_cast<DWORD>(buffer.size()));
    const std::string_view data(reinterpret_cast<const char*>(buffer.data()), size);

    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return TextVariant(FromAnsi(bios::WithoutTerminator(data, 1)));
    case REG_MULTI_SZ: return TextVariant(FromAnsi(bios::WithoutTerminator(data, 2)));
    case REG_DWORD: {
        std::int32_t value = 0;
        std::memcpy(&value, buffer.data(), std::min<std::size_t>(sizeof value, buffer.size()));
        return LongVariant(value);
    }
    case REG_BINARY: return BytesVariant(buffer.data(), size);
    default: return result;
    }
}

std::wstring TextOf(const Variant& value) {
    if (value.Type() == VT_EMPTY) return {};
    if (value.Type() == VT_BSTR) return std::wstring(Bstr::ViewOf(V_BSTR(value.Get())));
    Variant text;
    const HRESULT hr = variantChangeTypeEx(text.Get(), const_cast<VARIANT*>(value.Get()), LOCALE_USER_DEFAULT, 0, VT_BSTR);
    if (hr == DISP_E_TYPEMISMATCH) Raise(errTypeMismatch);
    if (hr == DISP_E_OVERFLOW) Raise(errOverflow);
    Check(hr);
    return std::wstring(Bstr::ViewOf(V_BSTR(text.Get())));
}

}  // namespace orvi::basKvOrviBiosDataA
