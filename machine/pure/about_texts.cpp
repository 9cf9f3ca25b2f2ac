#include "about_texts.h"

#include "utilities/pure/shell_rules.h"

namespace orvi::about {

std::wstring DefaultApplicationText(const VersionInformation& version) {
    return shell::VersionText(version.major, version.minor, version.revision) + L"#" + version.productName;
}

std::wstring DefaultProductInfo(const VersionInformation& version, const std::wstring& componentName) {
    if (!version.companyName.empty() && !version.legalTrademarks.empty())
        return version.legalTrademarks + L" are legal trademarks of " + version.companyName;
    return componentName + L" is a legal trademark of " +
           (version.companyName.empty() ? std::wstring(L"Corvane Systems") : version.companyName);
}

}  // namespace orvi::about
