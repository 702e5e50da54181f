// Files dropped on a window (WM_DROPFILES).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

// The dropped paths in order; the drop is finished (DragFinish).
std::vector<std::string> TakeDroppedFiles(HDROP drop);
