// What the integration tests share: the program's two windows made as
// start-up makes them, pumping messages through the program's own loop
// step, and answering the dialogs and message boxes that open meanwhile.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Frame and browser (hidden), with the document's reports to the frame;
// the program folder is programDirectory when given, else bin/.
void CreateProgramWindows(const std::string& programDirectory = std::string());
void DestroyProgramWindows();

// Runs messages through DispatchLoopMessage until done() or ms pass; true
// when done() held.
bool PumpUntil(const std::function<bool()>& done, DWORD ms);
void PumpFor(DWORD ms);

// While alive, every dialog of this thread whose caption is title (any
// caption when empty) is noted as "caption: texts" and closed with button.
class DialogAnswerer {
public:
    DialogAnswerer(const std::string& title, UINT button);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    std::vector<std::string> seen;
    // Runs on a dialog before it is answered (may fill or read its fields).
    std::function<void(HWND)> before;
    // Answers dialog again at a later tick (one that stayed open).
    static void AnswerAgain(HWND dialog);

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    static DialogAnswerer* current_;
    std::string title_;
    UINT button_;
    UINT_PTR timer_;
};

// The texts of a dialog's static and list box children, joined by "|".
std::string DialogTexts(HWND dialog);
// A file's bytes ("<missing>" when it cannot be read), and writing them.
std::string FileText(const std::string& path);
void PutFileText(const std::string& path, const std::string& bytes);
// An empty folder under the temporary folder, ending in a backslash.
std::string FreshFolder(const std::string& name);
