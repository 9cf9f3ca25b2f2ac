// The DLL's four entry points: class factories, unload check, registration.
#include <windows.h>
#include <oaidl.h>
#include <olectl.h>
#include <atomic>
#include <string>

#include "com_object.h"
#include "module.h"
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

LONG SetKeyValue(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    LONG status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status;
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
            SetKeyValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") |
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
    for (const ClassEntry* entry = FirstClass(); entry; entry = entry->next) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(*entry->clsid)).c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, entry->progId);
    }
    // Also removes the interfaces' marshalling entries that registration wrote.
    const HRESULT hr = UnRegisterTypeLib(LIBID_Orvilib10, 1, 0, 0x0409, ThisSysKind());
    return hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_LIBNOTREGISTERED ? S_OK : hr;
}
