#include "shortcuts.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <cstdio>

namespace install {

bool CreateShellLink(const LinkDefinition& link, const std::string& file) {
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink))))
        return false;
    shellLink->SetPath(link.target.c_str());
    if (!link.arguments.empty()) shellLink->SetArguments(link.arguments.c_str());
    shellLink->SetIconLocation(link.iconFile.c_str(), link.iconIndex);
    shellLink->SetDescription(link.name.c_str());
    const std::string folder = link.target.substr(0, link.target.find_last_of('\\') + 1);
    if (!folder.empty()) shellLink->SetWorkingDirectory(folder.c_str());
    IPersistFile* persist = nullptr;
    bool saved = false;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        WCHAR wide[MAX_PATH] = L"";
        if (MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH) > 0)
            saved = SUCCEEDED(persist->Save(wide, TRUE));
        persist->Release();
    }
    shellLink->Release();
    return saved && GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CreateInternetShortcut(const std::string& address, const std::string& file) {
    HANDLE out = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    const std::string text = "[InternetShortcut]\r\nURL=" + address + "\r\n";
    DWORD written = 0;
    const bool ok = WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    CloseHandle(out);
    return ok;
}

}  // namespace install
