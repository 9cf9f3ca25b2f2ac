// The sockets records of the type library describe the platform's own
// records, field by field, for the bitness of this build.
#include <winsock2.h>

#include <cstddef>
#include <map>
#include <string>

#include "com_ptr.h"
#include "module.h"
#include "test_support.h"

using namespace orvi;

namespace {

// Field offsets and the record size as the type library states them.
struct RecordLayout {
    std::map<std::wstring, ULONG> offsets;
    ULONG size = 0;
};

RecordLayout LayoutOf(const GUID& guid) {
    RecordLayout layout;
    ComPtr<ITypeInfo> info = ComPtr<ITypeInfo>::Adopt(module::TypeInfoOf(guid));
    TYPEATTR* attributes = nullptr;
    EXPECT_EQ(S_OK, info->GetTypeAttr(&attributes));
    if (!attributes) return layout;
    EXPECT_EQ(TKIND_RECORD, attributes->typekind);
    layout.size = attributes->cbSizeInstance;
    for (WORD i = 0; i < attributes->cVars; ++i) {
        VARDESC* field = nullptr;
        info->GetVarDesc(i, &field);
        Bstr name;
        UINT count = 0;
        info->GetNames(field->memid, name.Put(), 1, &count);
        layout.offsets[std::wstring(name.View())] = field->oInst;
        info->ReleaseVarDesc(field);
    }
    info->ReleaseTypeAttr(attributes);
    return layout;
}

TEST(SocketsRecords, HostEntMirrorsThePlatformRecord) {
    // {4D8CEE7D-709A-4F69-9E20-3FE60ACB8E35}
    const GUID guid{0x4D8CEE7D, 0x709A, 0x4F69, {0x9E, 0x20, 0x3F, 0xE6, 0x0A, 0xCB, 0x8E, 0x35}};
    const RecordLayout layout = LayoutOf(guid);
    EXPECT_EQ(sizeof(hostent), layout.size);
    EXPECT_EQ(offsetof(hostent, h_name), layout.offsets.at(L"hName"));
    EXPECT_EQ(offsetof(hostent, h_aliases), layout.offsets.at(L"hAliases"));
    EXPECT_EQ(offsetof(hostent, h_addrtype), layout.offsets.at(L"hAddrType"));
    EXPECT_EQ(offsetof(hostent, h_length), layout.offsets.at(L"hLen"));
    EXPECT_EQ(offsetof(hostent, h_addr_list), layout.offsets.at(L"hAddrList"));
}

TEST(SocketsRecords, WsaDataMirrorsThePlatformRecord) {
    // {815F72FF-322C-4E87-A186-0F790129862F}
    const GUID guid{0x815F72FF, 0x322C, 0x4E87, {0xA1, 0x86, 0x0F, 0x79, 0x01, 0x29, 0x86, 0x2F}};
    const RecordLayout layout = LayoutOf(guid);
    EXPECT_EQ(sizeof(WSADATA), layout.size);
    EXPECT_EQ(offsetof(WSADATA, wVersion), layout.offsets.at(L"wVersion"));
    EXPECT_EQ(offsetof(WSADATA, wHighVersion), layout.offsets.at(L"wHighVersion"));
    EXPECT_EQ(offsetof(WSADATA, szDescription), layout.offsets.at(L"szDescription"));
    EXPECT_EQ(offsetof(WSADATA, szSystemStatus), layout.offsets.at(L"szSystemStatus"));
    EXPECT_EQ(offsetof(WSADATA, iMaxSockets), layout.offsets.at(L"wMaxSockets"));
    EXPECT_EQ(offsetof(WSADATA, iMaxUdpDg), layout.offsets.at(L"wMaxUDPDG"));
    EXPECT_EQ(offsetof(WSADATA, lpVendorInfo), layout.offsets.at(L"dwVendorInfo"));
}

}  // namespace
