// Stands in for the viewer beside a copy of the extension: writes the
// command line it was started with to "viewer-command.txt" in its own
// folder, so a test can see exactly what the extension started.
#include <windows.h>

#include <string>

int main() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string file(path);
    file = file.substr(0, file.rfind('\\') + 1) + "viewer-command.txt.part";
    HANDLE out = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return 1;
    const char* line = GetCommandLineA();
    DWORD written = 0;
    WriteFile(out, line, lstrlenA(line), &written, nullptr);
    CloseHandle(out);
    // Renamed whole, so the test never reads half a line.
    MoveFileA(file.c_str(), file.substr(0, file.size() - 5).c_str());
    return 0;
}
