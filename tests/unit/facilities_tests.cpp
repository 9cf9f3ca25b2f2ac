// The members that report system facilities, against real ones: ODBC system
// data sources on the SQLite driver through the Unix driver manager, and an
// ALSA null sound device. The ctest entries unit.facilities and
// unit.facilities.silent prepare them (tests/CMakeLists.txt) and say so in
// ORVI_FACILITIES; run elsewhere, these cases skip.
#include <windows.h>
#include <mmsystem.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "orvilib10_h.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

// Whether the run's environment holds the facility: "sources" (two system
// data sources), "sound" (a sound device) or "silent" (none).
bool Prepared(std::string_view facility) {
    const char* prepared = std::getenv("ORVI_FACILITIES");
    return prepared && std::string_view(prepared).find(facility) != std::string_view::npos;
}

// An ODBC handle, its connection closed and the handle freed when it goes.
struct OdbcHandle {
    explicit OdbcHandle(SQLSMALLINT type) : type(type) {}
    ~OdbcHandle() {
        if (!handle) return;
        if (type == SQL_HANDLE_DBC) SQLDisconnect(handle);
        SQLFreeHandle(type, handle);
    }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;
    SQLSMALLINT type;
    SQLHANDLE handle = SQL_NULL_HANDLE;
};

TEST(Facilities, DSNsListsTheSystemSourcesOfTheDriverManager) {
    if (!Prepared("sources")) GTEST_SKIP() << "the data sources are prepared by ctest's unit.facilities";
    OdbcHandle environment(SQL_HANDLE_ENV);
    const SQLRETURN allocated = SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment.handle);
    // Measured: Wine 8's odbc32.so has no 32-bit entry points, so its 32-bit
    // odbc32 answers 309 (the low word of STATUS_DLL_NOT_FOUND) in WoW64 mode.
    if (sizeof(void*) == 4 && allocated != SQL_SUCCESS)
        SKIP_BECAUSE("the 32-bit (WoW64) odbc32 of this Wine cannot reach the Unix driver manager");
    ASSERT_EQ(SQL_SUCCESS, allocated);

    auto machine = CreateThroughFactory<_clsKvOrviUtilitesWinInfoA>(__uuidof(clsKvOrviUtilitesWinInfoA));
    SAFEARRAY* sources = nullptr;
    ASSERT_EQ(S_OK, machine->DSNs(&sources));
    // The driver manager describes a source by its driver's name.
    EXPECT_EQ((std::vector<std::wstring>{L"OrviFirst | SQLite3", L"OrviSecond | SQLite3"}), TextsOf(sources));
    SafeArrayDestroy(sources);

    // The first source is real: a connection through it answers a query.
    ASSERT_EQ(SQL_SUCCESS, SQLSetEnvAttr(environment.handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0));
    OdbcHandle connection(SQL_HANDLE_DBC), statement(SQL_HANDLE_STMT);
    ASSERT_EQ(SQL_SUCCESS, SQLAllocHandle(SQL_HANDLE_DBC, environment.handle, &connection.handle));
    SQLCHAR source[] = "DSN=OrviFirst;";
    ASSERT_TRUE(SQL_SUCCEEDED(SQLDriverConnect(connection.handle, nullptr, source, SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)));
    ASSERT_EQ(SQL_SUCCESS, SQLAllocHandle(SQL_HANDLE_STMT, connection.handle, &statement.handle));
    SQLCHAR query[] = "select 6 * 7";
    ASSERT_EQ(SQL_SUCCESS, SQLExecDirect(statement.handle, query, SQL_NTS));
    ASSERT_EQ(SQL_SUCCESS, SQLFetch(statement.handle));
    SQLINTEGER answer = 0;
    SQLLEN indicator = 0;
    ASSERT_EQ(SQL_SUCCESS, SQLGetData(statement.handle, 1, SQL_C_SLONG, &answer, 0, &indicator));
    EXPECT_EQ(42, answer);
}

// A tenth of a second of silence, 8-bit mono at 8 kHz, in the temporary folder.
class TinyWave {
public:
    TinyWave() {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        path = std::string(folder) + "orvi_tiny_" + std::to_string(GetCurrentProcessId()) + ".wav";
        const std::string samples(800, '\x80');
        const auto word = [](std::uint32_t value, int bytes) { return std::string(reinterpret_cast<const char*>(&value), bytes); };
        std::ofstream(path, std::ios::binary) << "RIFF" << word(36 + samples.size(), 4) << "WAVEfmt " << word(16, 4)
                                              << word(1, 2) << word(1, 2) << word(8000, 4) << word(8000, 4) << word(1, 2)
                                              << word(8, 2) << "data" << word(samples.size(), 4) << samples;
    }
    ~TinyWave() { DeleteFileA(path.c_str()); }
    TinyWave(const TinyWave&) = delete;
    TinyWave& operator=(const TinyWave&) = delete;
    std::string path;
};

// The member's sound requests, passed on to the system; what it answered.
std::vector<std::tuple<std::string, UINT, BOOL>> requests;
BOOL WINAPI PassedOnSound(LPCSTR name, UINT flags) {
    const BOOL taken = ::sndPlaySoundA(name, flags);
    requests.emplace_back(name ? name : "", flags, taken);
    return taken;
}

// Wine's winmm counts the devices once per process: unit.facilities runs
// this with the null device, unit.facilities.silent without any.
TEST(Facilities, SoundCardAndPlaySoundOnTheSystemsDevices) {
    if (!Prepared("sound") && !Prepared("silent")) GTEST_SKIP() << "the sound devices are prepared by ctest's unit.facilities";
    const bool device = Prepared("sound");
    auto utilities = CreateThroughFactory<_clsKvOrviUtilitesA>(__uuidof(clsKvOrviUtilitesA));
    ComPtr<_clsKvOrviUtilitesWinInfoA> machine;
    ASSERT_EQ(S_OK, utilities->get_MyComputer(machine.Put()));
    VARIANT_BOOL card = 7;
    ASSERT_EQ(S_OK, machine->get_SoundCard(&card));
    EXPECT_EQ(device ? VARIANT_TRUE : VARIANT_FALSE, card);
    const LateCall late = GetProperty(machine.As<IDispatch>().Get(), L"SoundCard");
    ASSERT_EQ(VT_BOOL, late.result.Type());
    EXPECT_EQ(card, V_BOOL(late.result.Get()));

    // Played to its end, the file sounds only on a device.
    const TinyWave wave;
    EXPECT_EQ(device, ::sndPlaySoundA(wave.path.c_str(), SND_SYNC) != FALSE);

    // The member only plays asynchronously, once or repeating; the system
    // takes each request, and a later one replaces the repeating sound.
    SubstituteScope scope;
    scope.Replace<decltype(&::sndPlaySoundA)>("winmm.dll", "sndPlaySoundA", &PassedOnSound);
    requests.clear();
    for (const VARIANT_BOOL continuous : {VARIANT_FALSE, VARIANT_TRUE, VARIANT_FALSE}) {
        Bstr name(std::wstring(wave.path.begin(), wave.path.end()));
        BSTR argument = name.Detach();
        VARIANT_BOOL repeat = continuous;
        EXPECT_EQ(S_OK, utilities->PlaySound(&argument, &repeat));
        EXPECT_FALSE(TakeErrorInfo().present);
        SysFreeString(argument);
    }
    const std::vector<std::tuple<std::string, UINT, BOOL>> expected = {
        {wave.path, SND_ASYNC, TRUE}, {wave.path, SND_ASYNC | SND_LOOP, TRUE}, {wave.path, SND_ASYNC, TRUE}};
    EXPECT_EQ(expected, requests);
    ::sndPlaySoundA(nullptr, 0);  // the sound ends before the file goes
}

}  // namespace
