// A TWAIN data source for the tests, installed where the system's source
// manager looks for one.  It sends the pictures a script names (the
// environment variable OMMAVU_TEST_SOURCE_SCRIPT, read when the source is
// enabled), one token each:
//   1b 4t 8b 16b 24t 32b ...  a picture of that depth, rows bottom-up (b) or
//                             top-down (t)
//   bad                       a packed DIB whose rows run past its end
//   fail                      the transfer fails
//   cancel                    the transfer is cancelled
//   close                     (last) ask to be closed once all are sent
//   quit                      (alone) the user closes the source's window
// With OMMAVU_TEST_SOURCE_UNSIGNED_COUNT set it refuses a signed transfer
// count and offers its own unsigned one.
// What the program asked of it is kept in a log, read through TestSourceLog.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "test_pictures.h"
#include "twain_types.h"

using namespace twain;

namespace {

TW_IDENTITY g_self{};
TW_IDENTITY g_application{};
std::vector<std::string> g_script;
size_t g_next = 0;       // script token of the next transfer
bool g_closeWhenDone = false;
TW_UINT16 g_condition = TWCC_SUCCESS;
std::string g_log;

void Log(const std::string& entry) {
    if (!g_log.empty()) g_log += ' ';
    g_log += entry;
}

size_t Pending() {
    size_t n = 0;
    for (size_t i = g_next; i < g_script.size(); ++i) ++n;
    return n;
}

// Reports to the program through the source manager's DAT_NULL triplet.
void Tell(TW_UINT16 message) {
    HMODULE manager = GetModuleHandleA("twain_32.dll");
    auto entry = manager ? reinterpret_cast<DsmEntryProc>(reinterpret_cast<void*>(GetProcAddress(manager, "DSM_Entry")))
                         : nullptr;
    if (entry) entry(&g_self, &g_application, DG_CONTROL, 0 /* DAT_NULL */, message, nullptr);
}

void ReadScript() {
    g_script.clear();
    g_next = 0;
    g_closeWhenDone = false;
    char text[1024] = {};
    GetEnvironmentVariableA("OMMAVU_TEST_SOURCE_SCRIPT", text, sizeof text);
    std::string token;
    for (const char* p = text;; ++p) {
        if (*p && *p != ' ') {
            token += *p;
            continue;
        }
        if (token == "close") g_closeWhenDone = true;
        else if (!token.empty()) g_script.push_back(token);
        token.clear();
        if (!*p) break;
    }
}

bool PictureToken(const std::string& token, int* bits, bool* topDown) {
    if (token.size() < 2) return false;
    const char last = token.back();
    if (last != 'b' && last != 't') return false;
    *bits = std::atoi(token.c_str());
    *topDown = last == 't';
    return *bits > 0;
}

TW_UINT16 Fail(TW_UINT16 condition) {
    g_condition = condition;
    return TWRC_FAILURE;
}

TW_UINT16 Control(TW_UINT16 dataType, TW_UINT16 message, TW_MEMREF data) {
    switch (dataType) {
    case DAT_IDENTITY: {
        auto* identity = static_cast<TW_IDENTITY*>(data);
        if (message == MSG_GET) {
            const TW_UINT32 id = identity->Id;
            std::memset(identity, 0, sizeof *identity);
            identity->Id = id;
            identity->Version.MajorNum = 1;
            identity->ProtocolMajor = 1;
            identity->ProtocolMinor = 9;
            identity->SupportedGroups = DG_CONTROL | DG_IMAGE;
            lstrcpyA(identity->Manufacturer, "Ommavu Tests");
            lstrcpyA(identity->ProductFamily, "Scripted");
            lstrcpyA(identity->ProductName, "Ommavu Test Scanner");
            return TWRC_SUCCESS;
        }
        if (message == MSG_OPENDS) {
            g_self = *identity;
            Log("OPENDS");
            return TWRC_SUCCESS;
        }
        if (message == MSG_CLOSEDS) {
            Log("CLOSEDS");
            return TWRC_SUCCESS;
        }
        return Fail(TWCC_BUMMER);
    }
    case DAT_CAPABILITY: {
        auto* capability = static_cast<TW_CAPABILITY*>(data);
        if (capability->Cap != CAP_XFERCOUNT) return Fail(TWCC_BUMMER);
        // OMMAVU_TEST_SOURCE_UNSIGNED_COUNT: the count is taken only as an
        // unsigned item, as some drivers do.
        const bool unsignedOnly = GetEnvironmentVariableA("OMMAVU_TEST_SOURCE_UNSIGNED_COUNT", nullptr, 0) != 0;
        if (message == MSG_SET && capability->hContainer) {
            auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(capability->hContainer));
            if (!one) return Fail(TWCC_BUMMER);
            const TW_UINT16 type = one->ItemType;
            const TW_UINT32 item = one->Item;
            GlobalUnlock(capability->hContainer);
            if (type == TWTY_INT16 && unsignedOnly) {
                Log("XFERCOUNT refused");
                return Fail(TWCC_BUMMER);
            }
            Log(type == TWTY_INT16 ? "XFERCOUNT=" + std::to_string(static_cast<TW_INT16>(item))
                                   : "XFERCOUNT(u16)=" + std::to_string(item & 0xFFFF));
            return TWRC_SUCCESS;
        }
        if (message == MSG_GET) {
            HGLOBAL container = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
            auto* one = container ? static_cast<TW_ONEVALUE*>(GlobalLock(container)) : nullptr;
            if (!one) return Fail(TWCC_BUMMER);
            one->ItemType = TWTY_UINT16;
            one->Item = 0xFFFF;
            GlobalUnlock(container);
            capability->ConType = TWON_ONEVALUE;
            capability->hContainer = container;
            Log("XFERCOUNT?");
            return TWRC_SUCCESS;
        }
        return Fail(TWCC_BUMMER);
    }
    case DAT_USERINTERFACE: {
        auto* ui = static_cast<TW_USERINTERFACE*>(data);
        if (message == MSG_ENABLEDS) {
            ReadScript();
            Log(std::string("ENABLEDS show=") + (ui->ShowUI ? "1" : "0") + (ui->hParent ? " parent" : ""));
            ui->ModalUI = 0;
            if (g_script.size() == 1 && g_script[0] == "quit") {
                g_script.clear();
                Tell(MSG_CLOSEDSREQ);
            } else if (!g_script.empty()) {
                Tell(MSG_XFERREADY);
            }
            return TWRC_SUCCESS;
        }
        if (message == MSG_DISABLEDS) {
            Log("DISABLEDS");
            return TWRC_SUCCESS;
        }
        return Fail(TWCC_BUMMER);
    }
    case DAT_EVENT:
        // The manager answers its own event messages; every other message is
        // none of this source's business.
        return TWRC_NOTDSEVENT;
    case DAT_PENDINGXFERS: {
        auto* pending = static_cast<TW_PENDINGXFERS*>(data);
        if (message == MSG_ENDXFER) {
            if (g_next < g_script.size()) ++g_next;
            pending->Count = static_cast<TW_UINT16>(Pending());
            Log("ENDXFER=" + std::to_string(pending->Count));
            if (pending->Count == 0 && g_closeWhenDone) Tell(MSG_CLOSEDSREQ);
            return TWRC_SUCCESS;
        }
        if (message == MSG_RESET) {
            g_next = g_script.size();
            pending->Count = 0;
            Log("RESET");
            return TWRC_SUCCESS;
        }
        return Fail(TWCC_BUMMER);
    }
    case DAT_STATUS:
        static_cast<TW_STATUS*>(data)->ConditionCode = g_condition;
        g_condition = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    default:
        return Fail(TWCC_BUMMER);
    }
}

TW_UINT16 Image(TW_UINT16 dataType, TW_UINT16 message, TW_MEMREF data) {
    if (message != MSG_GET || g_next >= g_script.size()) return Fail(TWCC_SEQERROR);
    const std::string& token = g_script[g_next];
    int bits = 24;
    bool topDown = false;
    const bool picture = PictureToken(token, &bits, &topDown);
    if (dataType == DAT_IMAGEINFO) {
        auto* info = static_cast<TW_IMAGEINFO*>(data);
        std::memset(info, 0, sizeof *info);
        info->ImageWidth = test_pictures::kWidth;
        info->ImageLength = test_pictures::kHeight;
        info->BitsPerPixel = static_cast<TW_INT16>(bits);
        return TWRC_SUCCESS;
    }
    if (dataType != DAT_IMAGENATIVEXFER) return Fail(TWCC_BUMMER);
    if (token == "fail") {
        Log("XFER=fail");
        return Fail(TWCC_BUMMER);
    }
    if (token == "cancel") {
        Log("XFER=cancel");
        return TWRC_CANCEL;
    }
    std::vector<BYTE> block = picture ? test_pictures::MakePackedDib(bits, topDown) : test_pictures::MakeMalformedDib();
    HGLOBAL handle = GlobalAlloc(GHND, block.size());
    if (!handle) return Fail(TWCC_BUMMER);
    std::memcpy(GlobalLock(handle), block.data(), block.size());
    GlobalUnlock(handle);
    *static_cast<TW_HANDLE*>(data) = handle;
    Log("XFER=" + token);
    return TWRC_XFERDONE;
}

}  // namespace

extern "C" TW_UINT16 WINAPI DS_Entry(TW_IDENTITY* origin, TW_UINT32 group, TW_UINT16 dataType, TW_UINT16 message,
                                     TW_MEMREF data) {
    if (origin && dataType == DAT_IDENTITY && message == MSG_OPENDS) g_application = *origin;
    if (group == DG_CONTROL) return Control(dataType, message, data);
    if (group == DG_IMAGE) return Image(dataType, message, data);
    return Fail(TWCC_BUMMER);
}

// The log so far, and forgetting it.
extern "C" const char* WINAPI TestSourceLog() { return g_log.c_str(); }
extern "C" void WINAPI ClearTestSourceLog() { g_log.clear(); }
