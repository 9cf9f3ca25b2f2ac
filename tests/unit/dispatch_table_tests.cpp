// The interfaces' own dispatch tables against the type library they are
// read from: every member bound to its vtable slot, and every name answered
// as the system's DispGetIDsOfNames answers it.
#include <cwctype>
#include <string>
#include <vector>

#include "com_object.h"
#include "dispatch_table.h"
#include "orvilib10_h.h"
#include "settings/registry_settings.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

// Every object late-bound callers can reach: the classes, and the internal
// ones members hand out.
std::vector<ComPtr<IDispatch>> ReachableObjects() {
    std::vector<ComPtr<IDispatch>> objects;
    for (const ClassEntry* entry = FirstClass(); entry; entry = entry->next) {
        ComPtr<IDispatch> object;
        EXPECT_EQ(S_OK, entry->create(IID_IDispatch, object.PutVoid()));
        objects.push_back(object);
    }
    objects.push_back(CreateRegistrySettings().As<IDispatch>());
    auto information = CreateThroughFactory<IDispatch>(CLSID_clsKvOrviInformationA);
    objects.push_back(ComPtr<IDispatch>(V_DISPATCH(GetProperty(information.Get(), L"GetProStdProperties").result.Get())));
    return objects;
}

ComPtr<ITypeInfo> TypeInfoOf(IDispatch* object) {
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(S_OK, object->GetTypeInfo(0, 0, info.Put()));
    return info;
}

GUID InterfaceOf(ITypeInfo* info) {
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    const GUID iid = attributes->guid;
    info->ReleaseTypeAttr(attributes);
    return iid;
}

std::wstring NameOf(ITypeInfo* info, MEMBERID id) {
    Bstr name;
    info->GetDocumentation(id, name.Put(), nullptr, nullptr, nullptr);
    return std::wstring(name.View());
}

TEST(DispatchTable, EveryMemberIsBoundToItsOwnSlot) {
    int members = 0;
    for (const ComPtr<IDispatch>& object : ReachableObjects()) {
        ASSERT_TRUE(object);
        const ComPtr<ITypeInfo> info = TypeInfoOf(object.Get());
        const auto table = BuildDispatchTable(info.Get(), SlotTableOf(InterfaceOf(info.Get())));
        for (const MemberPlan& plan : table->members) {
            ++members;
            EXPECT_NE(nullptr, plan.call) << testing::PrintToString(NameOf(info.Get(), plan.id)) << " kind " << plan.kind << " result " << plan.result << " params " << [&]{ std::string t; for (auto& p : plan.parameters) t += std::to_string(p.base) + (p.byReference ? "& " : " "); return t; }();
        }
    }
    EXPECT_GT(members, 200);
}

// Names as the type library spells them, in upper and lower case, with
// each of their parameters' names and one nobody has, and unknown names.
TEST(DispatchTable, NamesAnswerAsTheSystemAnswers) {
    int compared = 0;
    for (const ComPtr<IDispatch>& object : ReachableObjects()) {
        const ComPtr<ITypeInfo> info = TypeInfoOf(object.Get());
        TYPEATTR* attributes = nullptr;
        info->GetTypeAttr(&attributes);
        const UINT functions = attributes->cFuncs;
        info->ReleaseTypeAttr(attributes);
        std::vector<std::vector<std::wstring>> lists{{L"NoSuchMember"}, {L""}, {L"Sound X"}, {L"Q\u00FCeryInterface"}};
        for (UINT index = 0; index < functions; ++index) {
            FUNCDESC* function = nullptr;
            if (FAILED(info->GetFuncDesc(index, &function))) continue;
            BSTR names[32] = {};
            UINT count = 0;
            info->GetNames(function->memid, names, 32, &count);
            info->ReleaseFuncDesc(function);
            std::vector<std::wstring> given;
            for (UINT i = 0; i < count; ++i) {
                given.emplace_back(names[i]);
                SysFreeString(names[i]);
            }
            if (given.empty()) continue;
            given.push_back(L"NoSuchParameter");
            for (auto fold : {std::towupper, std::towlower}) {
                std::vector<std::wstring> folded = given;
                for (std::wstring& name : folded)
                    for (wchar_t& c : name) c = static_cast<wchar_t>(fold(c));
                lists.push_back(folded);
            }
            lists.push_back(given);
        }
        for (const std::vector<std::wstring>& list : lists) {
            std::vector<LPOLESTR> names;
            for (const std::wstring& name : list) names.push_back(const_cast<LPOLESTR>(name.c_str()));
            std::vector<DISPID> ours(names.size(), 12345), system(names.size(), 12345);
            const UINT count = static_cast<UINT>(names.size());
            const HRESULT answer = object->GetIDsOfNames(IID_NULL, names.data(), count, 0, ours.data());
            EXPECT_EQ(DispGetIDsOfNames(info.Get(), names.data(), count, system.data()), answer) << testing::PrintToString(list[0]);
            EXPECT_EQ(system, ours) << testing::PrintToString(list[0]);
            ++compared;
        }
    }
    EXPECT_GT(compared, 600);
}

}  // namespace
