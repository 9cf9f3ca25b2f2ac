#include "late_bound.h"

#include <dispex.h>

#include <algorithm>
#include <vector>

#include "errors.h"

namespace orvi {

ComPtr<IDispatch> CreateObjectByProgId(const wchar_t* progId) {
    CLSID clsid{};
    ComPtr<IDispatch> object;
    if (FAILED(CLSIDFromProgID(progId, &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, __uuidof(IDispatch), object.PutVoid())))
        Raise(errCannotCreateObject);
    return object;
}

Variant CallByName(IDispatch* object, const wchar_t* member, WORD flags, std::span<const VARIANT> arguments) {
    if (!object) Raise(errObjectNotSet);
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(member)};
    if (FAILED(object->GetIDsOfNames(GUID{}, names, 1, LOCALE_USER_DEFAULT, &id))) {
        // Script objects (a script's own classes) may answer only through IDispatchEx.
        const ComPtr<IDispatchEx> script = ComPtr<IDispatch>(object).As<IDispatchEx>();
        const Bstr name(member);
        if (!script || FAILED(script->GetDispID(name.Get(), fdexNameCaseInsensitive, &id))) Raise(errMemberNotSupported);
    }

    std::vector<VARIANT> reversed(arguments.begin(), arguments.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    DISPID putId = DISPID_PROPERTYPUT;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    Variant result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    const HRESULT hr = object->Invoke(id, GUID{}, LOCALE_USER_DEFAULT, flags, &params, result.Put(), &exception, &argumentError);
    if (hr == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
        const Bstr source = Bstr::Adopt(exception.bstrSource);
        const Bstr description = Bstr::Adopt(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        const HRESULT code = exception.scode ? exception.scode : ErrorHResult(exception.wCode);
        if (ErrorNumberOf(code) != 0)
            throw ComponentError(ErrorNumberOf(code), std::wstring(source.View()), std::wstring(description.View()));
        SetThreadErrorInfo(source.View(), description.View());
        Check(code);
    }
    if (hr == DISP_E_MEMBERNOTFOUND) Raise(errMemberNotSupported);
    if (hr == DISP_E_TYPEMISMATCH) Raise(errTypeMismatch);
    if (hr == DISP_E_BADPARAMCOUNT || hr == DISP_E_PARAMNOTOPTIONAL) Raise(errInvalidCall);
    Check(hr);
    return result;
}

VARIANT ByRef(VARIANT& value) {
    VARIANT reference;
    VariantInit(&reference);
    V_VT(&reference) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&reference) = &value;
    return reference;
}

VARIANT MissingArgument() {
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    return missing;
}

VARIANT ObjectArgument(IDispatch* object) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_DISPATCH;
    V_DISPATCH(&value) = object;
    return value;
}

VARIANT TextArgument(BSTR text) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = text;
    return value;
}

VARIANT LongArgument(long value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

}  // namespace orvi
