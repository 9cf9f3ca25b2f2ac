// The shell, window and timing routines of the utilities class, and the
// module routines that name the component.
#pragma once
#include <windows.h>

#include <string>

namespace orvi::shell {

// The component's name ("Orvilib10"), cached per thread.
std::wstring ComponentName();
// "1.00.0084".
std::wstring ComponentVersionText();

struct LaunchRequest {
    std::wstring file;
    long showCommand = 10;
    std::wstring parameters, defaultDirectory;
    std::wstring operation = L"open";
    long owner = 0;
};
// Opens a document or starts a program through the shell. False when the
// shell refused, with the reason left on the thread as error information
// (source "<component file name>.GShell"); the caller still succeeds.
// The operation text is written back as it reads after the ANSI round trip.
bool Launch(LaunchRequest& request);

// A random 64 KB aligned DLL base address in "&H" notation; raises 6 for a
// draw beyond the signed range.
std::wstring ProposeDllBaseAddress();

void KeepOnTop(long window, bool onTop);

// Blocks the calling thread; negative durations do not wait at all.
void Pause(float howLong, bool asMilliseconds);

// Writes "<ComponentName>.lnk" on the all-users desktop, pointing to a
// program of that name in the component's folder. Never fails.
void WriteDesktopShortcut();

// Plays a wave file asynchronously (repeating when continuous). False,
// without asking the system, for a name the code page cannot hold exactly.
bool PlayWave(const std::wstring& file, bool continuous);

}  // namespace orvi::shell
