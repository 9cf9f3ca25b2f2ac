// clsKvOrviSystemMetricsA: display, input and window-manager metrics, read
// live from the system metrics table at every call, sizes in pixels or twips.
#include <array>
#include <cstddef>

#include "com_object.h"
#include "conversions.h"
#include "orvilib10_h.h"
#include "pure/service_pack.h"
#include "system_function.h"

using namespace orvi;

namespace {

const SystemFunction<decltype(&::GetSystemMetrics)> getSystemMetrics{"user32.dll", "GetSystemMetrics"};
const SystemFunction<decltype(&::GetDC)> getDC{"user32.dll", "GetDC"};
const SystemFunction<decltype(&::ReleaseDC)> releaseDC{"user32.dll", "ReleaseDC"};
const SystemFunction<decltype(&::GetDeviceCaps)> getDeviceCaps{"gdi32.dll", "GetDeviceCaps"};

// Metric indexes, spelled out so the table below reads as the platform's.
enum Index : int {
    kCxScreen = 0, kCyScreen = 1, kCxVScroll = 2, kCyHScroll = 3, kCyCaption = 4, kCxBorder = 5, kCyBorder = 6,
    kCxDlgFrame = 7, kCyDlgFrame = 8, kCyVThumb = 9, kCxHThumb = 10, kCxIcon = 11, kCyIcon = 12, kCxCursor = 13,
    kCyCursor = 14, kCyMenu = 15, kCxFullScreen = 16, kCyFullScreen = 17, kCyKanjiWindow = 18, kMousePresent = 19,
    kCyVScroll = 20, kCxHScroll = 21, kDebug = 22, kSwapButton = 23, kCxMin = 28, kCyMin = 29, kCxSize = 30,
    kCySize = 31, kCxFrame = 32, kCyFrame = 33, kCxMinTrack = 34, kCyMinTrack = 35, kCxDoubleClk = 36,
    kCyDoubleClk = 37, kCxIconSpacing = 38, kCyIconSpacing = 39, kMenuDropAlignment = 40, kPenWindows = 41,
    kDbcsEnabled = 42, kCMouseButtons = 43, kSecure = 44, kCxEdge = 45, kCyEdge = 46, kCxMinSpacing = 47,
    kCyMinSpacing = 48, kCxSmIcon = 49, kCySmIcon = 50, kCySmCaption = 51, kCxSmSize = 52, kCySmSize = 53,
    kCxMenuSize = 54, kCyMenuSize = 55, kArrange = 56, kCxMinimized = 57, kCyMinimized = 58, kCxMaxTrack = 59,
    kCyMaxTrack = 60, kCxMaximized = 61, kCyMaximized = 62, kNetwork = 63, kCleanBoot = 67, kCxDrag = 68,
    kCyDrag = 69, kShowSounds = 70, kCxMenuCheck = 71, kCyMenuCheck = 72, kSlowMachine = 73, kMidEastEnabled = 74,
    kMouseWheelPresent = 75, kXVirtualScreen = 76, kYVirtualScreen = 77, kCxVirtualScreen = 78,
    kCyVirtualScreen = 79, kCMonitors = 80, kSameDisplayFormat = 81, kImmEnabled = 82, kRemoteSession = 0x1000,
};

// Which twips-per-pixel factor converts a size: widths and x-positions
// take the horizontal one, heights and y-positions the vertical one.
enum class Axis { Horizontal, Vertical };
constexpr Axis H = Axis::Horizontal, V = Axis::Vertical;

struct SizeMetric {
    Index index;
    Axis axis;
};

// One row per enumeration value, in value order.
constexpr std::array<SizeMetric, 8> kBorderMetrics{{
    {kCxBorder, H}, {kCyBorder, V}, {kCxEdge, H}, {kCyEdge, V},
    {kCxDlgFrame, H}, {kCyDlgFrame, V}, {kCxFrame, H}, {kCyFrame, V}}};
constexpr std::array<SizeMetric, 8> kIconMetrics{{
    {kCxIcon, H}, {kCyIcon, V}, {kCxIconSpacing, H}, {kCyIconSpacing, V},
    {kCxCursor, H}, {kCyCursor, V}, {kCxSmIcon, H}, {kCySmIcon, V}}};
constexpr std::array<SizeMetric, 11> kNonClientMetrics{{
    {kCxMenuCheck, H}, {kCyMenuCheck, V}, {kCyMenu, V}, {kCxMenuSize, H}, {kCyMenuSize, V}, {kCyCaption, V},
    {kCxSize, H}, {kCySize, V}, {kCySmCaption, V}, {kCxSmSize, H}, {kCySmSize, V}}};
constexpr std::array<SizeMetric, 4> kRectMetrics{{
    {kCxDoubleClk, H}, {kCyDoubleClk, V}, {kCxDrag, H}, {kCyDrag, V}}};
constexpr std::array<SizeMetric, 6> kScrollBarMetrics{{
    {kCxHScroll, H}, {kCyHScroll, V}, {kCxVScroll, H}, {kCyVScroll, V}, {kCxHThumb, H}, {kCyVThumb, V}}};
constexpr std::array<SizeMetric, 4> kVirtualScreenMetrics{{
    {kXVirtualScreen, H}, {kYVirtualScreen, V}, {kCxVirtualScreen, H}, {kCyVirtualScreen, V}}};
constexpr std::array<SizeMetric, 14> kWindowMetrics{{
    {kCxFullScreen, H}, {kCyFullScreen, V}, {kCxMin, H}, {kCyMin, V}, {kCxMinTrack, H}, {kCyMinTrack, V},
    {kCxMaxTrack, H}, {kCyMaxTrack, V}, {kCxMaximized, H}, {kCyMaximized, V}, {kCxMinimized, H},
    {kCyMinimized, V}, {kCxMinSpacing, H}, {kCyMinSpacing, V}}};

// The table row a request selects, or none for a value outside the enumeration.
template <std::size_t N>
const SizeMetric* RowOf(const std::array<SizeMetric, N>& table, long request) {
    return request >= 0 && static_cast<std::size_t>(request) < N ? &table[static_cast<std::size_t>(request)] : nullptr;
}

long Metric(Index index) { return getSystemMetrics(index); }

// The screen's device context, released when the reading is done.
class ScreenDC {
public:
    ScreenDC() : dc(getDC(nullptr)) {}
    ~ScreenDC() {
        if (dc) releaseDC(nullptr, dc);
    }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC Get() const { return dc; }

private:
    HDC dc;
};

// Twips covered by one screen pixel along an axis, read from the display
// afresh each time. A display that reports no pixels per inch (or no
// screen at all) cannot be converted: division by zero.
float TwipsPerPixel(Axis axis) {
    const ScreenDC screen;
    const int pixelsPerInch = screen.Get() ? getDeviceCaps(screen.Get(), axis == H ? LOGPIXELSX : LOGPIXELSY) : 0;
    if (pixelsPerInch <= 0) Raise(errDivisionByZero);
    return 1440.0f / static_cast<float>(pixelsPerInch);
}

}  // namespace

class clsKvOrviSystemMetricsA final : public ComObject<clsKvOrviSystemMetricsA, _clsKvOrviSystemMetricsA> {
public:
    void StartUp() { objOSInfo = CreateComponent<_clsKvOrviOSInfoA>(__uuidof(clsKvOrviOSInfoA)); }

    STDMETHODIMP get_ReturnUnits(VARIANT_BOOL UseTwips, VARIANT* result) override {
        return Produce(result, [&] {
            bUseTwips = UseTwips != VARIANT_FALSE;
            return Variant();
        });
    }

    STDMETHODIMP get_ArrangementStart(eArrangeStart* result) override {
        return Produce(result, [&] {
            const long flags = Metric(kArrange);
            if (const long start = flags & 3) return static_cast<eArrangeStart>(start);
            return (flags & 8) ? easHide : easBottomLeft;
        });
    }
    STDMETHODIMP get_ArrangementDirection(eArrangeDirection* result) override {
        return Produce(result, [&] { return (Metric(kArrange) & 4) ? eadUp : eadLeft; });
    }
    STDMETHODIMP get_BootMode(eBootMode* result) override {
        return Produce(result, [&] { return static_cast<eBootMode>(Metric(kCleanBoot)); });
    }
    STDMETHODIMP get_DBCSEnabled(VARIANT_BOOL* result) override { return NonZero(result, kDbcsEnabled); }
    STDMETHODIMP get_DebugVersion(VARIANT_BOOL* result) override { return NonZero(result, kDebug); }
    STDMETHODIMP get_IMMEnabled(VARIANT_BOOL* result) override {
        return NonZero(result, kImmEnabled, [&] { return IsWin2K(); });
    }
    STDMETHODIMP get_MenuDropAlignRight(VARIANT_BOOL* result) override { return NonZero(result, kMenuDropAlignment); }
    STDMETHODIMP get_MidEastSupport(VARIANT_BOOL* result) override { return NonZero(result, kMidEastEnabled); }
    STDMETHODIMP get_MonitorsCount(long* result) override {
        return Produce(result, [&] {
            const bool win98 = IsWin98(), win2K = IsWin2K();
            if (!win98 && !win2K) RaiseNotSupported();
            return Metric(kCMonitors);
        });
    }
    STDMETHODIMP get_MouseButtons(long* result) override {
        return Produce(result, [&] { return Metric(kCMouseButtons); });
    }
    STDMETHODIMP get_MouseInstalled(VARIANT_BOOL* result) override { return NonZero(result, kMousePresent); }
    STDMETHODIMP get_MouseWheelPresent(VARIANT_BOOL* result) override {
        return NonZero(result, kMouseWheelPresent, [&] {
            const bool nt = IsNT(), win98 = IsWin98();
            const long major = MajorVersion();
            return win98 || (nt && major >= 4);
        });
    }
    STDMETHODIMP get_NetworkPresent(VARIANT_BOOL* result) override {
        // The lowest bit says a network is present; a negative value never does.
        return Produce(result, [&] { return AsVariantBool(Metric(kNetwork) % 2 == 1); });
    }
    STDMETHODIMP get_PenSupport(VARIANT_BOOL* result) override { return NonZero(result, kPenWindows); }
    STDMETHODIMP get_SameColorFormat(VARIANT_BOOL* result) override {
        return NonZero(result, kSameDisplayFormat, [&] {
            const bool win2K = IsWin2K(), win98 = IsWin98();
            return win2K || win98;
        });
    }
    STDMETHODIMP get_Secure(VARIANT_BOOL* result) override { return NonZero(result, kSecure); }
    STDMETHODIMP get_ShowSounds(VARIANT_BOOL* result) override { return NonZero(result, kShowSounds); }
    STDMETHODIMP get_SlowMachine(VARIANT_BOOL* result) override { return NonZero(result, kSlowMachine); }
    STDMETHODIMP get_SwapButtons(VARIANT_BOOL* result) override { return NonZero(result, kSwapButton); }
    STDMETHODIMP get_TerminalServicesClientSession(VARIANT_BOOL* result) override {
        return NonZero(result, kRemoteSession, [&] {
            if (IsWin2K()) return true;
            const bool nt = IsNT();
            const long major = MajorVersion();
            if (!nt || major < 4) return false;
            // NT 4 knows about terminal-services sessions from service pack 4 on.
            return metrics::ServicePackNumber(ServicePackText().View()) >= 4;
        });
    }

    STDMETHODIMP get_KanjiWindowHeight(long* result) override {
        return Produce(result, [&] { return Converted(Metric(kCyKanjiWindow), V); });
    }
    STDMETHODIMP get_ScreenWidth(long* result) override {
        return Produce(result, [&] { return Converted(Metric(kCxScreen), H); });
    }
    STDMETHODIMP get_ScreenHeight(long* result) override {
        return Produce(result, [&] { return Converted(Metric(kCyScreen), V); });
    }

    // Pixels as a Long; twips as the exact Double product, unrounded. A value
    // outside the enumeration gives Empty, or a Single 0 in twips.
    STDMETHODIMP BorderSize(eBorderMetric reqSize, VARIANT* result) override {
        return Produce(result, [&] {
            const SizeMetric* row = RowOf(kBorderMetrics, reqSize);
            Variant size;
            if (row) {
                const long pixels = Metric(row->index);
                if (bUseTwips) {
                    V_VT(size.Put()) = VT_R8;
                    V_R8(size.Get()) = static_cast<double>(pixels) * TwipsPerPixel(row->axis);
                } else {
                    V_VT(size.Put()) = VT_I4;
                    V_I4(size.Get()) = pixels;
                }
            } else if (bUseTwips) {
                V_VT(size.Put()) = VT_R4;
                V_R4(size.Get()) = 0.0f * TwipsPerPixel(V);
            }
            return size;
        });
    }
    STDMETHODIMP IconSize(eIconMetric reqSize, long* result) override { return SizeOf(result, kIconMetrics, reqSize); }
    STDMETHODIMP NonClientSize(eNCMetric reqSize, long* result) override {
        return SizeOf(result, kNonClientMetrics, reqSize);
    }
    STDMETHODIMP RectSize(eRectMetric reqSize, long* result) override { return SizeOf(result, kRectMetrics, reqSize); }
    STDMETHODIMP ScrollBarSize(eScrollBarMetric reqSize, long* result) override {
        return SizeOf(result, kScrollBarMetrics, reqSize);
    }
    STDMETHODIMP VirtualScreenSize(eVirtualScreenMetric reqSize, long* result) override {
        return Produce(result, [&] {
            const bool win2K = IsWin2K(), win98 = IsWin98();
            if (!win2K && !win98) RaiseNotSupported();
            return SizeFrom(kVirtualScreenMetrics, reqSize);
        });
    }
    STDMETHODIMP WindowSize(eWindowMetric reqSize, long* result) override {
        return SizeOf(result, kWindowMetrics, reqSize);
    }

private:
    // The classification's answers; a failure there is passed on unchanged.
    bool IsNT() const { return Ask(&_clsKvOrviOSInfoA::get_IsNT); }
    bool IsWin98() const { return Ask(&_clsKvOrviOSInfoA::get_IsWin98); }
    bool IsWin2K() const { return Ask(&_clsKvOrviOSInfoA::get_IsWin2K); }
    bool Ask(HRESULT (STDMETHODCALLTYPE _clsKvOrviOSInfoA::*question)(VARIANT_BOOL*)) const {
        VARIANT_BOOL answer = VARIANT_FALSE;
        Check((objOSInfo.Get()->*question)(&answer));
        return answer != VARIANT_FALSE;
    }
    long MajorVersion() const {
        long major = 0;
        Check(objOSInfo->OSMajorVersion(&major));
        return major;
    }
    Bstr ServicePackText() const {
        Bstr text;
        Check(objOSInfo->PSSInfo(text.Put()));
        return text;
    }

    // A yes/no metric, read only when the platform guard (if any) holds.
    HRESULT NonZero(VARIANT_BOOL* result, Index index) noexcept {
        return Produce(result, [&] { return AsVariantBool(Metric(index) != 0); });
    }
    template <class Guard>
    HRESULT NonZero(VARIANT_BOOL* result, Index index, Guard&& supported) noexcept {
        return Produce(result, [&] {
            if (!supported()) RaiseNotSupported();
            return AsVariantBool(Metric(index) != 0);
        });
    }

    // A size in the instance's units. Twips round to the nearest whole twip.
    long Converted(long pixels, Axis axis) const {
        if (!bUseTwips) return pixels;
        return ToLong(static_cast<double>(TwipsPerPixel(axis)) * pixels);
    }
    // A request outside the enumeration reads no metric and gives 0.
    template <std::size_t N>
    long SizeFrom(const std::array<SizeMetric, N>& table, long request) const {
        const SizeMetric* row = RowOf(table, request);
        return Converted(row ? Metric(row->index) : 0, row ? row->axis : V);
    }
    template <std::size_t N>
    HRESULT SizeOf(long* result, const std::array<SizeMetric, N>& table, long request) noexcept {
        return Produce(result, [&] { return SizeFrom(table, request); });
    }

    ComPtr<_clsKvOrviOSInfoA> objOSInfo;
    bool bUseTwips = false;
};

static const ClassRegistration<clsKvOrviSystemMetricsA> registration;
