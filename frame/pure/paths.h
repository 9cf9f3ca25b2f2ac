// Splitting the component's own file path. Free of the platform headers.
#pragma once
#include <string>
#include <string_view>

namespace orvi::paths {

// The folder of a file, without a trailing separator, except that a drive's
// root folder keeps its backslash ("C:\x.dll" gives "C:\").
std::wstring FolderOf(std::wstring_view path);
// The file name without folder and without its last extension.
std::wstring BaseNameOf(std::wstring_view path);

}  // namespace orvi::paths
