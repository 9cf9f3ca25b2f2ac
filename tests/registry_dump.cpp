// Prints every value below some registry keys, one a line, as
//     key<TAB>name or @<TAB>string<TAB>data
// keys in lower case and named below the root (the form of
// tests/msi/registry_export.py), read natively: `reg export` of a whole
// hive takes seconds under Wine.
//
//     registry_dump ROOT KEY...
// ROOT: HKCR, HKCU (its Software\Classes) or HKLM (its Software\Classes), read
// in this program's own registry view; HKLM32 and HKLM64 name a view.
#include <windows.h>

#include <cwctype>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

// The folder form the other tools print: no long-path prefix, no closing separator.
std::wstring PlainPath(std::wstring data) {
    if (data.rfind(L"\\\\?\\", 0) == 0) data.erase(0, 4);
    if (data.find(L":\\") != std::wstring::npos)
        while (!data.empty() && data.back() == L'\\') data.pop_back();
    return data;
}

void Dump(HKEY root, REGSAM view, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return;
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameLength = 16384, type = 0, size = 0;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
        nameLength = 16384;
        RegEnumValueW(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        const std::wstring text = type == REG_SZ ? PlainPath(data.data()) : L"<not a text>";
        std::cout << Utf8(Lower(path)) << '\t' << (nameLength ? Utf8(name) : "@") << "\tstring\t" << Utf8(text) << '\n';
    }
    for (DWORD index = 0;; ++index) {
        wchar_t child[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, index, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        Dump(root, view, path + L"\\" + child);
    }
    RegCloseKey(key);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring root = argv[1];
    HKEY base = HKEY_CLASSES_ROOT;
    REGSAM view = 0;
    std::wstring prefix;
    if (root == L"HKCU") base = HKEY_CURRENT_USER, prefix = L"Software\\Classes\\";
    else if (root.rfind(L"HKLM", 0) == 0) base = HKEY_LOCAL_MACHINE, prefix = L"Software\\Classes\\";
    if (root == L"HKLM32") view = KEY_WOW64_32KEY;
    if (root == L"HKLM64") view = KEY_WOW64_64KEY;
    const std::vector<std::wstring> keys(argv + 2, argv + argc);
    HKEY opened = base;
    if (!prefix.empty() && RegOpenKeyExW(base, prefix.substr(0, prefix.size() - 1).c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS)
        return 0;
    for (const std::wstring& key : keys) Dump(opened, view, key);
    return 0;
}
