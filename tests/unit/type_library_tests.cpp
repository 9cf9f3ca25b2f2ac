// The type library as clients see it: every interface's members in slot
// order with their kinds and dispatch ids, the classes and the enumerations.
#include <vector>

#include "module.h"
#include "orvilib10_h.h"
#include "test_support.h"
#include "type_library_layout.h"

using namespace orvi;
using namespace orvi::test;

namespace {

ComPtr<ITypeLib> ComponentTypeLibrary() {
    ComPtr<ITypeLib> library;
    EXPECT_EQ(S_OK, LoadTypeLibEx(module::FilePath().c_str(), REGKIND_NONE, library.Put()));
    return library;
}

std::wstring NameOf(ITypeInfo* info, MEMBERID id) {
    Bstr name;
    info->GetDocumentation(id, name.Put(), nullptr, nullptr, nullptr);
    return std::wstring(name.View());
}

const wchar_t* KindName(INVOKEKIND kind) {
    switch (kind) {
    case INVOKE_FUNC: return L"method";
    case INVOKE_PROPERTYGET: return L"get";
    case INVOKE_PROPERTYPUT: return L"let";
    case INVOKE_PROPERTYPUTREF: return L"set";
    }
    return L"?";
}

class InterfaceLayout : public testing::TestWithParam<layout::Interface> {};

TEST_P(InterfaceLayout, MembersInSlotOrderWithTheirDispatchIds) {
    const layout::Interface& expected = GetParam();
    auto library = ComponentTypeLibrary();
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(*expected.iid, info.Put()));
    // Dual interfaces: the vtable side carries the slots.
    HREFTYPE vtableSide = 0;
    ComPtr<ITypeInfo> vtableInfo;
    if (SUCCEEDED(info->GetRefTypeOfImplType(-1, &vtableSide))) info->GetRefTypeInfo(vtableSide, vtableInfo.Put());
    ITypeInfo* slots = vtableInfo ? vtableInfo.Get() : info.Get();

    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, slots->GetTypeAttr(&attributes));
    EXPECT_EQ(std::wstring(expected.name), NameOf(slots, MEMBERID_NIL));
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FHIDDEN);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FNONEXTENSIBLE);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
    const UINT functions = attributes->cFuncs;
    slots->ReleaseTypeAttr(attributes);

    ASSERT_EQ(expected.members.size(), functions) << "member count of " << testing::PrintToString(std::wstring(expected.name));
    UINT slot = 7;  // after IUnknown and IDispatch
    for (UINT index = 0; index < functions; ++index, ++slot) {
        FUNCDESC* function = nullptr;
        ASSERT_EQ(S_OK, slots->GetFuncDesc(index, &function));
        const layout::Member& member = expected.members[index];
        if (member.afterUnlistedSlot) ++slot;
        const std::wstring name = NameOf(slots, function->memid);
        EXPECT_EQ(std::wstring(member.name), name) << "slot " << slot;
        EXPECT_EQ(std::wstring(member.kind), KindName(function->invkind)) << name;
        EXPECT_EQ(member.dispatchId, function->memid) << name;
        EXPECT_EQ(static_cast<SHORT>(slot * sizeof(void*)), function->oVft) << name;
        slots->ReleaseFuncDesc(function);
    }
}

INSTANTIATE_TEST_SUITE_P(Interfaces, InterfaceLayout, testing::ValuesIn(layout::Interfaces()),
                         [](const testing::TestParamInfo<layout::Interface>& info) {
                             std::string name;
                             for (const wchar_t* c = info.param.name; *c; ++c) if (*c != L'_') name += static_cast<char>(*c);
                             return name;
                         });

TEST(TypeLibrary, IdentityAndClasses) {
    auto library = ComponentTypeLibrary();
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&attributes));
    EXPECT_EQ(LIBID_Orvilib10, attributes->guid);
    EXPECT_EQ(0x409u, attributes->lcid);
    EXPECT_EQ(1, attributes->wMajorVerNum);
    EXPECT_EQ(0, attributes->wMinorVerNum);
    library->ReleaseTLibAttr(attributes);
    Bstr name, help;
    library->GetDocumentation(-1, name.Put(), help.Put(), nullptr, nullptr);
    EXPECT_EQ(L"Orvilib10", name.View());
    EXPECT_FALSE(help.Empty());

    for (const layout::Class& expected : layout::Classes()) {
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(*expected.clsid, info.Put())) << testing::PrintToString(std::wstring(expected.name));
        EXPECT_EQ(std::wstring(expected.name), NameOf(info.Get(), MEMBERID_NIL));
        HREFTYPE reference = 0;
        ASSERT_EQ(S_OK, info->GetRefTypeOfImplType(0, &reference));
        ComPtr<ITypeInfo> defaultInterface;
        ASSERT_EQ(S_OK, info->GetRefTypeInfo(reference, defaultInterface.Put()));
        TYPEATTR* interfaceAttributes = nullptr;
        defaultInterface->GetTypeAttr(&interfaceAttributes);
        EXPECT_EQ(*expected.iid, interfaceAttributes->guid) << testing::PrintToString(std::wstring(expected.name));
        defaultInterface->ReleaseTypeAttr(interfaceAttributes);
        INT flags = 0;
        info->GetImplTypeFlags(0, &flags);
        EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
    }
}

TEST(TypeLibrary, EnumerationsWithTheirGuidsAndValues) {
    auto library = ComponentTypeLibrary();
    for (const layout::Enumeration& expected : layout::Enumerations()) {
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(expected.guid, info.Put())) << testing::PrintToString(std::wstring(expected.name));
        EXPECT_EQ(std::wstring(expected.name), NameOf(info.Get(), MEMBERID_NIL));
        TYPEATTR* attributes = nullptr;
        info->GetTypeAttr(&attributes);
        EXPECT_EQ(TKIND_ENUM, attributes->typekind);
        ASSERT_EQ(expected.values.size(), attributes->cVars) << testing::PrintToString(std::wstring(expected.name));
        for (UINT index = 0; index < attributes->cVars; ++index) {
            VARDESC* variable = nullptr;
            info->GetVarDesc(index, &variable);
            EXPECT_EQ(std::wstring(expected.values[index].name), NameOf(info.Get(), variable->memid));
            EXPECT_EQ(expected.values[index].value, V_I4(variable->lpvarValue)) << testing::PrintToString(std::wstring(expected.values[index].name));
            info->ReleaseVarDesc(variable);
        }
        info->ReleaseTypeAttr(attributes);
    }
}

}  // namespace
