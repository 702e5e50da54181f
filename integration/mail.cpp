#include "mail.h"

#include "file_operations.h"
#include "win_guards.h"

namespace {

typedef ULONG(WINAPI* SendDocumentsFunction)(ULONG_PTR ui, LPSTR delimiter, LPSTR paths, LPSTR names, ULONG reserved);

constexpr ULONG kMapiSuccess = 0;
constexpr ULONG kMapiUserAbort = 1;

}  // namespace

char MailDelimiter(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        if (path.find(';') != std::string::npos) return '|';
    return ';';
}

MailOutcome SendFilesByMail(HWND owner, const std::vector<std::string>& paths, ULONG* code) {
    if (paths.empty()) return kMailFailed;
    OwnedModule mapi(LoadLibraryA("MAPI32.DLL"));
    if (!mapi) return kMailNoClient;
    auto send = reinterpret_cast<SendDocumentsFunction>(
        reinterpret_cast<void*>(GetProcAddress(mapi.get(), "MAPISendDocuments")));
    if (!send) return kMailNoClient;

    const char delimiter = MailDelimiter(paths);
    std::string joinedPaths, joinedNames;
    for (const std::string& path : paths) {
        if (!joinedPaths.empty()) {
            joinedPaths += delimiter;
            joinedNames += delimiter;
        }
        joinedPaths += path;
        joinedNames += NamePart(path);
    }
    char delimiterText[2] = {delimiter, '\0'};
    const ULONG result = send(reinterpret_cast<ULONG_PTR>(owner), delimiterText, &joinedPaths[0],
                              &joinedNames[0], 0);
    if (code) *code = result;
    if (result == kMapiSuccess) return kMailSent;
    if (result == kMapiUserAbort) return kMailCancelled;
    return kMailFailed;
}
