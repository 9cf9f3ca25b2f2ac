// The late-bound call itself: the call's shape checked, its member found
// by the interface's table, its arguments made ready, the member called
// through its vtable slot and its value or failure handed back as
// automation defines.
#include <algorithm>

#include "com_ptr.h"
#include "dispatch.h"
#include "dispatch_arguments.h"
#include "dispatch_table.h"
#include "same_guid.h"

namespace orvi {
namespace {

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

// A member's failure as a caller of IDispatch receives it: the error it
// left on the thread in the exception record.
HRESULT Exception(HRESULT failure, EXCEPINFO* exception) {
    if (exception) {
        *exception = EXCEPINFO{};
        exception->scode = failure;
        ComPtr<IErrorInfo> info;
        if (GetErrorInfo(0, info.Put()) == S_OK && info) {
            info->GetSource(&exception->bstrSource);
            info->GetDescription(&exception->bstrDescription);
            info->GetHelpFile(&exception->bstrHelpFile);
            info->GetHelpContext(&exception->dwHelpContext);
        }
    }
    return DISP_E_EXCEPTION;
}

// The call; a failure leaves the result to the caller of this.
HRESULT Dispatch(const LateBoundCall& call, const DispatchTable* table, HRESULT loaded, REFIID iid) {
    if (!SameGuid(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (const HRESULT shape = CheckCallShape(call.flags, call.params, call.argumentError); FAILED(shape)) return shape;
    if (FAILED(loaded)) return loaded;
    const MemberPlan* plan = table->Find(call.id, call.flags);
    if (!plan || !plan->call) return DISP_E_MEMBERNOTFOUND;
    VARIANT value;
    VariantInit(&value);
    HRESULT hr;
    if (plan->parameters.empty()) {
        // Nothing to prepare (the most frequent call, a property read).
        if (call.params->cArgs) return DISP_E_BADPARAMCOUNT;
        hr = plan->call(call.object, plan->slot, nullptr, 0, value);
    } else {
        DispatchArguments prepared;
        hr = prepared.Prepare(*plan, *call.params, call.argumentError);
        if (FAILED(hr)) return hr;
        hr = plan->call(call.object, plan->slot, prepared.Arguments(), static_cast<unsigned>(plan->parameters.size()), value);
        prepared.WriteBack();
    }
    if (FAILED(hr)) return Exception(hr, call.exception);
    // A Variant result the member wrote whole; any other, into its storage.
    if (plan->result != VT_EMPTY && plan->result != VT_VARIANT) V_VT(&value) = plan->result;
    if (call.result) *call.result = value;
    else VariantClear(&value);
    return hr;
}

}  // namespace

HRESULT InvokeMember(const LateBoundCall& call, const DispatchTable* table, HRESULT loaded, REFIID iid) noexcept {
    if (call.result) VariantInit(call.result);
    const HRESULT hr = Dispatch(call, table, loaded, iid);
    // A failed call hands back no value, not even an empty text.
    if (FAILED(hr) && call.result) VariantClear(call.result);
    return hr;
}

HRESULT IdsOfNames(const DispatchTable* table, HRESULT loaded, REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) noexcept {
    if (!SameGuid(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || std::find(names, names + count, nullptr) != names + count) return E_INVALIDARG;
    return FAILED(loaded) ? loaded : table->names.Find(names, count, ids);
}

}  // namespace orvi
