// The settings store in the test prefix's HKEY_CURRENT_USER: round trips,
// the default value, deletion, names that would widen the target, and
// that nothing outside the application's key changes.
#include <string>
#include <vector>

#include "errors.h"
#include "registry_fixtures.h"
#include "settings/registry_settings.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

const std::wstring kAppKey = L"Software\\Zandrel\\Orvilib10";

class SettingsStore : public testing::Test {
protected:
    void SetUp() override { SetErrorInfo(0, nullptr); }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kAppKey.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, kAppKey.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Zandrel");  // only when nothing else is in it
    }

    static Bstr Text(std::wstring_view text) { return Bstr(text); }
    bool Save(std::wstring_view section, std::wstring_view key, std::wstring_view setting) {
        VARIANT_BOOL done = VARIANT_TRUE;
        EXPECT_EQ(S_OK, store->SaveSetting(Text(section).Get(), Text(key).Get(), Text(setting).Get(), &done));
        return done != VARIANT_FALSE;
    }
    std::wstring Read(std::wstring_view section, std::wstring_view key, std::wstring_view fallback = L"<default>") {
        Bstr value;
        EXPECT_EQ(S_OK, store->GetSetting(Text(section).Get(), Text(key).Get(), Text(fallback).Get(), value.Put()));
        return std::wstring(value.View());
    }
    bool Delete(std::wstring_view section, std::wstring_view key) {
        VARIANT_BOOL done = VARIANT_TRUE;
        EXPECT_EQ(S_OK, store->DeleteSetting(Text(section).Get(), Text(key).Get(), &done));
        return done != VARIANT_FALSE;
    }
    std::wstring SubKey(std::wstring_view section) {
        Bstr path;
        EXPECT_EQ(S_OK, store->SubKey(Text(section).Get(), path.Put()));
        return std::wstring(path.View());
    }

    ComPtr<_clsKvOrviUtilitesRegistryA> store = CreateRegistrySettings();
};

TEST_F(SettingsStore, PathFromCompanyApplicationAndSection) {
    EXPECT_EQ(L"Software\\Zandrel\\Orvilib10", SubKey(L""));
    EXPECT_EQ(S_OK, store->put_Company(Text(L"  Acme  ").Get()));
    EXPECT_EQ(S_OK, store->put_AppName(Text(L"Tool").Get()));
    EXPECT_EQ(L"Software\\Acme\\Tool\\Options", SubKey(L"Options"));
    Bstr company;
    store->get_Company(company.Put());
    EXPECT_EQ(L"Acme", company.View());

    // Empty (or only blanks) restores the start-up names, never an empty segment.
    for (const wchar_t* empty : {L"", L"   "}) {
        EXPECT_EQ(S_OK, store->put_Company(Text(empty).Get()));
        EXPECT_EQ(S_OK, store->put_AppName(Text(empty).Get()));
        EXPECT_EQ(L"Software\\Zandrel\\Orvilib10", SubKey(L""));
    }
    EXPECT_EQ(S_OK, store->put_Company(nullptr));
}

TEST_F(SettingsStore, CompanyOrApplicationWithABackslashIsRefused) {
    for (const wchar_t* name : {L"Acme\\Other", L"\\", L"..\\Microsoft"}) {
        EXPECT_EQ(ErrorHResult(errInvalidCall), store->put_Company(Text(name).Get()));
        const ErrorReport report = TakeErrorInfo();
        EXPECT_EQ(L"Orvilib10.clsKvOrviUtilitesRegistryA", report.source);
        EXPECT_NE(std::wstring::npos, report.description.find(L"backslash"));
        EXPECT_EQ(ErrorHResult(errInvalidCall), store->put_AppName(Text(name).Get()));
    }
    EXPECT_EQ(ErrorHResult(errInvalidCall), store->put_AppName(Text(std::wstring_view(L"A\0B", 3)).Get()));
    EXPECT_EQ(L"Software\\Zandrel\\Orvilib10", SubKey(L""));  // unchanged
}

TEST_F(SettingsStore, WriteReadAndDelete) {
    EXPECT_EQ(L"fallback", Read(L"Options", L"Colour", L"fallback"));  // no section yet
    ASSERT_TRUE(Save(L"Options", L"Colour", L"Blue"));
    EXPECT_EQ(L"Blue", Read(L"Options", L"Colour"));
    EXPECT_EQ(L"<default>", Read(L"Options", L"Missing"));
    ASSERT_TRUE(Save(L"Options", L"Colour", L"Green!"));
    EXPECT_EQ(L"Green!", Read(L"Options", L"Colour"));  // the last character too
    ASSERT_TRUE(Save(L"Options", L"Empty", L""));
    EXPECT_EQ(L"", Read(L"Options", L"Empty"));
    ASSERT_TRUE(Save(L"", L"Top", L"level"));
    EXPECT_EQ(L"level", Read(L"", L"Top"));

    EXPECT_TRUE(Delete(L"Options", L"Colour"));
    EXPECT_EQ(L"<default>", Read(L"Options", L"Colour"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kAppKey + L"\\Options"));  // the section stays
    EXPECT_FALSE(Delete(L"Options", L"Colour"));  // already gone
    EXPECT_FALSE(Delete(L"Nowhere", L"Colour"));
}

TEST_F(SettingsStore, StarMeansTheDefaultValue) {
    ASSERT_TRUE(Save(L"Options", L"*", L"unnamed"));
    EXPECT_EQ(L"unnamed", Read(L"Options", L"*"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kAppKey + L"\\Options", L""));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kAppKey + L"\\Options", L"*"));
    EXPECT_TRUE(Delete(L"Options", L"*"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kAppKey + L"\\Options", L""));
}

TEST_F(SettingsStore, StoredValuesOfOtherWritersReadBack) {
    // Written without terminator, and as zero bytes.
    auto bare = ScopedRegistryValue::Text(HKEY_CURRENT_USER, kAppKey + L"\\Other", L"bare", L"abc");
    auto none = ScopedRegistryValue::Text(HKEY_CURRENT_USER, kAppKey + L"\\Other", L"none", L"");
    // The text ends at its first NUL, whatever size the value reports.
    auto cut = ScopedRegistryValue::Text(HKEY_CURRENT_USER, kAppKey + L"\\Other", L"cut", std::wstring_view(L"ab\0cd\0", 6));
    EXPECT_EQ(L"ab", Read(L"Other", L"cut"));
    EXPECT_EQ(L"abc", Read(L"Other", L"bare"));
    EXPECT_EQ(L"<default>", Read(L"Other", L"none"));
}

TEST_F(SettingsStore, LongValuesRoundTrip) {
    std::wstring value;
    for (int i = 0; i < 20000; ++i) value += static_cast<wchar_t>(L'a' + i % 26);
    ASSERT_TRUE(Save(L"Big", L"value", value));
    EXPECT_EQ(value, Read(L"Big", L"value"));
    EXPECT_FALSE(Save(L"Big", L"nul", std::wstring_view(L"cut\0short", 9)));  // would not read back whole
    EXPECT_FALSE(Save(std::wstring(300, L's'), L"k", L"v"));  // longer than a key name may be
    EXPECT_EQ(L"<default>", Read(std::wstring(300, L's'), L"k"));
}

TEST_F(SettingsStore, DeletingASectionRemovesOnlyThatSection) {
    ASSERT_TRUE(Save(L"One", L"a", L"1"));
    ASSERT_TRUE(Save(L"Two", L"b", L"2"));
    ASSERT_TRUE(Save(L"Two\\Nested", L"c", L"3"));
    ASSERT_TRUE(Save(L"", L"top", L"0"));
    EXPECT_EQ(L"3", Read(L"Two\\Nested", L"c"));
    EXPECT_TRUE(Delete(L"Two\\Nested", L""));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAppKey + L"\\Two\\Nested"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kAppKey + L"\\Two"));
    EXPECT_TRUE(Delete(L"Two", L""));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAppKey + L"\\Two"));
    EXPECT_EQ(L"1", Read(L"One", L"a"));
    EXPECT_EQ(L"0", Read(L"", L"top"));
    // The application's own key is never deleted through an empty section.
    EXPECT_FALSE(Delete(L"", L""));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kAppKey));
}

TEST_F(SettingsStore, NamesThatWouldWidenTheTargetAreRefused) {
    ASSERT_TRUE(Save(L"Keep", L"k", L"v"));
    ASSERT_TRUE(Save(L"", L"top", L"0"));
    const std::wstring_view refused[] = {L"\\", L"\\Keep", L"Keep\\", L"Keep\\\\x", L"\\\\", std::wstring_view(L"\0Keep", 5),
                                         std::wstring_view(L"Ke\0ep", 5)};
    for (std::wstring_view section : refused) {
        EXPECT_FALSE(Save(section, L"k", L"new"));
        EXPECT_EQ(L"<default>", Read(section, L"k"));
        EXPECT_FALSE(Delete(section, L""));
        EXPECT_FALSE(Delete(section, L"k"));
    }
    EXPECT_FALSE(Delete(L"Keep", std::wstring_view(L"k\0x", 3)));
    EXPECT_EQ(L"v", Read(L"Keep", L"k"));
    EXPECT_EQ(L"0", Read(L"", L"top"));
}

TEST_F(SettingsStore, OddButHarmlessNamesStayInsideTheSection) {
    // "*" as a section is a key of that name; a backslash in a value name is
    // part of the name, not a path.
    ASSERT_TRUE(Save(L"*", L"k", L"star"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kAppKey + L"\\*"));
    EXPECT_EQ(L"star", Read(L"*", L"k"));
    ASSERT_TRUE(Save(L"Opt", L"a\\b", L"slash"));
    EXPECT_EQ(L"slash", Read(L"Opt", L"a\\b"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAppKey + L"\\Opt\\a"));
    EXPECT_TRUE(Delete(L"Opt", L"a\\b"));
    EXPECT_TRUE(Delete(L"*", L""));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAppKey + L"\\*"));
}

TEST_F(SettingsStore, NothingOutsideTheApplicationKeyChanges) {
    auto sibling = ScopedRegistryValue::Text(HKEY_CURRENT_USER, L"Software\\Zandrel\\Other application", L"v",
                                             std::wstring_view(L"keep\0", 5));
    // Wine rewrites its own settings (its fonts' code pages) as it likes.
    const auto before = RegistrySnapshot(HKEY_CURRENT_USER, L"Software", {L"Zandrel", L"Wine"});
    const auto siblingBefore = RegistrySnapshot(HKEY_CURRENT_USER, L"Software\\Zandrel", {L"Orvilib10"});
    ASSERT_FALSE(before.empty());

    const std::wstring_view sections[] = {L"", L"A", L"A\\B", L"\\", L"..", L"..\\..", L"\\Software", L"*", L"A\\\\B",
                                          std::wstring_view(L"\0", 1), std::wstring(300, L'x')};
    const std::wstring_view keys[] = {L"", L"*", L"k", L"..\\k", L"\\"};
    for (std::wstring_view section : sections)
        for (std::wstring_view key : keys) {
            Save(section, key, L"value");
            Read(section, key);
        }
    for (std::wstring_view section : sections)
        for (std::wstring_view key : keys) Delete(section, key);

    EXPECT_EQ(before, RegistrySnapshot(HKEY_CURRENT_USER, L"Software", {L"Zandrel", L"Wine"}));
    EXPECT_EQ(siblingBefore, RegistrySnapshot(HKEY_CURRENT_USER, L"Software\\Zandrel", {L"Orvilib10"}));
}

LONG WINAPI DeniedOpen(HKEY, LPCSTR, DWORD, REGSAM, PHKEY) { return ERROR_ACCESS_DENIED; }
LONG WINAPI DeniedCreate(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD) {
    return ERROR_ACCESS_DENIED;
}

TEST_F(SettingsStore, RegistryFailuresAreAnswersNotErrors) {
    SubstituteScope scope;
    scope.Replace<decltype(&::RegOpenKeyExA)>("advapi32.dll", "RegOpenKeyExA", &DeniedOpen);
    scope.Replace<decltype(&::RegCreateKeyExA)>("advapi32.dll", "RegCreateKeyExA", &DeniedCreate);
    EXPECT_FALSE(Save(L"A", L"k", L"v"));
    EXPECT_EQ(L"<default>", Read(L"A", L"k"));
    EXPECT_FALSE(Delete(L"A", L"k"));
    EXPECT_FALSE(Delete(L"A", L""));
    EXPECT_FALSE(TakeErrorInfo().present);
    // A registry function that is missing altogether is an error of its own.
    scope.Remove("advapi32.dll", "RegCreateKeyExA");
    VARIANT_BOOL done = VARIANT_TRUE;
    EXPECT_EQ(ErrorHResult(errFunctionNotFound), store->SaveSetting(Text(L"A").Get(), Text(L"k").Get(), Text(L"v").Get(), &done));
    EXPECT_EQ(VARIANT_FALSE, done);
}

TEST_F(SettingsStore, LateBoundThroughItsOwnTypeInformation) {
    ComPtr<IDispatch> late = store.As<IDispatch>();
    ASSERT_TRUE(late);
    EXPECT_EQ(0x60030005, DispatchIdOf(late.Get(), L"SubKey"));
    EXPECT_EQ(0x68030001, DispatchIdOf(late.Get(), L"Company"));
    EXPECT_EQ(S_OK, PutProperty(late.Get(), L"Company", TextValue(L" Acme ")).hr);
    EXPECT_EQ(L"Acme", TextOf(GetProperty(late.Get(), L"Company").result));
    EXPECT_EQ(L"Software\\Acme\\Orvilib10\\Options", TextOf(CallMethod(late.Get(), L"SubKey", {TextValue(L"Options")}).result));
    EXPECT_EQ(S_OK, PutProperty(late.Get(), L"Company", TextValue(L"")).hr);

    LateCall saved = CallMethod(late.Get(), L"SaveSetting", {TextValue(L"Late"), TextValue(L"k"), TextValue(L"v")});
    ASSERT_EQ(S_OK, saved.hr);
    EXPECT_EQ(VT_BOOL, saved.result.Type());
    EXPECT_EQ(VARIANT_TRUE, V_BOOL(saved.result.Get()));
    EXPECT_EQ(L"v", TextOf(CallMethod(late.Get(), L"GetSetting", {TextValue(L"Late"), TextValue(L"k"), TextValue(L"d")}).result));
    EXPECT_EQ(L"d", TextOf(CallMethod(late.Get(), L"GetSetting", {TextValue(L"Late"), TextValue(L"x"), TextValue(L"d")}).result));
    EXPECT_EQ(VARIANT_TRUE, V_BOOL(CallMethod(late.Get(), L"DeleteSetting", {TextValue(L"Late"), TextValue(L"")}).result.Get()));

    LateCall refused = PutProperty(late.Get(), L"AppName", TextValue(L"A\\B"));
    EXPECT_EQ(DISP_E_EXCEPTION, refused.hr);
    EXPECT_EQ(L"Orvilib10.clsKvOrviUtilitesRegistryA", refused.Source());
    EXPECT_EQ(DISP_E_UNKNOWNNAME, CallMethod(late.Get(), L"NoSuchMember").hr);
}

}  // namespace
