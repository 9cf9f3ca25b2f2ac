#include "dispatch_arguments.h"

#include <oleauto.h>

#include <cstring>
#include <memory>
#include <optional>

#include "collection_adapter.h"
#include "com_ptr.h"
#include "errors.h"
#include "late_bound.h"
#include "pure/numeric.h"
#include "system_function.h"

namespace orvi {
namespace {

// Bytes of a scalar value in a VARIANT (or behind a typed reference).
std::size_t ValueSize(VARTYPE vt) {
    if (vt & VT_ARRAY) return sizeof(SAFEARRAY*);
    switch (vt) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR: return 4;
    case VT_R8: case VT_DATE: case VT_CY: case VT_I8: case VT_UI8: return 8;
    case VT_BSTR: case VT_DISPATCH: case VT_UNKNOWN: return sizeof(void*);
    default: return 0;
    }
}

// The argument itself, or what its typed reference points at, as a VARIANT
// that owns nothing (numbers only).
std::optional<double> NumberOf(const VARIANT& argument) {
    const VARTYPE vt = V_VT(&argument) & ~VT_BYREF;
    const bool reference = (V_VT(&argument) & VT_BYREF) != 0;
    VARIANT plain;
    VariantInit(&plain);
    if (vt == VT_DECIMAL) {
        V_DECIMAL(&plain) = reference ? *V_DECIMALREF(&argument) : V_DECIMAL(&argument);
        double number = 0;
        if (FAILED(VarR8FromDec(&V_DECIMAL(&plain), &number))) return std::nullopt;
        return number;
    }
    const std::size_t size = ValueSize(vt);
    if (size == 0 || vt == VT_BSTR || vt == VT_DISPATCH || vt == VT_UNKNOWN || vt == VT_BOOL || vt == VT_ERROR ||
        (vt & VT_ARRAY))
        return std::nullopt;
    std::memcpy(&V_UI1(&plain), reference ? V_BYREF(&argument) : &V_UI1(&argument), size);
    switch (vt) {
    case VT_I1: return V_I1(&plain);
    case VT_UI1: return V_UI1(&plain);
    case VT_I2: return V_I2(&plain);
    case VT_UI2: return V_UI2(&plain);
    case VT_I4: case VT_INT: return V_I4(&plain);
    case VT_UI4: case VT_UINT: return V_UI4(&plain);
    case VT_I8: return static_cast<double>(V_I8(&plain));
    case VT_UI8: return static_cast<double>(V_UI8(&plain));
    case VT_R4: return V_R4(&plain);
    case VT_R8: return V_R8(&plain);
    case VT_DATE: return V_DATE(&plain);
    case VT_CY: return static_cast<double>(V_CY(&plain).int64) / 10000.0;
    default: return std::nullopt;
    }
}

struct IntegerRange {
    long long lowest, highest;
};
std::optional<IntegerRange> RangeOf(VARTYPE vt) {
    switch (vt) {
    case VT_I1: return IntegerRange{-128, 127};
    case VT_UI1: return IntegerRange{0, 255};
    case VT_I2: return IntegerRange{-32768, 32767};
    case VT_UI2: return IntegerRange{0, 65535};
    case VT_I4: case VT_INT: return IntegerRange{-2147483647LL - 1, 2147483647};
    case VT_UI4: case VT_UINT: return IntegerRange{0, 4294967295LL};
    default: return std::nullopt;
    }
}

// A number into an integer type, rounded to even; overflow for NaN,
// infinities and values outside the type, whatever the platform's coercion does.
HRESULT ToInteger(double number, VARTYPE target, const IntegerRange& range, VARIANT& out) {
    const auto rounded = numeric::RoundWithin(number, range.lowest, range.highest);
    if (!rounded) return DISP_E_OVERFLOW;
    V_VT(&out) = target;
    switch (target) {
    case VT_I1: V_I1(&out) = static_cast<CHAR>(*rounded); break;
    case VT_UI1: V_UI1(&out) = static_cast<BYTE>(*rounded); break;
    case VT_I2: V_I2(&out) = static_cast<SHORT>(*rounded); break;
    case VT_UI2: V_UI2(&out) = static_cast<USHORT>(*rounded); break;
    case VT_I4: case VT_INT: V_I4(&out) = static_cast<LONG>(*rounded); break;
    default: V_UI4(&out) = static_cast<ULONG>(*rounded); break;
    }
    return S_OK;
}

class ArrayData {
public:
    explicit ArrayData(SAFEARRAY* array) : array(array) { accessed = SUCCEEDED(SafeArrayAccessData(array, &data)); }
    ~ArrayData() {
        if (accessed) SafeArrayUnaccessData(array);
    }
    ArrayData(const ArrayData&) = delete;
    ArrayData& operator=(const ArrayData&) = delete;
    bool Ready() const { return accessed; }
    BYTE* At(std::size_t index) const { return static_cast<BYTE*>(data) + index * array->cbElements; }

private:
    SAFEARRAY* array;
    void* data = nullptr;
    bool accessed = false;
};

struct ArrayDestroyer {
    void operator()(SAFEARRAY* array) const {
        array->fFeatures &= ~FADF_FIXEDSIZE;
        SafeArrayDestroy(array);
    }
};

// Bound at its first use: the automation library of the oldest releases
// lacks it. There the array's own flags tell the kinds that scripts pass.
const SystemFunction<decltype(&::SafeArrayGetVartype)> safeArrayGetVartype{"oleaut32.dll", "SafeArrayGetVartype"};
HRESULT ElementTypeOf(SAFEARRAY* array, VARTYPE* type) {
    HRESULT hr = E_NOTIMPL;
    if (Attempt([&] { hr = safeArrayGetVartype(array, type); })) return hr;
    const USHORT features = array->fFeatures;
    *type = features & FADF_BSTR       ? VT_BSTR
            : features & FADF_VARIANT  ? VT_VARIANT
            : features & FADF_DISPATCH ? VT_DISPATCH
            : features & FADF_UNKNOWN  ? VT_UNKNOWN
                                       : VT_EMPTY;
    return *type == VT_EMPTY ? DISP_E_TYPEMISMATCH : S_OK;
}

// A copy of `source` with every element converted to `element`, bounds
// kept. A fixed or locked source gives a fixed copy, so a member that
// resizes its argument refuses it as it would refuse the original.
HRESULT CopyArrayAs(SAFEARRAY* source, VARTYPE element, SAFEARRAY** copy) {
    *copy = nullptr;
    if (!source) return S_OK;
    VARTYPE from = VT_EMPTY;
    const UINT dimensions = SafeArrayGetDim(source);
    if (FAILED(ElementTypeOf(source, &from)) || dimensions == 0) return DISP_E_TYPEMISMATCH;
    if (from == element) return SafeArrayCopy(source, copy);
    std::vector<SAFEARRAYBOUND> bounds(dimensions);
    std::size_t count = 1;
    for (UINT dimension = 1; dimension <= dimensions; ++dimension) {
        LONG lower = 0, upper = 0;
        SafeArrayGetLBound(source, dimension, &lower);
        SafeArrayGetUBound(source, dimension, &upper);
        bounds[dimension - 1] = {static_cast<ULONG>(upper - lower + 1), lower};
        count *= bounds[dimension - 1].cElements;
    }
    const bool fixed = (source->fFeatures & (FADF_FIXEDSIZE | FADF_STATIC | FADF_EMBEDDED | FADF_AUTO)) || source->cLocks > 0;
    std::unique_ptr<SAFEARRAY, ArrayDestroyer> made(SafeArrayCreate(element, dimensions, bounds.data()));
    if (!made) return E_OUTOFMEMORY;
    {
        ArrayData from_(source), to(made.get());
        if (!from_.Ready() || !to.Ready()) return DISP_E_TYPEMISMATCH;
        for (std::size_t index = 0; index < count; ++index) {
            VARIANT item, converted;
            VariantInit(&converted);
            V_VT(&item) = static_cast<VARTYPE>(from | VT_BYREF);
            V_BYREF(&item) = from_.At(index);
            const HRESULT hr = element == VT_VARIANT ? VariantCopyInd(&converted, &item)
                                                     : VariantChangeType(&converted, &item, 0, element);
            if (FAILED(hr)) return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
            if (element == VT_VARIANT) std::memcpy(to.At(index), &converted, sizeof converted);
            else std::memcpy(to.At(index), &V_UI1(&converted), made->cbElements);
        }
    }
    if (fixed) made->fFeatures |= FADF_FIXEDSIZE;
    *copy = made.release();
    return S_OK;
}

// A value that owns nothing, so that a copy of its bits is a copy.
bool OwnsNothing(VARTYPE vt) {
    switch (vt) {
    case VT_EMPTY: case VT_NULL: case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4:
    case VT_INT: case VT_UINT: case VT_I8: case VT_UI8: case VT_R4: case VT_R8: case VT_CY: case VT_DATE:
    case VT_BOOL: case VT_ERROR: case VT_DECIMAL:
        return true;
    default:
        return false;
    }
}

// `source` (a value or a typed reference) in the type `target` into `out`.
HRESULT ConvertTo(const VARIANT& source, VARTYPE target, const GUID& objectInterface, VARIANT& out) {
    const VARTYPE from = V_VT(&source) & ~VT_BYREF;
    const bool reference = (V_VT(&source) & VT_BYREF) != 0;
    if (!reference && OwnsNothing(from) && (target == VT_VARIANT || target == from)) {
        out = source;
        return S_OK;
    }
    if (target == VT_VARIANT) return VariantCopyInd(&out, const_cast<VARIANT*>(&source));
    if (target & VT_ARRAY) {
        if (from == VT_EMPTY) {
            V_VT(&out) = target;
            V_ARRAY(&out) = nullptr;
            return S_OK;
        }
        if (!(from & VT_ARRAY)) return DISP_E_TYPEMISMATCH;
        SAFEARRAY* copy = nullptr;
        const HRESULT hr = CopyArrayAs(reference ? *V_ARRAYREF(&source) : V_ARRAY(&source), target & VT_TYPEMASK, &copy);
        if (FAILED(hr)) return hr;
        V_VT(&out) = target;
        V_ARRAY(&out) = copy;
        return S_OK;
    }
    if (target == VT_DISPATCH || target == VT_UNKNOWN) {
        if (from != VT_DISPATCH && from != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
        IUnknown* object = reference ? *V_UNKNOWNREF(&source) : V_UNKNOWN(&source);
        void* answered = nullptr;
        if (object && FAILED(object->QueryInterface(objectInterface, &answered))) {
            // A script's object with the Collection's methods stands in for one.
            ComPtr<IDispatch> adapted;
            if (target != VT_DISPATCH || from != VT_DISPATCH ||
                FAILED(AsInterfaceOf(objectInterface, static_cast<IDispatch*>(object), adapted)))
                return DISP_E_TYPEMISMATCH;
            answered = adapted.Detach();
        }
        V_VT(&out) = target;
        V_UNKNOWN(&out) = static_cast<IUnknown*>(answered);
        return S_OK;
    }
    if (const auto range = RangeOf(target)) {
        if (const auto number = NumberOf(source)) return ToInteger(*number, target, *range, out);
        // An object stands for its value; that value is checked as a number.
        if (from == VT_DISPATCH) {
            VARIANT value;
            VariantInit(&value);
            const HRESULT hr = VariantChangeType(&value, const_cast<VARIANT*>(&source), 0, VT_R8);
            if (FAILED(hr)) return hr;
            return ToInteger(V_R8(&value), target, *range, out);
        }
    }
    return VariantChangeType(&out, const_cast<VARIANT*>(&source), 0, target);
}

// The member's new value of a by-reference copy against the one it received.
bool SameValue(const VARIANT& before, const VARIANT& after) {
    if (V_VT(&before) != V_VT(&after)) return false;
    const VARTYPE vt = V_VT(&before);
    if (vt == VT_BSTR) {
        const UINT length = SysStringByteLen(V_BSTR(&before));
        return length == SysStringByteLen(V_BSTR(&after)) &&
               (length == 0 || std::memcmp(V_BSTR(&before), V_BSTR(&after), length) == 0);
    }
    if (vt == VT_DECIMAL) {
        const DECIMAL &a = V_DECIMAL(&before), &b = V_DECIMAL(&after);
        return a.scale == b.scale && a.sign == b.sign && a.Hi32 == b.Hi32 && a.Lo64 == b.Lo64;
    }
    if (vt & VT_BYREF) return V_BYREF(&before) == V_BYREF(&after);
    // Objects and arrays by identity: a member that gives a new one makes it
    // before letting the old one go.
    return std::memcmp(&V_UI1(&before), &V_UI1(&after), ValueSize(vt)) == 0;
}

// Converts a value between types, arrays element by element.
HRESULT ChangeType(VARIANT& out, const VARIANT& value, VARTYPE target) {
    if ((target & VT_ARRAY) && (V_VT(&value) & VT_ARRAY)) {
        SAFEARRAY* copy = nullptr;
        const HRESULT hr = CopyArrayAs(V_ARRAY(&value), target & VT_TYPEMASK, &copy);
        if (FAILED(hr)) return hr;
        V_VT(&out) = target;
        V_ARRAY(&out) = copy;
        return S_OK;
    }
    if ((target & VT_ARRAY) || (V_VT(&value) & VT_ARRAY)) return DISP_E_TYPEMISMATCH;
    return VariantChangeType(&out, const_cast<VARIANT*>(&value), 0, target);
}

// Stores `value` in a caller's variable: a typed reference keeps its type
// (and stays as it was when the value does not convert); a Variant keeps
// its own type where that can hold the value, else takes the value's.
void StoreInCaller(VARIANT& variable, VARIANT& value) {
    const VARTYPE own = V_VT(&variable);
    VARIANT converted;
    VariantInit(&converted);
    if (own & VT_BYREF) {
        const VARTYPE type = own & ~VT_BYREF;
        if (FAILED(ChangeType(converted, value, type))) return;
        VARIANT previous;
        VariantInit(&previous);
        std::memcpy(&V_UI1(&previous), V_BYREF(&variable), ValueSize(type));
        V_VT(&previous) = type;
        VariantClear(&previous);
        std::memcpy(V_BYREF(&variable), &V_UI1(&converted), ValueSize(type));
        return;
    }
    // An array goes into a Variant as an array of Variants, the only kind
    // every script engine can index.
    const VARTYPE wanted = own != VT_EMPTY && own != VT_NULL && own != VT_ERROR ? own
                           : (V_VT(&value) & VT_ARRAY)                         ? VARTYPE{VT_ARRAY | VT_VARIANT}
                                                                               : V_VT(&value);
    const bool converts = wanted != V_VT(&value) && SUCCEEDED(ChangeType(converted, value, wanted));
    VariantClear(&variable);
    if (converts) {
        variable = converted;
    } else {
        variable = value;
        VariantInit(&value);
    }
}

}  // namespace

DispatchArguments::~DispatchArguments() {
    for (VARIANT& value : temporaries)
        if (!OwnsNothing(V_VT(&value))) VariantClear(&value);
    for (Returned& entry : returned)
        if (entry.ownsBefore) VariantClear(&entry.before);
}

HRESULT DispatchArguments::Prepare(const MemberPlan& plan, const DISPPARAMS& params, UINT* argumentError) {
    const std::size_t count = plan.parameters.size();
    // More arguments than parameters: refused here, since the system's
    // dispatcher would hand the surplus to the value of the result, even an
    // empty object.
    if (params.cArgs > count) return DISP_E_BADPARAMCOUNT;
    const UINT positional = params.cArgs - params.cNamedArgs;
    const bool put = plan.kind == INVOKE_PROPERTYPUT || plan.kind == INVOKE_PROPERTYPUTREF;
    // Named arguments name parameters that no positional argument fills.
    bool valueNamed = false;
    for (UINT k = 0; k < params.cNamedArgs; ++k) {
        const DISPID named = params.rgdispidNamedArgs[k];
        const auto parameter = std::find_if(plan.parameters.begin(), plan.parameters.end(),
                                            [&](const ParameterPlan& p) { return p.namedId == named; });
        const auto position = static_cast<std::size_t>(parameter - plan.parameters.begin());
        valueNamed |= named == DISPID_PROPERTYPUT;
        if (parameter == plan.parameters.end() || position < positional) {
            if (argumentError) *argumentError = k;
            return parameter == plan.parameters.end() ? DISP_E_PARAMNOTFOUND : E_INVALIDARG;
        }
    }
    // A property's new value comes as the named argument automation defines for it.
    if (put && !valueNamed) return DISP_E_PARAMNOTFOUND;

    // Arguments point into the temporaries, which must therefore never move.
    temporaries.reserve(count);
    returned.reserve(count);
    arguments.resize(count);
    for (std::size_t position = 0; position < count; ++position) {
        const ParameterPlan& parameter = plan.parameters[position];
        const VARIANT* supplied = nullptr;
        UINT suppliedIndex = 0;
        if (position < positional) {
            suppliedIndex = params.cArgs - 1 - static_cast<UINT>(position);
            supplied = &params.rgvarg[suppliedIndex];
        } else {
            for (UINT k = 0; k < params.cNamedArgs; ++k)
                if (params.rgdispidNamedArgs[k] == parameter.namedId) {
                    suppliedIndex = k;
                    supplied = &params.rgvarg[k];
                }
        }
        VARIANT& argument = arguments[count - 1 - position];
        V_VT(&argument) = VT_EMPTY;
        if (!supplied && !parameter.hasDefault && !parameter.optional)
            return params.cNamedArgs ? DISP_E_PARAMNOTOPTIONAL : DISP_E_BADPARAMCOUNT;
        const HRESULT hr = Supply(parameter, supplied, argument);
        if (FAILED(hr)) {
            if (argumentError) *argumentError = suppliedIndex;
            return hr;
        }
    }
    return S_OK;
}

HRESULT DispatchArguments::Supply(const ParameterPlan& parameter, const VARIANT* supplied, VARIANT& argument) {
    VARIANT value{};
    VARIANT* callerVariable = nullptr;
    if (IsMissingArgument(supplied)) {
        if (parameter.hasDefault && OwnsNothing(V_VT(&parameter.defaultValue))) {
            value = parameter.defaultValue;
        } else if (parameter.hasDefault) {
            const HRESULT hr = VariantCopy(&value, const_cast<VARIANT*>(&parameter.defaultValue));
            if (FAILED(hr)) return hr;
        } else if (!parameter.optional) {
            return DISP_E_PARAMNOTOPTIONAL;
        } else if (parameter.base == VT_VARIANT || parameter.base == VT_EMPTY) {
            V_VT(&value) = VT_ERROR;
            V_ERROR(&value) = DISP_E_PARAMNOTFOUND;
        } else {
            V_VT(&value) = parameter.base;  // the empty value of the type
        }
    } else if (parameter.base == VT_EMPTY) {
        argument = *supplied;  // left to the system's dispatcher
        return S_OK;
    } else {
        // The caller's variable behind a reference, and the value to read.
        const VARIANT* source = supplied;
        if (V_VT(supplied) == kVariantReference) source = V_VARIANTREF(supplied);
        if ((V_VT(source) & VT_BYREF) || source != supplied) callerVariable = const_cast<VARIANT*>(source);
        // A value of the parameter's own type given by value is handed on as it is.
        if (!parameter.byReference && source == supplied && V_VT(source) == parameter.base && !parameter.ownInterface) {
            argument = *supplied;
            return S_OK;
        }
        // An object of an interface of its own is always asked for that interface.
        if (parameter.byReference && !parameter.ownInterface) {
            if (parameter.base == VT_VARIANT && source != supplied && !(V_VT(source) & VT_BYREF)) {
                argument = *supplied;  // the caller's own Variant
                return S_OK;
            }
            if (V_VT(source) == static_cast<VARTYPE>(parameter.base | VT_BYREF)) {
                argument = *source;  // a reference of the parameter's type
                return S_OK;
            }
            if (source != supplied && V_VT(source) == parameter.base) {
                // A Variant holding the parameter's type: the member works on it directly.
                V_VT(&argument) = static_cast<VARTYPE>(parameter.base | VT_BYREF);
                V_BYREF(&argument) = &V_UI1(callerVariable);
                return S_OK;
            }
        }
        const HRESULT hr = ConvertTo(*source, parameter.base, parameter.objectInterface, value);
        if (FAILED(hr)) {
            VariantClear(&value);
            return hr == DISP_E_OVERFLOW || hr == E_OUTOFMEMORY ? hr : DISP_E_TYPEMISMATCH;
        }
    }
    temporaries.push_back(value);
    const std::size_t temporary = temporaries.size() - 1;
    VARIANT& held = temporaries[temporary];
    if (!parameter.byReference) {
        argument = held;  // borrowed, freed with the temporaries
        return S_OK;
    }
    if (parameter.base == VT_VARIANT) {
        V_VT(&argument) = kVariantReference;
        V_VARIANTREF(&argument) = &held;
    } else {
        V_VT(&argument) = static_cast<VARTYPE>(parameter.base | VT_BYREF);
        V_BYREF(&argument) = &V_UI1(&held);
    }
    if (callerVariable) {
        Returned& entry = returned.emplace_back(Returned{callerVariable, temporary, held, false});
        // A text is compared by its characters, so a copy is kept.
        if (V_VT(&held) == VT_BSTR) {
            VariantInit(&entry.before);
            if (FAILED(VariantCopy(&entry.before, &held))) {
                returned.pop_back();
                return E_OUTOFMEMORY;
            }
            entry.ownsBefore = true;
        }
    }
    return S_OK;
}

void DispatchArguments::WriteBack() {
    for (const Returned& entry : returned) {
        VARIANT& now = temporaries[entry.temporary];
        if (!SameValue(entry.before, now)) StoreInCaller(*entry.callerVariable, now);
    }
}

}  // namespace orvi

