#include "type_registry.h"

#include <vector>

#include "registry.h"

namespace {

std::string ClassKey(const char* tag) { return std::string(kTypeClassPrefix) + tag; }
std::string ExtensionKey(const char* tag) { return std::string(".") + tag; }
std::string BackupKey(const char* tag) { return std::string(kTypeBackupKey) + "\\." + tag; }
std::string ExtensionClassKey() { return std::string("CLSID\\") + kIconExtensionClassId; }

bool NamesClass(const std::string& value, const std::string& classKey) {
    return lstrcmpiA(value.c_str(), classKey.c_str()) == 0;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, text.c_str(),
                                                          static_cast<int>(prefix.size()), prefix.c_str(),
                                                          static_cast<int>(prefix.size())) == CSTR_EQUAL;
}

std::string ShortPath(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    return n && n < sizeof buffer ? std::string(buffer) : path;
}

std::string LongPath(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = GetLongPathNameA(path.c_str(), buffer, sizeof buffer);
    return n && n < sizeof buffer ? std::string(buffer) : path;
}

// The same file, named by its long or its short path.
bool SameFile(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0 || lstrcmpiA(LongPath(a).c_str(), LongPath(b).c_str()) == 0 ||
           lstrcmpiA(ShortPath(a).c_str(), ShortPath(b).c_str()) == 0;
}

}  // namespace

int TypeIconIndex(const char* module) {
    static const char* const kIcons[] = {
        "BMP", "GIF", "ICON", "JPEG", "PCD", "PCX", "PICT", "PNG", "PSD", "TGA", "TIFF", "WMF", "YUV", "AVS",
        "FITS", "AVI", "JBIG", "XWD", "CMYK", "EMF", "PNM", "RLE", "MIFF", "MTV", "RGB", "SGI", "SUN", "TIM",
        "VIFF", "XBM", "XPM", "GRAY"};
    if (module)
        for (int i = 0; i < static_cast<int>(sizeof kIcons / sizeof *kIcons); ++i)
            if (lstrcmpiA(module, kIcons[i]) == 0) return kTypeIconNone + 1 + i;
    return kTypeIconNone;
}

std::string TypeOpenCommand(const char* programPath) {
    return std::string("\"") + programPath + "\" /SHARE \"%1\"";
}

bool RegisterPictureType(HKEY classes, const TypeRegistration& type) {
    if (!type.tag || !*type.tag || !type.programPath) return false;
    const std::string classKey = ClassKey(type.tag), extension = ExtensionKey(type.tag);
    const std::string backup = BackupKey(type.tag);
    if (!registry::WriteString(classes, classKey.c_str(), nullptr, type.description ? type.description : ""))
        return false;
    bool ok = true;

    // The previous owner is backed up only when the extension names a class
    // other than ours: a second registration keeps the first backup, and a
    // value naming us is never taken for a previous owner.  A backup left
    // over from an owner that has since been replaced by a third program is
    // overwritten with the owner of now.
    std::string owner;
    bool backedUp = true;
    if (registry::ReadString(classes, extension.c_str(), nullptr, &owner) && !owner.empty() &&
        !NamesClass(owner, classKey))
        backedUp = registry::WriteString(classes, backup.c_str(), nullptr, owner.c_str());
    // Pointing the extension at us without its backup would lose the owner.
    ok = backedUp && registry::WriteString(classes, extension.c_str(), nullptr, classKey.c_str()) && ok;

    char icon[32];
    wsprintfA(icon, ",%d", type.iconIndex);
    const std::string command = TypeOpenCommand(type.programPath);
    ok = registry::WriteString(classes, (classKey + "\\defaultIcon").c_str(), nullptr,
                               (std::string(type.programPath) + icon).c_str()) && ok;
    ok = registry::WriteString(classes, (classKey + "\\Shell\\open\\command").c_str(), nullptr, command.c_str()) && ok;
    if (type.verb && *type.verb)
        ok = registry::WriteString(classes, (classKey + "\\Shell\\" + type.verb + "\\command").c_str(), nullptr,
                                   command.c_str()) && ok;
    if (type.withExtension) {
        const std::string shellex = classKey + "\\shellex";
        ok = registry::WriteString(classes, (shellex + "\\IconHandler").c_str(), nullptr, kIconExtensionClassId) && ok;
        ok = registry::WriteString(classes, (shellex + "\\PropertySheetHandlers").c_str(), nullptr,
                                   kIconPageHandler) && ok;
        ok = registry::WriteString(classes, (shellex + "\\PropertySheetHandlers\\" + kIconPageHandler).c_str(),
                                   nullptr, kIconExtensionClassId) && ok;
        ok = registry::WriteString(classes, (shellex + "\\ContextMenuHandlers").c_str(), nullptr,
                                   kIconMenuHandler) && ok;
        ok = registry::WriteString(classes, (shellex + "\\ContextMenuHandlers\\" + kIconMenuHandler).c_str(),
                                   nullptr, kIconExtensionClassId) && ok;
    } else {
        ok = registry::DeleteTree(classes, (classKey + "\\Shellex").c_str()) && ok;
    }
    return ok;
}

bool UnregisterPictureType(HKEY classes, const char* tag) {
    if (!tag || !*tag) return false;
    const std::string classKey = ClassKey(tag), extension = ExtensionKey(tag), backup = BackupKey(tag);
    bool ok = true;
    std::string owner, previous;
    const bool ours = registry::ReadString(classes, extension.c_str(), nullptr, &owner) && NamesClass(owner, classKey);
    const bool hasBackup = registry::ReadString(classes, backup.c_str(), nullptr, &previous) && !previous.empty() &&
                           !NamesClass(previous, classKey);
    if (ours) {
        if (hasBackup) {
            ok = registry::WriteString(classes, extension.c_str(), nullptr, previous.c_str());
        } else {
            ok = registry::DeleteValue(classes, extension.c_str(), nullptr);
            registry::DeleteKeyIfEmpty(classes, extension.c_str());
        }
    }
    // A backup is dropped only once its owner is back (or the extension has
    // moved on to another program meanwhile).
    if (ok) ok = registry::DeleteTree(classes, backup.c_str());
    ok = registry::DeleteTree(classes, classKey.c_str()) && ok;
    registry::DeleteKeyIfEmpty(classes, kTypeBackupKey);
    return ok;
}

bool RegisterShellExtension(HKEY classes, HKEY machine, const char* programDirectory) {
    const std::string key = ExtensionClassKey(), server = key + "\\InProcServer32";
    bool ok = registry::WriteString(classes, key.c_str(), nullptr, kIconExtensionName);
    ok = registry::WriteString(classes, server.c_str(), nullptr,
                               (std::string(programDirectory ? programDirectory : "") + kIconExtensionFile).c_str()) &&
         ok;
    ok = registry::WriteString(classes, server.c_str(), "ThreadingModel", "Apartment") && ok;
    // Only a shell that keeps an approved list has the key; creating it on
    // another would change nothing but leave a key behind.
    if (registry::KeyExists(machine, kApprovedExtensionsKey))
        ok = registry::WriteString(machine, kApprovedExtensionsKey, kIconExtensionClassId, kIconExtensionName) && ok;
    return ok;
}

bool UnregisterShellExtension(HKEY classes, HKEY machine) {
    bool ok = registry::DeleteTree(classes, ExtensionClassKey().c_str());
    return registry::DeleteValue(machine, kApprovedExtensionsKey, kIconExtensionClassId) && ok;
}

bool GetTypeOpenCommand(HKEY classes, const char* tag, char* buffer, DWORD size) {
    if (!buffer || !size) return false;
    buffer[0] = '\0';
    if (!tag || !*tag) return false;
    std::string owner;
    if (!registry::ReadString(classes, ExtensionKey(tag).c_str(), nullptr, &owner) || owner.empty()) return false;
    return registry::ReadString(classes, (owner + "\\SHELL\\OPEN\\COMMAND").c_str(), nullptr, buffer, size);
}

bool CommandStartsProgram(const char* command, const char* programPath) {
    if (!command || !programPath || !*programPath) return false;
    const std::string text = command, program = programPath;
    if (text[0] == '"') {
        const size_t close = text.find('"', 1);
        if (close == std::string::npos) return false;
        if (close + 1 < text.size() && text[close + 1] != ' ') return false;
        return SameFile(text.substr(1, close - 1), program);
    }
    // Unquoted, as older versions wrote it: the path runs up to a blank, but
    // the path itself may hold blanks, so each spelling is tried as a prefix.
    for (const std::string& spelling : {program, ShortPath(program), LongPath(program)})
        if (StartsWithNoCase(text, spelling) && (text.size() == spelling.size() || text[spelling.size()] == ' '))
            return true;
    return false;
}

bool IsRegisteredToUs(HKEY classes, const char* tag, const char* programPath) {
    char command[1024];
    return GetTypeOpenCommand(classes, tag, command, sizeof command) && CommandStartsProgram(command, programPath);
}

bool UnregisterAllPictureTypes(HKEY classes, HKEY machine) {
    // Collected first: deleting keys while enumerating would shift the
    // indices.
    std::vector<std::string> tags;
    const size_t prefix = lstrlenA(kTypeClassPrefix);
    std::string name;
    for (DWORD i = 0; registry::EnumSubKey(classes, nullptr, i, &name); ++i)
        if (name.size() > prefix && StartsWithNoCase(name, kTypeClassPrefix)) tags.push_back(name.substr(prefix));
    for (DWORD i = 0; registry::EnumSubKey(classes, kTypeBackupKey, i, &name); ++i)
        if (name.size() > 1 && name[0] == '.') tags.push_back(name.substr(1));
    bool ok = true;
    for (const std::string& tag : tags) ok = UnregisterPictureType(classes, tag.c_str()) && ok;
    return UnregisterShellExtension(classes, machine) && ok;
}
