// clsKvOrviEthernetAddressA: an adapter's hardware address through NetBIOS.
// Every step ignores failures; a status request that fails leaves the
// zero-filled answer, so the address reads as twelve zeros.
#include <windows.h>
#include <nb30.h>

#include <cstdint>
#include <cstring>
#include <span>

#include "com_object.h"
#include "orvilib10_h.h"
#include "pure/address_text.h"
#include "system_function.h"

using namespace orvi;

namespace {

const SystemFunction<UCHAR(APIENTRY*)(PNCB)> netbios{"netapi32.dll", "Netbios"};
const SystemFunction<decltype(&::GetProcessHeap)> getProcessHeap{"kernel32.dll", "GetProcessHeap"};
const SystemFunction<decltype(&::HeapAlloc)> heapAlloc{"kernel32.dll", "HeapAlloc"};
const SystemFunction<decltype(&::HeapFree)> heapFree{"kernel32.dll", "HeapFree"};

// Room for the adapter status and its name table.
constexpr WORD kStatusSize = 680;
constexpr size_t kAddressSize = 6;
static_assert(sizeof(ADAPTER_STATUS) <= kStatusSize && sizeof(ADAPTER_STATUS::adapter_address) == kAddressSize);

// NetBIOS state belongs to the process: a reset from one thread between
// another thread's reset and status request deadlocks Wine's NetBIOS (within
// a few calls) and spoils the other answer on Windows, so each reset/status
// sequence runs alone. A critical section exists on every system the
// component runs on; this one is made when the module loads, before any
// member can run.
class SequenceLock {
public:
    SequenceLock() { InitializeCriticalSection(&section); }
    ~SequenceLock() { DeleteCriticalSection(&section); }
    SequenceLock(const SequenceLock&) = delete;
    SequenceLock& operator=(const SequenceLock&) = delete;

    class Held {
    public:
        explicit Held(SequenceLock& lock) : lock(lock) { EnterCriticalSection(&lock.section); }
        ~Held() { LeaveCriticalSection(&lock.section); }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

    private:
        SequenceLock& lock;
    };

private:
    CRITICAL_SECTION section;
};
SequenceLock netbiosSequence;

// A zero-filled block of the process heap. A failed allocation yields no
// block (never a structured exception).
class StatusBlock {
public:
    StatusBlock() {
        Attempt([&] {
            heap = getProcessHeap();
            memory = heapAlloc(heap, HEAP_ZERO_MEMORY, kStatusSize);
        });
    }
    ~StatusBlock() {
        if (memory) Attempt([&] { heapFree(heap, 0, memory); });
    }
    StatusBlock(const StatusBlock&) = delete;
    StatusBlock& operator=(const StatusBlock&) = delete;

    unsigned char* Get() const { return static_cast<unsigned char*>(memory); }

private:
    HANDLE heap = nullptr;
    void* memory = nullptr;
};

}  // namespace

class clsKvOrviEthernetAddressA final : public ComObject<clsKvOrviEthernetAddressA, _clsKvOrviEthernetAddressA> {
public:
    STDMETHODIMP EthernetAddress(long* LanaNumber, BSTR* result) override {
        if (!LanaNumber) return E_POINTER;
        return Produce(result, [&] { return Bstr(AddressOf(*LanaNumber)); });
    }

private:
    static std::wstring AddressOf(long lanaNumber) {
        const SequenceLock::Held alone(netbiosSequence);
        NCB control{};
        control.ncb_command = NCBRESET;  // always adapter 0
        Attempt([&] { netbios(&control); });

        control.ncb_command = NCBASTAT;
        control.ncb_lana_num = lanaNumber >= 0 && lanaNumber <= 255 ? static_cast<UCHAR>(lanaNumber) : 0;
        std::memset(control.ncb_callname, ' ', NCBNAMSZ);
        control.ncb_callname[0] = '*';
        control.ncb_length = kStatusSize;

        const StatusBlock block;
        if (!block.Get()) return {};
        control.ncb_buffer = block.Get();
        Attempt([&] { netbios(&control); });
        ADAPTER_STATUS status;
        std::memcpy(&status, block.Get(), sizeof status);
        return network::HexAddressText(std::span<const std::uint8_t>(status.adapter_address, kAddressSize));
    }
};

static const ClassRegistration<clsKvOrviEthernetAddressA> registration;
