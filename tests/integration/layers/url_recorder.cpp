// A stand-in web browser for the tests: appends the address it was started
// with (its command line after the program name) and a line end to the file
// the environment variable OMMAVU_URL_RECORD names.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    char path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("OMMAVU_URL_RECORD", path, sizeof path)) return 1;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, arguments, lstrlenA(arguments), &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
    return 0;
}
