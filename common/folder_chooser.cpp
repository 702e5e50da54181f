#include "folder_chooser.h"

#include <shlobj.h>

namespace {

// Selects the start folder once the chooser's tree exists.
int CALLBACK SelectStartFolder(HWND chooser, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data != 0)
    SendMessageA(chooser, BFFM_SETSELECTIONA, TRUE, data);
  return 0;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::string WithTrailingBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

std::string ChooseFolder(HWND owner, const char* title, const std::string& start) {
  // The chooser wants no trailing backslash except on a drive root.
  std::string initial = start;
  while (initial.size() > 3 && initial.back() == '\\') initial.pop_back();

  char display[MAX_PATH] = "";
  BROWSEINFOA info = {};
  info.hwndOwner = owner;
  info.pszDisplayName = display;
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  if (IsFolder(initial)) {
    info.lpfn = SelectStartFolder;
    info.lParam = reinterpret_cast<LPARAM>(initial.c_str());
  }
  LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
  if (chosen == nullptr) return "";

  char path[MAX_PATH] = "";
  const BOOL isPath = SHGetPathFromIDListA(chosen, path);
  CoTaskMemFree(chosen);
  if (!isPath || path[0] == '\0') return "";
  return WithTrailingBackslash(path);
}
