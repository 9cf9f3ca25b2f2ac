// An early-bound client on a multithreaded-apartment thread, as a server
// application's worker is: each class, asked for its own dual interface, is
// created on a single-threaded host apartment and reached through a proxy
// that the system's type-library marshaller builds from the type library
// (registered, or named by the application's manifest). The marshaller looks
// the library up under locale 0; one registered under 0x409 alone made every
// creation here fail with E_FAIL.
#include <windows.h>
#include <objbase.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>

#include "com_ptr.h"
#include "orvilib10_h.h"

using orvi::Bstr;
using orvi::ComPtr;
using orvi::Variant;

namespace {

struct InterfaceCall {
    IID iid;
    std::function<HRESULT(IUnknown*)> call;  // one member, through the interface's vtable
};

template <class Interface>
InterfaceCall Calling(std::function<HRESULT(Interface*)> call) {
    return {__uuidof(Interface), [call](IUnknown* object) { return call(static_cast<Interface*>(object)); }};
}

// A call for each class's interface; the two that add no member call one of IDispatch's.
const InterfaceCall kCalls[] = {
    Calling<_clsKvOrviInformationA>([](auto* o) { ComPtr<_clsKvOrviOsVersionInfoA> v; return o->get_OSVERSIONINFO(v.Put()); }),
    Calling<_clsKvOrviGeneralA>([](auto* o) { UINT v; return o->GetTypeInfoCount(&v); }),
    Calling<_clsKvOrviAdvancedA>([](auto* o) { UINT v; return o->GetTypeInfoCount(&v); }),
    Calling<_clsKvOrviOsVersionInfoA>([](auto* o) { Bstr v; return o->get_PlatformName(v.Put()); }),
    Calling<_clsKvOrviIEVersionInfoA>([](auto* o) { long v; return o->get_MajorVersion(&v); }),
    Calling<_clsKvOrviInformationB>([](auto* o) { long v; return o->get_MemoryTotal(&v); }),
    Calling<_clsKvOrviOSInfoA>([](auto* o) { VARIANT_BOOL v; return o->get_IsNT(&v); }),
    Calling<_clsKvOrviSystemMetricsA>([](auto* o) { long v; return o->get_MouseButtons(&v); }),
    Calling<_clsKvOrviUtilitesA>([](auto* o) { double v; return o->PI(&v); }),
    Calling<_clsKvOrviUtilitesWinInfoA>([](auto* o) { Bstr v; return o->get_name(v.Put()); }),
    Calling<_clsKvOrviUtilitesLocaleA>([](auto* o) { long v; return o->get_SysLanguageID(&v); }),
    Calling<_clsKvOrviEthernetAddressA>([](auto* o) { long lana = 0; Bstr v; return o->EthernetAddress(&lana, v.Put()); }),
    Calling<_clsKvOrviIPHostA>([](auto* o) { Variant v; return o->HiByte(0x1234, v.Put()); }),
    Calling<_clsKvOrviBiosDataA>([](auto* o) { Bstr v; return o->get_SystemBiosVersion(v.Put()); }),
};

GUID GuidOf(ITypeInfo* type) {
    TYPEATTR* attributes = nullptr;
    if (FAILED(type->GetTypeAttr(&attributes))) return GUID_NULL;
    const GUID guid = attributes->guid;
    type->ReleaseTypeAttr(attributes);
    return guid;
}

// The classes are the type library's, each asked for its default interface.
TEST(MultithreadedClient, EveryClassThroughItsOwnInterface) {
    ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_Orvilib10, 1, 0, GetUserDefaultLCID(), library.Put()));
    std::size_t classes = 0;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        TYPEKIND kind{};
        if (library->GetTypeInfoType(i, &kind) != S_OK || kind != TKIND_COCLASS) continue;
        ++classes;
        Bstr name;
        ComPtr<ITypeInfo> coclass, dual;
        HREFTYPE reference = 0;
        ASSERT_EQ(S_OK, library->GetDocumentation(i, name.Put(), nullptr, nullptr, nullptr));
        SCOPED_TRACE(testing::PrintToString(std::wstring(name.View())));
        ASSERT_EQ(S_OK, library->GetTypeInfo(i, coclass.Put()));
        ASSERT_EQ(S_OK, coclass->GetRefTypeOfImplType(0, &reference));
        ASSERT_EQ(S_OK, coclass->GetRefTypeInfo(reference, dual.Put()));
        const GUID iid = GuidOf(dual.Get());
        const auto call = std::ranges::find_if(kCalls, [&](const InterfaceCall& c) { return c.iid == iid; });
        ASSERT_NE(std::end(kCalls), call) << "no call for the class's interface";
        ComPtr<IUnknown> object;
        const HRESULT created = CoCreateInstance(GuidOf(coclass.Get()), nullptr, CLSCTX_INPROC_SERVER, iid, object.PutVoid());
        EXPECT_EQ(S_OK, created);
        if (FAILED(created)) continue;
        EXPECT_TRUE(object.As<IClientSecurity>()) << "a proxy: the object lives in another apartment";
        EXPECT_EQ(S_OK, call->call(object.Get()));
    }
    EXPECT_EQ(std::size(kCalls), classes);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
