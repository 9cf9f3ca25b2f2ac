#include "dispatch_type_info.h"

#include <vector>

#include "errors.h"

namespace orvi {
namespace {
// The standard OLE automation library (stdole2), home of IDispatch.
constexpr GUID kStandardOleLibrary{0x00020430, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}  // namespace

ComPtr<ITypeInfo> BuildDualTypeInfo(const IID& iid, const wchar_t* name, std::span<const MemberDescription> members) {
    ComPtr<ICreateTypeLib2> library;
    Check(CreateTypeLib2(sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32, L"internal.tlb", library.Put()));
    ComPtr<ICreateTypeInfo> created;
    Check(library->CreateTypeInfo(const_cast<LPOLESTR>(name), TKIND_INTERFACE, created.Put()));
    Check(created->SetGuid(iid));
    Check(created->SetTypeFlags(TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE));

    ComPtr<ITypeLib> standard;
    Check(LoadRegTypeLib(kStandardOleLibrary, 2, 0, LOCALE_NEUTRAL, standard.Put()));
    ComPtr<ITypeInfo> dispatch;
    Check(standard->GetTypeInfoOfGuid(__uuidof(IDispatch), dispatch.Put()));
    HREFTYPE base = 0;
    Check(created->AddRefTypeInfo(dispatch.Get(), &base));
    Check(created->AddImplType(0, base));

    constexpr UINT kDispatchSlots = 7;
    for (UINT index = 0; index < members.size(); ++index) {
        const MemberDescription& member = members[index];
        std::vector<ELEMDESC> parameters;
        std::vector<LPOLESTR> names{const_cast<LPOLESTR>(member.name)};
        for (const ParameterDescription& parameter : member.parameters) {
            ELEMDESC element{};
            element.tdesc.vt = parameter.type;
            element.paramdesc.wParamFlags = PARAMFLAG_FIN;
            parameters.push_back(element);
            // A property put's value has no name of its own.
            if (member.kind != INVOKE_PROPERTYPUT) names.push_back(const_cast<LPOLESTR>(parameter.name));
        }
        TYPEDESC resultType{};
        resultType.vt = member.result;
        if (member.result != VT_EMPTY) {
            ELEMDESC element{};
            element.tdesc.vt = VT_PTR;
            element.tdesc.lptdesc = &resultType;
            element.paramdesc.wParamFlags = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
            parameters.push_back(element);
        }
        FUNCDESC function{};
        function.memid = member.id;
        function.funckind = FUNC_PUREVIRTUAL;
        function.invkind = member.kind;
        function.callconv = CC_STDCALL;
        function.cParams = static_cast<SHORT>(parameters.size());
        function.lprgelemdescParam = parameters.data();
        function.oVft = static_cast<SHORT>((kDispatchSlots + index) * sizeof(void*));
        function.elemdescFunc.tdesc.vt = VT_HRESULT;
        Check(created->AddFuncDesc(index, &function));
        Check(created->SetFuncAndParamNames(index, names.data(), static_cast<UINT>(names.size())));
    }
    Check(created->LayOut());
    ComPtr<ITypeInfo> info = created.As<ITypeInfo>();
    if (!info) Raise(errInvalidCall);
    return info;
}

}  // namespace orvi
