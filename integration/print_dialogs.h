// The two print dialogs: "Color Print" (195) offers five colour depths,
// "Mono Print" (196) three grey methods and a light trackbar.  Both show the
// preview with the current choice applied.
#pragma once

#include <windows.h>

#include "dib.h"
#include "print_layout.h"

// Runs the dialog for a colour or monochrome printer over the preview
// picture (32 bits, as MakePrintPreview made it), starting from `choice`.
// OK stores the choice and returns true; Cancel leaves it as it was.
bool RunPrintChoiceDialog(HWND owner, bool mono, const DibBlock* preview, PrintChoice& choice);
