// BIOS data: registry values of the NT family written into the test
// prefix, the ROM texts of the 95/98 family over a substituted memory
// image, and the guarded reader against memory that is not there.
#include <cstring>
#include <string>
#include <vector>

#include "bios/bios_data_module.h"
#include "errors.h"
#include "orvilib10_h.h"
#include "registry_fixtures.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;
namespace bas = orvi::basKvOrviBiosDataA;

namespace {

const wchar_t kSystemKey[] = L"Hardware\\Description\\System";
const wchar_t kTestKey[] = L"Software\\Orvilib10 BIOS tests";

std::wstring Member(_clsKvOrviBiosDataA* bios, HRESULT (STDMETHODCALLTYPE _clsKvOrviBiosDataA::*get)(BSTR*),
                    HRESULT expected = S_OK) {
    Bstr text;
    EXPECT_EQ(expected, (bios->*get)(text.Put()));
    return std::wstring(text.View());
}

std::wstring LocaleDate(const wchar_t* text) {
    DATE date = 0;
    if (FAILED(VarDateFromStr(const_cast<LPOLESTR>(text), LOCALE_USER_DEFAULT, 0, &date))) return L"(no date)";
    Bstr written;
    VarBstrFromDate(date, LOCALE_USER_DEFAULT, 0, written.Put());
    return std::wstring(written.View());
}

class NtBios : public testing::Test {
protected:
    ComPtr<_clsKvOrviBiosDataA> bios = CreateThroughFactory<_clsKvOrviBiosDataA>(__uuidof(clsKvOrviBiosDataA));
};

TEST_F(NtBios, MembersReturnTheRegistryValues) {
    auto date = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kSystemKey, L"SystemBiosDate", std::wstring_view(L"06/19/00\0", 9));
    auto version = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kSystemKey, L"SystemBiosVersion",
                                             std::wstring_view(L"ACPI - 1\0BIOS 1.2\0\0", 19), REG_MULTI_SZ);
    auto videoDate = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kSystemKey, L"VideoBiosDate", std::wstring_view(L"01/02/03\0", 9));
    auto videoVersion = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kSystemKey, L"VideoBiosVersion",
                                                  std::wstring_view(L"A\0B\0\0", 5), REG_MULTI_SZ);
    EXPECT_EQ(L"06/19/00", Member(bios.Get(), &_clsKvOrviBiosDataA::get_SystemBiosDate));
    EXPECT_EQ(L"Unavailable", Member(bios.Get(), &_clsKvOrviBiosDataA::get_SystemBiosVersion));  // not a date
    EXPECT_EQ(L"01/02/03", Member(bios.Get(), &_clsKvOrviBiosDataA::get_VideoBiosDate));
    EXPECT_EQ(std::wstring(L"A\0B", 3), Member(bios.Get(), &_clsKvOrviBiosDataA::get_VideoBiosVersion));
    EXPECT_EQ(L"Unavailable on NT", Member(bios.Get(), &_clsKvOrviBiosDataA::get_VideoBiosCopyRight));
    EXPECT_EQ(L"Unvailable on NT", Member(bios.Get(), &_clsKvOrviBiosDataA::get_SystemBiosCopyRight));
    EXPECT_EQ(L"Unvailable on NT", Member(bios.Get(), &_clsKvOrviBiosDataA::get_SystemBiosExtraInfo));
}

TEST_F(NtBios, AVersionThatReadsAsADateIsWrittenInTheUserLocale) {
    auto version = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kSystemKey, L"SystemBiosVersion",
                                             std::wstring_view(L"2000-06-19\0", 11));
    EXPECT_EQ(LocaleDate(L"2000-06-19"), Member(bios.Get(), &_clsKvOrviBiosDataA::get_SystemBiosVersion));
}

TEST_F(NtBios, AbsentValuesGiveEmptyTextAndUnavailable) {
    ScopedAbsentValue a(HKEY_LOCAL_MACHINE, kSystemKey, L"SystemBiosDate"), b(HKEY_LOCAL_MACHINE, kSystemKey, L"SystemBiosVersion"),
        c(HKEY_LOCAL_MACHINE, kSystemKey, L"VideoBiosDate"), d(HKEY_LOCAL_MACHINE, kSystemKey, L"VideoBiosVersion");
    EXPECT_EQ(L"", Member(bios.Get(), &_clsKvOrviBiosDataA::get_SystemBiosDate));
    EXPECT_EQ(L"Unavailable", Member(bios.Get(), &_clsKvOrviBiosDataA::get_SystemBiosVersion));
    EXPECT_EQ(L"", Member(bios.Get(), &_clsKvOrviBiosDataA::get_VideoBiosDate));
    EXPECT_EQ(L"", Member(bios.Get(), &_clsKvOrviBiosDataA::get_VideoBiosVersion));
    EXPECT_FALSE(TakeErrorInfo().present);
}

TEST_F(NtBios, EmptyStoredTextIsEmptyNotAnError) {
    auto date = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kSystemKey, L"SystemBiosDate", L"");
    auto video = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kSystemKey, L"VideoBiosVersion", std::wstring_view(L"\0", 1), REG_MULTI_SZ);
    EXPECT_EQ(L"", Member(bios.Get(), &_clsKvOrviBiosDataA::get_SystemBiosDate));
    EXPECT_EQ(L"", Member(bios.Get(), &_clsKvOrviBiosDataA::get_VideoBiosVersion));
}

TEST_F(NtBios, LateBoundByName) {
    auto date = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kSystemKey, L"SystemBiosDate", std::wstring_view(L"06/19/00\0", 9));
    ComPtr<IDispatch> late = bios.As<IDispatch>();
    EXPECT_EQ(0x68030006, DispatchIdOf(late.Get(), L"VideoBiosDate"));
    EXPECT_EQ(0x68030000, DispatchIdOf(late.Get(), L"SystemBiosExtraInfo"));
    EXPECT_EQ(L"06/19/00", TextOf(GetProperty(late.Get(), L"SystemBiosDate").result));
    EXPECT_NE(S_OK, PutProperty(late.Get(), L"SystemBiosDate", TextValue(L"x")).hr);  // read-only
}

TEST(BiosRegistryReader, ConvertsByType) {
    const DWORD number = 0xFFFFFFFE;
    const BYTE bytes[] = {1, 2, 3};
    const std::wstring big(5000, L'x');
    ScopedRegistryValue dword(HKEY_CURRENT_USER, kTestKey, L"dword", REG_DWORD, &number, 4);
    ScopedRegistryValue binary(HKEY_CURRENT_USER, kTestKey, L"binary", REG_BINARY, bytes, 3);
    ScopedRegistryValue emptyBinary(HKEY_CURRENT_USER, kTestKey, L"nothing", REG_BINARY, bytes, 0);
    ScopedRegistryValue qword(HKEY_CURRENT_USER, kTestKey, L"qword", REG_QWORD, bytes, 0);
    auto large = ScopedRegistryValue::Text(HKEY_CURRENT_USER, kTestKey, L"large", big + L'\0');
    auto expand = ScopedRegistryValue::Text(HKEY_CURRENT_USER, kTestKey, L"expand", std::wstring_view(L"%TEMP%\\a\0", 9), REG_EXPAND_SZ);
    auto bare = ScopedRegistryValue::Text(HKEY_CURRENT_USER, kTestKey, L"bare", L"abc");  // stored without terminator

    Variant value = bas::ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, L"dword");
    EXPECT_EQ(VT_I4, value.Type());
    EXPECT_EQ(-2, V_I4(value.Get()));

    value = bas::ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, L"binary");
    ASSERT_EQ(VT_ARRAY | VT_UI1, value.Type());
    LONG lower = -1, upper = -1;
    SafeArrayGetLBound(V_ARRAY(value.Get()), 1, &lower);
    SafeArrayGetUBound(V_ARRAY(value.Get()), 1, &upper);
    EXPECT_EQ(0, lower);
    EXPECT_EQ(2, upper);
    EXPECT_EQ(0, std::memcmp(V_ARRAY(value.Get())->pvData, bytes, 3));

    value = bas::ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, L"nothing");
    ASSERT_EQ(VT_ARRAY | VT_UI1, value.Type());
    SafeArrayGetUBound(V_ARRAY(value.Get()), 1, &upper);
    EXPECT_EQ(-1, upper);

    EXPECT_EQ(big, bas::TextOf(bas::ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, L"large")));
    EXPECT_EQ(L"%TEMP%\\a", bas::TextOf(bas::ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, L"expand")));
    EXPECT_EQ(L"abc", bas::TextOf(bas::ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, L"bare")));

    // Other types, missing values and missing keys keep the default.
    EXPECT_EQ(VT_EMPTY, bas::ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, L"qword").Type());
    EXPECT_EQ(VT_EMPTY, bas::ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, L"missing").Type());
    EXPECT_EQ(L"fallback", TextOf(bas::ReadRegistryValue(HKEY_CURRENT_USER, L"Software\\No such key here", L"x",
                                                         TextValue(L"fallback"))));
    EXPECT_EQ(L"7", bas::TextOf(LongValue(7)));
}

// A memory image of the first megabyte's ROM area, served through the
// guarded read the reader uses.
constexpr std::uintptr_t kImageBase = 0xC0000;
std::vector<char> image;
BOOL WINAPI ReadImage(HANDLE, LPCVOID at, LPVOID buffer, SIZE_T size, SIZE_T* read) {
    const auto address = reinterpret_cast<std::uintptr_t>(at);
    if (read) *read = 0;
    if (address < kImageBase || address + size > kImageBase + image.size()) return FALSE;
    std::memcpy(buffer, image.data() + (address - kImageBase), size);
    if (read) *read = size;
    return TRUE;
}
void Put(std::uint32_t address, std::string_view text) {
    std::memcpy(image.data() + (address - kImageBase), text.data(), text.size());
}

BOOL WINAPI Windows98(LPOSVERSIONINFOA record) {
    record->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    record->dwMajorVersion = 4;
    record->dwMinorVersion = 10;
    return TRUE;
}

class RomBios : public testing::Test {
protected:
    void SetUp() override {
        image.assign(0x40000, '\0');
        scope.Replace<decltype(&::ReadProcessMemory)>("kernel32.dll", "ReadProcessMemory", &ReadImage);
        scope.Replace<decltype(&::GetVersionExA)>("kernel32.dll", "GetVersionExA", &Windows98);
        bios = CreateThroughFactory<_clsKvOrviBiosDataA>(__uuidof(clsKvOrviBiosDataA));
    }
    SubstituteScope scope;
    ComPtr<_clsKvOrviBiosDataA> bios;
};

const wchar_t kChipKey[] = L"System\\CurrentControlSet\\Services\\Class\\Display\\0000\\INFO";

TEST_F(RomBios, MembersReadTheRomTexts) {
    Put(0xC0048, std::string_view("Video BIOS v1.2\r\n(C) Video Corp\0", 33));
    Put(0xC00A8, std::string_view("12345678ABCDEFGH\0", 17));
    Put(0xFE061, std::string_view("System BIOS 4.51PG\0", 19));
    Put(0xFE091, std::string_view("(C) BIOS Makers\0", 16));
    Put(0xFEC71, std::string_view("Extra info\0", 11));
    Put(0xFFFF5, std::string_view("06/19/00\0", 9));
    auto chip = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kChipKey, L"ChipType", std::wstring_view(L"S3 Trio\0", 8));

    EXPECT_EQ(L"ABCDEFGH", Member(bios.Get(), &_clsKvOrviBiosDataA::get_VideoBiosDate));
    EXPECT_EQ(L"Video BIOS v1.2\r\nChipType: S3 Trio", Member(bios.Get(), &_clsKvOrviBiosDataA::get_VideoBiosVersion));
    EXPECT_EQ(L"(C) Video Corp", Member(bios.Get(), &_clsKvOrviBiosDataA::get_VideoBiosCopyRight));
    EXPECT_EQ(L"System BIOS 4.51PG", Member(bios.Get(), &_clsKvOrviBiosDataA::get_SystemBiosVersion));
    EXPECT_EQ(L"(C) BIOS Makers", Member(bios.Get(), &_clsKvOrviBiosDataA::get_SystemBiosCopyRight));
    EXPECT_EQ(L"Extra info", Member(bios.Get(), &_clsKvOrviBiosDataA::get_SystemBiosExtraInfo));
    EXPECT_EQ(L"06/19/00", Member(bios.Get(), &_clsKvOrviBiosDataA::get_SystemBiosDate));
}

TEST_F(RomBios, VideoTextWithoutLineBreak) {
    Put(0xC0048, std::string_view("Video BIOS\0", 11));
    EXPECT_EQ(L"Video BIOS\r\nChipType: ", Member(bios.Get(), &_clsKvOrviBiosDataA::get_VideoBiosVersion));
    EXPECT_EQ(L"ideo BIOS", Member(bios.Get(), &_clsKvOrviBiosDataA::get_VideoBiosCopyRight));
    EXPECT_EQ(L"", Member(bios.Get(), &_clsKvOrviBiosDataA::get_VideoBiosDate));  // shorter than nine characters
}

TEST_F(RomBios, TextEndsWhereTheMemoryDoes) {
    // The last bytes below one megabyte without a NUL: the text stops at the end.
    Put(0xFFFF5, std::string_view("06/19/00ABC", 11));
    EXPECT_EQ(L"06/19/00ABC", Member(bios.Get(), &_clsKvOrviBiosDataA::get_SystemBiosDate));
    // Nothing mapped at all.
    image.clear();
    EXPECT_EQ(L"", Member(bios.Get(), &_clsKvOrviBiosDataA::get_SystemBiosVersion));
    EXPECT_EQ(L"", Member(bios.Get(), &_clsKvOrviBiosDataA::get_VideoBiosCopyRight));
}

TEST(GuardedReader, UnreadableMemoryEndsTheTextInsteadOfFaulting) {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const size_t page = system.dwPageSize;
    auto* block = static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_TRUE(block);
    std::memset(block, 'A', page);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(block + page, page, PAGE_NOACCESS, &old));
    const auto tail = reinterpret_cast<std::uintptr_t>(block + page - 10);
    EXPECT_EQ(std::wstring(10, L'A'), bas::StringAtAddress(tail, 0x10000));
    EXPECT_EQ(std::wstring(page, L'A'), bas::StringAtAddress(reinterpret_cast<std::uintptr_t>(block), 0x10000));
    EXPECT_EQ(std::wstring(5, L'A'), bas::StringAtAddress(reinterpret_cast<std::uintptr_t>(block), 5));
    VirtualFree(block, 0, MEM_RELEASE);

    // The ROM addresses on a system that does not map them, and address 0.
    bas::StringAtAddress(std::uint32_t{0xC0048});  // returns whatever it finds
    EXPECT_EQ(L"", bas::StringAtAddress(std::uint32_t{0}));
}

}  // namespace
