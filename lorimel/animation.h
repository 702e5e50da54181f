// The pages of an animation whose frames cover only part of the canvas,
// composed frame after frame the way the core coalesces a sequence.  The
// open file asked last keeps its decoded frames and the canvas of the page
// composed last, so that pages read in order (the viewer's preload, the
// thumbnail maker's samples) decode each frame once and lay it on the canvas
// once: asking for page k no longer decodes and composes frames 0..k anew,
// which made a file of thousands of frames take hours.
//
// What is kept belongs to one file at a time.  A read takes it out under a
// lock of its own and puts it back when done, so reads on several threads
// never share a canvas.
#pragma once

#include <windows.h>

struct _Image;
struct _ExceptionInfo;
struct ImageFileRecord;

// Reads every frame of the file as the coder decodes it; null on failure.
using ReadAllFramesOp = _Image* (*)(ImageFileRecord& file, _ExceptionInfo* exception);

// Page `page` composed on the full canvas, as a new image the caller
// destroys; null when the frames cannot be read, the file has no such
// frame, or memory runs out.
_Image* ComposeAnimationPage(ImageFileRecord& file, LONG page, ReadAllFramesOp readAllFrames,
                             _ExceptionInfo* exception);

// Lets go of what is kept for this file (it is being closed, or its
// description read again).
void ForgetAnimation(const ImageFileRecord& file);
