// Files handed to the user's mail program through Simple MAPI
// ("MAPI32.DLL", MAPISendDocuments), which opens a new message with the
// files attached.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum MailOutcome {
    kMailSent = 0,
    kMailCancelled,    // the user closed the mail program's window
    kMailNoClient,     // no MAPI32.DLL or no MAPISendDocuments in it
    kMailFailed,       // the mail program answered with an error
};

// The character that separates the paths for MAPI: ';' unless a path holds
// one, else '|', which no path can hold.
char MailDelimiter(const std::vector<std::string>& paths);

// Sends the files (full paths), each attachment named after its file name.
// *code receives MAPI's own result when the call was made.
MailOutcome SendFilesByMail(HWND owner, const std::vector<std::string>& paths, ULONG* code = nullptr);
