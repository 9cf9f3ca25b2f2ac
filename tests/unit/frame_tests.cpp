// The class frame and the error model, through the class factory.

#include <optional>
#include <string>

#include "ansi.h"
#include "collection_adapter.h"
#include "com_object.h"
#include "conversions.h"
#include "errors.h"
#include "late_bound.h"
#include "module.h"
#include "orvilib10_h.h"
#include "pure/numeric.h"
#include "test_support.h"
#include "thread_state.h"

using namespace orvi;
using namespace orvi::test;

TEST(LowWord, SignedLowSixteenBits) {
    EXPECT_EQ(-1, numeric::LowWord(0x0000FFFFu));
    EXPECT_EQ(32767, numeric::LowWord(0x12347FFFu));
    EXPECT_EQ(-32768, numeric::LowWord(0x00008000u));
    EXPECT_EQ(1998, numeric::LowWord(0x040A07CEu));
}

// A name goes to the system only when its code page holds it exactly. The
// ANSI code page of a run is fixed, so code pages are named here: 1252
// (best fit and the default character), 932 (two bytes), UTF-8 (on
// Windows, and UTF-7 everywhere, the flags are refused and the text must
// read back as it was).
TEST(Conversions, ExactInCodePageOrNothing) {
    struct Row { unsigned codePage; std::wstring text; std::optional<std::string> exact; } rows[] = {
        {1252, L"caf\u00e9", "caf\xe9"}, {1252, L"\u0106.txt", std::nullopt}, {1252, L"\u0416.txt", std::nullopt},
        {932, L"\u0416", "\x84\x47"}, {CP_UTF8, L"\u0416", "\xd0\x96"}, {CP_UTF8, std::wstring(1, L'\xD800'), std::nullopt},
        {CP_UTF7, L"\u0416", "+BBY-"}, {1252, L"", ""}};
    for (const Row& row : rows) EXPECT_EQ(row.exact, ExactInCodePage(row.codePage, row.text)) << row.codePage;
}

TEST(Conversions, RoundToEvenAndOverflowAsError6) {
    EXPECT_EQ(2, ToLong(2.5));
    EXPECT_EQ(4, ToLong(3.5));
    EXPECT_EQ(-2, ToLong(-2.5));
    EXPECT_EQ(32767, ToInteger(32767.4));
    const HRESULT overflow = Guarded(L"Orvilib10", [] { ToInteger(32767.5); });
    EXPECT_EQ(static_cast<HRESULT>(0x800A0006), overflow);
    EXPECT_EQ(L"Orvilib10", TakeErrorInfo().source);
    EXPECT_EQ(static_cast<HRESULT>(0x800A0006), Guarded(L"x", [] { ToLong(2147483648.0); }));
    EXPECT_EQ(static_cast<HRESULT>(0x800A0006), Guarded(L"x", [] { ToInteger(int32_t{-32769}); }));
}

TEST(ErrorModel, ComponentErrorCarriesNumberSourceAndDescription) {
    const HRESULT hr = Guarded(L"Orvilib10.clsKvOrviOSInfoA", [] { Raise(1234, L"My.Source", L"What went wrong"); });
    EXPECT_EQ(static_cast<HRESULT>(0x800A04D2), hr);
    const ErrorReport report = TakeErrorInfo();
    ASSERT_TRUE(report.present);
    EXPECT_EQ(L"My.Source", report.source);
    EXPECT_EQ(L"What went wrong", report.description);
}

TEST(ErrorModel, NotSupportedErrorIsTitlePlusSystemMetricsClass) {
    EXPECT_EQ(static_cast<HRESULT>(0x800A7149), Guarded(L"Orvilib10.any", [] { RaiseNotSupported(); }));
    const ErrorReport report = TakeErrorInfo();
    EXPECT_EQ(std::wstring(kTitle) + L".System Metrics Class", report.source);
    EXPECT_EQ(L"This functionality is not supported by the Operating System.", report.description);
}

TEST(ErrorModel, ErrorWithoutSourceTakesTheDefaultSourceAndStandardText) {
    EXPECT_EQ(static_cast<HRESULT>(0x800A000D), Guarded(L"Orvilib10.clsKvOrviUtilitesA", [] { Raise(errTypeMismatch); }));
    const ErrorReport report = TakeErrorInfo();
    EXPECT_EQ(L"Orvilib10.clsKvOrviUtilitesA", report.source);
    EXPECT_EQ(L"Type mismatch", report.description);
}

TEST(ErrorModel, ForeignFailureIsPassedOnUnchanged) {
    const HRESULT foreign = static_cast<HRESULT>(0x80040123);
    const HRESULT hr = Guarded(L"Orvilib10.mine", [&] {
        SetThreadErrorInfo(L"Other.Object", L"Its own words");
        Check(foreign);
    });
    EXPECT_EQ(foreign, hr);
    const ErrorReport report = TakeErrorInfo();
    EXPECT_EQ(L"Other.Object", report.source);
    EXPECT_EQ(L"Its own words", report.description);
}

namespace {
DWORD failingCalls = 0;
BOOL WINAPI FailingGetVersion(LPOSVERSIONINFOA) {
    ++failingCalls;
    SetLastError(1234);
    return FALSE;
}
}  // namespace

TEST(SystemBinding, MissingLibraryAndFunctionGive53And453) {
    const SystemFunction<BOOL(WINAPI*)(LPOSVERSIONINFOA)> noLibrary{"nosuchlibrary.dll", "GetVersionExA"};
    const SystemFunction<BOOL(WINAPI*)(LPOSVERSIONINFOA)> noFunction{"kernel32.dll", "NoSuchFunctionAtAll"};
    OSVERSIONINFOA record{};
    EXPECT_EQ(ErrorHResult(53), Guarded(L"x", [&] { noLibrary(&record); }));
    EXPECT_NE(std::wstring::npos, TakeErrorInfo().description.find(L"nosuchlibrary.dll"));
    EXPECT_EQ(ErrorHResult(453), Guarded(L"x", [&] { noFunction(&record); }));
    EXPECT_NE(std::wstring::npos, TakeErrorInfo().description.find(L"NoSuchFunctionAtAll"));
}

TEST(SystemBinding, SubstituteReplacesABoundFunctionAndCapturesLastError) {
    const SystemFunction<BOOL(WINAPI*)(LPOSVERSIONINFOA)> getVersion{"kernel32.dll", "GetVersionExA"};
    OSVERSIONINFOA record{};
    record.dwOSVersionInfoSize = sizeof record;
    EXPECT_TRUE(getVersion(&record));  // bound to the real one first
    {
        SubstituteScope scope;
        scope.Replace<decltype(&::GetVersionExA)>("KERNEL32.DLL", "GetVersionExA", &FailingGetVersion);
        failingCalls = 0;
        EXPECT_FALSE(getVersion(&record));
        EXPECT_EQ(1u, failingCalls);
        SetLastError(0);
        EXPECT_EQ(1234u, LastSystemError());
        scope.Remove("kernel32.dll", "GetVersionExA");
        EXPECT_EQ(ErrorHResult(453), Guarded(L"x", [&] { getVersion(&record); }));
        SetErrorInfo(0, nullptr);
    }
    EXPECT_TRUE(getVersion(&record));  // substitutes gone: the real one again
}

TEST(ThreadState, EachThreadHasItsOwnSlots) {
    ComPtr<IDispatch> mine = CreateComponent<IDispatch>(__uuidof(clsKvOrviOsVersionInfoA));
    CurrentThreadState().buddyObject = mine;
    bool otherThreadSawEmpty = false;
    RunOnOtherThread([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        otherThreadSawEmpty = !CurrentThreadState().buddyObject;
        CoUninitialize();
    });
    EXPECT_TRUE(otherThreadSawEmpty);
    EXPECT_EQ(mine.Get(), CurrentThreadState().buddyObject.Get());
    CurrentThreadState().buddyObject.Reset();
}

TEST(ClassFactory, UnknownClassAndAggregationAreRefused) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, DllGetClassObject(IID_IDispatch, IID_IClassFactory, factory.PutVoid()));
    ASSERT_EQ(S_OK, DllGetClassObject(__uuidof(clsKvOrviOsVersionInfoA), IID_IClassFactory, factory.PutVoid()));
    ComPtr<IUnknown> object;
    ComPtr<IUnknown> outer = ComPtr<IUnknown>::Adopt(factory.As<IUnknown>().Detach());
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer.Get(), IID_IUnknown, object.PutVoid()));
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, object.PutVoid()));
}

TEST(ClassFactory, CanUnloadOnlyWithoutObjectsAndLocks) {
    EXPECT_EQ(S_OK, DllCanUnloadNow());
    {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, DllGetClassObject(__uuidof(clsKvOrviIEVersionInfoA), IID_IClassFactory, factory.PutVoid()));
        factory->LockServer(TRUE);
        ComPtr<IDispatch> object;
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, object.PutVoid()));
        factory.Reset();
        EXPECT_EQ(S_FALSE, DllCanUnloadNow());
        object.Reset();
        EXPECT_EQ(S_FALSE, DllCanUnloadNow());  // still locked
        ASSERT_EQ(S_OK, DllGetClassObject(__uuidof(clsKvOrviIEVersionInfoA), IID_IClassFactory, factory.PutVoid()));
        factory->LockServer(FALSE);
    }
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

TEST(ClassFrame, EveryObjectSupportsErrorInfoForItsInterface) {
    auto record = CreateThroughFactory<_clsKvOrviOsVersionInfoA>(__uuidof(clsKvOrviOsVersionInfoA));
    auto support = record.As<ISupportErrorInfo>();
    ASSERT_TRUE(support);
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(__uuidof(_clsKvOrviOsVersionInfoA)));
    EXPECT_EQ(S_FALSE, support->InterfaceSupportsErrorInfo(IID_IClassFactory));
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, record->GetTypeInfo(0, 0, info.Put()));
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
    EXPECT_EQ(__uuidof(_clsKvOrviOsVersionInfoA), attributes->guid);
    info->ReleaseTypeAttr(attributes);
}

TEST(ClassFrame, UnknownLateBoundNameIsRefused) {
    auto record = CreateThroughFactory<IDispatch>(__uuidof(clsKvOrviOsVersionInfoA));
    EXPECT_EQ(DISP_E_UNKNOWNNAME, GetProperty(record.Get(), L"NoSuchMember").hr);
}

// A script's dictionary handed to a Collection parameter: seen through the
// Collection interface, its methods called by name.
TEST(CollectionAdapter, AnyObjectWithTheMethodsServesAsACollection) {
    const ComPtr<IDispatch> dictionary = CreateObjectByProgId(L"Scripting.Dictionary");
    ComPtr<IDispatch> adapted;
    ASSERT_EQ(S_OK, AsInterfaceOf(__uuidof(_Collection), dictionary.Get(), adapted));
    auto collection = adapted.As<_Collection>();
    ASSERT_TRUE(collection);
    Variant key = TextValue(L"k"), item = TextValue(L"v"), missing;
    V_VT(missing.Put()) = VT_ERROR;
    V_ERROR(missing.Put()) = DISP_E_PARAMNOTFOUND;
    // Arguments go on in their order (a dictionary takes its key first), and
    // those left out at the end not at all: the dictionary takes two.
    EXPECT_EQ(S_OK, collection->Add(key.Get(), item.Get(), missing.Get(), nullptr));
    EXPECT_TRUE(FAILED(collection->Add(key.Get(), item.Get(), nullptr, nullptr)));  // the key is held
    long count = 0;
    EXPECT_EQ(S_OK, collection->Count(&count));
    EXPECT_EQ(1, count);
    Variant found;
    EXPECT_EQ(S_OK, collection->Item(key.Get(), found.Put()));
    EXPECT_EQ(L"v", TextOf(found));
    ComPtr<IUnknown> enumerator;
    EXPECT_EQ(S_OK, collection->_NewEnum(enumerator.Put()));
    EXPECT_TRUE(enumerator.As<IEnumVARIANT>());
    EXPECT_EQ(S_OK, collection->Remove(key.Get()));
    EXPECT_EQ(S_OK, collection->Count(&count));
    EXPECT_EQ(0, count);

    // An object that is one already comes back as it is; nothing stands in for other interfaces.
    ComPtr<IDispatch> same;
    EXPECT_EQ(S_OK, AsInterfaceOf(__uuidof(_Collection), adapted.Get(), same));
    EXPECT_EQ(adapted.Get(), same.Get());
    ComPtr<IDispatch> none;
    EXPECT_EQ(E_NOINTERFACE, AsInterfaceOf(__uuidof(_clsKvOrviUtilitesWinInfoA), dictionary.Get(), none));
    SetErrorInfo(0, nullptr);
}
