// The shortcut files the installer makes: shell links (".lnk") and Internet
// shortcuts (".URL").
#pragma once

#include <string>

namespace install {

// One shell link.  Target, arguments and icon are separate fields: a
// target path with a blank in it stays one path.
struct LinkDefinition {
    std::string target;
    std::string arguments;
    std::string name;  // the description
    std::string iconFile;
    int iconIndex;
};

// Saves the link as `file` through IShellLinkA and IPersistFile.  COM must
// be initialised on the thread.  True when the file exists afterwards.
bool CreateShellLink(const LinkDefinition& link, const std::string& file);

// Writes "[InternetShortcut]\r\nURL=<address>\r\n" to `file`.
bool CreateInternetShortcut(const std::string& address, const std::string& file);

}  // namespace install
