#include "language_menu.h"

#include "commands.h"
#include "program.h"

namespace {

void (*g_changed)() = nullptr;

constexpr int kLanguagePopup = 5;

}  // namespace

void LoadStartupLanguage() {
    ProgramState& shell = Program();
    UINT codePage = GetACP();
    HMODULE library = LoadLibraryA(LanguageLibraryPath(shell.programDirectory, codePage).c_str());
    if (library) {
        shell.resourceModule = library;
        shell.languageCodePage = codePage;
    } else {
        shell.resourceModule = shell.mainModule;
        shell.languageCodePage = 0;
    }
}

void AppendLanguageItems(HMENU menuBar) {
    HMENU popup = GetSubMenu(menuBar, kLanguagePopup);
    if (!popup) return;
    const ProgramState& shell = Program();
    AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
    for (size_t i = 0; i < shell.languages.size(); ++i) {
        UINT flags = MF_STRING;
        if (shell.languages[i].codePage == shell.languageCodePage) flags |= MF_CHECKED;
        AppendMenuA(popup, flags, IDC_LANGUAGE_FIRST + i, shell.languages[i].name.c_str());
    }
}

bool HandleLanguageCommand(UINT id) {
    ProgramState& shell = Program();
    if (id < IDC_LANGUAGE_FIRST || id >= IDC_LANGUAGE_FIRST + shell.languages.size()) return false;
    UINT codePage = shell.languages[id - IDC_LANGUAGE_FIRST].codePage;
    if (codePage == shell.languageCodePage) return true;
    HINSTANCE next = shell.mainModule;
    if (codePage != 0) {
        next = LoadLibraryA(LanguageLibraryPath(shell.programDirectory, codePage).c_str());
        if (!next) return true;  // nothing changes
    }
    if (shell.resourceModule && shell.resourceModule != shell.mainModule) FreeLibrary(shell.resourceModule);
    shell.resourceModule = next;
    shell.languageCodePage = codePage;
    if (g_changed) g_changed();
    return true;
}

void SetLanguageChangedHandler(void (*handler)()) { g_changed = handler; }

void FreeLanguageLibrary() {
    ProgramState& shell = Program();
    if (shell.resourceModule && shell.resourceModule != shell.mainModule) FreeLibrary(shell.resourceModule);
    shell.resourceModule = shell.mainModule;
    shell.languageCodePage = 0;
}
