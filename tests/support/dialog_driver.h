// Driving a modal dialog from inside its own message loop: a thread timer
// runs one step per tick against the dialog that holds a marker control,
// reading and closing any message box on top first.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

std::string Text(HWND dialog, int id);
int Position(HWND dialog, int id);
bool Checked(HWND dialog, int id);
// The colour a (preview) control shows in its middle, once it has painted.
COLORREF PreviewMiddle(HWND dialog, int id);

class Driver {
public:
    using Step = std::function<void(HWND)>;

    explicit Driver(int marker) : marker_(marker) {}
    Driver& Then(Step step) {
        steps_.push_back(std::move(step));
        return *this;
    }
    Driver& Click(int id) {
        return Then([id](HWND d) { SendMessageA(GetDlgItem(d, id), BM_CLICK, 0, 0); });
    }
    // Moves a trackbar as the user would (the dialog hears WM_HSCROLL).
    Driver& Slide(int id, int position);
    // Types into an edit (the dialog hears EN_CHANGE).
    Driver& Type(int id, const char* text) {
        std::string copy = text;
        return Then([id, copy](HWND d) { SetDlgItemTextA(d, id, copy.c_str()); });
    }
    Driver& Press(int id) {
        return Then([id](HWND d) { PostMessageA(d, WM_COMMAND, id, 0); });
    }

    // Runs show (which opens the dialog modally) with the steps ticking.
    void Run(const std::function<void()>& show);

    std::vector<std::string> boxes;  // "title: text" of every message box
    bool timedOut = false;

private:
    static BOOL CALLBACK Collect(HWND window, LPARAM list);
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

    static Driver* current_;
    int marker_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    bool busy_ = false;
    int idle_ = 0;
};
