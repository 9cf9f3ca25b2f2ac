// Reading the component's own resources from its file.
#pragma once
#include <windows.h>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace orvi {

// The bytes of a resource, or nothing when the file does not hold it.
std::optional<std::span<const std::uint8_t>> FindComponentResource(const char* type, const char* name);
// A string of the string table, or nothing when the id is absent.
std::optional<std::wstring> FindComponentString(unsigned id);
// As above; an absent id raises 326 naming it.
std::wstring LoadComponentString(unsigned id);
[[noreturn]] void RaiseResourceNotFound(long id);

}  // namespace orvi
