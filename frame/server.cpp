// The DLL's entry points: class factories, unload check, registration for
// the machine or for one user.
#include <windows.h>
#include <oaidl.h>
#include <olectl.h>
#include <atomic>

#include "com_object.h"
#include "module.h"
#include "pure/ascii.h"
#include "registration.h"

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

STDAPI DllRegisterServer() { return registration::Register(registration::Scope::Machine); }

STDAPI DllUnregisterServer() { return registration::Unregister(registration::Scope::Machine); }

// `regsvr32 /n /i:user` registers for the calling user alone (no
// administrator needed), `regsvr32 /u /n /i:user` removes that again.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    if (!commandLine || !ascii::SameIgnoringCase<wchar_t>(commandLine, L"user")) return E_INVALIDARG;
    return install ? registration::Register(registration::Scope::User) : registration::Unregister(registration::Scope::User);
}
