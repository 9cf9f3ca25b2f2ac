// A stand-in for the sibling library KvVendrel10, registered only by tests.
// Its two classes record every call (process-wide) instead of showing
// anything, so tests can read back which arguments arrived and in what order:
//   AppAboutKvrl(properties)        -> "AppAboutKvrl|<arguments>"
//   ErrorHandlerMessageKv(8 values) -> "ErrorHandlerMessageKv|<arguments>"
//   CallLog (get)                   -> the records so far, one per line
//   ClearLog()                      -> forgets them
//   FailAbout (get/let)             -> when True, AppAboutKvrl fails with error 5
#include <windows.h>
#include <oaidl.h>
#include <olectl.h>
#include <atomic>
#include <string>
#include <vector>

namespace {

enum : DISPID { idAbout = 1, idErrorHandler, idCallLog, idClearLog, idFailAbout };

HMODULE self;
std::atomic<long> liveObjects{0};
std::wstring callLog;
bool failAbout = false;

const CLSID clsidAbout = {0x7a3f0c11, 0x5b2e, 0x4c61, {0x9d, 0x40, 0x21, 0x6e, 0x8a, 0x53, 0x10, 0x01}};
const CLSID clsidErrorHandler = {0x7a3f0c11, 0x5b2e, 0x4c61, {0x9d, 0x40, 0x21, 0x6e, 0x8a, 0x53, 0x10, 0x02}};

struct NamedId { const wchar_t* name; DISPID id; };
const NamedId members[] = {{L"AppAboutKvrl", idAbout}, {L"ErrorHandlerMessageKv", idErrorHandler},
                           {L"CallLog", idCallLog}, {L"ClearLog", idClearLog}, {L"FailAbout", idFailAbout}};

std::wstring PropertyText(IDispatch* object, const wchar_t* name) {
    DISPID id;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return {};
    DISPPARAMS none{};
    VARIANT value;
    VariantInit(&value);
    std::wstring text;
    if (SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr)) &&
        SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BSTR)))
        text = std::wstring(name) + L"=" + (V_BSTR(&value) ? V_BSTR(&value) : L"");
    VariantClear(&value);
    return text;
}

// "<vt>:<value>", with a by-reference marker and objects described by
// whichever of a few well-known properties they have.
std::wstring Describe(const VARIANT& argument) {
    std::wstring text = (V_VT(&argument) & VT_BYREF) ? L"ref " : L"";
    VARIANT value;
    VariantInit(&value);
    VariantCopyInd(&value, const_cast<VARIANT*>(&argument));
    switch (V_VT(&value)) {
    case VT_ERROR:
        text += V_ERROR(&value) == DISP_E_PARAMNOTFOUND ? L"missing" : L"error";
        break;
    case VT_DISPATCH: {
        text += L"object";
        if (IDispatch* object = V_DISPATCH(&value))
            for (const wchar_t* name : {L"Title", L"Number", L"Source", L"Description"})
                if (auto property = PropertyText(object, name); !property.empty()) text += L" " + property;
        break;
    }
    case VT_BSTR:
        text += L"text:" + std::wstring(V_BSTR(&value) ? V_BSTR(&value) : L"");
        break;
    case VT_I4:
        text += L"long:" + std::to_wstring(V_I4(&value));
        break;
    default:
        text += L"vt" + std::to_wstring(V_VT(&value));
    }
    VariantClear(&value);
    return text;
}

void Record(const wchar_t* member, const DISPPARAMS* params) {
    std::wstring line = member;
    for (UINT i = params->cArgs; i-- > 0;) line += L"|" + Describe(params->rgvarg[i]);
    callLog += line + L"\n";
}

class Recorder final : public IDispatch {
public:
    Recorder() { ++liveObjects; }
    ~Recorder() { --liveObjects; }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid != IID_IUnknown && iid != IID_IDispatch) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references;
        if (!left) delete this;
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (const NamedId& member : members)
                if (i == 0 && _wcsicmp(names[i], member.name) == 0) ids[i] = member.id;
            if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT*) override {
        if (result) VariantInit(result);
        switch (id) {
        case idAbout:
            Record(L"AppAboutKvrl", params);
            if (failAbout) {
                if (exception) {
                    *exception = EXCEPINFO{};
                    exception->scode = static_cast<SCODE>(0x800A0005);
                    exception->bstrSource = SysAllocString(L"KvVendrel10.clsKvVendrel10A");
                    exception->bstrDescription = SysAllocString(L"About box failed");
                }
                return DISP_E_EXCEPTION;
            }
            return S_OK;
        case idErrorHandler:
            Record(L"ErrorHandlerMessageKv", params);
            return S_OK;
        case idCallLog:
            if (result) {
                V_VT(result) = VT_BSTR;
                V_BSTR(result) = SysAllocStringLen(callLog.data(), static_cast<UINT>(callLog.size()));
            }
            return S_OK;
        case idClearLog:
            callLog.clear();
            return S_OK;
        case idFailAbout:
            if (flags & DISPATCH_PROPERTYPUT) {
                VARIANT value;
                VariantInit(&value);
                if (params->cArgs < 1 || FAILED(VariantChangeType(&value, &params->rgvarg[0], 0, VT_BOOL)))
                    return DISP_E_TYPEMISMATCH;
                failAbout = V_BOOL(&value) != VARIANT_FALSE;
            } else if (result) {
                V_VT(result) = VT_BOOL;
                V_BOOL(result) = failAbout ? VARIANT_TRUE : VARIANT_FALSE;
            }
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    std::atomic<ULONG> references{1};
};

class Factory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        Recorder* recorder = new (std::nothrow) Recorder();
        if (!recorder) return E_OUTOFMEMORY;
        const HRESULT hr = recorder->QueryInterface(iid, object);
        recorder->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};
Factory factory;

struct Registration { const CLSID* clsid; const wchar_t* progId; };
const Registration classes[] = {{&clsidAbout, L"KvVendrel10.clsKvVendrel10A"},
                                {&clsidErrorHandler, L"KvVendrel10.clsKvrlErrorHandlerA"}};

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

bool SetValue(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr)) return false;
    const bool ok = !RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return ok;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    *object = nullptr;
    if (clsid != clsidAbout && clsid != clsidErrorHandler) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() { return liveObjects == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(self, path, MAX_PATH);
    for (const Registration& entry : classes) {
        const std::wstring key = L"CLSID\\" + GuidText(*entry.clsid);
        if (!SetValue(key + L"\\InprocServer32", nullptr, path) ||
            !SetValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") ||
            !SetValue(entry.progId + std::wstring(L"\\CLSID"), nullptr, GuidText(*entry.clsid)))
            return SELFREG_E_CLASS;
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    for (const Registration& entry : classes) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(*entry.clsid)).c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, entry.progId);
    }
    return S_OK;
}
