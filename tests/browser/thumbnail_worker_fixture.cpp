#include "thumbnail_worker_fixture.h"

#include <objbase.h>

#include <cstring>

#include "cache_files.h"
#include "file_list.h"
#include "item_model.h"
#include "load.h"
#include "program.h"
#include "settings.h"
#include "worker.h"
#include "worker_support.h"

using namespace worker_support;

std::string worker_support::ExeDirectory() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    return std::string(exe, strrchr(exe, '\\') + 1);
}

LorimelApi ThumbnailWorkerTest::api_;
bool ThumbnailWorkerTest::bound_ = false;

void ThumbnailWorkerTest::SetUpTestSuite() {
    const std::string bin = ExeDirectory() + "..\\bin\\";
    bound_ = BindLorimel(api_, (bin + "Lorimel.dll").c_str()) && api_.InitImageLibrary(bin.c_str()) == 1;
}

void ThumbnailWorkerTest::StartWorker(const char* cacheName, int visibleEnd, int threads) {
    CoInitialize(nullptr);
    ASSERT_TRUE(bound_) << "the picture file library did not load";
    SetThumbnailDecodingThreads(threads);
    savedInitialDir_ = settings::Read(settings::kInitialDir);
    savedDefaultPath_ = settings::Read(settings::kDefaultPath);
    SetImageLibrary(&api_);
    cacheHome_ = ExeDirectory() + cacheName + "-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(cacheHome_.c_str(), nullptr);
    SetCacheDirectory(cacheHome_);
    ClearCacheFiles();
    SetVisibleListRange(0, visibleEnd);
    TakeRangeChanged();
    list_ = CreateSinkWindow(0);
    browser_ = CreateSinkWindow(0);
    ASSERT_TRUE(StartWatcher(list_, browser_));
    ForgetPosted();
}

void ThumbnailWorkerTest::StopWorker() {
    StopWatcher();
    SetThumbnailDecodingThreads(0);
    ClearItemModel();
    SetModelFolder(nullptr, nullptr);
    Program().openList.Clear();
    CloseCacheFiles();
    ClearCacheFiles();
    RemoveDirectoryA(GetCacheDirectory().c_str());
    RemoveDirectoryA(cacheHome_.c_str());
    // The other tests of the program run without thumbnails.
    SetImageLibrary(nullptr);
    SetVisibleListRange(0, 1);
    TakeRangeChanged();
    ForgetCellAnimation();
    DestroyWindow(list_);
    DestroyWindow(browser_);
    settings::Write(settings::kInitialDir, savedInitialDir_);
    settings::Write(settings::kDefaultPath, savedDefaultPath_);
    ForgetPosted();
    CoUninitialize();
}
