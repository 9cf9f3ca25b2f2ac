#include "dispatch_arguments.h"

#include <oleauto.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <type_traits>
#include <vector>

#include "collection_adapter.h"
#include "com_ptr.h"
#include "errors.h"
#include "late_bound.h"
#include "pure/numeric.h"
#include "same_guid.h"
#include "system_function.h"

namespace orvi {

// What a member's parameters are, read once from the type information.
struct ParameterPlan {
    DISPID namedId;      // the parameter's index, as named arguments give it; DISPID_PROPERTYPUT for a put's value
    VARTYPE base;        // the automation type the parameter stands for; VT_EMPTY: handed on as it is
    GUID objectInterface;  // for an object parameter, the interface the object must answer to
    bool ownInterface;     // ... when that is an interface of its own, not IDispatch or IUnknown
    bool byReference;
    bool hasDefault;
    bool optional;
    VARIANT defaultValue;  // converted to `base`; owned by the plan
};

struct MemberPlan {
    DISPID id;
    INVOKEKIND kind;
    std::size_t first, count;  // where its parameters lie in the table's, while it is built
    std::span<const ParameterPlan> parameters;
};

// One interface's plans, in two blocks: the members sorted by dispatch id,
// and all their parameters.
struct PlanTable {
    std::vector<MemberPlan> members;
    std::vector<ParameterPlan> parameters;
    PlanTable() = default;
    PlanTable(const PlanTable&) = delete;
    PlanTable& operator=(const PlanTable&) = delete;
    ~PlanTable() {
        for (ParameterPlan& parameter : parameters) VariantClear(&parameter.defaultValue);
    }
};

// A vector of plain values whose first N live in the vector itself, so a
// call's few arguments need no heap. Elements stay where they are as long
// as the vector grows only within what was reserved.
template <class T, std::size_t N>
class SmallVector {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    SmallVector() = default;
    SmallVector(const SmallVector&) = delete;
    SmallVector& operator=(const SmallVector&) = delete;

    void reserve(std::size_t wanted) {
        if (wanted <= capacity) return;
        std::vector<T> larger(wanted);
        std::copy(items, items + count, larger.begin());
        spilled = std::move(larger);
        items = spilled.data();
        capacity = wanted;
    }
    void resize(std::size_t wanted) {
        reserve(wanted);
        count = wanted;
    }
    T& emplace_back(const T& value) {
        if (count == capacity) reserve(2 * capacity);
        return items[count++] = value;
    }
    void push_back(const T& value) { emplace_back(value); }
    void pop_back() { --count; }
    T& operator[](std::size_t index) { return items[index]; }
    T* data() { return items; }
    std::size_t size() const { return count; }
    T* begin() { return items; }
    T* end() { return items + count; }

private:
    T own[N]{};
    std::vector<T> spilled;
    T* items = own;
    std::size_t count = 0, capacity = N;
};

// One call's arguments, made ready by its member's plan.
class DispatchArguments {
public:
    DispatchArguments() = default;
    ~DispatchArguments();
    DispatchArguments(const DispatchArguments&) = delete;
    DispatchArguments& operator=(const DispatchArguments&) = delete;

    // Prepares a call by its member's plan. A failure is the HRESULT for
    // the caller, with `argumentError` naming the argument at fault.
    HRESULT Prepare(const MemberPlan& plan, const DISPPARAMS& params, UINT* argumentError);
    DISPPARAMS* Params() { return &prepared; }
    // Hands the member's changes of converted by-reference copies to the
    // caller's variables.
    void WriteBack();

private:
    // A caller's variable behind a converted by-reference copy.
    struct Returned {
        VARIANT* callerVariable;  // VT_VARIANT|VT_BYREF's target, or a typed reference
        std::size_t temporary;
        VARIANT before;           // the copy as the member received it
        bool ownsBefore;          // `before` holds its own text
    };
    HRESULT Supply(const ParameterPlan& parameter, const VARIANT* supplied, VARIANT& argument);

    // Room for the parameters of any member the component has; more would
    // go to the heap.
    static constexpr std::size_t kParameters = 12;
    SmallVector<VARIANT, kParameters> temporaries;  // converted values, owned
    SmallVector<VARIANT, kParameters> arguments;    // what DispInvoke receives, reversed
    SmallVector<Returned, kParameters> returned;
    DISPID putValue = DISPID_PROPERTYPUT;
    DISPPARAMS prepared{};
};

namespace {

constexpr VARTYPE kVariantReference = VT_VARIANT | VT_BYREF;

// What a user-defined type a parameter names turns out to be.
struct Referenced {
    TYPEKIND kind = TKIND_MAX;
    TYPEDESC alias{};
    GUID guid{};
    WORD flags = 0;
};

Referenced Resolve(ITypeInfo* info, HREFTYPE type) {
    Referenced resolved;
    ITypeInfo* target = nullptr;
    if (FAILED(info->GetRefTypeInfo(type, &target)) || !target) return resolved;
    TYPEATTR* attributes = nullptr;
    if (SUCCEEDED(target->GetTypeAttr(&attributes)) && attributes) {
        resolved.kind = attributes->typekind;
        // Only a plain alias is followed: it needs nothing the attributes own.
        if (attributes->tdescAlias.vt != VT_USERDEFINED && attributes->tdescAlias.vt != VT_PTR &&
            attributes->tdescAlias.vt != VT_SAFEARRAY)
            resolved.alias = attributes->tdescAlias;
        resolved.guid = attributes->guid;
        resolved.flags = attributes->wTypeFlags;
        target->ReleaseTypeAttr(attributes);
    }
    target->Release();
    return resolved;
}

bool IsInterface(const Referenced& type) { return type.kind == TKIND_INTERFACE || type.kind == TKIND_DISPATCH; }

bool IsPlainScalar(VARTYPE vt) {
    switch (vt) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_INT: case VT_UINT:
    case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BSTR: case VT_BOOL: case VT_ERROR: case VT_VARIANT:
        return true;
    default:
        return false;
    }
}

// The automation type of a scalar declared type (an enumeration is a Long);
// VT_EMPTY for anything else.
VARTYPE ScalarType(ITypeInfo* info, const TYPEDESC& type) {
    if (type.vt != VT_USERDEFINED) return IsPlainScalar(type.vt) ? type.vt : VARTYPE{VT_EMPTY};
    const Referenced target = Resolve(info, type.hreftype);
    if (target.kind == TKIND_ENUM) return VT_I4;
    if (target.kind == TKIND_ALIAS && IsPlainScalar(target.alias.vt)) return target.alias.vt;
    return VT_EMPTY;
}

// An object parameter: the interface the object must answer to, carried as
// IDispatch where that interface is dispatchable, as the dispatcher expects.
bool DescribeObject(ITypeInfo* info, const TYPEDESC& type, ParameterPlan& parameter) {
    if (type.vt == VT_DISPATCH || type.vt == VT_UNKNOWN) {
        parameter.base = type.vt;
        parameter.objectInterface = type.vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown;
        return true;
    }
    if (type.vt != VT_USERDEFINED) return false;
    const Referenced target = Resolve(info, type.hreftype);
    if (!IsInterface(target)) return false;
    parameter.base = target.kind == TKIND_DISPATCH || (target.flags & TYPEFLAG_FDISPATCHABLE) ? VT_DISPATCH : VT_UNKNOWN;
    parameter.objectInterface = target.guid;
    parameter.ownInterface = true;
    return true;
}

bool IsInterfacePointer(ITypeInfo* info, const TYPEDESC& type) {
    return type.vt == VT_PTR && type.lptdesc->vt == VT_USERDEFINED && IsInterface(Resolve(info, type.lptdesc->hreftype));
}

// How a parameter is passed and what it stands for; a base of VT_EMPTY
// leaves the argument to the system's dispatcher as it is (records).
void Describe(ITypeInfo* info, const TYPEDESC& declared, ParameterPlan& parameter) {
    parameter.base = VT_EMPTY;
    const TYPEDESC* type = &declared;
    // An interface pointer is an object passed by value; a pointer to
    // anything else, a by-reference parameter.
    if (type->vt == VT_PTR && !IsInterfacePointer(info, *type)) {
        parameter.byReference = true;
        type = type->lptdesc;
    }
    if (type->vt == VT_PTR && IsInterfacePointer(info, *type)) {
        DescribeObject(info, *type->lptdesc, parameter);
    } else if (type->vt == VT_SAFEARRAY) {
        const VARTYPE element = ScalarType(info, *type->lptdesc);
        if (element != VT_EMPTY) parameter.base = static_cast<VARTYPE>(VT_ARRAY | element);
    } else if (!DescribeObject(info, *type, parameter)) {
        parameter.base = ScalarType(info, *type);
    }
}

struct FuncDescHolder {
    ITypeInfo* info;
    FUNCDESC* desc = nullptr;
    ~FuncDescHolder() {
        if (desc) info->ReleaseFuncDesc(desc);
    }
};

void BuildPlans(ITypeInfo* info, PlanTable& table) {
    TYPEATTR* attributes = nullptr;
    if (!info || FAILED(info->GetTypeAttr(&attributes)) || !attributes) return;
    const UINT functions = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);
    table.members.reserve(functions);
    for (UINT index = 0; index < functions; ++index) {
        FuncDescHolder function{info};
        if (FAILED(info->GetFuncDesc(index, &function.desc)) || !function.desc) continue;
        const FUNCDESC& desc = *function.desc;
        // Restricted members (IUnknown's and IDispatch's own) cannot be invoked.
        if (desc.wFuncFlags & FUNCFLAG_FRESTRICTED) continue;
        const bool put = desc.invkind == INVOKE_PROPERTYPUT || desc.invkind == INVOKE_PROPERTYPUTREF;
        const std::size_t first = table.parameters.size();
        // Parameters a caller supplies: all but the result and a locale.
        for (SHORT i = 0; i < desc.cParams; ++i) {
            const ELEMDESC& element = desc.lprgelemdescParam[i];
            const USHORT flags = element.paramdesc.wParamFlags;
            if (flags & (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID)) continue;
            ParameterPlan& parameter = table.parameters.emplace_back(ParameterPlan{
                put && i == desc.cParams - 1 ? DISPID_PROPERTYPUT : i, VT_EMPTY, GUID{}, false, false,
                (flags & PARAMFLAG_FHASDEFAULT) != 0, (flags & PARAMFLAG_FOPT) != 0, {}});
            VariantInit(&parameter.defaultValue);
            Describe(info, element.tdesc, parameter);
            // A Variant's default is taken as it is: there is no type to convert it to.
            VARIANT* given = parameter.hasDefault ? &element.paramdesc.pparamdescex->varDefaultValue : nullptr;
            if (given && (parameter.base == VT_EMPTY || (parameter.base & VT_ARRAY) ||
                          FAILED(parameter.base == VT_VARIANT ? VariantCopy(&parameter.defaultValue, given)
                                                              : VariantChangeType(&parameter.defaultValue, given, 0, parameter.base))))
                parameter.hasDefault = false;
        }
        table.members.push_back(MemberPlan{desc.memid, desc.invkind, first, table.parameters.size() - first, {}});
    }
    std::stable_sort(table.members.begin(), table.members.end(),
                     [](const MemberPlan& a, const MemberPlan& b) { return a.id < b.id; });
    const std::span<const ParameterPlan> all(table.parameters);
    for (MemberPlan& plan : table.members) plan.parameters = all.subspan(plan.first, plan.count);
}

bool IsAutomationType(VARTYPE base) {
    switch (base) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_DATE:
    case VT_BSTR: case VT_DISPATCH: case VT_ERROR: case VT_BOOL: case VT_VARIANT: case VT_UNKNOWN:
    case VT_DECIMAL: case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8: case VT_UI8: case VT_INT:
    case VT_UINT: case VT_RECORD:
        return true;
    default:
        return false;
    }
}

// One argument as the caller built it: a type automation defines, and a
// pointer wherever one is needed.
HRESULT CheckArgument(const VARIANT& argument, bool referenced) {
    const VARTYPE vt = V_VT(&argument);
    // The usual case first: a plain value of a scalar type.
    if (vt <= VT_UINT && vt != VT_VARIANT && vt != 15) return S_OK;
    const VARTYPE base = vt & VT_TYPEMASK;
    if ((vt & ~(VT_TYPEMASK | VT_ARRAY | VT_BYREF)) || !IsAutomationType(base)) return DISP_E_BADVARTYPE;
    if ((base == VT_EMPTY || base == VT_NULL) && vt != base) return DISP_E_BADVARTYPE;
    if (vt == VT_VARIANT) return DISP_E_BADVARTYPE;
    if ((vt & VT_BYREF) && !V_BYREF(&argument)) return E_POINTER;
    if (vt == VT_RECORD && !V_RECORDINFO(&argument)) return E_INVALIDARG;
    if (vt == kVariantReference) {
        // One level only, as VariantCopyInd takes it.
        if (referenced) return E_INVALIDARG;
        return CheckArgument(*V_VARIANTREF(&argument), true);
    }
    return S_OK;
}


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

// The shape of the call itself: flags automation defines, and counts and
// pointers that agree with each other. Checked before anything is read.
HRESULT CheckCallShape(WORD flags, const DISPPARAMS* params, UINT* argumentError) {
    switch (flags) {
    case DISPATCH_METHOD: case DISPATCH_PROPERTYGET: case DISPATCH_METHOD | DISPATCH_PROPERTYGET:
    case DISPATCH_PROPERTYPUT: case DISPATCH_PROPERTYPUTREF: case DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF:
        break;
    default:
        return DISP_E_MEMBERNOTFOUND;  // no member takes such a call
    }
    if (!params || (params->cArgs && !params->rgvarg) || params->cNamedArgs > params->cArgs ||
        (params->cNamedArgs && !params->rgdispidNamedArgs))
        return E_INVALIDARG;
    for (UINT k = 0; k < params->cNamedArgs; ++k)
        for (UINT j = 0; j < k; ++j)
            if (params->rgdispidNamedArgs[j] == params->rgdispidNamedArgs[k]) {
                if (argumentError) *argumentError = k;
                return E_INVALIDARG;
            }
    for (UINT i = 0; i < params->cArgs; ++i)
        if (const HRESULT hr = CheckArgument(params->rgvarg[i], false); FAILED(hr)) {
            if (argumentError) *argumentError = i;
            return hr;
        }
    return S_OK;
}

}  // namespace

MemberPlans::~MemberPlans() { std::unique_ptr<const PlanTable> owned(published.load()); }

const MemberPlan* MemberPlans::Find(ITypeInfo* info, DISPID id, WORD flags) {
    const PlanTable* table = published.load(std::memory_order_acquire);
    if (!table) {
        // Threads that meet here each build; the first to publish wins.
        auto built = std::make_unique<PlanTable>();
        BuildPlans(info, *built);
        const PlanTable* expected = nullptr;
        if (published.compare_exchange_strong(expected, built.get(), std::memory_order_acq_rel)) table = built.release();
        else table = expected;
    }
    const std::vector<MemberPlan>& plans = table->members;
    struct ById {
        bool operator()(const MemberPlan& plan, DISPID id) const { return plan.id < id; }
        bool operator()(DISPID id, const MemberPlan& plan) const { return id < plan.id; }
    };
    const auto [first, last] = std::equal_range(plans.begin(), plans.end(), id, ById{});
    // A dispatch id belongs to one method or one property, so one kind of
    // call standing in for the other cannot pick a wrong member.
    WORD accepted = flags;
    if (flags == DISPATCH_PROPERTYGET) accepted |= DISPATCH_METHOD;
    if (flags == DISPATCH_METHOD) accepted |= DISPATCH_PROPERTYGET;
    for (auto plan = first; plan != last; ++plan)
        if (plan->kind & accepted) return &*plan;
    return nullptr;
}

// The call itself; a failure leaves the result to the caller of this.
HRESULT Dispatch(const LateBoundCall& call, ITypeInfo* info, HRESULT loaded, REFIID iid, MemberPlans& plans) {
    if (!SameGuid(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (const HRESULT shape = CheckCallShape(call.flags, call.params, call.argumentError); FAILED(shape)) return shape;
    if (FAILED(loaded)) return loaded;
    const MemberPlan* plan = plans.Find(info, call.id, call.flags);
    if (!plan) return DISP_E_MEMBERNOTFOUND;
    const WORD kind = (plan->kind & call.flags) ? call.flags : static_cast<WORD>(plan->kind);
    if (plan->parameters.empty()) {
        // Nothing to prepare (the most frequent call, a property read).
        if (call.params->cArgs) return DISP_E_BADPARAMCOUNT;
        DISPPARAMS none{};
        return DispInvoke(call.object, info, call.id, kind, &none, call.result, call.exception, call.argumentError);
    }
    DispatchArguments prepared;
    const HRESULT preparation = prepared.Prepare(*plan, *call.params, call.argumentError);
    if (FAILED(preparation)) return preparation;
    const HRESULT invoked = DispInvoke(call.object, info, call.id, kind, prepared.Params(), call.result, call.exception,
                                       call.argumentError);
    prepared.WriteBack();
    return invoked;
}

HRESULT InvokeThroughTypeInfo(const LateBoundCall& call, ITypeInfo* info, HRESULT loaded, REFIID iid, MemberPlans& plans) {
    if (call.result) VariantInit(call.result);
    const HRESULT hr = Dispatch(call, info, loaded, iid, plans);
    // A failed call hands back no value, not even an empty text.
    if (FAILED(hr) && call.result) VariantClear(call.result);
    return hr;
}

HRESULT NamesThroughTypeInfo(ITypeInfo* info, HRESULT loaded, REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) {
    if (!SameGuid(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || std::find(names, names + count, nullptr) != names + count) return E_INVALIDARG;
    return FAILED(loaded) ? loaded : DispGetIDsOfNames(info, names, count, ids);
}

DispatchArguments::~DispatchArguments() {
    for (VARIANT& value : temporaries) VariantClear(&value);
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
        VariantInit(&argument);
        if (!supplied && !parameter.hasDefault && !parameter.optional)
            return params.cNamedArgs ? DISP_E_PARAMNOTOPTIONAL : DISP_E_BADPARAMCOUNT;
        const HRESULT hr = Supply(parameter, supplied, argument);
        if (FAILED(hr)) {
            if (argumentError) *argumentError = suppliedIndex;
            return hr;
        }
    }
    prepared = DISPPARAMS{arguments.data(), put ? &putValue : nullptr, static_cast<UINT>(count), put ? 1u : 0u};
    return S_OK;
}

HRESULT DispatchArguments::Supply(const ParameterPlan& parameter, const VARIANT* supplied, VARIANT& argument) {
    VARIANT value{};
    VARIANT* callerVariable = nullptr;
    if (IsMissingArgument(supplied)) {
        if (parameter.hasDefault) {
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
