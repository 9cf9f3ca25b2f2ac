#include "dispatch_arguments.h"

#include <oleauto.h>

namespace orvi {
namespace {

struct FuncDescHolder {
    ITypeInfo* info;
    FUNCDESC* desc = nullptr;
    ~FuncDescHolder() {
        if (desc) info->ReleaseFuncDesc(desc);
    }
};

// The automation type a parameter's declared type stands for; VT_EMPTY for
// one that is left to DispInvoke (records, interfaces of their own).
VARTYPE BaseType(ITypeInfo* info, const TYPEDESC& type) {
    if (type.vt != VT_USERDEFINED) return type.vt;
    ITypeInfo* referenced = nullptr;
    if (FAILED(info->GetRefTypeInfo(type.hreftype, &referenced)) || !referenced) return VT_EMPTY;
    TYPEATTR* attributes = nullptr;
    VARTYPE vt = VT_EMPTY;
    if (SUCCEEDED(referenced->GetTypeAttr(&attributes)) && attributes) {
        if (attributes->typekind == TKIND_ENUM) vt = VT_I4;
        else if (attributes->typekind == TKIND_ALIAS && attributes->tdescAlias.vt != VT_USERDEFINED) vt = attributes->tdescAlias.vt;
        referenced->ReleaseTypeAttr(attributes);
    }
    referenced->Release();
    return vt;
}

bool IsMissing(const VARIANT* value) {
    return !value || (V_VT(value) == VT_ERROR && V_ERROR(value) == DISP_E_PARAMNOTFOUND);
}

const VARIANT* Referenced(const VARIANT* value) {
    while (V_VT(value) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(value)) value = V_VARIANTREF(value);
    return value;
}

}  // namespace

DispatchArguments::~DispatchArguments() {
    for (VARIANT& value : temporaries) VariantClear(&value);
}

HRESULT DispatchArguments::Prepare(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS* params, UINT* argumentError) {
    if (!info || !params || !(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) ||
        (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)))
        return S_FALSE;
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes)) || !attributes) return S_FALSE;
    const UINT functions = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);

    FuncDescHolder function{info};
    for (UINT i = 0; i < functions && !function.desc; ++i) {
        FUNCDESC* desc = nullptr;
        if (FAILED(info->GetFuncDesc(i, &desc)) || !desc) continue;
        const bool kind = ((flags & DISPATCH_METHOD) && desc->invkind == INVOKE_FUNC) ||
                          ((flags & DISPATCH_PROPERTYGET) && desc->invkind == INVOKE_PROPERTYGET);
        if (desc->memid == id && kind) function.desc = desc;
        else info->ReleaseFuncDesc(desc);
    }
    if (!function.desc) return S_FALSE;
    const FUNCDESC& desc = *function.desc;

    // Parameters a caller supplies: all but the result and a locale.
    std::vector<SHORT> declared;
    for (SHORT i = 0; i < desc.cParams; ++i) {
        const USHORT paramFlags = desc.lprgelemdescParam[i].paramdesc.wParamFlags;
        if (!(paramFlags & (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID))) declared.push_back(i);
    }
    const UINT positional = params->cArgs - params->cNamedArgs;
    // More arguments than parameters: refused here, since the system's
    // dispatcher would hand the surplus to the value of the result, even an
    // empty object.
    if (params->cArgs > declared.size()) return DISP_E_BADPARAMCOUNT;

    temporaries.reserve(declared.size() * 2);
    std::vector<VARIANT> inOrder;
    for (std::size_t position = 0; position < declared.size(); ++position) {
        const ELEMDESC& element = desc.lprgelemdescParam[declared[position]];
        const USHORT paramFlags = element.paramdesc.wParamFlags;
        const bool byReference = element.tdesc.vt == VT_PTR;
        const VARTYPE base = BaseType(info, byReference ? *element.tdesc.lptdesc : element.tdesc);
        if (base == VT_EMPTY) return S_FALSE;

        const VARIANT* supplied = nullptr;
        UINT suppliedIndex = 0;
        if (position < positional) {
            suppliedIndex = params->cArgs - 1 - static_cast<UINT>(position);
            supplied = &params->rgvarg[suppliedIndex];
        } else {
            for (UINT k = 0; k < params->cNamedArgs; ++k)
                if (params->rgdispidNamedArgs[k] == static_cast<DISPID>(declared[position])) {
                    suppliedIndex = k;
                    supplied = &params->rgvarg[k];
                }
        }

        VARIANT value;
        VariantInit(&value);
        VARIANT* callerVariable = nullptr;
        if (IsMissing(supplied)) {
            if (paramFlags & PARAMFLAG_FHASDEFAULT) {
                HRESULT hr = VariantChangeType(&value, &element.paramdesc.pparamdescex->varDefaultValue, 0, base);
                if (FAILED(hr)) return hr;
            } else if (paramFlags & PARAMFLAG_FOPT) {
                V_VT(&value) = VT_ERROR;
                V_ERROR(&value) = DISP_E_PARAMNOTFOUND;
            } else {
                return S_FALSE;
            }
        } else if (byReference && V_VT(supplied) == static_cast<VARTYPE>(base | VT_BYREF)) {
            // Already a reference of the parameter's type: passed on as it is.
            inOrder.push_back(*supplied);
            continue;
        } else {
            const VARIANT* plain = Referenced(supplied);
            if (V_VT(supplied) == (VT_VARIANT | VT_BYREF)) callerVariable = const_cast<VARIANT*>(plain);
            HRESULT hr = base == VT_VARIANT ? VariantCopyInd(&value, const_cast<VARIANT*>(plain))
                                            : VariantChangeType(&value, const_cast<VARIANT*>(plain), 0, base);
            if (FAILED(hr)) {
                if (argumentError) *argumentError = suppliedIndex;
                return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
            }
        }
        temporaries.push_back(value);
        const std::size_t temporary = temporaries.size() - 1;

        VARIANT argument;
        VariantInit(&argument);
        if (!byReference) {
            argument = temporaries[temporary];  // borrowed, freed with the temporaries
        } else if (base == VT_VARIANT) {
            // A Variant by reference: the caller's own variable when there is one.
            V_VT(&argument) = VT_VARIANT | VT_BYREF;
            V_VARIANTREF(&argument) = callerVariable ? callerVariable : &temporaries[temporary];
        } else {
            V_VT(&argument) = static_cast<VARTYPE>(base | VT_BYREF);
            V_BYREF(&argument) = &V_UI1(&temporaries[temporary]);
            if (callerVariable) returned.push_back({callerVariable, temporary});
        }
        inOrder.push_back(argument);
    }
    arguments.assign(inOrder.rbegin(), inOrder.rend());
    prepared = DISPPARAMS{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    return S_OK;
}

void DispatchArguments::WriteBack() {
    for (const Returned& entry : returned) VariantCopy(entry.callerVariable, &temporaries[entry.temporary]);
}

}  // namespace orvi
