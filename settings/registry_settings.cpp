// clsKvOrviUtilitesRegistryA: per-application string settings under
// HKEY_CURRENT_USER\Software\<company>\<application>[\<section>].
// Registry failures are never raised: reads fall back to the default,
// writes and deletions answer False. Names that would reach outside the
// application's key (an empty key name inside a section path, a NUL that
// would cut a name short, a backslash in the company or application name)
// are refused the same way.
#include "registry_settings.h"

#include <algorithm>

#include "ansi.h"
#include "com_object.h"
#include "module.h"
#include "pure/settings_names.h"
#include "registry_key.h"
#include "system_function.h"

using namespace orvi;
using namespace orvi::settings;

namespace {

const SystemFunction<decltype(&::RegOpenKeyExA)> regOpenKeyEx{"advapi32.dll", "RegOpenKeyExA"};
const SystemFunction<decltype(&::RegCreateKeyExA)> regCreateKeyEx{"advapi32.dll", "RegCreateKeyExA"};
const SystemFunction<decltype(&::RegQueryValueExA)> regQueryValueEx{"advapi32.dll", "RegQueryValueExA"};
const SystemFunction<decltype(&::RegSetValueExA)> regSetValueEx{"advapi32.dll", "RegSetValueExA"};
const SystemFunction<decltype(&::RegDeleteValueA)> regDeleteValue{"advapi32.dll", "RegDeleteValueA"};
const SystemFunction<decltype(&::RegDeleteKeyA)> regDeleteKey{"advapi32.dll", "RegDeleteKeyA"};

// The component's file name without folder and extension.
std::wstring ModuleName() {
    std::wstring name = module::FilePath();
    name.erase(0, name.find_last_of(L"\\/") + 1);
    if (const size_t dot = name.find_last_of(L'.'); dot != std::wstring::npos) name.erase(dot);
    return name;
}

VARIANT_BOOL Answer(bool done) { return done ? VARIANT_TRUE : VARIANT_FALSE; }

// The value name the registry is given: "*" is the default value.
std::string ValueName(std::wstring_view key) { return IsDefaultValueMark(key) ? std::string() : ToAnsi(key); }

}  // namespace

class clsKvOrviUtilitesRegistryA final : public ComObject<clsKvOrviUtilitesRegistryA, _clsKvOrviUtilitesRegistryA> {
public:
    static constexpr wchar_t kProgId[] = L"Orvilib10.clsKvOrviUtilitesRegistryA";

    void StartUp() {
        company = kDefaultCompany;
        applicationName = ProductForModule(ModuleName()).value_or(kTitle);
    }

    STDMETHODIMP put_Company(BSTR NewVal) override {
        return Member([&] { company = KeyNameOrDefault(NewVal, kDefaultCompany, L"company"); });
    }
    STDMETHODIMP get_Company(BSTR* result) override {
        return Produce(result, [&] { return Bstr(company); });
    }
    STDMETHODIMP put_AppName(BSTR NewVal) override {
        return Member([&] { applicationName = KeyNameOrDefault(NewVal, kTitle, L"application"); });
    }
    STDMETHODIMP get_AppName(BSTR* result) override {
        return Produce(result, [&] { return Bstr(applicationName); });
    }

    STDMETHODIMP DeleteSetting(BSTR Section, BSTR Key, VARIANT_BOOL* result) override {
        return Produce(result, [&] {
            const std::wstring_view section = Bstr::ViewOf(Section), key = Bstr::ViewOf(Key);
            if (!IsSectionPath(section) || !IsValueName(key)) return Answer(false);
            RegistryKey opened;
            if (key.empty()) {
                // The whole section; never the application's own key.
                if (section.empty()) return Answer(false);
                if (!Open(L"", opened)) return Answer(false);
                return Answer(regDeleteKey(opened.Get(), ToAnsi(section).c_str()) == ERROR_SUCCESS);
            }
            if (!Open(section, opened)) return Answer(false);
            return Answer(regDeleteValue(opened.Get(), ValueName(key).c_str()) == ERROR_SUCCESS);
        });
    }

    STDMETHODIMP GetSetting(BSTR Section, BSTR Key, BSTR Default, BSTR* result) override {
        return Produce(result, [&] {
            const std::wstring_view section = Bstr::ViewOf(Section), key = Bstr::ViewOf(Key);
            Bstr answer(Bstr::ViewOf(Default));
            if (!IsSectionPath(section) || !IsValueName(key)) return answer;
            RegistryKey opened;
            if (!Open(section, opened)) return answer;
            const std::string name = ValueName(key);
            DWORD size = 0;
            if (regQueryValueEx(opened.Get(), name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0)
                return answer;
            std::string buffer(size, ' ');
            DWORD length = size;
            if (regQueryValueEx(opened.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &length) !=
                ERROR_SUCCESS)
                return answer;
            // The text without its terminator (and whole when stored without one).
            buffer.resize(std::min<size_t>(length, buffer.size()));
            buffer.resize(std::min(buffer.find('\0'), buffer.size()));
            return Bstr(FromAnsi(buffer));
        });
    }

    STDMETHODIMP SaveSetting(BSTR Section, BSTR Key, BSTR Setting, VARIANT_BOOL* result) override {
        return Produce(result, [&] {
            const std::wstring_view section = Bstr::ViewOf(Section), key = Bstr::ViewOf(Key), setting = Bstr::ViewOf(Setting);
            // A NUL inside the text would cut it short when read back.
            if (!IsSectionPath(section) || !IsValueName(key) || setting.find(L'\0') != std::wstring_view::npos)
                return Answer(false);
            RegistryKey created;
            if (regCreateKeyEx(HKEY_CURRENT_USER, ToAnsi(Path(section)).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                               created.Put(), nullptr) != ERROR_SUCCESS)
                return Answer(false);
            const std::string data = ToAnsi(setting);
            return Answer(regSetValueEx(created.Get(), ValueName(key).c_str(), 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>(data.c_str()),
                                        static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS);
        });
    }

    STDMETHODIMP SubKey(BSTR Section, BSTR* result) override {
        return Produce(result, [&] { return Bstr(Path(Bstr::ViewOf(Section))); });
    }

private:
    std::wstring Path(std::wstring_view section) const {
        std::wstring path = L"Software\\" + company + L"\\" + applicationName;
        if (!section.empty()) path.append(L"\\").append(section);
        return path;
    }

    bool Open(std::wstring_view section, RegistryKey& key) const {
        return regOpenKeyEx(HKEY_CURRENT_USER, ToAnsi(Path(section)).c_str(), 0, KEY_ALL_ACCESS, key.Put()) == ERROR_SUCCESS;
    }

    // A company or application name is exactly one key name below its
    // parent; empty (or blank) restores the default.
    static std::wstring KeyNameOrDefault(BSTR value, const wchar_t* defaultName, const wchar_t* what) {
        std::wstring name = TrimBlanks(Bstr::ViewOf(value));
        if (name.empty()) return defaultName;
        if (!IsSingleKeyName(name))
            Raise(errInvalidCall, {}, std::wstring(L"The ") + what + L" name must be one registry key name, without a backslash.");
        return name;
    }

    std::wstring company, applicationName;
};

namespace orvi {
ComPtr<_clsKvOrviUtilitesRegistryA> CreateRegistrySettings() { return clsKvOrviUtilitesRegistryA::Create(); }
}  // namespace orvi
