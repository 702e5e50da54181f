// The browser's worker over real pictures: the picture file library, a
// thumbnail cache of the test's own (empty at the start of every test), two
// sink windows standing in for the list and the browser, and the watcher.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "lorimel.h"

class ThumbnailWorkerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    // Starts the worker with the cache in "<cacheName>-<process>" beside the
    // test program, `visibleEnd` items shown and `threads` decoding threads
    // (0: the program's default).
    void StartWorker(const char* cacheName, int visibleEnd, int threads);
    // Undoes all StartWorker did; the test removes its own folders.
    void StopWorker();

    static LorimelApi api_;
    static bool bound_;
    HWND list_ = nullptr, browser_ = nullptr;
    std::string cacheHome_;
    std::string savedInitialDir_, savedDefaultPath_;
};
