// Files the shell tests share: paths beside the test program, the settings
// file, small pictures written on the spot, and the image library.
#pragma once

#include <string>
#include <vector>

// relative to the folder of the test program.
std::string Beside(const std::string& relative);
// The settings file in the Windows folder, and forgetting it (cache flushed).
std::string IniPath();
void ForgetIni();
// The whole settings file as text.
std::string IniText();
// A raw key of the settings file ("<none>" when it is not there), and
// writing one.
std::string Raw(const char* key, const char* section = "Paramter");
void Put(const char* key, const char* value, const char* section = "Paramter");
// A 24-bit grey picture of width x height beside the test program; its path.
std::string WriteBmp(const std::string& name, int width, int height);
// The program-wide state as start-up makes it for the built-in language:
// the program folder (bin/ beside the tests), the test program's own
// resources, the frame class name "Ommavu", the system's flags, no screen
// saver.
void SetUpProgramState();
// Binds and initialises Lorimel.dll from the program folder once.
bool EnsureImageLibrary();

// The bytes of a file (none when it cannot be read).
std::vector<unsigned char> FileBytes(const std::string& path);
// Deletes a folder (ending in a backslash) with everything in it, read-only
// files too: scratch left by an earlier run.
void RemoveTree(const std::string& folder);
