// System metrics over a substituted metrics table and display, the platform
// guards over substituted releases, and the live values under Wine.
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "orvilib10_h.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

constexpr HRESULT kNotSupported = static_cast<HRESULT>(0x800A7149);
constexpr HRESULT kDivisionByZero = static_cast<HRESULT>(0x800A000B);
constexpr wchar_t kNotSupportedSource[] = L"Orvilib10.System Metrics Class";
constexpr wchar_t kNotSupportedText[] = L"This functionality is not supported by the Operating System.";

// The substituted system: a metrics table that records every index asked
// for, and a screen with its own pixels per inch in each direction.
struct FakeSystem {
    std::vector<int> asked;
    std::map<int, int> values;
    int dpiX = 96, dpiY = 120;
    HDC screen = reinterpret_cast<HDC>(static_cast<INT_PTR>(0x5C0));
    int dcsTaken = 0, dcsReleased = 0;
    bool releasedOther = false;
    // Every index has a value of its own unless set, so a wrong index shows.
    int ValueOf(int index) const {
        const auto found = values.find(index);
        return found != values.end() ? found->second : 100 + index;
    }
};
FakeSystem* fake = nullptr;

int WINAPI FakeGetSystemMetrics(int index) {
    fake->asked.push_back(index);
    return fake->ValueOf(index);
}
HDC WINAPI FakeGetDC(HWND window) {
    if (window || !fake->screen) return nullptr;
    ++fake->dcsTaken;
    return fake->screen;
}
int WINAPI FakeReleaseDC(HWND, HDC dc) {
    ++fake->dcsReleased;
    if (dc != fake->screen) fake->releasedOther = true;
    return 1;
}
int WINAPI FakeGetDeviceCaps(HDC dc, int index) {
    if (dc != fake->screen) return 0;
    return index == LOGPIXELSX ? fake->dpiX : index == LOGPIXELSY ? fake->dpiY : 0;
}

class MetricsTest : public testing::Test {
protected:
    void SetUp() override {
        fake = &system;
        scope.Replace<decltype(&::GetSystemMetrics)>("user32.dll", "GetSystemMetrics", &FakeGetSystemMetrics);
        scope.Replace<decltype(&::GetDC)>("user32.dll", "GetDC", &FakeGetDC);
        scope.Replace<decltype(&::ReleaseDC)>("user32.dll", "ReleaseDC", &FakeReleaseDC);
        scope.Replace<decltype(&::GetDeviceCaps)>("gdi32.dll", "GetDeviceCaps", &FakeGetDeviceCaps);
        metrics = CreateThroughFactory<_clsKvOrviSystemMetricsA>(__uuidof(clsKvOrviSystemMetricsA));
        ASSERT_TRUE(metrics);
    }
    void TearDown() override {
        metrics.Reset();
        EXPECT_EQ(system.dcsTaken, system.dcsReleased) << "every screen DC goes back";
        EXPECT_FALSE(system.releasedOther);
        fake = nullptr;
    }
    void UseTwips(bool twips) {
        Variant ignored;
        ASSERT_EQ(S_OK, metrics->get_ReturnUnits(twips ? VARIANT_TRUE : VARIANT_FALSE, ignored.Put()));
    }
    FakeSystem system;
    SubstituteScope scope;
    ComPtr<_clsKvOrviSystemMetricsA> metrics;
};

enum Axis { H, V };

// A size member called with one request value.
using SizeCall = std::function<HRESULT(_clsKvOrviSystemMetricsA*, long request, long* result)>;
struct SizeFamily {
    const char* member;
    SizeCall call;
    std::vector<std::pair<int, Axis>> rows;  // metric and axis, by request value
};

const std::vector<SizeFamily>& SizeFamilies() {
    static const std::vector<SizeFamily> families = {
        {"IconSize", [](auto* m, long r, long* out) { return m->IconSize(static_cast<eIconMetric>(r), out); },
         {{11, H}, {12, V}, {38, H}, {39, V}, {13, H}, {14, V}, {49, H}, {50, V}}},
        {"NonClientSize", [](auto* m, long r, long* out) { return m->NonClientSize(static_cast<eNCMetric>(r), out); },
         {{71, H}, {72, V}, {15, V}, {54, H}, {55, V}, {4, V}, {30, H}, {31, V}, {51, V}, {52, H}, {53, V}}},
        {"RectSize", [](auto* m, long r, long* out) { return m->RectSize(static_cast<eRectMetric>(r), out); },
         {{36, H}, {37, V}, {68, H}, {69, V}}},
        {"ScrollBarSize", [](auto* m, long r, long* out) { return m->ScrollBarSize(static_cast<eScrollBarMetric>(r), out); },
         {{21, H}, {3, V}, {2, H}, {20, V}, {10, H}, {9, V}}},
        {"VirtualScreenSize",
         [](auto* m, long r, long* out) { return m->VirtualScreenSize(static_cast<eVirtualScreenMetric>(r), out); },
         {{76, H}, {77, V}, {78, H}, {79, V}}},
        {"WindowSize", [](auto* m, long r, long* out) { return m->WindowSize(static_cast<eWindowMetric>(r), out); },
         {{16, H}, {17, V}, {28, H}, {29, V}, {34, H}, {35, V}, {59, H}, {60, V}, {61, H}, {62, V}, {57, H}, {58, V},
          {47, H}, {48, V}}},
        {"KanjiWindowHeight", [](auto* m, long, long* out) { return m->get_KanjiWindowHeight(out); }, {{18, V}}},
        {"ScreenWidth", [](auto* m, long, long* out) { return m->get_ScreenWidth(out); }, {{0, H}}},
        {"ScreenHeight", [](auto* m, long, long* out) { return m->get_ScreenHeight(out); }, {{1, V}}},
    };
    return families;
}

TEST_F(MetricsTest, EverySizeAsksItsMetricAndConvertsAlongItsAxis) {
    for (const SizeFamily& family : SizeFamilies()) {
        for (std::size_t request = 0; request < family.rows.size(); ++request) {
            const auto [index, axis] = family.rows[request];
            SCOPED_TRACE(std::string(family.member) + " " + std::to_string(request));
            long pixels = -1, twips = -1;
            UseTwips(false);
            system.asked.clear();
            ASSERT_EQ(S_OK, family.call(metrics.Get(), static_cast<long>(request), &pixels));
            EXPECT_EQ(std::vector<int>{index}, system.asked);
            EXPECT_EQ(system.ValueOf(index), pixels);
            UseTwips(true);
            system.asked.clear();
            ASSERT_EQ(S_OK, family.call(metrics.Get(), static_cast<long>(request), &twips));
            EXPECT_EQ(std::vector<int>{index}, system.asked);
            EXPECT_EQ(system.ValueOf(index) * (axis == H ? 15 : 12), twips);
        }
    }
}

TEST_F(MetricsTest, BorderSizeIsALongInPixelsAndAnExactDoubleInTwips) {
    const std::pair<int, Axis> rows[] = {{5, H}, {6, V}, {45, H}, {46, V}, {7, H}, {8, V}, {32, H}, {33, V}};
    system.dpiX = 128;  // 11.25 twips per pixel: the product is not rounded
    for (long request = 0; request < 8; ++request) {
        const auto [index, axis] = rows[request];
        SCOPED_TRACE(request);
        Variant pixels, twips;
        UseTwips(false);
        system.asked.clear();
        ASSERT_EQ(S_OK, metrics->BorderSize(static_cast<eBorderMetric>(request), pixels.Put()));
        EXPECT_EQ(std::vector<int>{index}, system.asked);
        ASSERT_EQ(VT_I4, pixels.Type());
        EXPECT_EQ(system.ValueOf(index), V_I4(pixels.Get()));
        UseTwips(true);
        ASSERT_EQ(S_OK, metrics->BorderSize(static_cast<eBorderMetric>(request), twips.Put()));
        ASSERT_EQ(VT_R8, twips.Type());
        EXPECT_DOUBLE_EQ(system.ValueOf(index) * (axis == H ? 11.25 : 12.0), V_R8(twips.Get()));
    }
    system.values[5] = 1;
    system.dpiX = 96;
    Variant one;
    ASSERT_EQ(S_OK, metrics->BorderSize(BorderWidth, one.Put()));
    ASSERT_EQ(VT_R8, one.Type());
    EXPECT_EQ(15.0, V_R8(one.Get()));
}

TEST_F(MetricsTest, RequestsOutsideTheEnumerationReadNoMetricAndGiveZero) {
    for (const SizeFamily& family : SizeFamilies()) {
        if (family.rows.size() == 1) continue;  // takes no request
        for (long request : {-1L, static_cast<long>(family.rows.size()), 0x7FFFFFFFL, -0x7FFFFFFF - 1L}) {
            for (bool twips : {false, true}) {
                SCOPED_TRACE(std::string(family.member) + " " + std::to_string(request) + (twips ? " twips" : " pixels"));
                UseTwips(twips);
                system.asked.clear();
                long size = -1;
                EXPECT_EQ(S_OK, family.call(metrics.Get(), request, &size));
                EXPECT_EQ(0, size);
                EXPECT_TRUE(system.asked.empty());
            }
        }
    }
    for (long request : {-1L, 8L}) {
        Variant pixels, twips;
        UseTwips(false);
        EXPECT_EQ(S_OK, metrics->BorderSize(static_cast<eBorderMetric>(request), pixels.Put()));
        EXPECT_EQ(VT_EMPTY, pixels.Type());
        UseTwips(true);
        EXPECT_EQ(S_OK, metrics->BorderSize(static_cast<eBorderMetric>(request), twips.Put()));
        ASSERT_EQ(VT_R4, twips.Type());
        EXPECT_EQ(0.0f, V_R4(twips.Get()));
    }
    EXPECT_TRUE(system.asked.empty());
}

TEST_F(MetricsTest, TwipsRoundToTheNearestEvenAndFollowTheDisplay) {
    system.dpiX = 128;  // 11.25 twips per pixel
    UseTwips(true);
    const std::pair<int, long> rows[] = {{2, 22}, {6, 68}, {1, 11}, {3, 34}, {-2, -22}, {-6, -68}, {0, 0}};
    for (const auto& [pixels, twips] : rows) {
        system.values[76] = pixels;
        long size = -1;
        ASSERT_EQ(S_OK, metrics->VirtualScreenSize(vLeft, &size));
        EXPECT_EQ(twips, size) << pixels << " pixels";
    }
    // The factor is read again at each call.
    system.values[0] = 1024;
    system.dpiX = 96;
    long width = 0;
    metrics->get_ScreenWidth(&width);
    EXPECT_EQ(15360, width);
    system.dpiX = 120;
    metrics->get_ScreenWidth(&width);
    EXPECT_EQ(12288, width);
}

TEST_F(MetricsTest, ReturnUnitsSwitchesThisInstanceOnlyAndReturnsEmpty) {
    system.values[0] = 1024;
    auto other = CreateThroughFactory<_clsKvOrviSystemMetricsA>(__uuidof(clsKvOrviSystemMetricsA));
    long width = 0;
    ASSERT_EQ(S_OK, metrics->get_ScreenWidth(&width));
    EXPECT_EQ(1024, width);
    for (VARIANT_BOOL argument : {VARIANT_TRUE, VARIANT_BOOL{1}, VARIANT_BOOL{2}}) {
        Variant returned;
        returned = LongValue(7);
        ASSERT_EQ(S_OK, metrics->get_ReturnUnits(argument, returned.Put()));
        EXPECT_EQ(VT_EMPTY, returned.Type());
        metrics->get_ScreenWidth(&width);
        EXPECT_EQ(15360, width) << "any non-zero argument selects twips";
    }
    other->get_ScreenWidth(&width);
    EXPECT_EQ(1024, width);
    Variant returned;
    ASSERT_EQ(S_OK, metrics->get_ReturnUnits(VARIANT_FALSE, returned.Put()));
    EXPECT_EQ(VT_EMPTY, returned.Type());
    metrics->get_ScreenWidth(&width);
    EXPECT_EQ(1024, width);
}

TEST_F(MetricsTest, DisplayWithoutPixelsPerInchIsDivisionByZero) {
    UseTwips(true);
    long size = -1;
    system.dpiY = 0;
    EXPECT_EQ(kDivisionByZero, metrics->get_ScreenHeight(&size));
    EXPECT_EQ(L"Orvilib10.clsKvOrviSystemMetricsA", TakeErrorInfo().source);
    EXPECT_EQ(0, size);
    EXPECT_EQ(1, system.dcsReleased);
    system.dpiY = 120;
    system.screen = nullptr;  // no screen DC to be had
    EXPECT_EQ(kDivisionByZero, metrics->get_ScreenHeight(&size));
    Variant border;
    EXPECT_EQ(kDivisionByZero, metrics->BorderSize(BorderHeight, border.Put()));
    EXPECT_EQ(VT_EMPTY, border.Type());
    EXPECT_EQ(1, system.dcsReleased);
    // Pixels need no display query.
    UseTwips(false);
    EXPECT_EQ(S_OK, metrics->get_ScreenHeight(&size));
}

TEST_F(MetricsTest, FlagsAreTrueForAnyNonZeroMetric) {
    using FlagCall = HRESULT (STDMETHODCALLTYPE _clsKvOrviSystemMetricsA::*)(VARIANT_BOOL*);
    const struct {
        const char* member;
        FlagCall call;
        int index;
    } rows[] = {
        {"DBCSEnabled", &_clsKvOrviSystemMetricsA::get_DBCSEnabled, 42},
        {"DebugVersion", &_clsKvOrviSystemMetricsA::get_DebugVersion, 22},
        {"IMMEnabled", &_clsKvOrviSystemMetricsA::get_IMMEnabled, 82},
        {"MenuDropAlignRight", &_clsKvOrviSystemMetricsA::get_MenuDropAlignRight, 40},
        {"MidEastSupport", &_clsKvOrviSystemMetricsA::get_MidEastSupport, 74},
        {"MouseInstalled", &_clsKvOrviSystemMetricsA::get_MouseInstalled, 19},
        {"MouseWheelPresent", &_clsKvOrviSystemMetricsA::get_MouseWheelPresent, 75},
        {"PenSupport", &_clsKvOrviSystemMetricsA::get_PenSupport, 41},
        {"SameColorFormat", &_clsKvOrviSystemMetricsA::get_SameColorFormat, 81},
        {"Secure", &_clsKvOrviSystemMetricsA::get_Secure, 44},
        {"ShowSounds", &_clsKvOrviSystemMetricsA::get_ShowSounds, 70},
        {"SlowMachine", &_clsKvOrviSystemMetricsA::get_SlowMachine, 73},
        {"SwapButtons", &_clsKvOrviSystemMetricsA::get_SwapButtons, 23},
        {"TerminalServicesClientSession", &_clsKvOrviSystemMetricsA::get_TerminalServicesClientSession, 0x1000},
    };
    UseTwips(true);  // flags ignore the units
    for (const auto& row : rows) {
        for (const auto& [metric, expected] : {std::pair{0, VARIANT_FALSE}, {1, VARIANT_TRUE}, {2, VARIANT_TRUE}, {-1, VARIANT_TRUE}}) {
            SCOPED_TRACE(std::string(row.member) + " " + std::to_string(metric));
            system.values[row.index] = metric;
            system.asked.clear();
            VARIANT_BOOL flag = 7;
            ASSERT_EQ(S_OK, (metrics.Get()->*row.call)(&flag));
            EXPECT_EQ(expected, flag);
            EXPECT_EQ(std::vector<int>{row.index}, system.asked);
        }
    }
    EXPECT_EQ(0, system.dcsTaken);
}

TEST_F(MetricsTest, CountsModesAndNetworkBit) {
    long count = 0;
    system.values[43] = 5;
    EXPECT_EQ(S_OK, metrics->get_MouseButtons(&count));
    EXPECT_EQ(5, count);
    system.values[80] = 3;
    EXPECT_EQ(S_OK, metrics->get_MonitorsCount(&count));
    EXPECT_EQ(3, count);
    for (const auto& [metric, mode] : {std::pair{0, bootNormal}, {1, bootSafe}, {2, bootSafeNetwork}}) {
        system.values[67] = metric;
        eBootMode boot = static_cast<eBootMode>(-1);
        EXPECT_EQ(S_OK, metrics->get_BootMode(&boot));
        EXPECT_EQ(mode, boot);
    }
    for (const auto& [metric, present] : {std::pair{3, VARIANT_TRUE}, {1, VARIANT_TRUE}, {2, VARIANT_FALSE},
                                          {0, VARIANT_FALSE}, {-1, VARIANT_FALSE}, {-3, VARIANT_FALSE}}) {
        system.values[63] = metric;
        VARIANT_BOOL network = 7;
        EXPECT_EQ(S_OK, metrics->get_NetworkPresent(&network));
        EXPECT_EQ(present, network) << metric;
    }
}

TEST_F(MetricsTest, ArrangementFlagsGiveStartAndDirection) {
    const struct {
        int flags;
        eArrangeStart start;
        long direction;
    } rows[] = {{0, easBottomLeft, 0}, {1, easBottomRight, 0}, {2, easTopLeft, 0}, {3, easTopRight, 0},
                {8, easHide, 0},       {8 + 4, easHide, 4},    {1 + 4, easBottomRight, 4}, {8 + 3, easTopRight, 0},
                {4, easBottomLeft, 4}, {-1, easTopRight, 4}};
    for (const auto& row : rows) {
        system.values[56] = row.flags;
        eArrangeStart start = static_cast<eArrangeStart>(-1);
        eArrangeDirection direction = static_cast<eArrangeDirection>(-1);
        system.asked.clear();
        EXPECT_EQ(S_OK, metrics->get_ArrangementStart(&start));
        EXPECT_EQ(S_OK, metrics->get_ArrangementDirection(&direction));
        EXPECT_EQ(row.start, start) << row.flags;
        EXPECT_EQ(row.direction, static_cast<long>(direction)) << row.flags;
        EXPECT_EQ((std::vector<int>{56, 56}), system.asked);
    }
}

TEST_F(MetricsTest, LateBoundMembersCarryTheirDispatchIdsAndSlots) {
    const struct {
        const wchar_t* name;
        DISPID id;
    } members[] = {
        {L"ReturnUnits", 0x68030017}, {L"ArrangementStart", 0x68030016}, {L"ArrangementDirection", 0x68030015},
        {L"BootMode", 0x68030014}, {L"DBCSEnabled", 0x68030013}, {L"DebugVersion", 0x68030012},
        {L"IMMEnabled", 0x68030011}, {L"MenuDropAlignRight", 0x68030010}, {L"MidEastSupport", 0x6803000f},
        {L"MonitorsCount", 0x6803000e}, {L"MouseButtons", 0x6803000d}, {L"MouseInstalled", 0x6803000c},
        {L"MouseWheelPresent", 0x6803000b}, {L"NetworkPresent", 0x6803000a}, {L"PenSupport", 0x68030009},
        {L"SameColorFormat", 0x68030008}, {L"Secure", 0x68030007}, {L"ShowSounds", 0x68030006},
        {L"SlowMachine", 0x68030005}, {L"SwapButtons", 0x68030004}, {L"TerminalServicesClientSession", 0x68030003},
        {L"KanjiWindowHeight", 0x68030002}, {L"ScreenWidth", 0x68030001}, {L"ScreenHeight", 0x68030000},
        {L"BorderSize", 0x6003001a}, {L"IconSize", 0x6003001b}, {L"NonClientSize", 0x6003001c},
        {L"RectSize", 0x6003001d}, {L"ScrollBarSize", 0x6003001e}, {L"VirtualScreenSize", 0x6003001f},
        {L"WindowSize", 0x60030020},
    };
    auto dispatch = metrics.As<IDispatch>();
    // The vtable half of the dual interface.
    ComPtr<ITypeInfo> dispatchInfo, info;
    ASSERT_EQ(S_OK, dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, dispatchInfo.Put()));
    HREFTYPE vtableHalf = 0;
    ASSERT_EQ(S_OK, dispatchInfo->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableHalf));
    ASSERT_EQ(S_OK, dispatchInfo->GetRefTypeInfo(vtableHalf, info.Put()));
    for (std::size_t slot = 0; slot < std::size(members); ++slot) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(members[slot].id, DispatchIdOf(dispatch.Get(), members[slot].name));
        // The vtable slot after IUnknown and IDispatch.
        FUNCDESC* function = nullptr;
        ASSERT_EQ(S_OK, info->GetFuncDesc(static_cast<UINT>(slot), &function));
        EXPECT_EQ(members[slot].id, function->memid);
        EXPECT_EQ(static_cast<SHORT>((7 + slot) * sizeof(void*)), function->oVft);
        info->ReleaseFuncDesc(function);
    }
}

TEST_F(MetricsTest, LateBoundUnitsAndSizes) {
    auto dispatch = metrics.As<IDispatch>();
    system.values[14] = 32;
    Variant yes;
    V_VT(yes.Put()) = VT_BOOL;
    V_BOOL(yes.Get()) = VARIANT_TRUE;
    LateCall units = GetProperty(dispatch.Get(), L"ReturnUnits", {yes});
    ASSERT_EQ(S_OK, units.hr);
    EXPECT_EQ(VT_EMPTY, units.result.Type());
    // A statement calls the read property as a method; it still switches units.
    LateCall statement = CallMethod(dispatch.Get(), L"ReturnUnits", {LongValue(0)});
    ASSERT_EQ(S_OK, statement.hr);
    EXPECT_EQ(32, LongOf(CallMethod(dispatch.Get(), L"IconSize", {LongValue(CursorHeight)}).result));
    ASSERT_EQ(S_OK, CallMethod(dispatch.Get(), L"ReturnUnits", {yes}).hr);
    LateCall cursor = CallMethod(dispatch.Get(), L"IconSize", {LongValue(CursorHeight)});
    ASSERT_EQ(S_OK, cursor.hr);
    EXPECT_EQ(32 * 12, LongOf(cursor.result));
    // A number given as text is converted to the enumeration.
    LateCall asText = CallMethod(dispatch.Get(), L"IconSize", {TextValue(L"5")});
    ASSERT_EQ(S_OK, asText.hr);
    EXPECT_EQ(32 * 12, LongOf(asText.result));
    LateCall missing = CallMethod(dispatch.Get(), L"IconSize");
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, missing.hr);
}

// Releases, described by their version records, for the guard tests.
struct Release {
    const char* name;
    DWORD platform, major, minor, build;
    const char* servicePackText;
    // Whether each guarded member works there.
    bool imm, monitors, wheel, sameColor, terminal, virtualScreen;
};
const Release* release = nullptr;

BOOL WINAPI ReportRelease(LPOSVERSIONINFOA record) {
    const DWORD size = record->dwOSVersionInfoSize;
    if (size != sizeof(OSVERSIONINFOA) && size != sizeof(OSVERSIONINFOEXA)) return FALSE;
    record->dwMajorVersion = release->major;
    record->dwMinorVersion = release->minor;
    record->dwBuildNumber = release->build;
    record->dwPlatformId = release->platform;
    std::memset(record->szCSDVersion, 0, sizeof record->szCSDVersion);
    std::memcpy(record->szCSDVersion, release->servicePackText, std::strlen(release->servicePackText));
    return TRUE;
}

class Guards : public MetricsTest, public testing::WithParamInterface<Release> {
protected:
    void SetUp() override {
        release = &GetParam();
        scope.Replace<decltype(&::GetVersionExA)>("kernel32.dll", "GetVersionExA", &ReportRelease);
        MetricsTest::SetUp();
    }
};

TEST_P(Guards, UnsupportedMembersRaiseNotSupportedAndReadNothing) {
    const Release& row = GetParam();
    using Read = std::function<HRESULT(_clsKvOrviSystemMetricsA*, long*)>;
    const auto flag = [](HRESULT (STDMETHODCALLTYPE _clsKvOrviSystemMetricsA::*get)(VARIANT_BOOL*)) {
        return Read([get](_clsKvOrviSystemMetricsA* m, long* out) {
            VARIANT_BOOL value = 7;
            const HRESULT hr = (m->*get)(&value);
            *out = value;
            return hr;
        });
    };
    const struct {
        const char* member;
        Read read;
        bool supported;
        int index;
        long value;  // what it returns when supported
    } members[] = {
        {"IMMEnabled", flag(&_clsKvOrviSystemMetricsA::get_IMMEnabled), row.imm, 82, VARIANT_TRUE},
        {"MonitorsCount", [](auto* m, long* out) { return m->get_MonitorsCount(out); }, row.monitors, 80, 180},
        {"MouseWheelPresent", flag(&_clsKvOrviSystemMetricsA::get_MouseWheelPresent), row.wheel, 75, VARIANT_TRUE},
        {"SameColorFormat", flag(&_clsKvOrviSystemMetricsA::get_SameColorFormat), row.sameColor, 81, VARIANT_TRUE},
        {"TerminalServicesClientSession", flag(&_clsKvOrviSystemMetricsA::get_TerminalServicesClientSession),
         row.terminal, 0x1000, VARIANT_TRUE},
        {"VirtualScreenSize", [](auto* m, long* out) { return m->VirtualScreenSize(vWidth, out); }, row.virtualScreen,
         78, 178},
        {"VirtualScreenSize out of range", [](auto* m, long* out) { return m->VirtualScreenSize(static_cast<eVirtualScreenMetric>(9), out); },
         row.virtualScreen, -1, 0},
    };
    for (const auto& member : members) {
        SCOPED_TRACE(member.member);
        system.asked.clear();
        long value = -7;
        const HRESULT hr = member.read(metrics.Get(), &value);
        const ErrorReport error = TakeErrorInfo();
        if (member.supported) {
            EXPECT_EQ(S_OK, hr);
            EXPECT_EQ(member.value, value);
            EXPECT_EQ(member.index < 0 ? std::vector<int>{} : std::vector<int>{member.index}, system.asked);
        } else {
            EXPECT_EQ(kNotSupported, hr);
            EXPECT_TRUE(error.present);
            EXPECT_EQ(kNotSupportedSource, error.source);
            EXPECT_EQ(kNotSupportedText, error.description);
            EXPECT_EQ(0, value);
            EXPECT_TRUE(system.asked.empty()) << "no metric is read";
        }
    }
    // The unguarded members work everywhere.
    long width = 0;
    EXPECT_EQ(S_OK, metrics->get_ScreenWidth(&width));
    EXPECT_EQ(100, width);
}

INSTANTIATE_TEST_SUITE_P(
    Releases, Guards,
    testing::Values(
        //       name            plat maj min build       sp text             imm    mon    wheel  same   term   virt
        Release{"Windows95", 1, 4, 0, 0x040003B6, "", false, false, false, false, false, false},
        Release{"Windows95OSR2", 1, 4, 0, 0x04000457, " B", false, false, false, false, false, false},
        Release{"Windows98", 1, 4, 10, 0x040A07CE, "", false, true, true, true, false, true},
        Release{"Windows98SE", 1, 4, 10, 0x040A08AE, " A ", false, true, true, true, false, true},
        Release{"Millennium", 1, 4, 90, 0x045A0BB8, "", false, false, false, false, false, false},
        Release{"NT351", 2, 3, 51, 1057, "Service Pack 5", false, false, false, false, false, false},
        Release{"NT4ServicePack3", 2, 4, 0, 1381, "Service Pack 3", false, false, true, false, false, false},
        Release{"NT4ServicePack4", 2, 4, 0, 1381, "Service Pack 4", false, false, true, false, true, false},
        Release{"NT4ServicePack6a", 2, 4, 0, 1381, "Service Pack 6a", false, false, true, false, true, false},
        Release{"NT4LowerCase", 2, 4, 0, 1381, "service pack 6", false, false, true, false, true, false},
        Release{"NT4WithoutServicePack", 2, 4, 0, 1381, "", false, false, true, false, false, false},
        Release{"Windows2000", 2, 5, 0, 2195, "", true, true, true, true, true, true},
        Release{"WindowsXP", 2, 5, 1, 2600, "Service Pack 2", true, true, true, true, true, true}),
    [](const testing::TestParamInfo<Release>& info) { return std::string(info.param.name); });

TEST(MetricsGuardsLateBound, ScriptsSeeTheNotSupportedError) {
    static const Release windows95{"Windows95", 1, 4, 0, 0x040003B6, "", false, false, false, false, false, false};
    release = &windows95;
    SubstituteScope scope;
    scope.Replace<decltype(&::GetVersionExA)>("kernel32.dll", "GetVersionExA", &ReportRelease);
    auto metrics = CreateThroughFactory<IDispatch>(__uuidof(clsKvOrviSystemMetricsA));
    ASSERT_TRUE(metrics);
    LateCall monitors = GetProperty(metrics.Get(), L"MonitorsCount");
    EXPECT_EQ(DISP_E_EXCEPTION, monitors.hr);
    EXPECT_EQ(kNotSupported, monitors.exception.scode);
    EXPECT_EQ(kNotSupportedSource, monitors.Source());
    EXPECT_EQ(kNotSupportedText, monitors.Description());
}

// Against the real system under Wine, read directly for comparison.
class LiveMetrics : public testing::Test {
protected:
    void SetUp() override {
        metrics = CreateThroughFactory<_clsKvOrviSystemMetricsA>(__uuidof(clsKvOrviSystemMetricsA));
        ASSERT_TRUE(metrics);
        HDC screen = GetDC(nullptr);
        ASSERT_NE(nullptr, screen);
        twipsX = 1440.0 / GetDeviceCaps(screen, LOGPIXELSX);
        twipsY = 1440.0 / GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    void UseTwips(bool twips) {
        Variant ignored;
        ASSERT_EQ(S_OK, metrics->get_ReturnUnits(twips ? VARIANT_TRUE : VARIANT_FALSE, ignored.Put()));
    }
    ComPtr<_clsKvOrviSystemMetricsA> metrics;
    double twipsX = 0, twipsY = 0;
};

TEST_F(LiveMetrics, SizesAgreeWithTheSystemInBothUnits) {
    SKIP_WITHOUT_DISPLAY_CONTEXT();
    long width = 0, height = 0;
    ASSERT_EQ(S_OK, metrics->get_ScreenWidth(&width));
    ASSERT_EQ(S_OK, metrics->get_ScreenHeight(&height));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), width);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), height);
    EXPECT_GT(width, 0);
    for (const SizeFamily& family : SizeFamilies()) {
        for (std::size_t request = 0; request < family.rows.size(); ++request) {
            const auto [index, axis] = family.rows[request];
            SCOPED_TRACE(std::string(family.member) + " " + std::to_string(request));
            long pixels = -1, twips = -1;
            UseTwips(false);
            ASSERT_EQ(S_OK, family.call(metrics.Get(), static_cast<long>(request), &pixels));
            EXPECT_EQ(GetSystemMetrics(index), pixels);
            UseTwips(true);
            ASSERT_EQ(S_OK, family.call(metrics.Get(), static_cast<long>(request), &twips));
            EXPECT_EQ(std::lrint(GetSystemMetrics(index) * (axis == H ? twipsX : twipsY)), twips);
        }
    }
    Variant border;
    ASSERT_EQ(S_OK, metrics->BorderSize(Border3DHeight, border.Put()));
    ASSERT_EQ(VT_R8, border.Type());
    EXPECT_DOUBLE_EQ(GetSystemMetrics(SM_CYEDGE) * twipsY, V_R8(border.Get()));
}

TEST_F(LiveMetrics, FlagsAndCountsAgreeWithTheSystem) {
    const auto truth = [](int index) { return GetSystemMetrics(index) ? VARIANT_TRUE : VARIANT_FALSE; };
    VARIANT_BOOL flag = 7;
    long count = -1;
    metrics->get_MouseInstalled(&flag);
    EXPECT_EQ(truth(SM_MOUSEPRESENT), flag);
    metrics->get_SwapButtons(&flag);
    EXPECT_EQ(truth(SM_SWAPBUTTON), flag);
    metrics->get_DBCSEnabled(&flag);
    EXPECT_EQ(truth(SM_DBCSENABLED), flag);
    metrics->get_MenuDropAlignRight(&flag);
    EXPECT_EQ(truth(SM_MENUDROPALIGNMENT), flag);
    // Wine classifies as Windows 2000 or later: every guard holds.
    ASSERT_EQ(S_OK, metrics->get_IMMEnabled(&flag));
    EXPECT_EQ(truth(SM_IMMENABLED), flag);
    ASSERT_EQ(S_OK, metrics->get_MouseWheelPresent(&flag));
    EXPECT_EQ(truth(SM_MOUSEWHEELPRESENT), flag);
    ASSERT_EQ(S_OK, metrics->get_TerminalServicesClientSession(&flag));
    EXPECT_EQ(truth(SM_REMOTESESSION), flag);
    ASSERT_EQ(S_OK, metrics->get_MonitorsCount(&count));
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), count);
    ASSERT_EQ(S_OK, metrics->get_MouseButtons(&count));
    EXPECT_EQ(GetSystemMetrics(SM_CMOUSEBUTTONS), count);
    eBootMode boot = static_cast<eBootMode>(-1);
    ASSERT_EQ(S_OK, metrics->get_BootMode(&boot));
    EXPECT_EQ(GetSystemMetrics(SM_CLEANBOOT), static_cast<long>(boot));
    eArrangeDirection direction = static_cast<eArrangeDirection>(-1);
    ASSERT_EQ(S_OK, metrics->get_ArrangementDirection(&direction));
    EXPECT_EQ(GetSystemMetrics(SM_ARRANGE) & 4, static_cast<long>(direction));
}

}  // namespace
