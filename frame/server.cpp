// The DLL's four entry points: class factories, unload check, registration.
#include <windows.h>
#include <oaidl.h>
#include <olectl.h>
#include <atomic>
#include <string>

#include "ansi.h"
#include "com_object.h"
#include "module.h"
#include "registry_key.h"
#include "orvilib10_h.h"

namespace orvi {
namespace {

const ClassEntry* classes = nullptr;

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(const ClassEntry& entry) : entry(entry) { module::ObjectCreated(); }
    ~ClassFactory() { module::ObjectDestroyed(); }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid != __uuidof(IUnknown) && iid != __uuidof(IClassFactory)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG remaining = --references;
        if (remaining == 0) delete this;
        return remaining;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return entry.create(iid, object);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        lock ? module::Lock() : module::Unlock();
        return S_OK;
    }

private:
    const ClassEntry& entry;
    std::atomic<ULONG> references{1};
};

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// Registration goes through the ANSI registry functions, the only ones that
// work on every release the component runs on; its keys are plain ASCII.
LONG SetKeyValue(HKEY root, const std::wstring& path, const char* name, const std::wstring& value) {
    RegistryKey key;
    const LONG status = RegCreateKeyExA(root, ToAnsi(path).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr);
    if (status != ERROR_SUCCESS) return status;
    const std::string text = ToAnsi(value);
    return RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.size() + 1));
}

bool KeyExists(HKEY root, const std::wstring& path) {
    RegistryKey key;
    return RegOpenKeyExA(root, ToAnsi(path).c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

// Deletes a key with everything below it; a key that is not there is no
// failure. (The system's own tree delete exists only on later releases.)
LONG DeleteKeyTree(HKEY root, const std::string& path) {
    {
        RegistryKey key;
        LONG status = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, key.Put());
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
    return RegDeleteKeyA(root, path.c_str());
}

SYSKIND ThisSysKind() { return sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32; }

}  // namespace

const ClassEntry* FirstClass() { return classes; }
void AddClass(ClassEntry& entry) {
    entry.next = classes;
    classes = &entry;
}

const ClassEntry* ClassOfInterface(REFIID iid) {
    for (const ClassEntry* entry = FirstClass(); entry; entry = entry->next)
        if (*entry->iid == iid) return entry;
    return nullptr;
}

HRESULT CreateComponentObject(const CLSID& clsid, REFIID iid, void** object) {
    for (const ClassEntry* entry = FirstClass(); entry; entry = entry->next)
        if (*entry->clsid == clsid) return entry->create(iid, object);
    return REGDB_E_CLASSNOTREG;
}

}  // namespace orvi

using namespace orvi;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (const ClassEntry* entry = FirstClass(); entry; entry = entry->next) {
        if (*entry->clsid != clsid) continue;
        ClassFactory* factory = nullptr;
        try {
            factory = new ClassFactory(*entry);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        const HRESULT hr = factory->QueryInterface(iid, object);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
    if (!module::CanUnload()) return S_FALSE;
    module::ReleaseTypeLibrary();
    return S_OK;
}

STDAPI DllUnregisterServer();

STDAPI DllRegisterServer() {
    const std::wstring path = module::FilePath();
    ITypeLib* library = nullptr;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &library);
    if (FAILED(hr)) return hr;
    library->Release();

    const std::wstring libid = GuidText(LIBID_Orvilib10);
    for (const ClassEntry* entry = FirstClass(); entry; entry = entry->next) {
        const std::wstring clsid = GuidText(*entry->clsid);
        const std::wstring key = L"CLSID\\" + clsid;
        const std::wstring progId = entry->progId;
        const LONG failed =
            SetKeyValue(HKEY_CLASSES_ROOT, key, nullptr, progId) |
            SetKeyValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, path) |
            SetKeyValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", "ThreadingModel", L"Apartment") |
            SetKeyValue(HKEY_CLASSES_ROOT, key + L"\\ProgID", nullptr, progId) |
            SetKeyValue(HKEY_CLASSES_ROOT, key + L"\\VERSION", nullptr, L"1.0") |
            SetKeyValue(HKEY_CLASSES_ROOT, key + L"\\TypeLib", nullptr, libid) |
            SetKeyValue(HKEY_CLASSES_ROOT, progId, nullptr, progId) |
            SetKeyValue(HKEY_CLASSES_ROOT, progId + L"\\CLSID", nullptr, clsid);
        if (failed != ERROR_SUCCESS) {
            DllUnregisterServer();
            return SELFREG_E_CLASS;
        }
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    LONG failed = ERROR_SUCCESS;
    for (const ClassEntry* entry = FirstClass(); entry; entry = entry->next) {
        failed |= DeleteKeyTree(HKEY_CLASSES_ROOT, ToAnsi(L"CLSID\\" + GuidText(*entry->clsid)));
        failed |= DeleteKeyTree(HKEY_CLASSES_ROOT, ToAnsi(entry->progId));
    }
    if (failed != ERROR_SUCCESS) return SELFREG_E_CLASS;
    // Also removes the interfaces' marshalling entries that registration
    // wrote. Its answer where this bitness's library is not registered
    // differs between systems; nothing to remove is success.
    const HRESULT hr = UnRegisterTypeLib(LIBID_Orvilib10, 1, 0, 0x0409, ThisSysKind());
    const std::wstring registered =
        L"TypeLib\\" + GuidText(LIBID_Orvilib10) + L"\\1.0\\409\\" + (sizeof(void*) == 8 ? L"win64" : L"win32");
    return SUCCEEDED(hr) || !KeyExists(HKEY_CLASSES_ROOT, registered) ? S_OK : hr;
}
