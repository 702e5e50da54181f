#include "save_failure.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "program.h"
#include "resource_ids.h"

std::string FormatResource(UINT id, const char* a, const char* b) {
    const std::string format = ResourceString(id);
    std::vector<char> text(format.size() + std::strlen(a) + std::strlen(b) + 64);
    std::snprintf(text.data(), text.size(), format.c_str(), a, b);
    return text.data();
}

std::string SaveFailureText(const std::string& file, const char* format, const SaveError& error) {
    std::string reason;
    char system[300];
    switch (error.fault) {
    case SaveFault::NameTooLong: reason = ResourceString(IDS_SAVE_NAME_TOO_LONG); break;
    case SaveFault::IsFolder: reason = ResourceString(IDS_SAVE_IS_FOLDER); break;
    case SaveFault::Encoder:
        reason = FormatResource(IDS_SAVE_ENCODER_FAILED, format,
                        error.libraryText[0] ? error.libraryText : ResourceString(IDS_SAVE_ENCODER_SILENT).c_str());
        break;
    default:
        SystemErrorText(error.systemError ? error.systemError : ERROR_GEN_FAILURE, system, sizeof system);
        reason = system;
        break;
    }
    return FormatResource(IDS_SAVE_FAILED, file.c_str(), reason.c_str());
}
