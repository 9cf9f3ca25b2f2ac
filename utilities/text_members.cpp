// The text and number members, and the class's registration.
#include <cmath>
#include <cstdint>
#include <random>

#include "ansi.h"
#include "conversions.h"
#include "system_function.h"
#include "utilities/pure/text.h"
#include "utilities_class.h"
#include "values.h"

using namespace orvi;
using namespace orvi::utilities;

namespace {

const SystemFunction<decltype(&::CoCreateGuid)> coCreateGuid{"ole32.dll", "CoCreateGuid"};
const SystemFunction<decltype(&::StringFromGUID2)> stringFromGuid2{"ole32.dll", "StringFromGUID2"};
const SystemFunction<decltype(&::QueryPerformanceCounter)> queryPerformanceCounter{"kernel32.dll", "QueryPerformanceCounter"};

// A uniform single-precision value in [0, 1). The generator is seeded from
// the system timer on a thread's first draw and keeps running after that,
// so calls in quick succession do not repeat one another.
float UniformDraw() {
    thread_local std::mt19937 generator = [] {
        LARGE_INTEGER counter{};
        queryPerformanceCounter(&counter);
        std::seed_seq seed{static_cast<std::uint32_t>(counter.QuadPart), static_cast<std::uint32_t>(counter.QuadPart >> 32)};
        return std::mt19937(seed);
    }();
    return static_cast<float>(generator() >> 8) * (1.0f / 16777216.0f);
}

}  // namespace

STDMETHODIMP clsKvOrviUtilitesA::AsPercent(long* MaxVal, long* ValNow, VARIANT_BOOL* UpToMax, short* result) {
    return Produce(result, [&] {
        const long maximum = Argument(MaxVal), now = Argument(ValNow);
        const bool upToMax = Argument(UpToMax) == VARIANT_TRUE;
        if (maximum == 0) Raise(now == 0 ? errOverflow : errDivisionByZero);
        const short percent = ToInteger(static_cast<double>(now) / static_cast<double>(maximum) * 100.0);
        return (upToMax && percent > 100) ? short{100} : percent;
    });
}

STDMETHODIMP clsKvOrviUtilitesA::Extract(BSTR TextIN, BSTR* StartTag, BSTR EndTag, BSTR* result) {
    return Produce(result, [&] {
        // No start tag at all finds nothing, as an empty one does.
        const BSTR start = StartTag ? *StartTag : nullptr;
        return Bstr(text::Extract(Bstr::ViewOf(TextIN), Bstr::ViewOf(start), Bstr::ViewOf(EndTag)));
    });
}

STDMETHODIMP clsKvOrviUtilitesA::Gender(VARIANT* GenderX, VARIANT* result) {
    return Produce(result, [&] {
        const Variant given = values::Plain(&Argument(GenderX));
        if (given.Type() == VT_NULL) Raise(errInvalidNull);
        if (const auto number = values::AsNumber(given.Get()))
            return values::TextValue(*number == 1 ? L"Female" : *number == 2 ? L"Male" : L"Unknown");
        Variant asText;
        if (FAILED(VariantChangeType(asText.Put(), const_cast<VARIANT*>(given.Get()), 0, VT_BSTR))) Raise(errTypeMismatch);
        const std::wstring_view name = Bstr::ViewOf(V_BSTR(asText.Get()));
        const wchar_t first = name.empty() ? L'\0' : text::UpperAscii(name.front());
        return values::IntegerValue(first == L'F' ? 1 : first == L'M' ? 2 : 0);
    });
}

STDMETHODIMP clsKvOrviUtilitesA::GUIDx(VARIANT_BOOL* Formatted, BSTR* result) {
    return Produce(result, [&] {
        const bool formatted = Argument(Formatted) != VARIANT_FALSE;
        GUID guid{};
        coCreateGuid(&guid);
        wchar_t buffer[40] = {};
        int count = stringFromGuid2(guid, buffer, 40);
        if (count > 0 && buffer[count - 1] == L'\0') --count;
        const std::wstring_view braced(buffer, count > 0 ? static_cast<std::size_t>(count) : 0);
        return Bstr(formatted ? std::wstring(braced) : text::GuidDigits(braced));
    });
}

STDMETHODIMP clsKvOrviUtilitesA::PI(double* result) {
    return Produce(result, [] { return 4.0 * std::atan(1.0); });
}

STDMETHODIMP clsKvOrviUtilitesA::RandomNumber(short* Lower, short* Upper, short* result) {
    return Produce(result, [&] {
        const std::int32_t lower = Argument(Lower), upper = Argument(Upper);
        const std::int32_t count = upper - lower + 1;
        if (count < -32768 || count > 32767) return short{1};
        const double value = std::floor(static_cast<double>(UniformDraw()) * count + lower);
        if (value < -32768 || value > 32767) return short{1};
        return static_cast<short>(value);
    });
}

STDMETHODIMP clsKvOrviUtilitesA::SoundX(BSTR pWord, unsigned char* pAccuracy, BSTR* result) {
    return Produce(result, [&] {
        const std::wstring_view word = Bstr::ViewOf(pWord);
        return Bstr(text::SoundX(word, ansi::CharacterCodes(word), Argument(pAccuracy)));
    });
}

STDMETHODIMP clsKvOrviUtilitesA::SoundsLike(BSTR WordIN, short* Accuracy, VARIANT_BOOL* AsNumeric, BSTR* result) {
    return Produce(result, [&] {
        const std::wstring_view word = Bstr::ViewOf(WordIN);
        return Bstr(text::SoundsLike(word, ansi::CharacterCodes(word), Argument(Accuracy), Argument(AsNumeric) != VARIANT_FALSE));
    });
}

static const ClassRegistration<clsKvOrviUtilitesA> registration;
