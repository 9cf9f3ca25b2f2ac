// Actions on the user's session and queries of shell services, used by the
// machine-information class. Each wraps one system facility.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <string>
#include <string_view>

namespace orvi::session {

// Whether the library exports the function; False for a name the code page
// cannot hold exactly, which could load or look up another.
bool FunctionPresent(std::wstring_view functionName, std::wstring_view libraryName);
// The applet command line of a control-panel setting, empty for an unknown one.
std::wstring ControlPanelCommand(long setting);
// Starts a command line with its window shown, without waiting; the new
// process's identifier. Raises when the process cannot be started.
long StartProcess(const std::wstring& commandLine);
long ExitSession(long exitType);
long LoadStockIcon(long stockIcon);
void DrawIconAt(long deviceContext, long x, long y, long icon);
// Fills a one-dimensional String array with "name | description" of every
// ODBC system data source (one empty element when there is none). Raises
// 10 when the caller's array is fixed or locked.
void ListSystemDataSources(SAFEARRAY** sources);
bool ConnectedToInternet(short* connectMode);
// Shows the shell about box; the texts are already composed.
void ShowShellAbout(long ownerWindow, const std::wstring& applicationText, const std::wstring& productInfo, long icon);

}  // namespace orvi::session
