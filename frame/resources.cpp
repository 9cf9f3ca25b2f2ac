#include "resources.h"

#include "errors.h"
#include "module.h"
#include "system_function.h"
#include "frame/pure/numeric.h"

namespace orvi {
namespace {

const SystemFunction<decltype(&FindResourceA)> findResource{"kernel32.dll", "FindResourceA"};
const SystemFunction<decltype(&LoadResource)> loadResource{"kernel32.dll", "LoadResource"};
const SystemFunction<decltype(&LockResource)> lockResource{"kernel32.dll", "LockResource"};
const SystemFunction<decltype(&SizeofResource)> sizeofResource{"kernel32.dll", "SizeofResource"};

}  // namespace

std::optional<std::span<const std::uint8_t>> FindComponentResource(const char* type, const char* name) {
    HMODULE self = module::Handle();
    HRSRC found = findResource(self, name, type);
    if (!found) return std::nullopt;
    HGLOBAL loaded = loadResource(self, found);
    const DWORD size = sizeofResource(self, found);
    const void* bytes = loaded ? lockResource(loaded) : nullptr;
    if (!bytes) return std::nullopt;
    return std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(bytes), size);
}

std::optional<std::wstring> FindComponentString(unsigned id) {
    if (id > 0xFFFF) return std::nullopt;
    // A string-table block holds sixteen counted UTF-16 strings.
    const auto block = FindComponentResource(RT_STRING, MAKEINTRESOURCEA(id / 16 + 1));
    if (!block) return std::nullopt;
    const auto* cursor = reinterpret_cast<const wchar_t*>(block->data());
    const auto* end = cursor + block->size() / sizeof(wchar_t);
    for (unsigned index = 0; cursor < end; ++index) {
        const std::size_t length = static_cast<std::uint16_t>(*cursor++);
        if (length > static_cast<std::size_t>(end - cursor)) return std::nullopt;
        if (index == id % 16) {
            // An absent id is stored as a zero-length entry.
            if (length == 0) return std::nullopt;
            return std::wstring(cursor, length);
        }
        cursor += length;
    }
    return std::nullopt;
}

std::wstring LoadComponentString(unsigned id) {
    if (auto text = FindComponentString(id)) return *std::move(text);
    RaiseResourceNotFound(static_cast<long>(id));
}

void RaiseResourceNotFound(long id) {
    Raise(errResourceNotFound, {}, L"Resource with identifier '" + numeric::IntegerText(id) + L"' not found");
}

}  // namespace orvi
