// The built DLL as a client sees it: registered in the prefix, created by
// ProgID and CLSID, unregistered and registered again.
#include <windows.h>
#include <objbase.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "com_ptr.h"
#include "orvilib10_h.h"

using orvi::Bstr;
using orvi::ComPtr;

namespace {

// The build passes Linux paths; Wine sees them on drive Z:.
std::wstring WinePath(std::string_view path) {
    std::wstring wide = L"Z:";
    for (char c : path) wide += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return wide;
}
std::wstring DllPath() { return WinePath(ORVI_DLL_PATH); }

std::wstring RegistryText(const std::wstring& key, const wchar_t* name = nullptr) {
    wchar_t value[512] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return L"<absent>";
    return value;
}

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

class RegisteredDll : public testing::Test {
protected:
    void SetUp() override {
        library = LoadLibraryW(DllPath().c_str());
        ASSERT_NE(nullptr, library);
    }
    void TearDown() override { FreeLibrary(library); }
    template <class F>
    F Export(const char* name) { return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name))); }
    HMODULE library = nullptr;
};

TEST_F(RegisteredDll, ProgIdsResolveToTheClasses) {
    CLSID clsid{};
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"Orvilib10.clsKvOrviOsVersionInfoA", &clsid));
    EXPECT_EQ(__uuidof(clsKvOrviOsVersionInfoA), clsid);
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"Orvilib10.clsKvOrviIEVersionInfoA", &clsid));
    EXPECT_EQ(__uuidof(clsKvOrviIEVersionInfoA), clsid);
    const std::wstring key = L"CLSID\\" + GuidText(__uuidof(clsKvOrviOsVersionInfoA)) + L"\\InprocServer32";
    EXPECT_EQ(L"Apartment", RegistryText(key, L"ThreadingModel"));
}

TEST_F(RegisteredDll, InterfacesAreMarshalledThroughTheTypeLibrary) {
    const std::wstring key = L"Interface\\" + GuidText(__uuidof(_clsKvOrviOsVersionInfoA));
    EXPECT_EQ(L"{00020424-0000-0000-C000-000000000046}", RegistryText(key + L"\\ProxyStubClsid32"));
    EXPECT_EQ(GuidText(LIBID_Orvilib10), RegistryText(key + L"\\TypeLib"));
    // Language-neutral: found from every client locale (the system tries the
    // locale, its primary language, then 0).
    for (LCID locale : {0x0000, 0x0409, 0x0407, 0x0411}) {
        ComPtr<ITypeLib> library;
        ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_Orvilib10, 1, 0, locale, library.Put())) << std::hex << locale;
        TLIBATTR* attributes = nullptr;
        ASSERT_EQ(S_OK, library->GetLibAttr(&attributes));
        EXPECT_EQ(1, attributes->wMajorVerNum);
        EXPECT_EQ(0, attributes->wMinorVerNum);
        EXPECT_EQ(0u, attributes->lcid);
        library->ReleaseTLibAttr(attributes);
    }
}

TEST_F(RegisteredDll, CreatedByClsidEarlyBound) {
    ComPtr<_clsKvOrviOsVersionInfoA> record;
    ASSERT_EQ(S_OK, CoCreateInstance(__uuidof(clsKvOrviOsVersionInfoA), nullptr, CLSCTX_INPROC_SERVER,
                                     __uuidof(_clsKvOrviOsVersionInfoA), record.PutVoid()));
    Bstr name;
    ASSERT_EQ(S_OK, record->get_PlatformName(name.Put()));
    EXPECT_EQ(L"WIN32_NT", name.View());
    ComPtr<_clsKvOrviIEVersionInfoA> browser;
    ASSERT_EQ(S_OK, CoCreateInstance(__uuidof(clsKvOrviIEVersionInfoA), nullptr, CLSCTX_INPROC_SERVER,
                                     __uuidof(_clsKvOrviIEVersionInfoA), browser.PutVoid()));
    long major = -1;
    EXPECT_EQ(S_OK, browser->get_MajorVersion(&major));
    EXPECT_GE(major, 0);
}

TEST_F(RegisteredDll, UnknownClassIsNotAvailable) {
    auto getClassObject = Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    ASSERT_NE(nullptr, getClassObject);
    void* factory = nullptr;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(LIBID_Orvilib10, IID_IClassFactory, &factory));
    EXPECT_EQ(nullptr, factory);
}

TEST_F(RegisteredDll, CanUnloadNowFollowsObjectsAndLocks) {
    auto canUnload = Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow");
    auto getClassObject = Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    EXPECT_EQ(S_OK, canUnload());
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, getClassObject(__uuidof(clsKvOrviOsVersionInfoA), IID_IClassFactory, factory.PutVoid()));
    ComPtr<IDispatch> object;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, object.PutVoid()));
    factory->LockServer(TRUE);
    factory.Reset();
    EXPECT_EQ(S_FALSE, canUnload());
    object.Reset();
    EXPECT_EQ(S_FALSE, canUnload());
    ASSERT_EQ(S_OK, getClassObject(__uuidof(clsKvOrviOsVersionInfoA), IID_IClassFactory, factory.PutVoid()));
    factory->LockServer(FALSE);
    factory.Reset();
    EXPECT_EQ(S_OK, canUnload());
}

TEST_F(RegisteredDll, UnregisterRemovesEverythingAndRegisterRestoresIt) {
    auto unregister = Export<HRESULT(STDAPICALLTYPE*)()>("DllUnregisterServer");
    auto reg = Export<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer");
    ASSERT_EQ(S_OK, unregister());
    EXPECT_EQ(S_OK, unregister()) << "nothing left to remove is no failure";
    CLSID clsid{};
    EXPECT_NE(S_OK, CLSIDFromProgID(L"Orvilib10.clsKvOrviOsVersionInfoA", &clsid));
    EXPECT_EQ(L"<absent>", RegistryText(L"CLSID\\" + GuidText(__uuidof(clsKvOrviOsVersionInfoA)) + L"\\InprocServer32"));
    EXPECT_EQ(L"<absent>", RegistryText(L"Interface\\" + GuidText(__uuidof(_clsKvOrviOsVersionInfoA)) + L"\\ProxyStubClsid32"));
    ComPtr<ITypeLib> library;
    EXPECT_NE(S_OK, LoadRegTypeLib(LIBID_Orvilib10, 1, 0, 0, library.Put()));
    ComPtr<IDispatch> object;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(__uuidof(clsKvOrviOsVersionInfoA), nullptr, CLSCTX_INPROC_SERVER,
                                                    IID_IDispatch, object.PutVoid()));
    ASSERT_EQ(S_OK, reg());
    EXPECT_EQ(S_OK, CLSIDFromProgID(L"Orvilib10.clsKvOrviOsVersionInfoA", &clsid));
}

}  // namespace

namespace {

struct PublicClass {
    const wchar_t* progId;
    const CLSID* clsid;
};
const PublicClass kPublicClasses[] = {
    {L"Orvilib10.clsKvOrviInformationA", &CLSID_clsKvOrviInformationA},
    {L"Orvilib10.clsKvOrviGeneralA", &CLSID_clsKvOrviGeneralA},
    {L"Orvilib10.clsKvOrviAdvancedA", &CLSID_clsKvOrviAdvancedA},
    {L"Orvilib10.clsKvOrviOsVersionInfoA", &CLSID_clsKvOrviOsVersionInfoA},
    {L"Orvilib10.clsKvOrviIEVersionInfoA", &CLSID_clsKvOrviIEVersionInfoA},
    {L"Orvilib10.clsKvOrviInformationB", &CLSID_clsKvOrviInformationB},
    {L"Orvilib10.clsKvOrviOSInfoA", &CLSID_clsKvOrviOSInfoA},
    {L"Orvilib10.clsKvOrviSystemMetricsA", &CLSID_clsKvOrviSystemMetricsA},
    {L"Orvilib10.clsKvOrviUtilitesA", &CLSID_clsKvOrviUtilitesA},
    {L"Orvilib10.clsKvOrviUtilitesWinInfoA", &CLSID_clsKvOrviUtilitesWinInfoA},
    {L"Orvilib10.clsKvOrviUtilitesLocaleA", &CLSID_clsKvOrviUtilitesLocaleA},
    {L"Orvilib10.clsKvOrviEthernetAddressA", &CLSID_clsKvOrviEthernetAddressA},
    {L"Orvilib10.clsKvOrviIPHostA", &CLSID_clsKvOrviIPHostA},
    {L"Orvilib10.clsKvOrviBiosDataA", &CLSID_clsKvOrviBiosDataA},
};

TEST_F(RegisteredDll, EveryClassByProgIdAndByClsidThenUnloadable) {
    auto canUnload = Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow");
    for (const PublicClass& entry : kPublicClasses) {
        CLSID clsid{};
        ASSERT_EQ(S_OK, CLSIDFromProgID(entry.progId, &clsid)) << testing::PrintToString(std::wstring(entry.progId));
        EXPECT_EQ(*entry.clsid, clsid);
        ComPtr<IDispatch> byProgId, byClsid;
        EXPECT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, byProgId.PutVoid()));
        EXPECT_EQ(S_OK, CoCreateInstance(*entry.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, byClsid.PutVoid()));
        EXPECT_TRUE(byProgId && byClsid);
        EXPECT_EQ(S_FALSE, canUnload());
    }
    EXPECT_EQ(S_OK, canUnload());
}

std::vector<char> FileBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::wstring ErrorDescription() {
    ComPtr<IErrorInfo> info;
    Bstr description;
    if (GetErrorInfo(0, info.Put()) == S_OK) info->GetDescription(description.Put());
    return std::wstring(description.View());
}

// A copy of the DLL whose type library or registration script is damaged
// (the system's type library reader hangs on the first damage and corrupts
// its heap on the second) refuses registration and creation at once, with
// its reason, and writes nothing.
TEST(DamagedDll, RefusesRegistrationAndCreation) {
    const std::vector<char> dll = FileBytes(DllPath());
    const std::vector<char> library = FileBytes(WinePath(ORVI_TYPELIB_PATH));
    const std::vector<char> script = FileBytes(WinePath(ORVI_SCRIPT_PATH));
    ASSERT_FALSE(dll.empty() || library.empty() || script.empty());
    const auto libraryAt = std::search(dll.begin(), dll.end(), library.begin(), library.end()) - dll.begin();
    const auto scriptAt = std::search(dll.begin(), dll.end(), script.begin(), script.end()) - dll.begin();
    ASSERT_LT(static_cast<std::size_t>(libraryAt), dll.size());
    ASSERT_LT(static_cast<std::size_t>(scriptAt), dll.size());
    struct Damage {
        const char* name;
        std::size_t at, length;
        bool zero;
    };
    const Damage damages[] = {
        {"type library, second half zeroed", libraryAt + library.size() / 2, library.size() / 2, true},
        {"type library, 64 bytes flipped", libraryAt + library.size() / 3, 64, false},
        {"registration script, one byte flipped", scriptAt + script.size() / 2, 1, false},
    };
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        std::vector<char> damaged = dll;
        for (std::size_t i = damage.at; i < damage.at + damage.length; ++i) damaged[i] = damage.zero ? 0 : ~damaged[i];
        const std::wstring path = std::wstring(folder) + L"orvilib10-damaged.dll";
        std::ofstream(path.c_str(), std::ios::binary).write(damaged.data(), static_cast<std::streamsize>(damaged.size()));
        HMODULE copy = LoadLibraryW(path.c_str());
        ASSERT_NE(nullptr, copy);
        auto reg = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(copy, "DllRegisterServer")));
        auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
            reinterpret_cast<void*>(GetProcAddress(copy, "DllGetClassObject")));
        EXPECT_EQ(TYPE_E_CANTLOADLIBRARY, reg());
        EXPECT_NE(std::wstring::npos, ErrorDescription().find(L"damaged"));
        EXPECT_EQ(DllPath(), RegistryText(L"CLSID\\" + GuidText(CLSID_clsKvOrviOSInfoA) + L"\\InprocServer32"))
            << "the registered DLL's entries stay as they were";
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, getClassObject(CLSID_clsKvOrviOSInfoA, IID_IClassFactory, factory.PutVoid()));
        ComPtr<IDispatch> object;
        EXPECT_EQ(TYPE_E_CANTLOADLIBRARY, factory->CreateInstance(nullptr, IID_IDispatch, object.PutVoid()));
        EXPECT_FALSE(object);
        EXPECT_NE(std::wstring::npos, ErrorDescription().find(L"damaged"));
        factory.Reset();
        FreeLibrary(copy);
        DeleteFileW(path.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = RUN_ALL_TESTS();
    CoFreeUnusedLibraries();
    CoUninitialize();
    return result;
}

