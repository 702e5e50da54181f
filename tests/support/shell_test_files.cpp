#include "shell_test_files.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "load.h"
#include "lorimel.h"
#include "program.h"
#include "settings.h"

std::string Beside(const std::string& relative) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string dir(exe);
    return dir.substr(0, dir.find_last_of('\\') + 1) + relative;
}

std::string IniPath() {
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\" + settings::kFileName;
}

void ForgetIni() {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, settings::kFileName);
    DeleteFileA(IniPath().c_str());
}

std::string IniText() {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, settings::kFileName);
    std::ifstream in(IniPath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Raw(const char* key, const char* section) {
    char text[600] = {};
    GetPrivateProfileStringA(section, key, "<none>", text, sizeof text, settings::kFileName);
    return text;
}

void Put(const char* key, const char* value, const char* section) {
    WritePrivateProfileStringA(section, key, value, settings::kFileName);
}

// A 24-bit picture of width x height.
std::string WriteBmp(const std::string& name, int width, int height) {
    const std::string path = Beside(name);
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + stride * height;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::vector<char> rows(static_cast<size_t>(stride) * height, '\x60');
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(rows.data(), static_cast<std::streamsize>(rows.size()));
    return path;
}

bool EnsureImageLibrary() {
    if (ImageLibrary()) return true;
    static LorimelApi api;
    const std::string bin = Beside("..\\bin\\");
    if (!BindLorimel(api, (bin + "Lorimel.dll").c_str()) || api.InitImageLibrary(bin.c_str()) != 1) return false;
    SetImageLibrary(&api);
    return true;
}

void SetUpProgramState() {
    ProgramState& shell = Program();
    shell.programDirectory = Beside("..\\bin\\");
    shell.mainModule = shell.resourceModule = GetModuleHandleA(nullptr);
    shell.languageCodePage = 0;
    shell.frameClassName = "Ommavu";
    shell.system = ReadSystemFlags();
    shell.screenSaverPresent = false;
}

std::vector<unsigned char> FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void RemoveTree(const std::string& path) {
    // With or without the trailing backslash.
    const std::string folder = path.empty() || path.back() == '\\' ? path : path + "\\";
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path + "\\");
            else DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &data));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}
