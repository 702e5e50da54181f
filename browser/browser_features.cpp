#include "browser_features.h"

// Each handler is replaced by its feature's module; the browser already
// routes the commands here so that its command table stays in one place.

void BrowserPictureCommand(HWND, UINT) {}
