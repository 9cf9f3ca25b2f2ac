// Numeric properties read early-bound allocate nothing, and neither does
// the component's own part of a late-bound read once the member has been
// called before. Counted through the program's allocation operators, which
// the component's code compiled into this program uses.
#include <atomic>
#include <cstdlib>
#include <new>

#include "orvilib10_h.h"
#include "test_support.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

using namespace orvi;
using namespace orvi::test;

namespace {

// Allocations made by 100 calls of `body`, after one call to warm it.
template <class Body>
long AllocationsOf(Body&& body) {
    body();
    const long before = allocations.load();
    for (int i = 0; i < 100; ++i) body();
    return allocations.load() - before;
}

TEST(Allocation, NumericPropertiesReadEarlyBoundAllocateNothing) {
    auto record = CreateThroughFactory<_clsKvOrviOsVersionInfoA>(CLSID_clsKvOrviOsVersionInfoA);
    auto metrics = CreateThroughFactory<_clsKvOrviSystemMetricsA>(CLSID_clsKvOrviSystemMetricsA);
    auto computer = CreateThroughFactory<_clsKvOrviUtilitesWinInfoA>(CLSID_clsKvOrviUtilitesWinInfoA);
    auto utilities = CreateThroughFactory<_clsKvOrviUtilitesA>(CLSID_clsKvOrviUtilitesA);
    ASSERT_TRUE(record && metrics && computer && utilities);
    long number = 0;
    double figure = 0;
    short week = 0;
    Variant date = Variant::Date(46364.0);
    EXPECT_EQ(0, AllocationsOf([&] { record->get_MajorVersion(&number); }));
    EXPECT_EQ(0, AllocationsOf([&] { metrics->get_ScreenWidth(&number); }));
    EXPECT_EQ(0, AllocationsOf([&] { computer->MemoryAvailable(&figure); }));
    EXPECT_EQ(0, AllocationsOf([&] { utilities->WeekNo(date.Get(), &week); }));
    EXPECT_GT(figure, 0);
    EXPECT_GT(week, 0);
}

TEST(Allocation, RepeatedLateBoundCallsAllocateNothingInTheComponent) {
    auto record = CreateThroughFactory<IDispatch>(CLSID_clsKvOrviOsVersionInfoA);
    auto utilities = CreateThroughFactory<IDispatch>(CLSID_clsKvOrviUtilitesA);
    ASSERT_TRUE(record && utilities);
    const DISPID major = DispatchIdOf(record.Get(), L"MajorVersion"), weekNo = DispatchIdOf(utilities.Get(), L"WeekNo");
    Variant date = Variant::Date(46364.0);
    EXPECT_EQ(0, AllocationsOf([&] {
        DISPPARAMS none{};
        Variant result;
        record->Invoke(major, IID_NULL, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, result.Put(), nullptr, nullptr);
    }));
    EXPECT_EQ(0, AllocationsOf([&] {
        DISPPARAMS one{date.Get(), nullptr, 1, 0};
        Variant result;
        utilities->Invoke(weekNo, IID_NULL, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &one, result.Put(), nullptr, nullptr);
        EXPECT_EQ(VT_I2, result.Type());
    }));
}

}  // namespace
