#include "command_line.h"

#include <windows.h>

namespace {

bool Found(const std::string& pattern) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

std::string CurrentFolder() {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof folder, folder);
    return folder;
}

}  // namespace

bool NameExists(const std::string& name) {
    if (name.empty()) return false;
    if (name.back() == '\\') return Found(name + "*.*");
    return Found(name);
}

CommandLine ParseCommandLine(const std::string& line,
                             const std::function<bool(const std::string&)>& exists,
                             const std::string& currentFolder) {
    CommandLine result;
    if (line.size() < 3) return result;

    // Outside quotes blanks and tabs end a piece; a quote toggles quoting and
    // ends a piece too.  Ends are kept as zeros so that a bare name with
    // blanks can be put together again below.
    std::string buffer = line;
    bool quoted = false;
    for (char& c : buffer) {
        if (c == '"') {
            quoted = !quoted;
            c = '\0';
        } else if (!quoted && (c == ' ' || c == '\t')) {
            c = '\0';
        }
    }
    const size_t end = buffer.size();
    auto pieceEnd = [&](size_t from) {
        size_t z = buffer.find('\0', from);
        return z == std::string::npos ? end : z;
    };

    const std::string folder = currentFolder.empty() ? CurrentFolder() : currentFolder;
    size_t pos = 0;
    while (pos < end) {
        if (buffer[pos] == '\0') {
            ++pos;
            continue;
        }
        size_t stop = pieceEnd(pos);
        std::string token = buffer.substr(pos, stop - pos);
        if (lstrcmpiA(token.c_str(), "/SHARE") == 0) {
            result.share = true;
            pos = stop;
            continue;
        }
        // A name that does not exist takes in the following pieces, one
        // separator at a time, until the joined name exists.  When no joined
        // name exists the token stays as it was, so that one missing file does
        // not swallow the names behind it.
        if (!exists(token)) {
            size_t joinedStop = stop;
            while (joinedStop < end) {
                joinedStop = pieceEnd(joinedStop + 1);
                std::string joined = buffer.substr(pos, joinedStop - pos);
                for (char& c : joined)
                    if (c == '\0') c = ' ';
                if (exists(joined)) {
                    token = joined;
                    stop = joinedStop;
                    break;
                }
            }
        }
        if (token.find('\\') == std::string::npos) {
            std::string prefix = folder;
            if (!prefix.empty() && prefix.back() != '\\') prefix += '\\';
            token = prefix + token;
        }
        result.files.push_back(token);
        pos = stop;
    }
    return result;
}
