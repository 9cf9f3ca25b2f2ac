// Ids of the component's own resources.
#pragma once

#define IDS_PLATFORM_WIN32S 125
#define IDS_PLATFORM_WIN32_9X 126
#define IDS_PLATFORM_WIN32_NT 127
#define IDS_WINDOWS 140
#define IDS_INTERNET_EXPLORER 150

#define ORVI_VERSION_BINARY 1, 0, 0, 84
#define ORVI_VERSION_TEXT "1.00.0084"
#define ORVI_COMPANY "Zandrel"
#define ORVI_PRODUCT "Orvilib10 System Information Library"
#define ORVI_TRADEMARKS "Orvilib10 is a trademark of Zandrel"
