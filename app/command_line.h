// The program's command line: [ "/SHARE" ] [ file ... ].  Names with blanks
// may be quoted or given bare; relative names are completed with the current
// folder of the process that tokenises them.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct CommandLine {
    bool share = false;               // "/SHARE" was given (any case)
    std::vector<std::string> files;   // completed names, in command-line order
};

// True when the name exists: a file search finds it, or it ends in a
// backslash and a search for it followed by "*.*" finds something.
bool NameExists(const std::string& name);

// Splits and completes a command line (the part after the program name).
// `exists` and `currentFolder` are the file system's by default.
CommandLine ParseCommandLine(const std::string& line,
                             const std::function<bool(const std::string&)>& exists = NameExists,
                             const std::string& currentFolder = std::string());
