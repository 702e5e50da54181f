#include "banner.h"

#include <setjmp.h>

#include <vector>

#include "load.h"
#include "messages.h"
#include "navigation.h"
#include "open_dialog.h"
#include "paint.h"
#include "picture.h"
#include "settings.h"
#include "program.h"

namespace {

constexpr char kBannerClass[] = "PICSHOW";
constexpr int kMaxBannerHeight = 96;

struct BannerState {
    std::vector<Picture*> pages;
    std::vector<int> ticks;  // timer ticks each page stays
    int page = 0;
    int ticksLeft = 0;

    void Clear(HWND window) {
        KillTimer(window, kTimerBanner);
        for (Picture* p : pages) FreePicture(p);
        pages.clear();
        ticks.clear();
        page = 0;
    }
};

BannerState* StateOf(HWND window) {
    return reinterpret_cast<BannerState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void LoadPages(HWND window, BannerState* state) {
    state->Clear(window);
    std::string path = settings::Read(settings::kBannerImage);
    const LorimelApi* api = ImageLibrary();
    if (path.empty() || !api) return;
    char format[200] = {};
    std::vector<int> delays;
    // A fatal decoder error comes back here: the banner shows nothing.
    LorimelHandle volatile file = nullptr;
    jmp_buf jump;
    RecoveryScope scope;
    if (LorimelRecoveryPoint(jump) != 0) {
        scope.Jumped();
        if (file) api->CloseImageFile(file);
        state->Clear(window);
        return;
    }
    {
        DecodingLock lock;
        if (!api->DetectImageFormat(path.c_str(), format)) return;
    }
    file = api->OpenImageFile(path.c_str(), "rb", format, 0);
    if (!file) return;
    LONG count = api->ReadImageHeader(file);
    for (LONG i = 0; i < count; ++i) {
        Picture* picture = LoadPagePicture(file, i);
        if (!picture) break;
        RefreshPictureDisplay(picture);
        state->pages.push_back(picture);
        delays.push_back(api->GetImagePageDelay(file, i));
    }
    api->CloseImageFile(file);
    file = nullptr;
    if (state->pages.size() < 2) return;
    int period = PagePlayPeriod(delays.data(), static_cast<int>(delays.size()));
    for (int delay : delays) state->ticks.push_back(PagePlayTicks(delay, period));
    state->ticksLeft = state->ticks[0];
    SetTimer(window, kTimerBanner, static_cast<UINT>(period), nullptr);
}

void Paint(HWND window, HDC dc) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    BannerState* state = StateOf(window);
    if (!state || state->pages.empty()) return;
    const Picture* picture = state->pages[static_cast<size_t>(state->page)];
    const DibBlock* block = GetPictureDisplayDepth() == 32 ? picture->working : picture->display;
    int width = DibWidth(block), height = DibHeight(block);
    int areaHeight = client.bottom - client.top;
    if (height > areaHeight && height > 0) {
        width = static_cast<int>(static_cast<long long>(width) * areaHeight / height);
        height = areaHeight;
    }
    RECT target{client.left + (client.right - client.left - width) / 2, (areaHeight - height) / 2, 0, 0};
    target.right = target.left + width;
    target.bottom = target.top + height;
    SetStretchBltMode(dc, COLORONCOLOR);
    PaintDib(dc, target, block, Program().palette);
}

void Advance(HWND window, BannerState* state) {
    if (state->pages.size() < 2 || --state->ticksLeft > 0) return;
    state->page = (state->page + 1) % static_cast<int>(state->pages.size());
    state->ticksLeft = state->ticks[static_cast<size_t>(state->page)];
    InvalidateRect(window, nullptr, FALSE);
}

LRESULT CALLBACK BannerProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    BannerState* state = StateOf(window);
    switch (msg) {
    case WM_NCCREATE:
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new BannerState));
        break;
    case WM_NCDESTROY:
        if (state) {
            state->Clear(window);
            delete state;
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        }
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        Paint(window, dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        if (wp == kTimerBanner && state) Advance(window, state);
        return 0;
    case WM_LBUTTONDBLCLK: {
        std::string chosen = AskPictureFile(window);
        if (!chosen.empty()) {
            settings::Write(settings::kBannerImage, chosen);
            ReloadBannerPicture(window);
            SendMessageA(GetParent(window), WM_SIZE, 0, 0);
        }
        return 0;
    }
    }
    return DefWindowProcA(window, msg, wp, lp);
}

}  // namespace

HWND CreateBannerStrip(HWND parent, UINT controlId) {
    HINSTANCE instance = Program().mainModule;
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = BannerProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kBannerClass;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    HWND banner = CreateWindowExA(0, kBannerClass, "", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance, nullptr);
    if (banner) ReloadBannerPicture(banner);
    return banner;
}

int BannerHeight(HWND banner) {
    BannerState* state = banner ? StateOf(banner) : nullptr;
    if (!state || state->pages.empty()) return 0;
    int height = DibHeight(state->pages[0]->working);
    return height < kMaxBannerHeight ? height : kMaxBannerHeight;
}

void ReloadBannerPicture(HWND banner) {
    BannerState* state = StateOf(banner);
    if (!state) return;
    LoadPages(banner, state);
    ShowWindow(banner, state->pages.empty() ? SW_HIDE : SW_SHOW);
    InvalidateRect(banner, nullptr, FALSE);
}
