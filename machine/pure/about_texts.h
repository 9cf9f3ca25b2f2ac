// The texts of the shell about box when the caller gives none.
#pragma once
#include <string>

namespace orvi::about {

struct VersionInformation {
    std::wstring companyName, productName, legalTrademarks;
    long major = 0, minor = 0, revision = 0;
};

// Title bar text: version text, "#", product name.
std::wstring DefaultApplicationText(const VersionInformation& version);
// The further line: trademarks of the company, or the component's name as
// a trademark of the company (or of "Corvane Systems" when there is none).
std::wstring DefaultProductInfo(const VersionInformation& version, const std::wstring& componentName);

}  // namespace orvi::about
