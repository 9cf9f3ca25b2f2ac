// Prints a member reference of a type library as Markdown: every class
// with its interface's members in slot order (kind, parameters, result,
// dispatch id, vtable slot), then every enumeration with its values.
#include <windows.h>
#include <oaidl.h>

#include <cstdio>
#include <string>

#include "com_ptr.h"
#include "type_names.h"

using orvi::Bstr;
using orvi::ComPtr;

using orvi::TypeName;

namespace {


// A pointer to an interface is an object passed by value; any other
// pointer is a reference.
bool IsByReference(ITypeInfo* info, const TYPEDESC& type) {
    if (type.vt != VT_PTR) return false;
    if (type.lptdesc->vt != VT_USERDEFINED) return true;
    ComPtr<ITypeInfo> referenced;
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetRefTypeInfo(type.lptdesc->hreftype, referenced.Put())) || FAILED(referenced->GetTypeAttr(&attributes)))
        return true;
    const bool object = attributes->typekind == TKIND_INTERFACE || attributes->typekind == TKIND_DISPATCH;
    referenced->ReleaseTypeAttr(attributes);
    return !object;
}

// A default value as a client would write it: texts quoted, Booleans by name.
std::wstring Literal(const VARIANT& value) {
    if (V_VT(&value) == VT_BSTR) return L"\"" + std::wstring(V_BSTR(&value), SysStringLen(V_BSTR(&value))) + L"\"";
    if (V_VT(&value) == VT_BOOL) return V_BOOL(&value) ? L"True" : L"False";
    VARIANT text;
    VariantInit(&text);
    std::wstring literal;
    if (SUCCEEDED(VariantChangeType(&text, const_cast<VARIANT*>(&value), 0, VT_BSTR))) literal = V_BSTR(&text);
    VariantClear(&text);
    return literal;
}

const wchar_t* KindOf(INVOKEKIND kind) {
    switch (kind) {
    case INVOKE_PROPERTYGET: return L"get";
    case INVOKE_PROPERTYPUT: return L"let";
    case INVOKE_PROPERTYPUTREF: return L"set";
    default: return L"method";
    }
}

void PrintInterface(ITypeInfo* dispatchSide) {
    ComPtr<ITypeInfo> vtableSide;
    HREFTYPE reference = 0;
    ITypeInfo* info = dispatchSide;
    if (SUCCEEDED(dispatchSide->GetRefTypeOfImplType(-1, &reference)) &&
        SUCCEEDED(dispatchSide->GetRefTypeInfo(reference, vtableSide.Put())))
        info = vtableSide.Get();
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes))) return;
    std::wprintf(L"| member | kind | parameters | result | dispatch id | slot |\n|---|---|---|---|---|---|\n");
    for (UINT index = 0; index < attributes->cFuncs; ++index) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(index, &function))) continue;
        BSTR names[32] = {};
        UINT count = 0;
        info->GetNames(function->memid, names, 32, &count);
        std::wstring parameters, result;
        for (SHORT p = 0; p < function->cParams; ++p) {
            const ELEMDESC& element = function->lprgelemdescParam[p];
            const USHORT flags = element.paramdesc.wParamFlags;
            const std::wstring type = TypeName(info, element.tdesc);
            if (flags & PARAMFLAG_FRETVAL) {
                result = type;
                continue;
            }
            const bool lastOfPut = (function->invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) && p == function->cParams - 1;
            // Accessors share their names with the get; the assigned value has none.
            std::wstring name = lastOfPut ? L"value" : static_cast<UINT>(p + 1) < count && names[p + 1] ? names[p + 1] : L"?";
            if (!parameters.empty()) parameters += L", ";
            if (flags & PARAMFLAG_FOPT) parameters += L"[optional] ";
            if (IsByReference(info, element.tdesc)) parameters += L"ByRef ";
            parameters += name + L" As " + type;
            if ((flags & PARAMFLAG_FHASDEFAULT) && element.paramdesc.pparamdescex)
                parameters += L" = " + Literal(element.paramdesc.pparamdescex->varDefaultValue);
        }
        std::wprintf(L"| %ls | %ls | %ls | %ls | 0x%08lX | %d |\n", names[0] ? names[0] : L"?", KindOf(function->invkind),
                     parameters.c_str(), result.c_str(), static_cast<unsigned long>(function->memid),
                     static_cast<int>(function->oVft / static_cast<SHORT>(sizeof(void*))));
        for (UINT n = 0; n < count; ++n) SysFreeString(names[n]);
        info->ReleaseFuncDesc(function);
    }
    info->ReleaseTypeAttr(attributes);
}

void PrintEnumeration(ITypeInfo* info, const TYPEATTR& attributes) {
    std::wprintf(L"| name | value |\n|---|---|\n");
    for (UINT index = 0; index < attributes.cVars; ++index) {
        VARDESC* variable = nullptr;
        if (FAILED(info->GetVarDesc(index, &variable))) continue;
        Bstr name;
        info->GetDocumentation(variable->memid, name.Put(), nullptr, nullptr, nullptr);
        std::wprintf(L"| %ls | %ld |\n", std::wstring(name.View()).c_str(), V_I4(variable->lpvarValue));
        info->ReleaseVarDesc(variable);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: typelib_reference <file with a type library>\n");
        return 2;
    }
    CoInitialize(nullptr);
    ComPtr<ITypeLib> library;
    if (FAILED(LoadTypeLibEx(argv[1], REGKIND_NONE, library.Put()))) {
        std::fwprintf(stderr, L"cannot load a type library from %ls\n", argv[1]);
        return 1;
    }
    const UINT count = library->GetTypeInfoCount();
    for (int pass = 0; pass < 2; ++pass) {
        std::wprintf(pass == 0 ? L"### Classes\n\n" : L"### Enumerations\n\n");
        for (UINT index = 0; index < count; ++index) {
            ComPtr<ITypeInfo> info;
            if (FAILED(library->GetTypeInfo(index, info.Put()))) continue;
            TYPEATTR* attributes = nullptr;
            info->GetTypeAttr(&attributes);
            Bstr name;
            info->GetDocumentation(MEMBERID_NIL, name.Put(), nullptr, nullptr, nullptr);
            if (pass == 0 && attributes->typekind == TKIND_COCLASS) {
                HREFTYPE reference = 0;
                ComPtr<ITypeInfo> defaultInterface;
                Bstr interfaceName;
                if (SUCCEEDED(info->GetRefTypeOfImplType(0, &reference)) &&
                    SUCCEEDED(info->GetRefTypeInfo(reference, defaultInterface.Put()))) {
                    defaultInterface->GetDocumentation(MEMBERID_NIL, interfaceName.Put(), nullptr, nullptr, nullptr);
                    std::wprintf(L"#### %ls (interface %ls)\n\n", std::wstring(name.View()).c_str(),
                                 std::wstring(interfaceName.View()).c_str());
                    PrintInterface(defaultInterface.Get());
                    std::wprintf(L"\n");
                }
            } else if (pass == 1 && attributes->typekind == TKIND_ENUM) {
                std::wprintf(L"#### %ls\n\n", std::wstring(name.View()).c_str());
                PrintEnumeration(info.Get(), *attributes);
                std::wprintf(L"\n");
            }
            info->ReleaseTypeAttr(attributes);
        }
    }
    library.Reset();
    CoUninitialize();
    return 0;
}
