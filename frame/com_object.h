// The COM boilerplate every class shares: IUnknown, IDispatch from the
// interface's own table, ISupportErrorInfo, IProvideClassInfo, start-up and
// release steps, the class factory and module lock counting. A class derives
// from
//     ComObject<ItsClass, ItsInterface>
// (a final class) takes the ProgID its coclass declares in the interface
// description (an internal class names its error source as kProgId), may
// define a public StartUp() (which may raise; creation then fails), and
// implements its interface members with the Member/Produce/Get/Let helpers
// below.
#pragma once
#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>
#include <atomic>
#include <string_view>
#include <type_traits>

#include "com_ptr.h"
#include "dispatch.h"
#include "errors.h"
#include "module.h"
#include "orvilib10_progids.h"
#include "same_guid.h"
#include "thread_state.h"

namespace orvi {

constexpr VARIANT_BOOL AsVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// Classes the factory hands out; each class file registers its own.
struct ClassEntry {
    const CLSID* clsid;
    const IID* iid;
    const wchar_t* progId;
    HRESULT (*create)(REFIID iid, void** object);
    const ClassEntry* next;
};
const ClassEntry* FirstClass();
void AddClass(ClassEntry& entry);
// The creatable class whose interface `iid` is; null for an internal class.
const ClassEntry* ClassOfInterface(REFIID iid);

// Creates an object of one of the component's classes by its CLSID, as the
// class factory would; raises on failure.
HRESULT CreateComponentObject(const CLSID& clsid, REFIID iid, void** object);
template <class I>
ComPtr<I> CreateComponent(const CLSID& clsid) {
    ComPtr<I> object;
    Check(CreateComponentObject(clsid, __uuidof(I), object.PutVoid()));
    return object;
}

template <class Class>
struct ClassRegistration {
    ClassRegistration() : entry{&__uuidof(Class), &__uuidof(typename Class::Interface), Class::ProgId(), &Class::CreateInstance, nullptr} { AddClass(entry); }
    ClassEntry entry;
};

template <class Derived, class Itf, bool CountsForThread = true>
class ComObject : public Itf, public ISupportErrorInfo, public IProvideClassInfo {
public:
    using Interface = Itf;

    // The ProgID, also the source of the class's errors.
    static constexpr const wchar_t* ProgId() {
        if constexpr (requires { Derived::kProgId; }) return Derived::kProgId;
        else return kDeclaredProgId<Derived>;
    }

    // Creates an object, runs its start-up and hands out `iid`. A start-up
    // failure yields no object and that failure's error.
    static HRESULT CreateInstance(REFIID iid, void** object) noexcept {
        if (!object) return E_POINTER;
        *object = nullptr;
        Derived* created = nullptr;
        try {
            created = new Derived();
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        ComPtr<Itf> held = ComPtr<Itf>::Adopt(created);
        const HRESULT started = Guarded(ProgId(), [&] {
            module::CheckResources();
            created->StartUp();
        });
        if (FAILED(started)) return started;
        return held->QueryInterface(iid, object);
    }

    // Creates an object for use inside the component; raises on failure.
    static ComPtr<Itf> Create() {
        ComPtr<Itf> object;
        Check(CreateInstance(__uuidof(Itf), object.PutVoid()));
        return object;
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (SameGuid(iid, __uuidof(IUnknown)) || SameGuid(iid, __uuidof(IDispatch)) || SameGuid(iid, __uuidof(Itf))) {
            *object = static_cast<Itf*>(this);
        } else if (SameGuid(iid, __uuidof(ISupportErrorInfo))) {
            *object = static_cast<ISupportErrorInfo*>(this);
        } else if (SameGuid(iid, __uuidof(IProvideClassInfo)) && ClassOfInterface(__uuidof(Itf))) {
            // Only a class of the type library has class information to give.
            *object = static_cast<IProvideClassInfo*>(this);
        } else if (void* further = static_cast<Derived*>(this)->FurtherInterface(iid)) {
            *object = further;
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG remaining = --references;
        if (remaining == 0) delete static_cast<Derived*>(this);
        return remaining;
    }

    // IDispatch, from the interface's own table (dispatch.h).
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        const HRESULT hr = LoadTypeInfo();
        if (FAILED(hr)) return hr;
        (*info = typeInfo.Get())->AddRef();
        return S_OK;
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        HRESULT loaded = S_OK;
        const DispatchTable* table = Table(loaded);
        return IdsOfNames(table, loaded, iid, names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override {
        HRESULT loaded = S_OK;
        const DispatchTable* table = Table(loaded);
        return InvokeMember({static_cast<Itf*>(this), id, flags, params, result, exception, argumentError}, table, loaded, iid);
    }

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override {
        return SameGuid(iid, __uuidof(Itf)) ? S_OK : S_FALSE;
    }

    // IProvideClassInfo: the coclass in the type library.
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        const ClassEntry* entry = ClassOfInterface(__uuidof(Itf));
        if (!entry) return E_NOTIMPL;
        return Guarded(ProgId(), [&] { *info = module::TypeInfoOf(*entry->clsid); });
    }

protected:
    ComObject() {
        module::ObjectCreated();
        if constexpr (CountsForThread) ThreadObjectCreated();
    }
    ~ComObject() {
        module::ObjectDestroyed();
        if constexpr (CountsForThread) ThreadObjectDestroyed();
    }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // Start-up step; classes that fill themselves at creation hide it.
    void StartUp() {}
    // A class with further interfaces of its own hides this.
    void* FurtherInterface(REFIID) { return nullptr; }

    // Runs a member body with the class's ProgID as the default error source.
    template <class Body>
    HRESULT Member(Body&& body) noexcept { return Guarded(ProgId(), std::forward<Body>(body)); }

    // A member yielding a value: the out-parameter starts empty and receives
    // the body's result only on success.
    template <class T, class Body>
    HRESULT Produce(T* result, Body&& body) noexcept {
        if (!result) return E_POINTER;
        ClearResult(result);
        return Member([&] { StoreResult(result, body()); });
    }

    // Property accessors over a plain field.
    template <class T>
    HRESULT Get(T* result, const T& field) noexcept {
        return Produce(result, [&] { return field; });
    }
    HRESULT Get(BSTR* result, const Bstr& field) noexcept {
        return Produce(result, [&] { return field; });
    }
    HRESULT Flag(VARIANT_BOOL* result, bool value) noexcept {
        return Produce(result, [&] { return AsVariantBool(value); });
    }
    HRESULT Let(Bstr& field, BSTR value) noexcept {
        return Member([&] { field = Bstr(Bstr::ViewOf(value)); });
    }
    template <class T>
    HRESULT Let(T& field, T value) noexcept {
        field = value;
        return S_OK;
    }

private:
    // Every object of the class shares one type information, and so one
    // table (constant-initialised: no guard on first use).
    static inline InterfaceDispatch dispatch;

    // The class's table; built at the first late-bound use, from the type
    // information. Null with `loaded` set when there can be none.
    const DispatchTable* Table(HRESULT& loaded) noexcept {
        if (const DispatchTable* table = dispatch.Published()) return table;
        loaded = LoadTypeInfo();
        return SUCCEEDED(loaded) ? dispatch.Build(typeInfo.Get(), SlotTableOf(__uuidof(Itf)), loaded) : nullptr;
    }

    // From the public type library, or the internal one for an internal class.
    HRESULT LoadTypeInfo() noexcept {
        if (typeInfo) return S_OK;
        return Guarded(ProgId(), [&] { typeInfo = ComPtr<ITypeInfo>::Adopt(module::TypeInfoOf(__uuidof(Itf))); });
    }

    template <class T>
    static void ClearResult(T* result) {
        if constexpr (std::is_same_v<T, VARIANT>) VariantInit(result);
        else *result = T{};
    }
    template <class T, class V>
    static void StoreResult(T* result, V&& value) {
        using Value = std::remove_cvref_t<V>;
        if constexpr (std::is_same_v<Value, Variant>) {
            Value owned(std::forward<V>(value));
            owned.DetachTo(result);
        } else if constexpr (requires { value.Detach(); }) {
            Value owned(std::forward<V>(value));
            *result = owned.Detach();
        } else {
            *result = static_cast<T>(value);
        }
    }

    std::atomic<ULONG> references{1};
    ComPtr<ITypeInfo> typeInfo;
};

}  // namespace orvi
