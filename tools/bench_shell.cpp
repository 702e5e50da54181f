#include "bench_shell.h"

#include <commctrl.h>

#include "browser_window.h"
#include "display.h"
#include "document_link.h"
#include "frame_window.h"
#include "load.h"
#include "program.h"
#include "system_info.h"

bool SetUpBenchShell(HINSTANCE instance, int browserShow) {
    ProgramState& shell = Program();
    shell.programDirectory = ProgramDirectory() + "..\\bin\\";
    shell.mainModule = shell.resourceModule = instance;
    shell.frameClassName = "Ommavu";
    shell.system = ReadSystemFlags();
    InitCommonControls();
    CoInitialize(nullptr);
    if (!BindLorimel(shell.lorimel, (shell.programDirectory + "Lorimel.dll").c_str()) ||
        !shell.lorimel.InitImageLibrary(shell.programDirectory.c_str()))
        return false;
    shell.lorimelReady = true;
    SetImageLibrary(&shell.lorimel);
    EvaluateDisplay();
    if (!RegisterFrameClass() || !CreateFrameWindow() || !CreateBrowserWindow(instance, browserShow)) return false;
    ConnectDocumentToFrame(shell.frame);
    return true;
}
