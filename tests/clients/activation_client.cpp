// A client without a manifest of its own, in a prefix where nothing is
// registered, that activates the library's assembly by hand
// (CreateActCtxW, ActivateActCtx): inside that context it creates the
// classes, calls them early- and late-bound and finds the type library.
//     activation_client ASSEMBLY_MANIFEST [gtest options]
#include <windows.h>
#include <objbase.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "com_ptr.h"
#include "orvilib10_progids.h"

using orvi::ComPtr;
using orvi::Variant;

namespace {

std::wstring assemblyManifest;

struct ContextRelease {
    void operator()(HANDLE context) const { ReleaseActCtx(context); }
};
using ActivationContext = std::unique_ptr<void, ContextRelease>;

// The context active on this thread for the scope's lifetime.
class Activation {
public:
    explicit Activation(HANDLE context) : active(ActivateActCtx(context, &cookie) != FALSE) {}
    ~Activation() {
        if (active) DeactivateActCtx(0, cookie);
    }
    Activation(const Activation&) = delete;
    Activation& operator=(const Activation&) = delete;
    explicit operator bool() const { return active; }

private:
    ULONG_PTR cookie = 0;
    bool active;
};

ActivationContext ContextOf(const std::wstring& manifest) {
    ACTCTXW description{};
    description.cbSize = sizeof description;
    description.lpSource = manifest.c_str();
    HANDLE context = CreateActCtxW(&description);
    return ActivationContext(context == INVALID_HANDLE_VALUE ? nullptr : context);
}

TEST(ActivationContext, ServesTheLibraryWhereNothingIsRegistered) {
    ComPtr<_clsKvOrviOSInfoA> os;
    ComPtr<ITypeLib> library;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(__uuidof(clsKvOrviOSInfoA), nullptr, CLSCTX_INPROC_SERVER,
                                                    __uuidof(_clsKvOrviOSInfoA), os.PutVoid()));
    EXPECT_EQ(TYPE_E_LIBNOTREGISTERED, LoadRegTypeLib(LIBID_Orvilib10, 1, 0, LOCALE_NEUTRAL, library.Put()));

    const ActivationContext context = ContextOf(assemblyManifest);
    ASSERT_TRUE(context) << "CreateActCtxW: error " << GetLastError();
    const Activation activation(context.get());
    ASSERT_TRUE(activation);

    ASSERT_EQ(S_OK, CoCreateInstance(__uuidof(clsKvOrviOSInfoA), nullptr, CLSCTX_INPROC_SERVER,
                                     __uuidof(_clsKvOrviOSInfoA), os.PutVoid()));
    VARIANT_BOOL isNT = VARIANT_FALSE;
    EXPECT_EQ(S_OK, os->get_IsNT(&isNT));
    EXPECT_EQ(VARIANT_TRUE, isNT);
    for (LCID locale : {0x0000, 0x0409, 0x0407}) {
        EXPECT_EQ(S_OK, LoadRegTypeLib(LIBID_Orvilib10, 1, 0, locale, library.Put())) << std::hex << locale;
    }

    struct LateBound {
        const wchar_t* progId;
        const wchar_t* member;
        VARTYPE type;
    };
    const LateBound calls[] = {
        {orvi::kDeclaredProgId<clsKvOrviOsVersionInfoA>, L"PlatformName", VT_BSTR},
        {orvi::kDeclaredProgId<clsKvOrviOSInfoA>, L"IsNT", VT_BOOL},
        {orvi::kDeclaredProgId<clsKvOrviUtilitesA>, L"PI", VT_R8},
        {orvi::kDeclaredProgId<clsKvOrviUtilitesLocaleA>, L"SysLanguageID", VT_I4},
    };
    for (const LateBound& call : calls) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(call.progId) + L"." + call.member));
        // Inside a context the ProgID names an alias of the class, a new one each run.
        CLSID clsid{};
        ASSERT_EQ(S_OK, CLSIDFromProgID(call.progId, &clsid));
        ComPtr<IDispatch> object;
        ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.PutVoid()));
        ComPtr<ITypeInfo> type;
        EXPECT_EQ(S_OK, object->GetTypeInfo(0, LOCALE_USER_DEFAULT, type.Put()));
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR name = const_cast<LPOLESTR>(call.member);
        ASSERT_EQ(S_OK, object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));
        DISPPARAMS none{};
        Variant result;
        EXPECT_EQ(S_OK, object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none,
                                       result.Put(), nullptr, nullptr));
        EXPECT_EQ(call.type, result.Type());
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: activation_client ASSEMBLY_MANIFEST [gtest options]\n");
        return 2;
    }
    assemblyManifest = argv[1];
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
