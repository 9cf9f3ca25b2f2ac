#include "dispatch_arguments.h"

#include <algorithm>

namespace orvi {
namespace {

bool IsMissing(const VARIANT& argument) {
    return V_VT(&argument) == VT_ERROR && V_ERROR(&argument) == DISP_E_PARAMNOTFOUND;
}

VARIANT Missing() {
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    return missing;
}

// A typed reference to the value part of `value`.
VARIANT ReferenceTo(VARIANT& value, VARTYPE type) {
    VARIANT reference;
    VariantInit(&reference);
    if (type == VT_VARIANT) {
        V_VT(&reference) = VT_VARIANT | VT_BYREF;
        V_VARIANTREF(&reference) = &value;
    } else {
        V_VT(&reference) = type | VT_BYREF;
        V_BYREF(&reference) = &V_NONE(&value);
    }
    return reference;
}

// The automation type of a parameter's type description: enumerations are
// 32-bit integers, aliases their underlying type.
VARTYPE AutomationType(ITypeInfo* info, const TYPEDESC& type) {
    if (type.vt != VT_USERDEFINED) return type.vt;
    ITypeInfo* referred = nullptr;
    if (FAILED(info->GetRefTypeInfo(type.hreftype, &referred))) return VT_USERDEFINED;
    VARTYPE resolved = VT_USERDEFINED;
    TYPEATTR* attributes = nullptr;
    if (SUCCEEDED(referred->GetTypeAttr(&attributes))) {
        if (attributes->typekind == TKIND_ENUM) resolved = VT_I4;
        else if (attributes->typekind == TKIND_ALIAS) resolved = AutomationType(referred, attributes->tdescAlias);
        referred->ReleaseTypeAttr(attributes);
    }
    referred->Release();
    return resolved;
}

// The function description of a member for the kind of call made.
class FunctionOf {
public:
    FunctionOf(ITypeInfo* info, DISPID id, WORD flags) : info(info) {
        TYPEATTR* attributes = nullptr;
        if (FAILED(info->GetTypeAttr(&attributes))) return;
        const WORD count = attributes->cFuncs;
        info->ReleaseTypeAttr(attributes);
        for (UINT i = 0; i < count && !description; ++i) {
            FUNCDESC* candidate = nullptr;
            if (FAILED(info->GetFuncDesc(i, &candidate))) continue;
            const bool kind = ((flags & DISPATCH_METHOD) && candidate->invkind == INVOKE_FUNC) ||
                              ((flags & DISPATCH_PROPERTYGET) && candidate->invkind == INVOKE_PROPERTYGET);
            if (candidate->memid == id && kind) description = candidate;
            else info->ReleaseFuncDesc(candidate);
        }
    }
    ~FunctionOf() {
        if (description) info->ReleaseFuncDesc(description);
    }
    FunctionOf(const FunctionOf&) = delete;
    FunctionOf& operator=(const FunctionOf&) = delete;
    const FUNCDESC* operator->() const { return description; }
    explicit operator bool() const { return description != nullptr; }

private:
    ITypeInfo* info;
    FUNCDESC* description = nullptr;
};

}  // namespace

DispatchArguments::~DispatchArguments() {
    for (VARIANT& value : values) VariantClear(&value);
}

VARIANT& DispatchArguments::Own(const VARIANT& value) {
    values.push_back(value);
    return values.back();
}

DISPPARAMS* DispatchArguments::Adapt(ITypeInfo* info, DISPID id, WORD flags, DISPPARAMS* params) {
    if (!info || !params || params->cNamedArgs != 0 || !(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return params;
    const FunctionOf function(info, id, flags);
    if (!function) return params;
    int formal = function->cParams;
    if (formal > 0 && (function->lprgelemdescParam[formal - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL)) --formal;
    const int given = static_cast<int>(params->cArgs);
    if (given > formal) return params;

    // Arguments in reading order. `values` never grows past one entry per
    // parameter, so the references into it stay valid.
    values.reserve(static_cast<std::size_t>(formal));
    std::vector<VARIANT> reading(static_cast<std::size_t>(formal));
    bool changed = false;
    int used = given;
    for (int i = 0; i < formal; ++i) {
        VARIANT& argument = reading[static_cast<std::size_t>(i)];
        argument = i < given ? params->rgvarg[given - 1 - i] : Missing();
        const ELEMDESC& parameter = function->lprgelemdescParam[i];
        const bool reference = parameter.tdesc.vt == VT_PTR && parameter.tdesc.lptdesc;
        const VARTYPE type = AutomationType(info, reference ? *parameter.tdesc.lptdesc : parameter.tdesc);

        if (IsMissing(argument)) {
            const PARAMDESC& description = parameter.paramdesc;
            if (!(description.wParamFlags & PARAMFLAG_FHASDEFAULT) || !description.pparamdescex) continue;
            VARIANT value;
            VariantInit(&value);
            const HRESULT hr = type == VT_VARIANT ? VariantCopy(&value, &description.pparamdescex->varDefaultValue)
                                                  : VariantChangeType(&value, &description.pparamdescex->varDefaultValue, 0, type);
            if (FAILED(hr)) continue;
            VARIANT& owned = Own(value);
            argument = reference ? ReferenceTo(owned, type) : owned;
            used = std::max(used, i + 1);
            changed = true;
        } else if (reference && type != VT_VARIANT && V_VT(&argument) == (VT_VARIANT | VT_BYREF)) {
            VARIANT* held = V_VARIANTREF(&argument);
            while (held && V_VT(held) == (VT_VARIANT | VT_BYREF)) held = V_VARIANTREF(held);
            if (!held) continue;
            if (V_VT(held) == type) {
                argument = ReferenceTo(*held, type);
            } else if (V_VT(held) == (type | VT_BYREF)) {
                argument = *held;
            } else {
                VARIANT value;
                VariantInit(&value);
                if (FAILED(VariantChangeType(&value, held, 0, type))) continue;  // the dispatcher reports the mismatch
                argument = ReferenceTo(Own(value), type);
            }
            changed = true;
        }
    }
    if (!changed) return params;

    arguments.assign(reading.rbegin() + (formal - used), reading.rend());
    adapted = DISPPARAMS{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    return &adapted;
}

}  // namespace orvi
