#include "registration.h"

#include <oleauto.h>

#include <string>
#include <string_view>
#include <vector>

#include "ansi.h"
#include "com_ptr.h"
#include "errors.h"
#include "module.h"
#include "pure/ascii.h"
#include "pure/numeric.h"
#include "registry_key.h"
#include "resources.h"
#include "system_function.h"

namespace orvi::registration {
namespace {

const SystemFunction<decltype(&::GetVersion)> getVersion{"kernel32.dll", "GetVersion"};

// One key of the script: `[ForceRemove] name [= s 'text'] [{ ... }]`, its
// body holding `val name = s 'text'` values and further keys. Registering
// writes a ForceRemove key afresh; removing deletes it whole, and any other
// key once its own values are gone and nothing else is left in it.
struct ScriptKey {
    bool forceRemove = false;
    std::string_view name;
    bool hasDefault = false;
    std::string_view defaultText;  // as written, quotes doubled
    std::vector<std::pair<std::string_view, std::string_view>> values;
    std::vector<ScriptKey> children;
};

class ScriptReader {
public:
    explicit ScriptReader(std::string_view text) : text(text) {}

    // The roots of the script; false for a script that does not read.
    bool Read(std::vector<ScriptKey>& roots) {
        while (Peek() != Token::End)
            if (!Key(roots.emplace_back())) return false;
        return true;
    }

private:
    enum class Token { End, Open, Close, Equals, Text, Word, Bad };

    void SkipSpace() {
        while (position < text.size() && (text[position] == ' ' || text[position] == '\t' || text[position] == '\r' ||
                                          text[position] == '\n'))
            ++position;
    }
    // A braced GUID is a name, not the opening of a body.
    bool AtGuid() const {
        constexpr std::size_t kGuidLength = 38;
        return text.size() - position >= kGuidLength && text[position + kGuidLength - 1] == '}' &&
               text.substr(position + 1, kGuidLength - 2).find_first_not_of("0123456789ABCDEFabcdef-") == std::string_view::npos;
    }
    Token Peek() {
        SkipSpace();
        if (position >= text.size()) return Token::End;
        switch (text[position]) {
        case '{': return AtGuid() ? Token::Word : Token::Open;
        case '}': return Token::Close;
        case '=': return Token::Equals;
        case '\'': return Token::Text;
        default: return Token::Word;
        }
    }
    // Takes the next token; a word or text also yields its characters.
    Token Take(std::string_view* taken = nullptr) {
        const Token token = Peek();
        const std::size_t start = position;
        switch (token) {
        case Token::End: return token;
        case Token::Open: case Token::Close: case Token::Equals: ++position; return token;
        case Token::Text:
            for (++position; position < text.size(); ++position) {
                if (text[position] != '\'') continue;
                if (position + 1 < text.size() && text[position + 1] == '\'') { ++position; continue; }
                if (taken) *taken = text.substr(start + 1, position - start - 1);
                ++position;
                return token;
            }
            return Token::Bad;
        default:
            if (AtGuid()) position += 38;
            else
                while (position < text.size() && std::string_view(" \t\r\n{}='").find(text[position]) == std::string_view::npos)
                    ++position;
            if (taken) *taken = text.substr(start, position - start);
            return token;
        }
    }
    // `= s 'text'`
    bool Assigned(std::string_view& value) {
        std::string_view kind;
        return Take() == Token::Equals && Take(&kind) == Token::Word && kind == "s" && Take(&value) == Token::Text;
    }
    bool Key(ScriptKey& key) {
        std::string_view word;
        if (Take(&word) != Token::Word) return false;
        if (word == "ForceRemove") {
            key.forceRemove = true;
            if (Take(&word) != Token::Word) return false;
        }
        key.name = word;
        if (Peek() == Token::Equals) {
            if (!Assigned(key.defaultText)) return false;
            key.hasDefault = true;
        }
        if (Peek() != Token::Open) return true;
        Take();
        while (Peek() != Token::Close) {
            if (Peek() == Token::Word && text.substr(position, 4) == "val ") {
                Take();
                auto& [name, value] = key.values.emplace_back();
                if (Take(&name) != Token::Word || !Assigned(value)) return false;
            } else if (!Key(key.children.emplace_back())) {
                return false;
            }
        }
        Take();
        return true;
    }

    std::string_view text;
    std::size_t position = 0;
};

// Deletes a key with everything below it; a key that is not there is no
// failure. (The system's own tree delete exists only on later releases.)
LONG DeleteKeyTree(HKEY parent, const std::string& name) {
    {
        RegistryKey key;
        LONG status = RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, key.Put());
        if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
        if (status != ERROR_SUCCESS) return status;
        for (;;) {
            char child[256];  // the longest key name the registry allows, and its NUL
            DWORD length = sizeof child;
            status = RegEnumKeyExA(key.Get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS) break;
            if (status == ERROR_SUCCESS) status = DeleteKeyTree(key.Get(), child);
            if (status != ERROR_SUCCESS) return status;
        }
    }  // closed before its own deletion
    return RegDeleteKeyA(parent, name.c_str());
}

// The parts of the script: the classes and their ProgIDs, and the type
// library's keys (`TypeLib` and `Interface`), which the system's own type
// library registration writes for the machine.
enum class Parts { Classes, All };

bool IsTypeLibraryPart(std::string_view name) {
    return ascii::SameIgnoringCase<char>(name, "TypeLib") || ascii::SameIgnoringCase<char>(name, "Interface");
}

// Registration goes through the ANSI registry functions, the only ones that
// work on every release the component runs on.
class ScriptWriter {
public:
    explicit ScriptWriter(const std::wstring& modulePath)
        : module(ToAnsi(modulePath)), folder(module.substr(0, module.find_last_of('\\'))) {}

    LONG Write(HKEY root, const std::vector<ScriptKey>& roots, Parts parts) const {
        return ForEachPart(roots, parts, [&](const ScriptKey& key) { return Write(root, key); });
    }
    LONG Remove(HKEY root, const std::vector<ScriptKey>& roots, Parts parts) const {
        return ForEachPart(roots, parts, [&](const ScriptKey& key) { return Remove(root, key); });
    }

private:
    template <class Step>
    static LONG ForEachPart(const std::vector<ScriptKey>& roots, Parts parts, Step step) {
        LONG failed = ERROR_SUCCESS;
        for (const ScriptKey& root : roots)
            for (const ScriptKey& key : root.children)
                if (parts == Parts::All || !IsTypeLibraryPart(key.name))
                    if (const LONG status = step(key); status != ERROR_SUCCESS) failed = status;
        return failed;
    }

    // A text of the script with its quotes undoubled and the module's path
    // and folder put in.
    std::string Text(std::string_view written) const {
        std::string text;
        for (std::size_t i = 0; i < written.size(); ++i) {
            if (written.substr(i, 12) == "%MODULE_DIR%") { text += folder; i += 11; }
            else if (written.substr(i, 8) == "%MODULE%") { text += module; i += 7; }
            else {
                text += written[i];
                if (written[i] == '\'') ++i;
            }
        }
        return text;
    }

    LONG SetValue(HKEY key, const char* name, std::string_view written) const {
        const std::string value = Text(written);
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>(value.size() + 1));
    }

    LONG Write(HKEY parent, const ScriptKey& key) const {
        const std::string name = Text(key.name);
        if (key.forceRemove)
            if (const LONG status = DeleteKeyTree(parent, name); status != ERROR_SUCCESS) return status;
        RegistryKey created;
        LONG status = RegCreateKeyExA(parent, name.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, created.Put(), nullptr);
        if (status != ERROR_SUCCESS) return status;
        if (key.hasDefault) status = SetValue(created.Get(), nullptr, key.defaultText);
        for (const auto& [valueName, text] : key.values)
            if (status == ERROR_SUCCESS) status = SetValue(created.Get(), std::string(valueName).c_str(), text);
        for (const ScriptKey& child : key.children)
            if (status == ERROR_SUCCESS) status = Write(created.Get(), child);
        return status;
    }

    // A ForceRemove key goes whole; any other after its children, with its
    // own values, when nothing else is left in it.
    LONG Remove(HKEY parent, const ScriptKey& key) const {
        const std::string name = Text(key.name);
        if (key.forceRemove) return DeleteKeyTree(parent, name);
        RegistryKey opened;
        LONG status = RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, opened.Put());
        if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
        if (status != ERROR_SUCCESS) return status;
        for (const ScriptKey& child : key.children)
            if (const LONG removed = Remove(opened.Get(), child); removed != ERROR_SUCCESS) status = removed;
        if (status != ERROR_SUCCESS) return status;
        if (key.hasDefault) RegDeleteValueA(opened.Get(), nullptr);
        for (const auto& [valueName, text] : key.values) RegDeleteValueA(opened.Get(), std::string(valueName).c_str());
        DWORD subkeys = 0, values = 0;
        status = RegQueryInfoKeyA(opened.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                  nullptr, nullptr, nullptr);
        opened.Close();
        if (status != ERROR_SUCCESS || subkeys != 0 || values != 0) return status;
        return RegDeleteKeyA(parent, name.c_str());
    }

    std::string module, folder;
};

// The embedded script, read; raises when the resource is missing or damaged.
std::vector<ScriptKey> ReadScript() {
    module::CheckResources();
    const auto bytes = FindComponentResource("REGISTRY", MAKEINTRESOURCEA(1));
    std::vector<ScriptKey> roots;
    if (!bytes || !ScriptReader(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size())).Read(roots))
        Raise(errResourceNotFound, kLibraryName, L"The registration script of the component cannot be read");
    return roots;
}

void Succeed(LONG status) {
    if (status != ERROR_SUCCESS) Check(HRESULT_FROM_WIN32(status));
}

SYSKIND ThisSysKind() { return sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32; }

// Per-user classes exist from Windows 2000 on; before that there is
// nowhere to register for one user.
void RequirePerUserClasses() {
    const DWORD version = getVersion();
    const bool nt = (version & 0x80000000u) == 0;
    if (!nt || LOBYTE(LOWORD(version)) < 5)
        Raise(errNotSupported, kLibraryName, L"Registering for one user needs Windows 2000 or later.");
}

// HKEY_CURRENT_USER\Software\Classes, the user's own classes (every user
// has them from Windows 2000 on; a fresh profile may not yet, and then there
// is nothing to remove).
constexpr char kUserClasses[] = "Software\\Classes";
RegistryKey UserClasses() {
    RegistryKey classes;
    Succeed(RegCreateKeyExA(HKEY_CURRENT_USER, kUserClasses, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, classes.Put(),
                            nullptr));
    return classes;
}

bool KeyExists(HKEY root, const std::string& path) {
    RegistryKey key;
    return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

// The system's type library key of this bitness's registration.
std::string RegisteredLibraryKey(const TLIBATTR& library) {
    wchar_t guid[40] = {};
    StringFromGUID2(library.guid, guid, 40);
    std::wstring locale;  // in hexadecimal, as the registration names it
    for (unsigned long rest = library.lcid; locale.empty() || rest; rest >>= 4) locale.insert(locale.begin(), L"0123456789abcdef"[rest & 15]);
    return ToAnsi(L"TypeLib\\" + std::wstring(guid) + L"\\" + numeric::IntegerText(library.wMajorVerNum) + L"." +
                  numeric::IntegerText(library.wMinorVerNum) + L"\\" + locale + (sizeof(void*) == 8 ? L"\\win64" : L"\\win32"));
}

// The library's identity, as the system's registration keys it.
TLIBATTR LibraryIdentity() {
    ComPtr<ITypeLib> library = ComPtr<ITypeLib>::Adopt(module::TypeLibrary());
    TLIBATTR* attributes = nullptr;
    Check(library->GetLibAttr(&attributes));
    const TLIBATTR identity = *attributes;
    library->ReleaseTLibAttr(attributes);
    return identity;
}

// For the machine, the system registers the type library and the script
// adds the classes. For one user the script writes it all: the system's
// per-user type library registration (Vista on) writes the other registry
// view's interface keys machine-wide on some systems, and is missing before
// Vista; the script's keys are what the machine registration writes,
// rebased under the user's classes.
void RegisterFromScript(Scope scope) {
    const std::vector<ScriptKey> script = ReadScript();
    const ScriptWriter writer(module::FilePath());
    if (scope == Scope::Machine) {
        ComPtr<ITypeLib> registered;
        Check(LoadTypeLibEx(module::FilePath().c_str(), REGKIND_REGISTER, registered.Put()));
        Succeed(writer.Write(HKEY_CLASSES_ROOT, script, Parts::Classes));
        return;
    }
    RequirePerUserClasses();
    Succeed(writer.Write(UserClasses().Get(), script, Parts::All));
}

void UnregisterFromScript(Scope scope) {
    const std::vector<ScriptKey> script = ReadScript();
    const ScriptWriter writer(module::FilePath());
    if (scope == Scope::Machine) {
        const TLIBATTR library = LibraryIdentity();
        Succeed(writer.Remove(HKEY_CLASSES_ROOT, script, Parts::Classes));
        // Its answer where this bitness's library is not registered differs
        // between systems; nothing to remove is success.
        const HRESULT hr = UnRegisterTypeLib(library.guid, library.wMajorVerNum, library.wMinorVerNum, library.lcid, ThisSysKind());
        if (FAILED(hr) && KeyExists(HKEY_CLASSES_ROOT, RegisteredLibraryKey(library))) Check(hr);
        return;
    }
    RequirePerUserClasses();
    RegistryKey classes;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kUserClasses, 0, KEY_READ | KEY_WRITE, classes.Put()) == ERROR_SUCCESS)
        Succeed(writer.Remove(classes.Get(), script, Parts::All));
}

}  // namespace

HRESULT Register(Scope scope) noexcept {
    const HRESULT hr = Guarded(kLibraryName, [&] { RegisterFromScript(scope); });
    if (FAILED(hr)) {
        // Nothing half done stays behind; the failure's own error stays reported.
        ComPtr<IErrorInfo> failure;
        GetErrorInfo(0, failure.Put());
        Unregister(scope);
        SetErrorInfo(0, failure.Get());
    }
    return hr;
}

HRESULT Unregister(Scope scope) noexcept {
    return Guarded(kLibraryName, [&] { UnregisterFromScript(scope); });
}

}  // namespace orvi::registration
