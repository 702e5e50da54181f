#include "trackbar.h"

#include <commctrl.h>

void SetUpTrackbar(HWND track, int low, int high, int position) {
    SendMessageA(track, TBM_SETRANGEMIN, FALSE, low);
    SendMessageA(track, TBM_SETRANGEMAX, TRUE, high);
    SendMessageA(track, TBM_SETPOS, TRUE, position == low ? high : low);
    SendMessageA(track, TBM_SETPOS, TRUE, position);
}
