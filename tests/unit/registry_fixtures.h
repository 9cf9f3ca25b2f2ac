// Registry fixtures of the unit tests: values written for one test and
// removed again, and snapshots of a whole subtree.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace orvi::test {

// Writes one value, creating the key path as needed; on destruction puts
// back what was there before: the old value, or no value and none of the
// keys it had to create.
class ScopedRegistryValue {
public:
    ScopedRegistryValue(HKEY root, std::wstring path, std::wstring name, DWORD type, const void* data, DWORD size);
    ~ScopedRegistryValue();
    ScopedRegistryValue(const ScopedRegistryValue&) = delete;
    ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;

    // UTF-16 text, stored exactly as given (terminators included by the caller).
    static ScopedRegistryValue Text(HKEY root, std::wstring path, std::wstring name, std::wstring_view text, DWORD type = REG_SZ);

private:
    HKEY root;
    std::wstring path, name, createdTop;
    bool hadValue = false;
    DWORD oldType = 0;
    std::vector<BYTE> oldData;
};

// Makes sure a value is absent for one test and puts it back afterwards.
class ScopedAbsentValue {
public:
    ScopedAbsentValue(HKEY root, std::wstring path, std::wstring name);
    ~ScopedAbsentValue();

private:
    HKEY root;
    std::wstring path, name;
    bool hadValue = false;
    DWORD oldType = 0;
    std::vector<BYTE> oldData;
};

// Every key and value below root\path, one line each, sorted; the subtrees
// whose names are listed in `skip` (direct children of path) left out.
std::vector<std::wstring> RegistrySnapshot(HKEY root, const std::wstring& path, const std::vector<std::wstring>& skip = {});

bool KeyExists(HKEY root, const std::wstring& path);
bool ValueExists(HKEY root, const std::wstring& path, const std::wstring& name);

}  // namespace orvi::test
