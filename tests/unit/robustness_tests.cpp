// Every class of the component under hostile use: created and released
// many times, and every member called late-bound with random arguments.
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "com_object.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

std::vector<const ClassEntry*> AllClasses() {
    std::vector<const ClassEntry*> classes;
    for (const ClassEntry* entry = FirstClass(); entry; entry = entry->next) classes.push_back(entry);
    return classes;
}

TEST(Robustness, CreatingAndReleasingEveryClassLeaksNothing) {
    DWORD handlesBefore = 0, handlesAfter = 0;
    // One round first, so lazily loaded system libraries are in place.
    for (const ClassEntry* entry : AllClasses()) {
        ComPtr<IDispatch> object;
        entry->create(IID_IDispatch, object.PutVoid());
    }
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
    for (const ClassEntry* entry : AllClasses()) {
        for (int round = 0; round < 10000; ++round) {
            ComPtr<IDispatch> object;
            ASSERT_EQ(S_OK, entry->create(IID_IDispatch, object.PutVoid())) << testing::PrintToString(std::wstring(entry->progId));
        }
    }
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_EQ(handlesBefore, handlesAfter);
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

// Members that act on the session, launch programs, block, or write and
// delete files are left to their own tests: random arguments could name
// real places.
bool Excluded(const std::wstring& member) {
    static const wchar_t* const excluded[] = {
        L"ShutDown", L"ControlPanel", L"ShellEx", L"ShortCut", L"FileKill", L"FileWrite", L"FileCopy",
        L"FileCopyAPI", L"Wait", L"PlaySound", L"AboutBox", L"About", L"FormOnTop", L"DrawIcon",
        L"FileDirectories", L"FileFind", L"SocketsInitialize", L"GetIPAddress", L"GetIPHostName"};
    for (const wchar_t* name : excluded)
        if (member == name) return true;
    return false;
}

class RandomArguments {
public:
    explicit RandomArguments(unsigned seed) : random(seed) {}

    Variant Next() {
        Variant value;
        VARIANT* v = value.Put();
        switch (Pick(12)) {
        case 0: break;  // Empty
        case 1: V_VT(v) = VT_NULL; break;
        case 2: V_VT(v) = VT_I2; V_I2(v) = static_cast<SHORT>(PickInteger()); break;
        case 3: V_VT(v) = VT_I4; V_I4(v) = static_cast<LONG>(PickInteger()); break;
        case 4: V_VT(v) = VT_R8; V_R8(v) = PickDouble(); break;
        case 5: V_VT(v) = VT_BSTR; V_BSTR(v) = nullptr; break;
        case 6: V_VT(v) = VT_BSTR; V_BSTR(v) = RandomText(Pick(8)); break;
        case 7: V_VT(v) = VT_BSTR; V_BSTR(v) = RandomText(100000 + Pick(50000)); break;
        case 8: V_VT(v) = VT_DATE; V_DATE(v) = PickDouble(); break;
        case 9: V_VT(v) = VT_BOOL; V_BOOL(v) = Pick(2) ? VARIANT_TRUE : VARIANT_FALSE; break;
        case 10: V_VT(v) = VT_DISPATCH; V_DISPATCH(v) = nullptr; break;
        default: V_VT(v) = VT_ERROR; V_ERROR(v) = DISP_E_PARAMNOTFOUND; break;
        }
        return value;
    }
    unsigned Pick(unsigned bound) { return std::uniform_int_distribution<unsigned>(0, bound - 1)(random); }

private:
    long long PickInteger() {
        static const long long edges[] = {0, 1, -1, 2, 7, 14, 255, 256, 32767, -32768, 65535, 2147483647LL, -2147483647LL - 1};
        return Pick(3) ? edges[Pick(std::size(edges))] : static_cast<long long>(random()) - 0x7FFFFFFFLL;
    }
    double PickDouble() {
        static const double edges[] = {0.0, -0.0, 0.5, 2.5, -1.0, 1e308, -1e308, 1e-308, 2958465.9999, -657434.0,
                                       3e6, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()};
        return Pick(3) ? edges[Pick(std::size(edges))] : std::uniform_real_distribution<double>(-1e7, 1e7)(random);
    }
    BSTR RandomText(unsigned length) {
        static const wchar_t alphabet[] = L"abcXYZ019 \\/:*?.<>|\"'%&~\u00e9\u00df\u4e2d\uffff";
        std::wstring text;
        for (unsigned i = 0; i < length; ++i) text += alphabet[Pick(std::size(alphabet) - 1)];
        if (length && Pick(4) == 0) text[Pick(length)] = L'\0';
        return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    std::mt19937 random;
};

TEST(Robustness, RandomLateBoundCallsFailCleanly) {
    const char* rounds = std::getenv("ORVI_FUZZ_ROUNDS");
    const int roundsPerMember = rounds ? std::atoi(rounds) : 40;
    RandomArguments arguments(20261208);
    long calls = 0, failures = 0;
    for (const ClassEntry* entry : AllClasses()) {
        ComPtr<IDispatch> object;
        ASSERT_EQ(S_OK, entry->create(IID_IDispatch, object.PutVoid()));
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(S_OK, object->GetTypeInfo(0, 0, info.Put()));
        TYPEATTR* attributes = nullptr;
        info->GetTypeAttr(&attributes);
        for (UINT index = 0; index < attributes->cFuncs; ++index) {
            // Wine counts the dispatch side from the vtable size, which also
            // covers slots the type library does not list.
            FUNCDESC* function = nullptr;
            if (FAILED(info->GetFuncDesc(index, &function))) continue;
            Bstr name;
            info->GetDocumentation(function->memid, name.Put(), nullptr, nullptr, nullptr);
            const std::wstring member(name.View());
            const bool dispatchable = function->memid < 0x60000000 || function->memid >= 0x60020000;
            if (!Excluded(member) && dispatchable && function->funckind == FUNC_DISPATCH) {
                const WORD flags = function->invkind == INVOKE_PROPERTYGET ? DISPATCH_PROPERTYGET
                                   : function->invkind == INVOKE_PROPERTYPUT ? DISPATCH_PROPERTYPUT
                                   : function->invkind == INVOKE_PROPERTYPUTREF ? DISPATCH_PROPERTYPUTREF
                                                                              : DISPATCH_METHOD;
                for (int round = 0; round < roundsPerMember; ++round) {
                    std::vector<Variant> values;
                    const unsigned count = function->cParams + (arguments.Pick(4) == 0 ? 1 : 0);
                    for (unsigned i = 0; i < count; ++i) values.push_back(arguments.Next());
                    std::vector<VARIANT> raw;
                    for (auto it = values.rbegin(); it != values.rend(); ++it) raw.push_back(*it->Get());
                    DISPPARAMS params{raw.data(), nullptr, static_cast<UINT>(raw.size()), 0};
                    DISPID put = DISPID_PROPERTYPUT;
                    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
                        params.rgdispidNamedArgs = &put;
                        params.cNamedArgs = 1;
                    }
                    Variant result;
                    EXCEPINFO exception{};
                    UINT argumentError = 0;
                    const HRESULT hr = object->Invoke(function->memid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                                      result.Put(), &exception, &argumentError);
                    ++calls;
                    if (hr == DISP_E_EXCEPTION) {
                        ++failures;
                        if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
                        EXPECT_TRUE(FAILED(exception.scode)) << testing::PrintToString(member);
                        EXPECT_NE(nullptr, exception.bstrSource) << testing::PrintToString(member);
                        EXPECT_NE(nullptr, exception.bstrDescription) << testing::PrintToString(member);
                    } else if (FAILED(hr)) {
                        ++failures;
                    }
                    SysFreeString(exception.bstrSource);
                    SysFreeString(exception.bstrDescription);
                    SysFreeString(exception.bstrHelpFile);
                }
            }
            info->ReleaseFuncDesc(function);
        }
        info->ReleaseTypeAttr(attributes);
        SetErrorInfo(0, nullptr);
    }
    EXPECT_GT(calls, 0);
    RecordProperty("calls", static_cast<int>(calls));
    RecordProperty("failures", static_cast<int>(failures));
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

}  // namespace
