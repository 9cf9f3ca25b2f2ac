// The names by which Basic-style clients know a parameter's or result's
// type: Long, String, Object, an enumeration's own name, "()" for arrays.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <string>

#include "com_ptr.h"

namespace orvi {

inline std::wstring TypeName(ITypeInfo* info, const TYPEDESC& type) {
    switch (type.vt) {
    case VT_PTR: return TypeName(info, *type.lptdesc);
    case VT_SAFEARRAY: return TypeName(info, *type.lptdesc) + L"()";
    case VT_USERDEFINED: {
        ComPtr<ITypeInfo> referenced;
        Bstr name;
        if (SUCCEEDED(info->GetRefTypeInfo(type.hreftype, referenced.Put())))
            referenced->GetDocumentation(MEMBERID_NIL, name.Put(), nullptr, nullptr, nullptr);
        return std::wstring(name.View());
    }
    case VT_I2: return L"Integer";
    case VT_I4: case VT_INT: return L"Long";
    case VT_R4: return L"Single";
    case VT_R8: return L"Double";
    case VT_DATE: return L"Date";
    case VT_BSTR: return L"String";
    case VT_BOOL: return L"Boolean";
    case VT_VARIANT: return L"Variant";
    case VT_DISPATCH: return L"Object";
    case VT_UNKNOWN: return L"IUnknown";
    case VT_UI1: return L"Byte";
    case VT_CY: return L"Currency";
    case VT_HRESULT: return L"HRESULT";
    case VT_VOID: return L"";
    default: return L"vt" + std::to_wstring(type.vt);
    }
}

}  // namespace orvi
