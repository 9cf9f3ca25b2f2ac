// The type library as clients see it: every interface's members in slot
// order with their kinds and dispatch ids, the classes and the enumerations.
#include <vector>

#include "module.h"
#include "orvilib10_h.h"
#include "test_support.h"
#include "tools/type_names.h"
#include "type_library_layout.h"

using namespace orvi;
using namespace orvi::test;

namespace {

// The library to check: this build's own (each bitness's run checks its own).
std::vector<std::wstring> LibraryFiles() { return {module::FilePath()}; }

ComPtr<ITypeLib> LoadLibraryFile(const std::wstring& file) {
    ComPtr<ITypeLib> library;
    EXPECT_EQ(S_OK, LoadTypeLibEx(file.c_str(), REGKIND_NONE, library.Put())) << testing::PrintToString(file);
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

TYPEKIND KindOf(ITypeInfo* info, const TYPEDESC& type) {
    ComPtr<ITypeInfo> referenced;
    TYPEATTR* attributes = nullptr;
    if (type.vt != VT_USERDEFINED || FAILED(info->GetRefTypeInfo(type.hreftype, referenced.Put())) ||
        FAILED(referenced->GetTypeAttr(&attributes)))
        return TKIND_MAX;
    const TYPEKIND kind = attributes->typekind;
    referenced->ReleaseTypeAttr(attributes);
    return kind;
}


std::wstring Literal(const VARIANT& value) {
    if (V_VT(&value) == VT_BSTR) return L"'" + std::wstring(V_BSTR(&value), SysStringLen(V_BSTR(&value))) + L"'";
    if (V_VT(&value) == VT_BOOL) return V_BOOL(&value) ? L"True" : L"False";
    Variant text;
    VariantChangeType(text.Put(), const_cast<VARIANT*>(&value), 0, VT_BSTR);
    return TextOf(text);
}

// The automation type a declared type stands for: enumerations are Longs.
VARTYPE BaseType(ITypeInfo* info, const TYPEDESC& type) {
    if (type.vt == VT_PTR) return BaseType(info, *type.lptdesc);
    return type.vt == VT_USERDEFINED && KindOf(info, type) == TKIND_ENUM ? VT_I4 : type.vt;
}

// One parameter in the notation of the layout tables. An interface pointer
// is an object passed by value; any other pointer is a reference, and must
// be both in and out.
std::wstring ParameterShape(ITypeInfo* info, const ELEMDESC& element, const std::wstring& name) {
    const USHORT flags = element.paramdesc.wParamFlags;
    const TYPEDESC& type = element.tdesc;
    const bool object = type.vt == VT_PTR && (KindOf(info, *type.lptdesc) == TKIND_INTERFACE ||
                                              KindOf(info, *type.lptdesc) == TKIND_DISPATCH);
    const bool byReference = type.vt == VT_PTR && !object;
    std::wstring shape;
    if (byReference) shape = (flags & (PARAMFLAG_FIN | PARAMFLAG_FOUT)) == (PARAMFLAG_FIN | PARAMFLAG_FOUT) ? L"&" : L"&[not in/out]";
    else if (flags & PARAMFLAG_FOUT) shape = L"[out]";
    shape += name + L":" + TypeName(info, type);
    if (flags & PARAMFLAG_FOPT) shape += L"?";
    if ((flags & PARAMFLAG_FHASDEFAULT) && element.paramdesc.pparamdescex) {
        const VARIANT& value = element.paramdesc.pparamdescex->varDefaultValue;
        shape += L"=" + Literal(value);
        // A default of another type than its parameter's (a Variant takes any).
        const VARTYPE base = BaseType(info, type);
        if (base != VT_VARIANT && V_VT(&value) != base) shape += L"[vt" + std::to_wstring(V_VT(&value)) + L"]";
    }
    return shape;
}

struct Shape {
    std::wstring result, parameters;
};
Shape ShapeOf(ITypeInfo* info, const FUNCDESC& function) {
    BSTR names[32] = {};
    UINT count = 0;
    info->GetNames(function.memid, names, 32, &count);
    Shape shape;
    for (SHORT p = 0; p < function.cParams; ++p) {
        const ELEMDESC& element = function.lprgelemdescParam[p];
        if (element.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) {
            shape.result = TypeName(info, element.tdesc);
            continue;
        }
        // A let or set shares its names with the get; its value has none.
        const bool value = (function.invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) && p == function.cParams - 1;
        const std::wstring name = value ? L"value" : static_cast<UINT>(p + 1) < count && names[p + 1] ? names[p + 1] : L"?";
        if (!shape.parameters.empty()) shape.parameters += L", ";
        shape.parameters += ParameterShape(info, element, name);
    }
    for (UINT n = 0; n < count; ++n) SysFreeString(names[n]);
    return shape;
}

std::size_t UnlistedSlots(const layout::Interface& expected) {
    std::size_t count = 0;
    for (const layout::Member& member : expected.members) count += member.afterUnlistedSlot;
    return count;
}

class InterfaceLayout : public testing::TestWithParam<layout::Interface> {};

TEST_P(InterfaceLayout, MembersInSlotOrderWithTheirDispatchIdsAndParameters) {
    const layout::Interface& expected = GetParam();
    for (const std::wstring& file : LibraryFiles()) {
        SCOPED_TRACE(testing::PrintToString(file));
        auto library = LoadLibraryFile(file);
        ASSERT_TRUE(library);
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
        const WORD vtableSize = attributes->cbSizeVft;
        slots->ReleaseTypeAttr(attributes);
        // The vtable holds every slot, the unlisted ones too: a proxy built
        // from the library must reach the last member.
        EXPECT_EQ((7 + expected.members.size() + UnlistedSlots(expected)) * sizeof(void*), vtableSize);

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
            // Offsets come in this process's pointer size, whatever the library's.
            EXPECT_EQ(static_cast<SHORT>(slot * sizeof(void*)), function->oVft) << name;
            const Shape shape = ShapeOf(slots, *function);
            EXPECT_EQ(std::wstring(member.result), shape.result) << name;
            EXPECT_EQ(std::wstring(member.parameters), shape.parameters) << name;
            slots->ReleaseFuncDesc(function);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Interfaces, InterfaceLayout, testing::ValuesIn(layout::Interfaces()),
                         [](const testing::TestParamInfo<layout::Interface>& info) {
                             std::string name;
                             for (const wchar_t* c = info.param.name; *c; ++c) if (*c != L'_') name += static_cast<char>(*c);
                             return name;
                         });

TEST(TypeLibrary, IdentityAndClasses) {
    for (const std::wstring& file : LibraryFiles()) {
        SCOPED_TRACE(testing::PrintToString(file));
        auto library = LoadLibraryFile(file);
        ASSERT_TRUE(library);
        TLIBATTR* attributes = nullptr;
        ASSERT_EQ(S_OK, library->GetLibAttr(&attributes));
        EXPECT_EQ(LIBID_Orvilib10, attributes->guid);
        EXPECT_EQ(0u, attributes->lcid) << "language-neutral, for clients of every locale";
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
}

TEST(TypeLibrary, EnumerationsWithTheirGuidsAndValues) {
    for (const std::wstring& file : LibraryFiles()) {
        SCOPED_TRACE(testing::PrintToString(file));
        auto library = LoadLibraryFile(file);
        ASSERT_TRUE(library);
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
}

// The slots of an interface that its table leaves unlisted, by name.
std::size_t UnlistedSlotsOf(const std::wstring& name) {
    for (const layout::Interface& expected : layout::Interfaces())
        if (name == expected.name) return UnlistedSlots(expected);
    return 0;
}

// A walker that trusts the counts: every description below cFuncs, cVars
// and cImplTypes can be fetched, in both views of each dual interface. One
// allowance: a system may count a dual interface's dispatch view from its
// vtable size (Wine does), so an interface with unlisted vtable slots shows
// that many more functions there than it has; those, and only those, fail.
TEST(TypeLibrary, EveryCountedDescriptionCanBeFetched) {
    for (const std::wstring& file : LibraryFiles()) {
        SCOPED_TRACE(testing::PrintToString(file));
        auto library = LoadLibraryFile(file);
        ASSERT_TRUE(library);
        for (UINT index = 0; index < library->GetTypeInfoCount(); ++index) {
            ComPtr<ITypeInfo> info;
            ASSERT_EQ(S_OK, library->GetTypeInfo(index, info.Put()));
            std::vector<ComPtr<ITypeInfo>> views{info};
            HREFTYPE vtableSide = 0;
            if (SUCCEEDED(info->GetRefTypeOfImplType(-1, &vtableSide)))
                ASSERT_EQ(S_OK, info->GetRefTypeInfo(vtableSide, views.emplace_back().Put()));
            WORD vtableSizeOfInterface = 0;
            if (TYPEATTR* vtableSideAttributes = nullptr; SUCCEEDED(views.back()->GetTypeAttr(&vtableSideAttributes))) {
                vtableSizeOfInterface = vtableSideAttributes->cbSizeVft;
                views.back()->ReleaseTypeAttr(vtableSideAttributes);
            }
            for (const ComPtr<ITypeInfo>& view : views) {
                TYPEATTR* attributes = nullptr;
                ASSERT_EQ(S_OK, view->GetTypeAttr(&attributes));
                const std::string name = testing::PrintToString(NameOf(view.Get(), MEMBERID_NIL)) + " kind " + std::to_string(attributes->typekind);
                UINT fetchable = attributes->cFuncs;
                if (attributes->typekind == TKIND_DISPATCH && attributes->cFuncs * sizeof(void*) == vtableSizeOfInterface)
                    fetchable -= static_cast<UINT>(UnlistedSlotsOf(NameOf(view.Get(), MEMBERID_NIL)));
                for (UINT f = 0; f < attributes->cFuncs; ++f) {
                    FUNCDESC* function = nullptr;
                    EXPECT_EQ(f < fetchable, view->GetFuncDesc(f, &function) == S_OK) << name << " function " << f << " of " << attributes->cFuncs;
                    if (function) view->ReleaseFuncDesc(function);
                }
                for (UINT v = 0; v < attributes->cVars; ++v) {
                    VARDESC* variable = nullptr;
                    EXPECT_EQ(S_OK, view->GetVarDesc(v, &variable)) << name << " variable " << v;
                    if (variable) view->ReleaseVarDesc(variable);
                }
                for (UINT i = 0; i < attributes->cImplTypes; ++i) {
                    HREFTYPE reference = 0;
                    ComPtr<ITypeInfo> implemented;
                    EXPECT_EQ(S_OK, view->GetRefTypeOfImplType(i, &reference)) << name << " implemented type " << i;
                    EXPECT_EQ(S_OK, view->GetRefTypeInfo(reference, implemented.Put())) << name << " implemented type " << i;
                }
                view->ReleaseTypeAttr(attributes);
            }
        }
    }
}

// Objects name their class as objects of the common tools do: the coclass,
// not the interface. An internal object has no class to name.
TEST(ClassInformation, EveryClassNamesItsCoclass) {
    for (const layout::Class& expected : layout::Classes()) {
        const std::string name = testing::PrintToString(std::wstring(expected.name));
        auto object = CreateThroughFactory<IUnknown>(*expected.clsid);
        ASSERT_TRUE(object) << name;
        auto provider = object.As<IProvideClassInfo>();
        ASSERT_TRUE(provider) << name;
        EXPECT_EQ(object.Get(), provider.As<IUnknown>().Get()) << name;
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(S_OK, provider->GetClassInfo(info.Put())) << name;
        TYPEATTR* attributes = nullptr;
        ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
        EXPECT_EQ(TKIND_COCLASS, attributes->typekind) << name;
        EXPECT_EQ(*expected.clsid, attributes->guid) << name;
        info->ReleaseTypeAttr(attributes);
        EXPECT_EQ(std::wstring(expected.name), NameOf(info.Get(), MEMBERID_NIL));
        EXPECT_EQ(E_POINTER, provider->GetClassInfo(nullptr));
    }

    auto information = CreateThroughFactory<_clsKvOrviInformationA>(CLSID_clsKvOrviInformationA);
    ComPtr<IDispatch> properties;
    ASSERT_EQ(S_OK, information->get_GetProStdProperties(properties.Put()));
    void* provider = &properties;
    EXPECT_EQ(E_NOINTERFACE, properties->QueryInterface(__uuidof(IProvideClassInfo), &provider));
    EXPECT_EQ(nullptr, provider);
}

}  // namespace
