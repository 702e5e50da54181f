// The few records, numbers and the entry point of the TWAIN protocol this
// program uses, declared here because no TWAIN header is available to the
// build.  The protocol packs its records on 2-byte boundaries; the size
// checks below hold for both the 32-bit and the 64-bit build.
#pragma once

#include <windows.h>

#include <cstddef>

using TW_UINT16 = unsigned short;
using TW_INT16 = short;
using TW_UINT32 = unsigned long;
using TW_INT32 = long;
using TW_BOOL = unsigned short;
using TW_HANDLE = HANDLE;
using TW_MEMREF = void*;
using TW_STR32 = char[34];

static_assert(sizeof(TW_UINT32) == 4, "TW_UINT32 is 32 bits in both builds");

#pragma pack(push, 2)

struct TW_VERSION {
    TW_UINT16 MajorNum;
    TW_UINT16 MinorNum;
    TW_UINT16 Language;
    TW_UINT16 Country;
    TW_STR32 Info;
};

struct TW_IDENTITY {
    TW_UINT32 Id;
    TW_VERSION Version;
    TW_UINT16 ProtocolMajor;
    TW_UINT16 ProtocolMinor;
    TW_UINT32 SupportedGroups;
    TW_STR32 Manufacturer;
    TW_STR32 ProductFamily;
    TW_STR32 ProductName;
};

struct TW_STATUS {
    TW_UINT16 ConditionCode;
    TW_UINT16 Reserved;
};

struct TW_USERINTERFACE {
    TW_BOOL ShowUI;
    TW_BOOL ModalUI;
    TW_HANDLE hParent;
};

struct TW_EVENT {
    TW_MEMREF pEvent;      // the MSG offered to the source
    TW_UINT16 TWMessage;   // what the source makes of it
};

struct TW_PENDINGXFERS {
    TW_UINT16 Count;
    TW_UINT32 Reserved;
};

struct TW_CAPABILITY {
    TW_UINT16 Cap;
    TW_UINT16 ConType;
    TW_HANDLE hContainer;
};

struct TW_ONEVALUE {
    TW_UINT16 ItemType;
    TW_UINT32 Item;
};

struct TW_FIX32 {
    TW_INT16 Whole;
    TW_UINT16 Frac;
};

struct TW_IMAGEINFO {
    TW_FIX32 XResolution;
    TW_FIX32 YResolution;
    TW_INT32 ImageWidth;
    TW_INT32 ImageLength;
    TW_INT16 SamplesPerPixel;
    TW_INT16 BitsPerSample[8];
    TW_INT16 BitsPerPixel;
    TW_BOOL Planar;
    TW_INT16 PixelType;
    TW_UINT16 Compression;
};

#pragma pack(pop)

static_assert(sizeof(TW_VERSION) == 42, "TW_VERSION layout");
static_assert(sizeof(TW_IDENTITY) == 156, "TW_IDENTITY layout");
static_assert(offsetof(TW_IDENTITY, ProtocolMajor) == 46, "TW_IDENTITY layout");
static_assert(offsetof(TW_IDENTITY, SupportedGroups) == 50, "TW_IDENTITY layout");
static_assert(offsetof(TW_IDENTITY, ProductName) == 122, "TW_IDENTITY layout");
static_assert(sizeof(TW_STATUS) == 4, "TW_STATUS layout");
static_assert(sizeof(TW_USERINTERFACE) == 4 + sizeof(void*), "TW_USERINTERFACE layout");
static_assert(offsetof(TW_USERINTERFACE, hParent) == 4, "TW_USERINTERFACE layout");
static_assert(sizeof(TW_EVENT) == sizeof(void*) + 2, "TW_EVENT layout");
static_assert(sizeof(TW_PENDINGXFERS) == 6, "TW_PENDINGXFERS layout");
static_assert(sizeof(TW_CAPABILITY) == 4 + sizeof(void*), "TW_CAPABILITY layout");
static_assert(sizeof(TW_ONEVALUE) == 6, "TW_ONEVALUE layout");
static_assert(sizeof(TW_IMAGEINFO) == 42, "TW_IMAGEINFO layout");

// The source manager's entry point ("DSM_Entry") and a source's ("DS_Entry").
using DsmEntryProc = TW_UINT16(WINAPI*)(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group,
                                        TW_UINT16 dataType, TW_UINT16 message, TW_MEMREF data);

namespace twain {

// Groups.
constexpr TW_UINT32 DG_CONTROL = 0x1;
constexpr TW_UINT32 DG_IMAGE = 0x2;
// Data types.
constexpr TW_UINT16 DAT_CAPABILITY = 0x1;
constexpr TW_UINT16 DAT_EVENT = 0x2;
constexpr TW_UINT16 DAT_IDENTITY = 0x3;
constexpr TW_UINT16 DAT_PARENT = 0x4;
constexpr TW_UINT16 DAT_PENDINGXFERS = 0x5;
constexpr TW_UINT16 DAT_STATUS = 0x8;
constexpr TW_UINT16 DAT_USERINTERFACE = 0x9;
constexpr TW_UINT16 DAT_IMAGEINFO = 0x101;
constexpr TW_UINT16 DAT_IMAGENATIVEXFER = 0x104;
// Messages.
constexpr TW_UINT16 MSG_NULL = 0x0;
constexpr TW_UINT16 MSG_GET = 0x1;
constexpr TW_UINT16 MSG_GETDEFAULT = 0x3;
constexpr TW_UINT16 MSG_SET = 0x6;
constexpr TW_UINT16 MSG_RESET = 0x7;
constexpr TW_UINT16 MSG_XFERREADY = 0x101;
constexpr TW_UINT16 MSG_CLOSEDSREQ = 0x102;
constexpr TW_UINT16 MSG_CLOSEDSOK = 0x103;
constexpr TW_UINT16 MSG_OPENDSM = 0x301;
constexpr TW_UINT16 MSG_CLOSEDSM = 0x302;
constexpr TW_UINT16 MSG_OPENDS = 0x401;
constexpr TW_UINT16 MSG_CLOSEDS = 0x402;
constexpr TW_UINT16 MSG_USERSELECT = 0x403;
constexpr TW_UINT16 MSG_DISABLEDS = 0x501;
constexpr TW_UINT16 MSG_ENABLEDS = 0x502;
constexpr TW_UINT16 MSG_PROCESSEVENT = 0x601;
constexpr TW_UINT16 MSG_ENDXFER = 0x701;
// Return codes.
constexpr TW_UINT16 TWRC_SUCCESS = 0;
constexpr TW_UINT16 TWRC_FAILURE = 1;
constexpr TW_UINT16 TWRC_CHECKSTATUS = 2;
constexpr TW_UINT16 TWRC_CANCEL = 3;
constexpr TW_UINT16 TWRC_DSEVENT = 4;
constexpr TW_UINT16 TWRC_NOTDSEVENT = 5;
constexpr TW_UINT16 TWRC_XFERDONE = 6;
constexpr TW_UINT16 TWRC_ENDOFLIST = 7;
// Condition codes used by the test source.
constexpr TW_UINT16 TWCC_SUCCESS = 0;
constexpr TW_UINT16 TWCC_BUMMER = 1;
constexpr TW_UINT16 TWCC_SEQERROR = 11;
// Containers, item types, capabilities.
constexpr TW_UINT16 TWON_ONEVALUE = 5;
constexpr TW_UINT16 TWON_DONTCARE16 = 0xFFFF;
constexpr TW_UINT16 TWTY_INT16 = 0x1;
constexpr TW_UINT16 TWTY_UINT16 = 0x4;
constexpr TW_UINT16 CAP_XFERCOUNT = 0x1;
// Languages, countries, protocol.
constexpr TW_UINT16 TWLG_ENGLISH_USA = 13;
constexpr TW_UINT16 TWCY_CHINA = 86;

}  // namespace twain
