#include "dispatch_arguments.h"

#include <oleauto.h>

#include "collection_adapter.h"
#include "com_ptr.h"

namespace orvi {
namespace {

struct FuncDescHolder {
    ITypeInfo* info;
    FUNCDESC* desc = nullptr;
    ~FuncDescHolder() {
        if (desc) info->ReleaseFuncDesc(desc);
    }
};

// What a parameter's declared type stands for: its automation type, whether
// it is by reference, and the interface of an object typed by one. VT_EMPTY
// for a type left to DispInvoke (records).
struct DeclaredType {
    VARTYPE base = VT_EMPTY;
    bool byReference = false;
    IID objectInterface = GUID_NULL;
};
DeclaredType Describe(ITypeInfo* info, const TYPEDESC& type) {
    const bool pointer = type.vt == VT_PTR;
    const TYPEDESC& named = pointer ? *type.lptdesc : type;
    if (named.vt != VT_USERDEFINED) {
        if (pointer && named.vt == VT_PTR) return {};
        return {named.vt, pointer};
    }
    ComPtr<ITypeInfo> referenced;
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetRefTypeInfo(named.hreftype, referenced.Put())) || !referenced ||
        FAILED(referenced->GetTypeAttr(&attributes)) || !attributes)
        return {};
    DeclaredType declared;
    switch (attributes->typekind) {
    case TKIND_ENUM: declared = {VT_I4, pointer}; break;
    case TKIND_ALIAS:
        if (attributes->tdescAlias.vt != VT_USERDEFINED) declared = {attributes->tdescAlias.vt, pointer};
        break;
    case TKIND_INTERFACE:
    case TKIND_DISPATCH:
        // A pointer to an interface is an object passed by value.
        if (pointer) {
            const bool dispatchable = attributes->typekind == TKIND_DISPATCH || (attributes->wTypeFlags & TYPEFLAG_FDISPATCHABLE);
            declared = {static_cast<VARTYPE>(dispatchable ? VT_DISPATCH : VT_UNKNOWN), false, attributes->guid};
        }
        break;
    default: break;
    }
    referenced->ReleaseTypeAttr(attributes);
    return declared;
}

// The description of member `id` for a call with `flags`, if there is one.
void FindFunction(ITypeInfo* info, DISPID id, WORD flags, FuncDescHolder& function) {
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes)) || !attributes) return;
    const UINT functions = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);
    for (UINT i = 0; i < functions && !function.desc; ++i) {
        FUNCDESC* desc = nullptr;
        if (FAILED(info->GetFuncDesc(i, &desc)) || !desc) continue;
        const bool kind = ((flags & DISPATCH_METHOD) && desc->invkind == INVOKE_FUNC) ||
                          ((flags & DISPATCH_PROPERTYGET) && desc->invkind == INVOKE_PROPERTYGET);
        if (desc->memid == id && kind) function.desc = desc;
        else info->ReleaseFuncDesc(desc);
    }
}

MemberPlan BuildPlan(ITypeInfo* info, DISPID id, WORD flags) {
    MemberPlan plan;
    if (!info || !(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) ||
        (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)))
        return plan;
    FuncDescHolder function{info};
    FindFunction(info, id, flags, function);
    if (!function.desc) return plan;
    const FUNCDESC& desc = *function.desc;

    // Parameters a caller supplies: all but the result and a locale.
    for (SHORT i = 0; i < desc.cParams; ++i) {
        const ELEMDESC& element = desc.lprgelemdescParam[i];
        const USHORT paramFlags = element.paramdesc.wParamFlags;
        if (paramFlags & (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID)) continue;
        const DeclaredType declared = Describe(info, element.tdesc);
        const VARTYPE base = declared.base;
        if (base == VT_EMPTY) return MemberPlan{};
        ParameterPlan& parameter = plan.parameters.emplace_back(ParameterPlan{
            i, base, declared.byReference, (paramFlags & PARAMFLAG_FHASDEFAULT) != 0, (paramFlags & PARAMFLAG_FOPT) != 0, {},
            declared.objectInterface});
        VariantInit(&parameter.defaultValue);
        // A Variant's default is taken as it is: there is no type to convert it to.
        VARIANT* given = parameter.hasDefault ? &element.paramdesc.pparamdescex->varDefaultValue : nullptr;
        if (given && FAILED(base == VT_VARIANT ? VariantCopy(&parameter.defaultValue, given)
                                               : VariantChangeType(&parameter.defaultValue, given, 0, base)))
            return MemberPlan{};
    }
    plan.prepares = true;
    return plan;
}

bool IsMissing(const VARIANT* value) {
    return !value || (V_VT(value) == VT_ERROR && V_ERROR(value) == DISP_E_PARAMNOTFOUND);
}

const VARIANT* Referenced(const VARIANT* value) {
    while (V_VT(value) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(value)) value = V_VARIANTREF(value);
    return value;
}

// Holds a shared or exclusive hold of a slim lock for a scope.
class LockHold {
public:
    LockHold(SRWLOCK& lock, bool exclusive) : lock(lock), exclusive(exclusive) {
        exclusive ? AcquireSRWLockExclusive(&lock) : AcquireSRWLockShared(&lock);
    }
    ~LockHold() { exclusive ? ReleaseSRWLockExclusive(&lock) : ReleaseSRWLockShared(&lock); }
    LockHold(const LockHold&) = delete;
    LockHold& operator=(const LockHold&) = delete;

private:
    SRWLOCK& lock;
    bool exclusive;
};

}  // namespace

MemberPlan::MemberPlan(MemberPlan&& other) noexcept : prepares(other.prepares), parameters(std::move(other.parameters)) {
    other.parameters.clear();
}

MemberPlan::~MemberPlan() {
    for (ParameterPlan& parameter : parameters) VariantClear(&parameter.defaultValue);
}

const MemberPlan& MemberPlans::Find(ITypeInfo* info, DISPID id, WORD flags) {
    const std::pair<DISPID, WORD> key{id, flags};
    {
        LockHold reading(lock, false);
        if (auto found = plans.find(key); found != plans.end()) return found->second;
    }
    MemberPlan built = BuildPlan(info, id, flags);
    LockHold writing(lock, true);
    // Plans are never removed, so the reference stays valid after the lock.
    return plans.try_emplace(key, std::move(built)).first->second;
}

DispatchArguments::~DispatchArguments() {
    for (VARIANT& value : temporaries) VariantClear(&value);
}

HRESULT DispatchArguments::Prepare(const MemberPlan& plan, const DISPPARAMS* params, UINT* argumentError) {
    if (!plan.prepares || !params) return S_FALSE;
    const std::size_t count = plan.parameters.size();
    // More arguments than parameters: refused here, since the system's
    // dispatcher would hand the surplus to the value of the result, even an
    // empty object.
    if (params->cArgs > count) return DISP_E_BADPARAMCOUNT;
    if (count == 0) return S_FALSE;
    const UINT positional = params->cArgs - params->cNamedArgs;

    // Arguments point into the temporaries, which must therefore never move.
    temporaries.reserve(count);
    arguments.resize(count);
    for (std::size_t position = 0; position < count; ++position) {
        const ParameterPlan& parameter = plan.parameters[position];
        VARIANT& argument = arguments[count - 1 - position];
        VariantInit(&argument);

        const VARIANT* supplied = nullptr;
        UINT suppliedIndex = 0;
        if (position < positional) {
            suppliedIndex = params->cArgs - 1 - static_cast<UINT>(position);
            supplied = &params->rgvarg[suppliedIndex];
        } else {
            for (UINT k = 0; k < params->cNamedArgs; ++k)
                if (params->rgdispidNamedArgs[k] == parameter.namedId) {
                    suppliedIndex = k;
                    supplied = &params->rgvarg[k];
                }
        }

        VARIANT value;
        VariantInit(&value);
        VARIANT* callerVariable = nullptr;
        if (IsMissing(supplied)) {
            if (parameter.hasDefault) {
                const HRESULT hr = VariantCopy(&value, const_cast<VARIANT*>(&parameter.defaultValue));
                if (FAILED(hr)) return hr;
            } else if (parameter.optional) {
                V_VT(&value) = VT_ERROR;
                V_ERROR(&value) = DISP_E_PARAMNOTFOUND;
            } else {
                return S_FALSE;  // the dispatcher reports the missing argument
            }
        } else if (parameter.byReference && V_VT(supplied) == static_cast<VARTYPE>(parameter.base | VT_BYREF)) {
            // Already a reference of the parameter's type: passed on as it is.
            argument = *supplied;
            continue;
        } else {
            const VARIANT* plain = Referenced(supplied);
            if (V_VT(supplied) == (VT_VARIANT | VT_BYREF)) callerVariable = const_cast<VARIANT*>(plain);
            const HRESULT hr = parameter.base == VT_VARIANT
                                   ? VariantCopyInd(&value, const_cast<VARIANT*>(plain))
                                   : VariantChangeType(&value, const_cast<VARIANT*>(plain), 0, parameter.base);
            if (FAILED(hr)) {
                if (argumentError) *argumentError = suppliedIndex;
                return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
            }
            if (parameter.base == VT_DISPATCH && parameter.objectInterface != GUID_NULL) {
                ComPtr<IDispatch> object;
                const HRESULT adapted = AsInterfaceOf(parameter.objectInterface, V_DISPATCH(&value), object);
                VariantClear(&value);
                if (FAILED(adapted)) {
                    if (argumentError) *argumentError = suppliedIndex;
                    return DISP_E_TYPEMISMATCH;
                }
                V_VT(&value) = VT_DISPATCH;
                V_DISPATCH(&value) = object.Detach();
            }
        }
        temporaries.push_back(value);
        const std::size_t temporary = temporaries.size() - 1;

        if (!parameter.byReference) {
            argument = temporaries[temporary];  // borrowed, freed with the temporaries
        } else if (parameter.base == VT_VARIANT) {
            // A Variant by reference: the caller's own variable when there is one.
            V_VT(&argument) = VT_VARIANT | VT_BYREF;
            V_VARIANTREF(&argument) = callerVariable ? callerVariable : &temporaries[temporary];
        } else {
            V_VT(&argument) = static_cast<VARTYPE>(parameter.base | VT_BYREF);
            V_BYREF(&argument) = &V_UI1(&temporaries[temporary]);
            if (callerVariable) returned.push_back({callerVariable, temporary});
        }
    }
    prepared = DISPPARAMS{arguments.data(), nullptr, static_cast<UINT>(count), 0};
    return S_OK;
}

void DispatchArguments::WriteBack() {
    for (const Returned& entry : returned) VariantCopy(entry.callerVariable, &temporaries[entry.temporary]);
}

}  // namespace orvi
