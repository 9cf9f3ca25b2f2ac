#include "registry_fixtures.h"

#include <algorithm>

namespace orvi::test {
namespace {

bool ReadValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    bool found = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    if (found) {
        data.assign(size, 0);
        found = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return found;
}

void WriteValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) return;
    RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
}

void Collect(HKEY key, const std::wstring& path, const std::vector<std::wstring>& skip, std::vector<std::wstring>& lines) {
    wchar_t name[16384];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 16384, type = 0, size = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size);
        nameLength = 16384;
        RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size);
        std::wstring line = path + L" | " + name + L" | " + std::to_wstring(type) + L" | ";
        for (BYTE b : data) line += std::to_wstring(b) + L",";
        lines.push_back(line);
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (std::find(skip.begin(), skip.end(), std::wstring(name)) != skip.end()) continue;
        lines.push_back(path + L"\\" + name);
        HKEY child = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &child) == ERROR_SUCCESS) {
            Collect(child, path + L"\\" + name, {}, lines);
            RegCloseKey(child);
        }
    }
}

}  // namespace

ScopedRegistryValue::ScopedRegistryValue(HKEY root, std::wstring path, std::wstring name, DWORD type, const void* data, DWORD size)
    : root(root), path(std::move(path)), name(std::move(name)) {
    for (size_t at = 0; at != std::wstring::npos;) {
        at = this->path.find(L'\\', at + 1);
        const std::wstring prefix = this->path.substr(0, at);
        if (!KeyExists(root, prefix)) {
            createdTop = prefix;
            break;
        }
    }
    hadValue = ReadValue(root, this->path, this->name, oldType, oldData);
    WriteValue(root, this->path, this->name, type, data, size);
}

ScopedRegistryValue ScopedRegistryValue::Text(HKEY root, std::wstring path, std::wstring name, std::wstring_view text, DWORD type) {
    return ScopedRegistryValue(root, std::move(path), std::move(name), type, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

ScopedRegistryValue::~ScopedRegistryValue() {
    if (!createdTop.empty()) {
        RegDeleteTreeW(root, createdTop.c_str());
        RegDeleteKeyW(root, createdTop.c_str());
    } else if (hadValue) {
        WriteValue(root, path, name, oldType, oldData.data(), static_cast<DWORD>(oldData.size()));
    } else {
        DeleteValue(root, path, name);
    }
}

ScopedAbsentValue::ScopedAbsentValue(HKEY root, std::wstring path, std::wstring name)
    : root(root), path(std::move(path)), name(std::move(name)) {
    hadValue = ReadValue(root, this->path, this->name, oldType, oldData);
    if (hadValue) DeleteValue(root, this->path, this->name);
}

ScopedAbsentValue::~ScopedAbsentValue() {
    if (hadValue) WriteValue(root, path, name, oldType, oldData.data(), static_cast<DWORD>(oldData.size()));
}

std::vector<std::wstring> RegistrySnapshot(HKEY root, const std::wstring& path, const std::vector<std::wstring>& skip) {
    std::vector<std::wstring> lines;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return lines;
    Collect(key, path, skip, lines);
    RegCloseKey(key);
    std::sort(lines.begin(), lines.end());
    return lines;
}

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool ValueExists(HKEY root, const std::wstring& path, const std::wstring& name) {
    DWORD type = 0;
    std::vector<BYTE> data;
    return ReadValue(root, path, name, type, data);
}

}  // namespace orvi::test
