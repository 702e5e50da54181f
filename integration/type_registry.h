// The registry keys that make the viewer the program that opens picture
// types, and that point the shell at the icon extension (Kivaro.dll):
//
//   <classes>\.<tag>                          default = "Tavirsel_<tag>"
//   <classes>\TavirselSaveOld\.<tag>          default = the previous owner's class
//   <classes>\Tavirsel_<tag>                  default = the description
//       defaultIcon                           default = <program>,<icon index>
//       Shell\open\command                    default = "<program>" /SHARE "%1"
//       Shell\<verb>\command                  default = the same
//       Shellex\IconHandler                   default = the extension's class id
//       shellex\PropertySheetHandlers[\IconPage], ContextMenuHandlers[\IconMenu]
//   <classes>\CLSID\<class id>                default = "Shell ICON Extension"
//       InProcServer32                        default = <program dir>Kivaro.dll,
//                                             ThreadingModel = "Apartment"
//   <machine>\SOFTWARE\...\Shell Extensions\Approved   <class id> = "Shell ICON Extension"
//
// Every function takes its roots (HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE in
// the program; scratch keys in tests).  Only advapi32 and the registry
// helpers are needed, so the uninstaller links this library without the
// imaging core.  No function shows a message; callers report failures.
#pragma once

#include <windows.h>

#include <string>

constexpr char kTypeClassPrefix[] = "Tavirsel_";
constexpr char kTypeBackupKey[] = "TavirselSaveOld";
constexpr char kIconExtensionClassId[] = "{3c9e51a7-6b20-4f8d-9a31-52d7e0c4b816}";
constexpr char kIconExtensionName[] = "Shell ICON Extension";
constexpr char kIconExtensionFile[] = "Kivaro.dll";
constexpr char kApprovedExtensionsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
constexpr char kIconPageHandler[] = "IconPage";
constexpr char kIconMenuHandler[] = "IconMenu";

// The generic picture icon, and the distance of the alternative (OEM) icon
// set from the regular one (used only when the program carries that set).
constexpr int kTypeIconNone = 6;
constexpr int kOemIconOffset = 38;

// The icon of a format among the viewer program's icon groups (0-based, in
// resource order), chosen by the coder module's name, case ignored; 6 (the
// generic picture) when the module has no icon of its own.
int TypeIconIndex(const char* module);

// What registering one type writes.
struct TypeRegistration {
    const char* tag;            // "JPG": the extension registered is ".JPG"
    const char* description;    // the class key's text
    int iconIndex;              // written after the program path in defaultIcon
    const char* verb;           // second verb beside "open" (the browser verb)
    const char* programPath;    // full path of the viewer program
    bool withExtension;         // write the icon extension's handlers; else delete "Shellex"
};

// Writes the class key, backs up the extension's previous owner (never our
// own class, and never over an earlier backup), points the extension at the
// class only once that backup is in place, then writes the icon, the two
// verbs and the handlers.  Returns false when any write failed; what was
// written stays, and a type whose backup could not be written is left
// pointing at its previous owner.
bool RegisterPictureType(HKEY classes, const TypeRegistration& type);

// Gives ".<tag>" back to the owner recorded in the backup and drops the
// backup; without a backup only our own default value is removed, and the
// extension key itself only when nothing else (values, ShellNew, Content
// Type, OpenWithList...) is left in it.  An extension that names another
// class by now is left alone.  Deletes the class key "Tavirsel_<tag>" and the
// backup folder once it is empty.  Never touches a key named like the bare
// tag.  Returns false when a key that should go could not be deleted.
bool UnregisterPictureType(HKEY classes, const char* tag);

// The extension's class registration, and its approval when the machine's
// approved list exists.
bool RegisterShellExtension(HKEY classes, HKEY machine, const char* programDirectory);
bool UnregisterShellExtension(HKEY classes, HKEY machine);

// The open command of the class that ".<tag>" names; false when either is
// missing or the command does not fit `size`.
bool GetTypeOpenCommand(HKEY classes, const char* tag, char* buffer, DWORD size);

// True when the open command of ".<tag>" starts our program: written quoted
// ("<path>" /SHARE "%1") or as older versions did (<path> /SHARE %1), with
// the program named by its long or its short (8.3) path, case ignored.
bool IsRegisteredToUs(HKEY classes, const char* tag, const char* programPath);
// The same test on a command text (no registry).
bool CommandStartsProgram(const char* command, const char* programPath);

// The open command written for a program: "<path>" /SHARE "%1".
std::string TypeOpenCommand(const char* programPath);

// Undoes every type registration of ours (each "Tavirsel_<tag>" class and
// each backup, previous owners restored as UnregisterPictureType does) and
// the extension's registration.  For the uninstaller.  Returns false when
// something could not be removed.
bool UnregisterAllPictureTypes(HKEY classes, HKEY machine);
