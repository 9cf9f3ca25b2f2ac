#include "collection_adapter.h"

#include <iterator>

#include "com_object.h"
#include "late_bound.h"
#include "orvilib10_h.h"

namespace orvi {
namespace {

VARIANT Given(const VARIANT* value) { return value ? *value : MissingArgument(); }

class clsKvOrviCollectionAdapterA final : public ComObject<clsKvOrviCollectionAdapterA, _Collection> {
public:
    static constexpr const wchar_t* kProgId = kLibraryName;

    static HRESULT Over(IDispatch* object, ComPtr<IDispatch>& result) noexcept {
        ComPtr<_Collection> adapter;
        const HRESULT hr = CreateInstance(__uuidof(_Collection), adapter.PutVoid());
        if (FAILED(hr)) return hr;
        static_cast<clsKvOrviCollectionAdapterA*>(adapter.Get())->target = ComPtr<IDispatch>(object);
        result = ComPtr<IDispatch>(adapter.Get());
        return S_OK;
    }

    STDMETHODIMP Item(VARIANT* Index, VARIANT* result) override {
        return Produce(result, [&] { return CallByName(target.Get(), L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {Given(Index)}); });
    }
    STDMETHODIMP Add(VARIANT* Item, VARIANT* Key, VARIANT* Before, VARIANT* After) override {
        return Member([&] {
            // Only the arguments given: the object need not take all four.
            const VARIANT arguments[] = {Given(Item), Given(Key), Given(Before), Given(After)};
            std::size_t count = std::size(arguments);
            while (count > 1 && IsMissingArgument(&arguments[count - 1])) --count;
            CallByName(target.Get(), L"Add", DISPATCH_METHOD, std::span<const VARIANT>(arguments, count));
        });
    }
    STDMETHODIMP Count(long* result) override {
        return Produce(result, [&] {
            Variant count = CallByName(target.Get(), L"Count", DISPATCH_METHOD | DISPATCH_PROPERTYGET);
            Check(VariantChangeType(count.Get(), count.Get(), 0, VT_I4));
            return V_I4(count.Get());
        });
    }
    STDMETHODIMP Remove(VARIANT* Index) override {
        return Member([&] { CallByName(target.Get(), L"Remove", DISPATCH_METHOD, {Given(Index)}); });
    }
    STDMETHODIMP _NewEnum(IUnknown** result) override {
        return Produce(result, [&] {
            Variant enumerator = CallByName(target.Get(), L"_NewEnum", DISPATCH_METHOD | DISPATCH_PROPERTYGET);
            Check(VariantChangeType(enumerator.Get(), enumerator.Get(), 0, VT_UNKNOWN));
            return ComPtr<IUnknown>(V_UNKNOWN(enumerator.Get()));
        });
    }

private:
    ComPtr<IDispatch> target;
};

}  // namespace

HRESULT AsInterfaceOf(REFIID iid, IDispatch* object, ComPtr<IDispatch>& result) noexcept {
    void* own = nullptr;
    if (!object || SUCCEEDED(object->QueryInterface(iid, &own))) {
        result = ComPtr<IDispatch>::Adopt(static_cast<IDispatch*>(own));
        return S_OK;
    }
    if (iid != __uuidof(_Collection)) return E_NOINTERFACE;
    return clsKvOrviCollectionAdapterA::Over(object, result);
}

}  // namespace orvi
