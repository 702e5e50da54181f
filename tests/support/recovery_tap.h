// Where the program's latest recovery point is, so that a test can jump back
// to it as the image library's fatal-error handler does.  While a tap lives,
// every recovery point recorded through the bound library is noted first.
#pragma once

#include <setjmp.h>

class RecoveryTap {
public:
    RecoveryTap();
    ~RecoveryTap();
    RecoveryTap(const RecoveryTap&) = delete;
    RecoveryTap& operator=(const RecoveryTap&) = delete;
    // The jump buffer of the latest recovery point this thread recorded, or null.
    static _JBTYPE* Point();
};
