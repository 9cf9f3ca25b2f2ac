// basKvOrviBiosDataA: the operations the BIOS data class is built on.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <string_view>

#include "com_ptr.h"

namespace orvi::basKvOrviBiosDataA {

// Whether the system is of the NT family.
bool IsNTPlatform();

// The single-byte, NUL-terminated text at a linear address. The text is
// copied through a guarded read, so an address that is not mapped (or a
// text running into memory that is not) ends the text instead of faulting.
std::wstring StringAtAddress(std::uint32_t address);
std::wstring StringAtAddress(std::uintptr_t address, std::size_t limit);

std::wstring TrimAtNull(std::wstring_view text);

// A registry value as a Variant by its type: text for REG_SZ, REG_EXPAND_SZ
// and REG_MULTI_SZ (items separated by single NULs), a Long for REG_DWORD,
// a Byte array for REG_BINARY. A missing key or value, or another type,
// gives `defaultValue`.
Variant ReadRegistryValue(HKEY root, std::wstring_view path, std::wstring_view name, const Variant& defaultValue = {});

// A Variant as text, as the automation conversions write it; Empty is "".
std::wstring TextOf(const Variant& value);

}  // namespace orvi::basKvOrviBiosDataA
