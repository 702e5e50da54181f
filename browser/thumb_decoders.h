// The threads that decode thumbnails for the worker's passes.  The worker
// alone submits jobs and takes finished ones back, so a job belongs to one
// side at a time: to the worker until submitted, to its decoding thread until
// it is finished, to the worker again once taken.  What a job is, and what
// decoding it means, is the worker's (DecodeJob is defined there).
//
// Each thread decodes one job at a time; a thread busy with a huge picture
// leaves the others free for the next items.
#pragma once

#include <windows.h>

struct DecodeJob;

struct DecodeJobHandlers {
    void (*run)(DecodeJob* job);    // on a decoding thread
    void (*free)(DecodeJob* job);   // a finished job nobody took, at the stop
};

// Starts count threads (1 or more).  False (nothing running) when none
// could be made; fewer than asked may run when some could not.
bool StartDecoders(int count, DecodeJobHandlers handlers);
// Asks the threads to end once their job is done, waits up to waitMs for
// them (then terminates the rest) and frees the finished jobs not taken.
// A job still running when its thread is terminated is lost.
void StopDecoders(DWORD waitMs);
// How many threads run (0 when stopped), and how many wait for a job.
int DecoderCount();
int IdleDecoders();
// Hands job to an idle thread; false (the job stays the caller's) when none is.
bool SubmitDecodeJob(DecodeJob* job);
// The oldest finished job, or null.
DecodeJob* TakeFinishedJob();
// Set (auto-reset) each time a job finishes.
HANDLE DecodeFinishedEvent();
