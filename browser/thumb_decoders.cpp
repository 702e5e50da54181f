#include "thumb_decoders.h"

#include "win_guards.h"

#include <deque>
#include <new>
#include <vector>

namespace {

struct Slot {
    HANDLE thread = nullptr;
    HANDLE wake = nullptr;          // auto-reset: a job or the stop
    DecodeJob* volatile job = nullptr;
};

struct Pool {
    CriticalSection section;        // guards the slots' jobs, idle count and finished
    std::vector<Slot*> slots;
    std::deque<DecodeJob*> finished;
    HANDLE finishedEvent = nullptr;
    DecodeJobHandlers handlers = {};
    volatile LONG stopping = 0;
    int idle = 0;
};

Pool& ThePool() {
    static Pool pool;
    return pool;
}

DWORD WINAPI DecoderMain(void* context) {
    Pool& pool = ThePool();
    Slot* slot = static_cast<Slot*>(context);
    for (;;) {
        WaitForSingleObject(slot->wake, INFINITE);
        DecodeJob* job = nullptr;
        {
            SectionLock hold(pool.section);
            job = slot->job;
        }
        if (job) {
            pool.handlers.run(job);
            SectionLock hold(pool.section);
            slot->job = nullptr;
            pool.finished.push_back(job);
            ++pool.idle;
            SetEvent(pool.finishedEvent);
        }
        if (pool.stopping) return 0;
    }
}

}  // namespace

bool StartDecoders(int count, DecodeJobHandlers handlers) {
    Pool& pool = ThePool();
    if (!pool.slots.empty() || count < 1 || !handlers.run || !handlers.free) return false;
    if (!pool.finishedEvent) pool.finishedEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!pool.finishedEvent) return false;
    pool.handlers = handlers;
    pool.stopping = 0;
    pool.idle = 0;
    for (int i = 0; i < count; ++i) {
        Slot* slot = new (std::nothrow) Slot;
        if (!slot) break;
        slot->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        DWORD id = 0;
        if (slot->wake) slot->thread = CreateThread(nullptr, 0, DecoderMain, slot, 0, &id);
        if (!slot->thread) {
            if (slot->wake) CloseHandle(slot->wake);
            delete slot;
            break;
        }
        pool.slots.push_back(slot);
        SectionLock hold(pool.section);
        ++pool.idle;
    }
    return !pool.slots.empty();
}

void StopDecoders(DWORD waitMs) {
    Pool& pool = ThePool();
    if (pool.slots.empty()) return;
    pool.stopping = 1;
    std::vector<HANDLE> threads;
    for (Slot* slot : pool.slots) {
        SetEvent(slot->wake);
        threads.push_back(slot->thread);
    }
    // At most 64 handles per wait; the pool is never that large.
    if (WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, waitMs) != WAIT_OBJECT_0) {
        for (HANDLE thread : threads) {
            DWORD code = 0;
            if (GetExitCodeThread(thread, &code) && code == STILL_ACTIVE) TerminateThread(thread, 0);
        }
    }
    for (Slot* slot : pool.slots) {
        CloseHandle(slot->thread);
        CloseHandle(slot->wake);
        delete slot;
    }
    pool.slots.clear();
    SectionLock hold(pool.section);
    for (DecodeJob* job : pool.finished) pool.handlers.free(job);
    pool.finished.clear();
    pool.idle = 0;
}

int DecoderCount() { return static_cast<int>(ThePool().slots.size()); }

int IdleDecoders() {
    Pool& pool = ThePool();
    SectionLock hold(pool.section);
    return pool.idle;
}

bool SubmitDecodeJob(DecodeJob* job) {
    Pool& pool = ThePool();
    if (!job) return false;
    SectionLock hold(pool.section);
    for (Slot* slot : pool.slots) {
        if (slot->job) continue;
        slot->job = job;
        --pool.idle;
        SetEvent(slot->wake);
        return true;
    }
    return false;
}

DecodeJob* TakeFinishedJob() {
    Pool& pool = ThePool();
    SectionLock hold(pool.section);
    if (pool.finished.empty()) return nullptr;
    DecodeJob* job = pool.finished.front();
    pool.finished.pop_front();
    return job;
}

HANDLE DecodeFinishedEvent() { return ThePool().finishedEvent; }
