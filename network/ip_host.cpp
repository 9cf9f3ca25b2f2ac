// clsKvOrviIPHostA: host name and first IPv4 address through Windows
// Sockets 1.1. Failures are told to the user in message boxes, not raised.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "ansi.h"
#include "com_object.h"
#include "orvilib10_h.h"
#include "pure/address_text.h"
#include "system_function.h"
#include "frame/pure/numeric.h"

using namespace orvi;

namespace {

// The records of the type library mirror the platform's sockets records,
// so the platform fills them directly.
#ifdef _WIN64
static_assert(sizeof(HOSTENT) == 32 && offsetof(HOSTENT, hAddrType) == 16 && offsetof(HOSTENT, hAddrList) == 24);
static_assert(sizeof(WSADATA) == 408 && offsetof(WSADATA, dwVendorInfo) == 8 && offsetof(WSADATA, szDescription) == 16 &&
              offsetof(WSADATA, szSystemStatus) == 273);
#else
static_assert(sizeof(HOSTENT) == 16 && offsetof(HOSTENT, hAddrType) == 8 && offsetof(HOSTENT, hAddrList) == 12);
static_assert(sizeof(WSADATA) == 400 && offsetof(WSADATA, szSystemStatus) == 261 && offsetof(WSADATA, wMaxSockets) == 390 &&
              offsetof(WSADATA, dwVendorInfo) == 396);
#endif

const SystemFunction<int(WINAPI*)(WORD, WSADATA*)> wsaStartup{"wsock32.dll", "WSAStartup"};
const SystemFunction<int(WINAPI*)()> wsaCleanup{"wsock32.dll", "WSACleanup"};
const SystemFunction<int(WINAPI*)()> wsaGetLastError{"wsock32.dll", "WSAGetLastError"};
const SystemFunction<int(WINAPI*)(char*, int)> getHostName{"wsock32.dll", "gethostname"};
const SystemFunction<const HOSTENT*(WINAPI*)(const char*)> getHostByName{"wsock32.dll", "gethostbyname"};
const SystemFunction<decltype(&::MessageBoxA)> messageBox{"user32.dll", "MessageBoxA"};

constexpr WORD kSocketsVersion = 0x0101;  // 1.1
constexpr int kHostNameSize = 256;
constexpr int kSocketError = -1;
constexpr short kMinimumSockets = 1;

// Modal, OK only, no icon, the component's title as caption.
void Tell(const std::wstring& text) {
    Attempt([&] { messageBox(nullptr, ToAnsi(text).c_str(), ToAnsi(kTitle).c_str(), MB_OK); });
}

// A step whose failure the member ignores: no error information is left.
void Ignore(HRESULT hr) {
    if (FAILED(hr)) SetErrorInfo(0, nullptr);
}

long LongIn(const Variant& value) { return V_VT(value.Get()) == VT_I4 ? V_I4(value.Get()) : 0; }

template <class Field>
const void* AddressIn(Field field) {
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(static_cast<std::make_unsigned_t<Field>>(field)));
}

Variant LongVariant(long value) {
    Variant result;
    V_VT(result.Put()) = VT_I4;
    V_I4(result.Get()) = value;
    return result;
}

}  // namespace

class clsKvOrviIPHostA final : public ComObject<clsKvOrviIPHostA, _clsKvOrviIPHostA> {
public:
    STDMETHODIMP GetIPAddress(BSTR* result) override {
        return Produce(result, [&] { return Bstr(FirstAddress()); });
    }
    STDMETHODIMP GetIPHostName(BSTR* result) override {
        return Produce(result, [&] { return Bstr(HostName()); });
    }
    STDMETHODIMP HiByte(short wParam, VARIANT* result) override {
        return Produce(result, [&] { return LongVariant((wParam / 256) & 0xFF); });
    }
    STDMETHODIMP LoByte(short wParam, VARIANT* result) override {
        return Produce(result, [&] { return LongVariant(wParam & 0xFF); });
    }
    STDMETHODIMP SocketsCleanup() override {
        return Member([&] {
            if (wsaCleanup() != 0) Tell(L"Socket error occurred in Cleanup.");
        });
    }
    STDMETHODIMP SocketsInitialize(VARIANT_BOOL* result) override {
        return Produce(result, [&] { return StartSockets() ? VARIANT_TRUE : VARIANT_FALSE; });
    }

private:
    bool StartSockets() {
        WSADATA data{};
        int started = kSocketError;
        if (!Attempt([&] { started = wsaStartup(kSocketsVersion, &data); }) || started != 0) {
            Tell(L"The 32-bit Windows Socket is not responding.");
            return false;
        }
        if (data.wMaxSockets < kMinimumSockets) {
            Tell(L"This application requires a minimum of " + numeric::IntegerText(kMinimumSockets) + L" supported sockets.");
            UndoStart();
            return false;
        }
        Variant major, minor;
        Ignore(LoByte(data.wVersion, major.Put()));
        Ignore(HiByte(data.wVersion, minor.Put()));
        const long lo = LongIn(major), hi = LongIn(minor);
        if (lo < 1 || (lo == 1 && hi < 1)) {
            Tell(L"Sockets version " + numeric::IntegerText(lo) + L"." + numeric::IntegerText(hi) +
                 L" is not supported by 32-bit Windows Sockets.");
            UndoStart();
            return false;
        }
        return true;
    }

    // A start-up that is reported as failed leaves nothing for the caller to balance.
    static void UndoStart() {
        Attempt([] { wsaCleanup(); });
    }

    bool Initialize() {
        VARIANT_BOOL started = VARIANT_FALSE;
        Ignore(SocketsInitialize(&started));
        return started != VARIANT_FALSE;
    }
    void Cleanup() { Ignore(SocketsCleanup()); }

    // The host name, or nothing after telling the user why not.
    std::optional<std::string> AskHostName(const wchar_t* unableText) {
        std::vector<char> buffer(kHostNameSize + 1, '\0');
        int answer = kSocketError;
        Attempt([&] { answer = getHostName(buffer.data(), kHostNameSize); });
        if (answer == kSocketError) {
            int code = 0;
            Attempt([&] { code = wsaGetLastError(); });
            Tell(L"Windows Sockets error " + network::SignedNumberText(code) + L" has occurred." + unableText);
            return std::nullopt;
        }
        return std::string(buffer.data());
    }

    std::wstring HostName() {
        if (!Initialize()) return {};
        std::wstring name;
        if (auto answer = AskHostName(L"  Unable to successfully get Host Name.")) name = FromAnsi(*answer);
        Cleanup();
        return name;
    }

    std::wstring FirstAddress() {
        if (!Initialize()) return {};
        std::wstring address;
        if (auto answer = AskHostName(L" Unable to successfully get Host Name.")) {
            const std::string name = TrimSpaces(*answer);
            if (auto bytes = FirstAddressOf(name)) address = network::DottedAddressText(*bytes);
            else Tell(L"Windows Sockets are not responding. Unable to successfully get Host Name.");
        }
        Cleanup();
        return address;
    }

    static std::string TrimSpaces(const std::string& text) {
        const size_t first = text.find_first_not_of(' ');
        if (first == std::string::npos) return {};
        return text.substr(first, text.find_last_not_of(' ') - first + 1);
    }

    // The bytes of the first address gethostbyname lists; nothing when it
    // gives no record or a record without an address.
    static std::optional<std::vector<std::uint8_t>> FirstAddressOf(const std::string& name) {
        const HOSTENT* answer = nullptr;
        Attempt([&] { answer = getHostByName(name.c_str()); });
        if (!answer) return std::nullopt;
        HOSTENT record;
        std::memcpy(&record, answer, sizeof record);
        const auto* list = static_cast<const char* const*>(AddressIn(record.hAddrList));
        if (!list || !list[0] || record.hLen <= 0) return std::nullopt;
        const auto* first = reinterpret_cast<const std::uint8_t*>(list[0]);
        return std::vector<std::uint8_t>(first, first + record.hLen);
    }
};

static const ClassRegistration<clsKvOrviIPHostA> registration;
