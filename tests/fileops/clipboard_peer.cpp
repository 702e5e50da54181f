// A second program on the clipboard, as a user's other programs are:
//   clipboard_peer read          prints the CF_HDROP paths (one a line) and
//                                then "effect=N" for "Preferred DropEffect"
//   clipboard_peer hold <ms> [event]
//                                opens the clipboard, prints "held", keeps it
//                                open for <ms> milliseconds or until the
//                                named event is set, closes it
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc >= 2 && strcmp(argv[1], "read") == 0) {
        if (!OpenClipboard(nullptr)) {
            printf("busy\n");
            return 2;
        }
        if (HDROP drop = static_cast<HDROP>(GetClipboardData(CF_HDROP))) {
            const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                char path[MAX_PATH] = "";
                DragQueryFileA(drop, i, path, sizeof path);
                printf("%s\n", path);
            }
        }
        DWORD effect = 0;
        if (HGLOBAL block = GetClipboardData(RegisterClipboardFormatA("Preferred DropEffect"))) {
            if (const DWORD* value = static_cast<const DWORD*>(GlobalLock(block))) {
                effect = *value;
                GlobalUnlock(block);
            }
        }
        printf("effect=%lu\n", static_cast<unsigned long>(effect));
        CloseClipboard();
        return 0;
    }
    if (argc >= 3 && strcmp(argv[1], "hold") == 0) {
        // A window of its own, as a program holding the clipboard has.
        HWND window = CreateWindowA("STATIC", "peer", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        if (!OpenClipboard(window)) return 2;
        printf("held\n");
        fflush(stdout);
        const DWORD ms = static_cast<DWORD>(atoi(argv[2]));
        HANDLE release = argc >= 4 ? OpenEventA(SYNCHRONIZE, FALSE, argv[3]) : nullptr;
        if (release) {
            WaitForSingleObject(release, ms);
            CloseHandle(release);
        } else {
            Sleep(ms);
        }
        CloseClipboard();
        return 0;
    }
    return 1;
}
