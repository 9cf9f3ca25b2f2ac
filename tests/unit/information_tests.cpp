// The information base: resources, application properties, buddy object,
// version records and the about box through the stand-in sibling library.
#include <olectl.h>

#include <cstring>

#include "errors.h"
#include "orvilib10_h.h"
#include "resource_ids.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

ComPtr<_clsKvOrviInformationA> NewInformation() {
    return CreateThroughFactory<_clsKvOrviInformationA>(__uuidof(clsKvOrviInformationA));
}

std::wstring ModulePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

struct StringRow { long id; const wchar_t* text; };

TEST(ResourceStrings, TableTextsByIdEarlyAndLateBound) {
    auto info = NewInformation();
    ASSERT_TRUE(info);
    for (const StringRow& row : {StringRow{101, L"-"}, StringRow{124, L"-"}, StringRow{125, L"WIN32S"},
                                 StringRow{126, L"WIN32_9X"}, StringRow{127, L"WIN32_NT"}, StringRow{139, L"-"},
                                 StringRow{140, L"WINDOWS"}, StringRow{150, L"INTERNET EXPLORER"}}) {
        long id = row.id;
        Bstr text;
        EXPECT_EQ(S_OK, info->get_GetProResStrings(&id, text.Put())) << row.id;
        EXPECT_EQ(std::wstring_view(row.text), text.View()) << row.id;
        EXPECT_EQ(row.id, id) << "the id is not changed";
        EXPECT_EQ(row.text, TextOf(GetProperty(info.Get(), L"GetProResStrings", {LongValue(row.id)}).result)) << row.id;
    }
}

TEST(ResourceStrings, AbsentIdFailsWith326NamingTheId) {
    auto info = NewInformation();
    for (long id : {141L, 100L, 96L, 0L, -1L, 65536L, 2147483647L}) {
        long asked = id;
        Bstr text;
        EXPECT_EQ(static_cast<HRESULT>(0x800A0146), info->get_GetProResStrings(&asked, text.Put())) << id;
        const ErrorReport report = TakeErrorInfo();
        EXPECT_EQ(L"Orvilib10.clsKvOrviInformationA", report.source);
        EXPECT_NE(std::wstring::npos, report.description.find(L"'" + std::to_wstring(id) + L"'")) << report.description;
        EXPECT_TRUE(text.Empty());
    }
    const LateCall call = GetProperty(info.Get(), L"GetProResStrings", {LongValue(141)});
    EXPECT_EQ(DISP_E_EXCEPTION, call.hr);
    EXPECT_EQ(static_cast<SCODE>(0x800A0146), call.exception.scode);
    EXPECT_NE(std::wstring::npos, call.Description().find(L"141"));
}

std::vector<std::uint8_t> BytesOf(const Variant& value) {
    EXPECT_EQ(VT_ARRAY | VT_UI1, value.Type());
    if (value.Type() != (VT_ARRAY | VT_UI1)) return {};
    SAFEARRAY* array = V_ARRAY(value.Get());
    LONG lower = -1, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    EXPECT_EQ(0, lower);
    EXPECT_EQ(1u, SafeArrayGetDim(array));
    const auto* data = static_cast<const std::uint8_t*>(array->pvData);
    return std::vector<std::uint8_t>(data, data + (upper - lower + 1));
}

std::vector<std::uint8_t> StoredBytes(const wchar_t* type, const wchar_t* name) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, name, type);
    if (!found) return {};
    const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(self, found)));
    return std::vector<std::uint8_t>(data, data + SizeofResource(self, found));
}

TEST(ResourceData, StringTableBlockIsReturnedAsStored) {
    auto info = NewInformation();
    long id = 7;
    Variant type = LongValue(6), data;
    ASSERT_EQ(S_OK, info->get_GetProResData(&id, type.Get(), data.Put()));
    const std::vector<std::uint8_t> bytes = BytesOf(data);
    EXPECT_EQ(StoredBytes(MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(7)), bytes);
    // Sixteen counted entries: 96 to 100 absent, 101 to 111 each "-".
    ASSERT_GE(bytes.size(), 54u);
    const auto* words = reinterpret_cast<const std::uint16_t*>(bytes.data());
    for (int i = 0; i < 5; ++i) EXPECT_EQ(0, words[i]);
    EXPECT_EQ(1, words[5]);
    EXPECT_EQ(L'-', words[6]);

    // Late-bound, with the type given as a 16-bit number the way scripts pass it.
    Variant shortType;
    V_VT(shortType.Put()) = VT_I2;
    V_I2(shortType.Get()) = 6;
    const LateCall call = GetProperty(info.Get(), L"GetProResData", {LongValue(7), shortType});
    ASSERT_EQ(S_OK, call.hr);
    EXPECT_EQ(bytes, BytesOf(call.result));
}

TEST(ResourceData, CustomTypeByNameAndVersionBlockByNumber) {
    auto info = NewInformation();
    long id = 1;
    Variant name = TextValue(L"TYPELIB"), data;
    ASSERT_EQ(S_OK, info->get_GetProResData(&id, name.Get(), data.Put()));
    EXPECT_EQ(StoredBytes(L"TYPELIB", MAKEINTRESOURCEW(1)), BytesOf(data));

    Variant version = LongValue(16), block;
    ASSERT_EQ(S_OK, info->get_GetProResData(&id, version.Get(), block.Put()));
    const std::vector<std::uint8_t> bytes = BytesOf(block);
    const std::wstring_view text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    EXPECT_NE(std::wstring_view::npos, text.find(L"OLESelfRegister"));
}

struct DataFailure { const char* name; long id; Variant type; HRESULT expected; };

TEST(ResourceData, MissingResourcesAndBadTypes) {
    auto info = NewInformation();
    Variant nullType, emptyType, objectType = ObjectValue(info.Get());
    V_VT(nullType.Put()) = VT_NULL;
    const DataFailure rows[] = {
        {"absent id", 11, LongValue(6), ErrorHResult(326)},
        {"absent type", 7, LongValue(10), ErrorHResult(326)},
        {"absent type name", 1, TextValue(L"NOSUCHTYPE"), ErrorHResult(326)},
        {"type out of 16 bits", 7, LongValue(65536 + 6), ErrorHResult(326)},
        {"negative type", 7, LongValue(-6), ErrorHResult(326)},
        {"id out of 16 bits", 65536 + 7, LongValue(6), ErrorHResult(326)},
        {"null type", 7, nullType, ErrorHResult(94)},
        {"empty type", 7, emptyType, ErrorHResult(13)},
        {"object type", 7, objectType, ErrorHResult(13)},
    };
    for (const DataFailure& row : rows) {
        long id = row.id;
        Variant type(row.type), data;
        EXPECT_EQ(row.expected, info->get_GetProResData(&id, type.Get(), data.Put())) << row.name;
        EXPECT_EQ(VT_EMPTY, data.Type()) << row.name;
        const ErrorReport report = TakeErrorInfo();
        if (row.expected == ErrorHResult(326)) {
            EXPECT_NE(std::wstring::npos, report.description.find(std::to_wstring(row.id))) << row.name;
        }
    }
}

int imageLoads = 0;
HMODULE loadedFrom = nullptr;
UINT loadedType = 0;
LPCSTR loadedName = nullptr;
HANDLE WINAPI LoadTestBitmap(HINSTANCE module, LPCSTR name, UINT type, int, int, UINT) {
    ++imageLoads;
    loadedFrom = module;
    loadedName = name;
    loadedType = type;
    return CreateBitmap(2, 2, 1, 1, nullptr);
}

TEST(ResourcePictures, EveryPictureKindFailsWith326) {
    auto info = NewInformation();
    for (long kind : {0L, 1L, 2L}) {
        for (long id : {1L, 101L, 125L}) {
            long asked = id;
            PictureKind askedKind = static_cast<PictureKind>(kind);
            ComPtr<IPictureDisp> picture;
            EXPECT_EQ(ErrorHResult(326), info->get_GetProResPicture(&asked, &askedKind, picture.Put())) << id << "/" << kind;
            EXPECT_FALSE(picture);
            EXPECT_NE(std::wstring::npos, TakeErrorInfo().description.find(std::to_wstring(id)));
        }
    }
}

TEST(ResourcePictures, KindIsNarrowedBeforeAnyLookup) {
    SubstituteScope scope;
    scope.Replace<decltype(&::LoadImageA)>("user32.dll", "LoadImageA", &LoadTestBitmap);
    imageLoads = 0;
    auto info = NewInformation();
    for (long kind : {32768L, -32769L, 65536L}) {
        long id = 1;
        PictureKind askedKind = static_cast<PictureKind>(kind);
        ComPtr<IPictureDisp> picture;
        EXPECT_EQ(ErrorHResult(6), info->get_GetProResPicture(&id, &askedKind, picture.Put())) << kind;
    }
    long id = 1;
    PictureKind unknownKind = static_cast<PictureKind>(3);
    ComPtr<IPictureDisp> picture;
    EXPECT_EQ(ErrorHResult(5), info->get_GetProResPicture(&id, &unknownKind, picture.Put()));
    EXPECT_EQ(0, imageLoads);
    SetErrorInfo(0, nullptr);
}

TEST(ResourcePictures, AFoundImageComesBackAsAPictureObject) {
    SubstituteScope scope;
    scope.Replace<decltype(&::LoadImageA)>("user32.dll", "LoadImageA", &LoadTestBitmap);
    imageLoads = 0;
    auto info = NewInformation();
    long id = 42;
    PictureKind kind = picBitmap;
    ComPtr<IPictureDisp> picture;
    ASSERT_EQ(S_OK, info->get_GetProResPicture(&id, &kind, picture.Put()));
    EXPECT_EQ(1, imageLoads);
    EXPECT_EQ(GetModuleHandleW(nullptr), loadedFrom);
    EXPECT_EQ(MAKEINTRESOURCEA(42), loadedName);
    EXPECT_EQ(static_cast<UINT>(IMAGE_BITMAP), loadedType);
    ComPtr<IPicture> asPicture = picture.As<IPicture>();
    ASSERT_TRUE(asPicture);
    SHORT type = 0;
    asPicture->get_Type(&type);
    EXPECT_EQ(PICTYPE_BITMAP, type);
}

TEST(ApplicationProperties, OneObjectPerThreadWithItsNineProperties) {
    auto first = NewInformation();
    auto second = NewInformation();
    ComPtr<IDispatch> a, b, c;
    ASSERT_EQ(S_OK, first->get_GetProStdProperties(a.Put()));
    ASSERT_EQ(S_OK, first->get_GetProStdProperties(b.Put()));
    ASSERT_EQ(S_OK, second->get_GetProStdProperties(c.Put()));
    ASSERT_TRUE(a);
    EXPECT_EQ(a.Get(), b.Get());
    EXPECT_EQ(a.Get(), c.Get());
    EXPECT_EQ(a.Get(), V_DISPATCH(GetProperty(first.Get(), L"GetProStdProperties").result.Get()));

    const std::wstring path = ModulePath();
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    name = name.substr(0, name.rfind(L'.'));
    struct Row { const wchar_t* property; std::wstring text; VARTYPE type; };
    const Row rows[] = {
        {L"Title", L"Orvilib10", VT_BSTR}, {L"Major", L"1", VT_I2}, {L"Minor", L"0", VT_I2},
        {L"Revision", L"84", VT_I2}, {L"Path", folder, VT_BSTR}, {L"EXEName", name, VT_BSTR},
        {L"CompanyName", L"" ORVI_COMPANY, VT_BSTR}, {L"ProductName", L"" ORVI_PRODUCT, VT_BSTR},
        {L"LegalTrademarks", L"" ORVI_TRADEMARKS, VT_BSTR},
    };
    for (const Row& row : rows) {
        const LateCall call = GetProperty(a.Get(), row.property);
        ASSERT_EQ(S_OK, call.hr) << row.property;
        EXPECT_EQ(row.type, call.result.Type()) << row.property;
        EXPECT_EQ(row.text, TextOf(call.result)) << row.property;
        EXPECT_NE(S_OK, PutProperty(a.Get(), row.property, TextValue(L"x")).hr) << "read-only";
    }

    ComPtr<IDispatch> otherThreads;
    RunOnOtherThread([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        {
            auto there = NewInformation();
            there->get_GetProStdProperties(otherThreads.Put());
            EXPECT_EQ(L"Orvilib10", TextOf(GetProperty(otherThreads.Get(), L"Title").result));
        }
        otherThreads.Reset();
        CoUninitialize();
    });
}

TEST(BuddyObject, SharedOnTheThreadNotVisibleOnAnother) {
    auto first = NewInformation();
    auto second = NewInformation();
    ComPtr<IDispatch> parked = CreateThroughFactory<IDispatch>(__uuidof(clsKvOrviGeneralA));
    ComPtr<IDispatch> read;
    EXPECT_EQ(S_OK, first->get_BuddyObjectGlobal(read.Put()));
    EXPECT_FALSE(read);

    EXPECT_EQ(S_OK, first->putref_BuddyObjectGlobal(parked.Get()));
    EXPECT_EQ(S_OK, second->get_BuddyObjectGlobal(read.Put()));
    EXPECT_EQ(parked.Get(), read.Get());

    bool emptyThere = false;
    ComPtr<IDispatch> theirs = CreateThroughFactory<IDispatch>(__uuidof(clsKvOrviAdvancedA));
    RunOnOtherThread([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        {
            auto there = NewInformation();
            ComPtr<IDispatch> seen;
            there->get_BuddyObjectGlobal(seen.Put());
            emptyThere = !seen;
            there->putref_BuddyObjectGlobal(CreateThroughFactory<IDispatch>(__uuidof(clsKvOrviGeneralA)).Get());
            there->putref_BuddyObjectGlobal(nullptr);
        }
        CoUninitialize();
    });
    EXPECT_TRUE(emptyThere);
    EXPECT_EQ(S_OK, first->get_BuddyObjectGlobal(read.Put()));
    EXPECT_EQ(parked.Get(), read.Get()) << "the other thread's set does not reach here";

    // Late-bound set by reference, then cleared with Nothing.
    Variant other = ObjectValue(theirs.Get());
    EXPECT_EQ(S_OK, Invoke(second.Get(), L"BuddyObjectGlobal", DISPATCH_PROPERTYPUTREF, {other}).hr);
    EXPECT_EQ(theirs.Get(), V_DISPATCH(GetProperty(first.Get(), L"BuddyObjectGlobal").result.Get()));
    EXPECT_EQ(S_OK, Invoke(first.Get(), L"BuddyObjectGlobal", DISPATCH_PROPERTYPUTREF, {ObjectValue(nullptr)}).hr);
    EXPECT_EQ(S_OK, second->get_BuddyObjectGlobal(read.Put()));
    EXPECT_FALSE(read);
}

TEST(VersionRecords, EachReadIsAFreshRecord) {
    auto info = NewInformation();
    ComPtr<_clsKvOrviOsVersionInfoA> first, second;
    ASSERT_EQ(S_OK, info->get_OSVERSIONINFO(first.Put()));
    long realMajor = 0;
    first->get_MajorVersion(&realMajor);
    EXPECT_EQ(S_OK, first->put_MajorVersion(99));
    ASSERT_EQ(S_OK, info->get_OSVERSIONINFO(second.Put()));
    EXPECT_NE(first.Get(), second.Get());
    long major = 0;
    second->get_MajorVersion(&major);
    EXPECT_EQ(realMajor, major);
    EXPECT_GE(realMajor, 5);

    ComPtr<_clsKvOrviIEVersionInfoA> browserA, browserB;
    ASSERT_EQ(S_OK, info->get_IEVersionInfo(browserA.Put()));
    ASSERT_EQ(S_OK, info->get_IEVersionInfo(browserB.Put()));
    EXPECT_NE(browserA.Get(), browserB.Get());
    browserA->put_BuildNumber(-5);
    long build = 0;
    browserB->get_BuildNumber(&build);
    EXPECT_NE(-5, build);

    const LateCall late = GetProperty(info.Get(), L"OSVERSIONINFO");
    ASSERT_EQ(S_OK, late.hr);
    EXPECT_EQ(L"WIN32_NT", TextOf(GetProperty(V_DISPATCH(late.result.Get()), L"PlatformName").result));
}

TEST(InformationInterface, DispatchIdsAndMemberlessClasses) {
    auto info = CreateThroughFactory<IDispatch>(__uuidof(clsKvOrviInformationA));
    const std::pair<const wchar_t*, DISPID> ids[] = {
        {L"IEVersionInfo", 0x68030000}, {L"OSVERSIONINFO", 0x68030001}, {L"BuddyObjectGlobal", 0x68030002},
        {L"GetProResData", 0x68030003}, {L"GetProResPicture", 0x68030004}, {L"GetProResStrings", 0x68030005},
        {L"GetProStdProperties", 0x68030006}, {L"About", 0x60030008}};
    for (const auto& [name, id] : ids) EXPECT_EQ(id, DispatchIdOf(info.Get(), name)) << name;
    for (const CLSID* clsid : {&__uuidof(clsKvOrviGeneralA), &__uuidof(clsKvOrviAdvancedA)}) {
        auto object = CreateThroughFactory<IDispatch>(*clsid);
        ASSERT_TRUE(object);
        EXPECT_EQ(DISPID_UNKNOWN, DispatchIdOf(object.Get(), L"About"));
    }
}

// The stand-in sibling library, registered in the prefix for these tests.
class AboutBox : public testing::Test {
protected:
    static std::wstring StandInPath() {
        std::wstring path = L"Z:";
        for (const char* c = ORVI_STANDIN_PATH; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
        return path;
    }
    void SetUp() override {
        library = LoadLibraryW(StandInPath().c_str());
        ASSERT_NE(nullptr, library);
        ASSERT_EQ(S_OK, Export("DllRegisterServer")());
        recorder = ByProgId(L"KvVendrel10.clsKvVendrel10A");
        ASSERT_TRUE(recorder);
        CallMethod(recorder.Get(), L"ClearLog");
        PutProperty(recorder.Get(), L"FailAbout", LongValue(0));
    }
    void TearDown() override {
        if (recorder) PutProperty(recorder.Get(), L"FailAbout", LongValue(0));
        recorder.Reset();
        if (library) {
            Export("DllRegisterServer")();  // left registered for the script tests
            FreeLibrary(library);
        }
    }
    using Entry = HRESULT(STDAPICALLTYPE*)();
    Entry Export(const char* name) { return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, name))); }
    static ComPtr<IDispatch> ByProgId(const wchar_t* progId) {
        CLSID clsid{};
        ComPtr<IDispatch> object;
        if (SUCCEEDED(CLSIDFromProgID(progId, &clsid)))
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.PutVoid());
        return object;
    }
    std::wstring CallLog() { return TextOf(GetProperty(recorder.Get(), L"CallLog").result); }

    HMODULE library = nullptr;
    ComPtr<IDispatch> recorder;
};

TEST_F(AboutBox, ShowsThroughTheSiblingWithTheApplicationProperties) {
    auto info = NewInformation();
    long result = -1;
    EXPECT_EQ(S_OK, info->About(&result));
    EXPECT_EQ(0, result);
    EXPECT_EQ(L"AppAboutKvrl|object Title=Orvilib10\n", CallLog());
    const LateCall late = CallMethod(info.Get(), L"About");
    EXPECT_EQ(S_OK, late.hr);
    EXPECT_EQ(0, LongOf(late.result));
}

TEST_F(AboutBox, AFailureInsideIsReportedWithEightArgumentsAndAboutReturnsZero) {
    PutProperty(recorder.Get(), L"FailAbout", LongValue(-1));
    auto info = NewInformation();
    long result = -1;
    EXPECT_EQ(S_OK, info->About(&result));
    EXPECT_EQ(0, result);
    EXPECT_EQ(L"AppAboutKvrl|object Title=Orvilib10\n"
              L"ErrorHandlerMessageKv|ref object Title=Orvilib10"
              L"|ref object Number=5 Source=KvVendrel10.clsKvVendrel10A Description=About box failed"
              L"|ref text:|ref text:basKvrlCommonA.AppAboutKvrl_Pro|ref long:0|ref text:|ref long:0|missing\n",
              CallLog());
    EXPECT_FALSE(TakeErrorInfo().present) << "a reported failure leaves no error behind";
}

TEST_F(AboutBox, FailsWith429WhenTheSiblingIsNotRegistered) {
    ASSERT_EQ(S_OK, Export("DllUnregisterServer")());
    auto info = NewInformation();
    long result = -1;
    EXPECT_EQ(ErrorHResult(429), info->About(&result));
    const ErrorReport report = TakeErrorInfo();
    EXPECT_EQ(L"Orvilib10", report.source);
    EXPECT_EQ(L"ActiveX component can't create object", report.description);
    EXPECT_EQ(L"", CallLog()) << "nothing reached the sibling";
}

}  // namespace
