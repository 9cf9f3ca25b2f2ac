// Host name, IPv4 address and adapter address: live under Wine, and over
// substituted sockets and NetBIOS answers. Message boxes always go to a
// recorder.
#include <windows.h>
#include <nb30.h>

#include <atomic>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "errors.h"
#include "orvilib10_h.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

struct ShownBox {
    HWND owner;
    std::string text, caption;
    UINT flags;
};
std::vector<ShownBox> shown;
int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
    shown.push_back({owner, text ? text : "", caption ? caption : "", flags});
    return IDOK;
}

// The sockets library as the tests want it to answer.
struct FakeSockets {
    int startupAnswer = 0;
    short version = 0x0101, maxSockets = 32767;
    int cleanups = 0, cleanupAnswer = 0;
    int hostNameAnswer = 0, lastError = 0;
    std::string hostName = "WS01";
    bool hasRecord = true;
    std::vector<std::vector<unsigned char>> addresses{{10, 1, 2, 3}};
    std::string askedFor;
} fake;

int WINAPI FakeStartup(WORD requested, WSADATA* data) {
    EXPECT_EQ(0x0101, requested);
    std::memset(data, 0, sizeof *data);
    data->wVersion = fake.version;
    data->wHighVersion = fake.version;
    data->wMaxSockets = fake.maxSockets;
    return fake.startupAnswer;
}
int WINAPI FakeCleanup() {
    ++fake.cleanups;
    return fake.cleanupAnswer;
}
int WINAPI FakeLastError() { return fake.lastError; }
int WINAPI FakeHostName(char* buffer, int size) {
    EXPECT_EQ(256, size);
    if (fake.hostNameAnswer != 0) return fake.hostNameAnswer;
    std::strncpy(buffer, fake.hostName.c_str(), static_cast<size_t>(size));
    return 0;
}
const HOSTENT* WINAPI FakeHostByName(const char* name) {
    fake.askedFor = name;
    if (!fake.hasRecord) return nullptr;
    static std::vector<char*> list;
    static HOSTENT record;
    list.clear();
    for (auto& address : fake.addresses) list.push_back(reinterpret_cast<char*>(address.data()));
    list.push_back(nullptr);
    record = HOSTENT{};
    record.hAddrType = 2;
    record.hLen = 4;
    record.hAddrList = reinterpret_cast<std::intptr_t>(list.data());
    return &record;
}

class SocketsTest : public testing::Test {
protected:
    void SetUp() override {
        shown.clear();
        fake = FakeSockets{};
        scope.Replace<decltype(&::MessageBoxA)>("user32.dll", "MessageBoxA", &RecordMessageBox);
    }
    void Fake() {
        scope.Replace<int(WINAPI*)(WORD, WSADATA*)>("wsock32.dll", "WSAStartup", &FakeStartup);
        scope.Replace<int(WINAPI*)()>("wsock32.dll", "WSACleanup", &FakeCleanup);
        scope.Replace<int(WINAPI*)()>("wsock32.dll", "WSAGetLastError", &FakeLastError);
        scope.Replace<int(WINAPI*)(char*, int)>("wsock32.dll", "gethostname", &FakeHostName);
        scope.Replace<const HOSTENT*(WINAPI*)(const char*)>("wsock32.dll", "gethostbyname", &FakeHostByName);
    }
    ComPtr<_clsKvOrviIPHostA> host = CreateThroughFactory<_clsKvOrviIPHostA>(__uuidof(clsKvOrviIPHostA));
    SubstituteScope scope;

    std::wstring HostName() {
        Bstr name;
        EXPECT_EQ(S_OK, host->GetIPHostName(name.Put()));
        return std::wstring(name.View());
    }
    std::wstring Address() {
        Bstr address;
        EXPECT_EQ(S_OK, host->GetIPAddress(address.Put()));
        return std::wstring(address.View());
    }
    void ExpectOneBox(const std::string& text) {
        ASSERT_EQ(1u, shown.size());
        EXPECT_EQ(text, shown[0].text);
        EXPECT_EQ("Orvilib10", shown[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK), shown[0].flags);  // OK only, no icon
        EXPECT_EQ(nullptr, shown[0].owner);
    }
};

TEST_F(SocketsTest, LiveHostNameIsGethostname) {
    using Startup = int(WINAPI*)(WORD, void*);
    HMODULE sockets = LoadLibraryA("wsock32.dll");
    ASSERT_TRUE(sockets);
    auto find = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(sockets, name)); };
    auto startup = reinterpret_cast<Startup>(find("WSAStartup"));
    auto cleanup = reinterpret_cast<int(WINAPI*)()>(find("WSACleanup"));
    auto hostname = reinterpret_cast<int(WINAPI*)(char*, int)>(find("gethostname"));
    std::vector<char> data(1024);
    ASSERT_EQ(0, startup(0x0101, data.data()));
    char expected[256] = {};
    ASSERT_EQ(0, hostname(expected, 256));
    cleanup();

    EXPECT_EQ(std::wstring(expected, expected + std::strlen(expected)), HostName());
    const std::wstring address = Address();
    EXPECT_TRUE(std::regex_match(address, std::wregex(L"(25[0-5]|2[0-4][0-9]|1?[0-9]?[0-9])(\\.(25[0-5]|2[0-4][0-9]|1?[0-9]?[0-9])){3}")))
        << std::string(address.begin(), address.end());
    EXPECT_TRUE(shown.empty());
}

TEST_F(SocketsTest, EachCallStartsAndCleansUpOnce) {
    Fake();
    EXPECT_EQ(L"WS01", HostName());
    EXPECT_EQ(1, fake.cleanups);
    EXPECT_EQ(L"10.1.2.3", Address());
    EXPECT_EQ(2, fake.cleanups);
    EXPECT_TRUE(shown.empty());
}

TEST_F(SocketsTest, OnlyTheFirstListedAddressIsReported) {
    Fake();
    fake.hostName = "  WS01  ";
    fake.addresses = {{192, 168, 0, 7}, {10, 0, 0, 1}};
    EXPECT_EQ(L"192.168.0.7", Address());
    EXPECT_EQ("WS01", fake.askedFor);  // blanks trimmed before the lookup
}

TEST_F(SocketsTest, FailingStartupIsShownAndReturnsEmpty) {
    Fake();
    fake.startupAnswer = 10091;  // WSASYSNOTREADY
    EXPECT_EQ(L"", HostName());
    ExpectOneBox("The 32-bit Windows Socket is not responding.");
    EXPECT_EQ(0, fake.cleanups);
    shown.clear();
    EXPECT_EQ(L"", Address());
    ExpectOneBox("The 32-bit Windows Socket is not responding.");
    shown.clear();
    VARIANT_BOOL started = VARIANT_TRUE;
    EXPECT_EQ(S_OK, host->SocketsInitialize(&started));
    EXPECT_EQ(VARIANT_FALSE, started);
    ExpectOneBox("The 32-bit Windows Socket is not responding.");
    EXPECT_FALSE(TakeErrorInfo().present);
}

TEST_F(SocketsTest, MissingSocketsLibraryIsShownNotRaised) {
    scope.RemoveLibrary("wsock32.dll");
    EXPECT_EQ(L"", HostName());
    ExpectOneBox("The 32-bit Windows Socket is not responding.");
    EXPECT_FALSE(TakeErrorInfo().present);
    // Clean-up on its own raises what stops it.
    EXPECT_EQ(ErrorHResult(errFileNotFound), host->SocketsCleanup());
    EXPECT_EQ(L"Orvilib10.clsKvOrviIPHostA", TakeErrorInfo().source);
}

struct RefusedStartup {
    short version, maxSockets;
    const char* message;
};
class RefusedStartupTest : public SocketsTest, public testing::WithParamInterface<RefusedStartup> {};

TEST_P(RefusedStartupTest, IsShownAndUndone) {
    Fake();
    fake.version = GetParam().version;
    fake.maxSockets = GetParam().maxSockets;
    VARIANT_BOOL started = VARIANT_TRUE;
    EXPECT_EQ(S_OK, host->SocketsInitialize(&started));
    EXPECT_EQ(VARIANT_FALSE, started);
    ExpectOneBox(GetParam().message);
    EXPECT_EQ(1, fake.cleanups);  // nothing left for the caller to balance
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RefusedStartupTest,
    testing::Values(RefusedStartup{0x0001, 100, "Sockets version 1.0 is not supported by 32-bit Windows Sockets."},
                    RefusedStartup{0x0100, 100, "Sockets version 0.1 is not supported by 32-bit Windows Sockets."},
                    RefusedStartup{0x0101, 0, "This application requires a minimum of 1 supported sockets."},
                    RefusedStartup{0x0101, -1, "This application requires a minimum of 1 supported sockets."}));

TEST_F(SocketsTest, AcceptedVersions) {
    Fake();
    for (short version : {short{0x0101}, short{0x0202}, short{0x0002}}) {
        fake.version = version;
        VARIANT_BOOL started = VARIANT_FALSE;
        EXPECT_EQ(S_OK, host->SocketsInitialize(&started));
        EXPECT_EQ(VARIANT_TRUE, started) << version;
        EXPECT_EQ(S_OK, host->SocketsCleanup());
    }
    EXPECT_TRUE(shown.empty());
}

TEST_F(SocketsTest, FailingGethostnameIsShownWithItsCode) {
    Fake();
    fake.hostNameAnswer = -1;
    fake.lastError = 10093;
    EXPECT_EQ(L"", HostName());
    ExpectOneBox("Windows Sockets error  10093 has occurred.  Unable to successfully get Host Name.");
    EXPECT_EQ(1, fake.cleanups);
    shown.clear();
    EXPECT_EQ(L"", Address());
    ExpectOneBox("Windows Sockets error  10093 has occurred. Unable to successfully get Host Name.");
    EXPECT_EQ(2, fake.cleanups);
    shown.clear();
    fake.lastError = -5;
    EXPECT_EQ(L"", HostName());
    ExpectOneBox("Windows Sockets error -5 has occurred.  Unable to successfully get Host Name.");
}

TEST_F(SocketsTest, NoHostRecordIsShown) {
    Fake();
    for (bool record : {false, true}) {
        shown.clear();
        fake.hasRecord = record;
        fake.addresses.clear();  // a record listing no address counts as none
        EXPECT_EQ(L"", Address());
        ExpectOneBox("Windows Sockets are not responding. Unable to successfully get Host Name.");
    }
    EXPECT_EQ(2, fake.cleanups);
}

TEST_F(SocketsTest, FailingCleanupIsShown) {
    Fake();
    fake.cleanupAnswer = -1;
    EXPECT_EQ(S_OK, host->SocketsCleanup());
    ExpectOneBox("Socket error occurred in Cleanup.");
    shown.clear();
    EXPECT_EQ(L"WS01", HostName());
    ExpectOneBox("Socket error occurred in Cleanup.");
}

TEST_F(SocketsTest, LiveCleanupWithoutStartupIsShown) {
    EXPECT_EQ(S_OK, host->SocketsCleanup());
    ExpectOneBox("Socket error occurred in Cleanup.");
}

TEST_F(SocketsTest, ByteHelpersLateBound) {
    struct {
        short value;
        long high, low;
    } const rows[] = {{257, 1, 1}, {513, 2, 1}, {-1, 0, 255}, {-256, 255, 0}, {0x7FFF, 127, 255}, {-32768, 128, 0}, {0, 0, 0}};
    ComPtr<IDispatch> late = host.As<IDispatch>();
    for (const auto& row : rows) {
        Variant argument;
        V_VT(argument.Put()) = VT_I2;
        V_I2(argument.Get()) = row.value;
        LateCall high = CallMethod(late.Get(), L"HiByte", {argument});
        LateCall low = CallMethod(late.Get(), L"LoByte", {argument});
        ASSERT_EQ(S_OK, high.hr);
        EXPECT_EQ(VT_I4, high.result.Type());
        EXPECT_EQ(row.high, LongOf(high.result)) << row.value;
        EXPECT_EQ(VT_I4, low.result.Type());
        EXPECT_EQ(row.low, LongOf(low.result)) << row.value;
    }
    EXPECT_EQ(0x60030001, DispatchIdOf(late.Get(), L"GetIPAddress"));
    EXPECT_EQ(0x60030006, DispatchIdOf(late.Get(), L"SocketsInitialize"));
    EXPECT_EQ(DISP_E_OVERFLOW, CallMethod(late.Get(), L"HiByte", {LongValue(40000)}).hr);  // no Integer
}

// NetBIOS as the tests want it to answer.
struct FakeNetbios {
    std::vector<NCB> calls;
    UCHAR statusAnswer = NRC_GOODRET;
    unsigned char address[6] = {0x00, 0x50, 0xBA, 0x3C, 0x12, 0xEF};
} netbiosFake;

UCHAR APIENTRY RecordNetbios(PNCB control) {
    netbiosFake.calls.push_back(*control);
    if (control->ncb_command == NCBRESET) {
        control->ncb_retcode = control->ncb_cmd_cplt = NRC_GOODRET;
        return NRC_GOODRET;
    }
    if (netbiosFake.statusAnswer == NRC_GOODRET) std::memcpy(control->ncb_buffer, netbiosFake.address, 6);
    control->ncb_retcode = control->ncb_cmd_cplt = netbiosFake.statusAnswer;
    return netbiosFake.statusAnswer;
}

class AdapterTest : public testing::Test {
protected:
    void SetUp() override {
        netbiosFake = FakeNetbios{};
        scope.Replace<decltype(&::Netbios)>("netapi32.dll", "Netbios", &RecordNetbios);
    }
    std::wstring AddressOf(long lana) {
        Bstr text;
        EXPECT_EQ(S_OK, adapter->EthernetAddress(&lana, text.Put()));
        return std::wstring(text.View());
    }
    ComPtr<_clsKvOrviEthernetAddressA> adapter =
        CreateThroughFactory<_clsKvOrviEthernetAddressA>(__uuidof(clsKvOrviEthernetAddressA));
    SubstituteScope scope;
};

TEST_F(AdapterTest, ResetThenStatusOfTheAskedAdapter) {
    struct {
        long lana;
        UCHAR sent;
    } const rows[] = {{0, 0}, {3, 3}, {255, 255}, {256, 0}, {300, 0}, {-1, 0}};
    for (const auto& row : rows) {
        netbiosFake.calls.clear();
        EXPECT_EQ(L"0050BA3C12EF", AddressOf(row.lana));
        ASSERT_EQ(2u, netbiosFake.calls.size());
        const NCB& reset = netbiosFake.calls[0];
        EXPECT_EQ(NCBRESET, reset.ncb_command);
        EXPECT_EQ(0, reset.ncb_lana_num);
        EXPECT_EQ(nullptr, reset.ncb_buffer);
        EXPECT_EQ(0, reset.ncb_length);
        EXPECT_EQ(std::string(16, '\0'), std::string(reinterpret_cast<const char*>(reset.ncb_callname), 16));
        const NCB& status = netbiosFake.calls[1];
        EXPECT_EQ(NCBASTAT, status.ncb_command);
        EXPECT_EQ(row.sent, status.ncb_lana_num) << row.lana;
        EXPECT_EQ(680, status.ncb_length);
        EXPECT_NE(nullptr, status.ncb_buffer);
        EXPECT_EQ("*               ", std::string(reinterpret_cast<const char*>(status.ncb_callname), 16));
        EXPECT_EQ(NRC_GOODRET, status.ncb_retcode);  // the reset's answer is still in the block
    }
}

// Counts requests that land inside another thread's reset/status sequence.
std::atomic<DWORD> sequenceOwner{0};
std::atomic<int> interleaved{0};
UCHAR APIENTRY WatchSequence(PNCB control) {
    const DWORD self = GetCurrentThreadId();
    if (control->ncb_command == NCBRESET) {
        if (sequenceOwner.exchange(self) != 0) ++interleaved;
        Sleep(1);  // room for another thread to come in
    } else if (sequenceOwner.exchange(0) != self) {
        ++interleaved;
    }
    return NRC_GOODRET;
}

TEST_F(AdapterTest, ResetAndStatusRunAloneAcrossThreads) {
    // NetBIOS state is process-wide: two threads at once deadlocked Wine.
    scope.Replace<decltype(&::Netbios)>("netapi32.dll", "Netbios", &WatchSequence);
    interleaved = 0;
    const auto caller = [] {
        auto own = CreateThroughFactory<_clsKvOrviEthernetAddressA>(__uuidof(clsKvOrviEthernetAddressA));
        for (int call = 0; call < 50; ++call) {
            long lana = 0;
            Bstr text;
            own->EthernetAddress(&lana, text.Put());
        }
    };
    RunOnThreads(caller, 2);
    EXPECT_EQ(0, interleaved.load());
}

TEST_F(AdapterTest, BytesAreTwoUppercaseDigitsEach) {
    const unsigned char bytes[6] = {0x0A, 0x00, 0x01, 0x0F, 0x10, 0xFF};
    std::memcpy(netbiosFake.address, bytes, 6);
    EXPECT_EQ(L"0A00010F10FF", AddressOf(0));
}

TEST_F(AdapterTest, FailingStatusGivesZeros) {
    netbiosFake.statusAnswer = NRC_BRIDGE;
    EXPECT_EQ(L"000000000000", AddressOf(7));
    scope.Remove("netapi32.dll", "Netbios");
    EXPECT_EQ(L"000000000000", AddressOf(0));
    EXPECT_FALSE(TakeErrorInfo().present);
}

LPVOID WINAPI NoHeapBlock(HANDLE, DWORD, SIZE_T) { return nullptr; }

TEST_F(AdapterTest, NoStatusBlockGivesEmpty) {
    scope.Replace<decltype(&::HeapAlloc)>("kernel32.dll", "HeapAlloc", &NoHeapBlock);
    EXPECT_EQ(L"", AddressOf(0));
    ASSERT_EQ(1u, netbiosFake.calls.size());  // the reset only
}

TEST_F(AdapterTest, LiveCallGivesTwelveDigits) {
    scope.Remove("netapi32.dll", "Netbios");
    seams::ClearSubstitutes();
    for (long lana : {0L, 1L, 200L}) {
        const std::wstring text = AddressOf(lana);
        EXPECT_TRUE(std::regex_match(text, std::wregex(L"[0-9A-F]{12}"))) << std::string(text.begin(), text.end());
    }
}

TEST_F(AdapterTest, LateBoundByReference) {
    ComPtr<IDispatch> late = adapter.As<IDispatch>();
    EXPECT_EQ(0x60030001, DispatchIdOf(late.Get(), L"EthernetAddress"));
    LateCall call = CallMethod(late.Get(), L"EthernetAddress", {LongValue(2)});
    ASSERT_EQ(S_OK, call.hr);
    EXPECT_EQ(L"0050BA3C12EF", TextOf(call.result));
    EXPECT_EQ(2, netbiosFake.calls.back().ncb_lana_num);
}

}  // namespace
