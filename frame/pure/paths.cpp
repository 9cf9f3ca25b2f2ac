#include "paths.h"

namespace orvi::paths {
namespace {
constexpr std::wstring_view kSeparators = L"\\/";
}

std::wstring FolderOf(std::wstring_view path) {
    const std::size_t last = path.find_last_of(kSeparators);
    if (last == std::wstring_view::npos) return {};
    std::wstring_view folder = path.substr(0, last);
    if (folder.empty() || folder.back() == L':') folder = path.substr(0, last + 1);
    return std::wstring(folder);
}

std::wstring BaseNameOf(std::wstring_view path) {
    const std::size_t last = path.find_last_of(kSeparators);
    std::wstring_view name = last == std::wstring_view::npos ? path : path.substr(last + 1);
    const std::size_t dot = name.rfind(L'.');
    if (dot != std::wstring_view::npos && dot > 0) name = name.substr(0, dot);
    return std::wstring(name);
}

}  // namespace orvi::paths
