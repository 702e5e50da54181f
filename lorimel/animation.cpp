#include "animation.h"

#include "handle.h"
#include "magick.h"

namespace {

struct Composer {
    const void* owner = nullptr;   // the file's page list, while it is open
    Image* frames = nullptr;       // every frame as decoded, first to last
    Image* canvas = nullptr;       // page `at` composed
    Image* underlay = nullptr;     // what the frame after `at` is laid over
    const Image* frame = nullptr;  // frame `at`
    LONG at = -1;
};

void DropCanvas(Composer& c) {
    if (c.canvas) DestroyImage(c.canvas);
    if (c.underlay) DestroyImage(c.underlay);
    c.canvas = c.underlay = nullptr;
    c.frame = nullptr;
    c.at = -1;
}

void Drop(Composer& c) {
    DropCanvas(c);
    if (c.frames) DestroyImageList(c.frames);
    c.frames = nullptr;
    c.owner = nullptr;
}

// What the file asked last left behind.  A read takes it out (under the
// lock, briefly) and puts it back when done, so that two threads never work
// on one canvas; one that finds it taken reads its own frames.
Composer g_kept;

CRITICAL_SECTION* KeptLock() {
    struct Lock {
        CRITICAL_SECTION section;
        Lock() { InitializeCriticalSection(&section); }
    };
    static Lock lock;
    return &lock.section;
}

class KeptGuard {
public:
    KeptGuard() { EnterCriticalSection(KeptLock()); }
    ~KeptGuard() { LeaveCriticalSection(KeptLock()); }
    KeptGuard(const KeptGuard&) = delete;
    KeptGuard& operator=(const KeptGuard&) = delete;
};

Composer TakeKept() {
    KeptGuard guard;
    Composer taken = g_kept;
    g_kept = Composer();
    return taken;
}

// Keeps c for the next read, in place of whatever another thread left.
void PutBack(Composer& c) {
    Composer replaced;
    {
        KeptGuard guard;
        replaced = g_kept;
        g_kept = c;
    }
    Drop(replaced);
}

// Makes the covered area see-through again (a frame disposed to the
// background).
void ClearArea(Image* image, const RectangleInfo& area) {
    if (area.x < 0) return;
    if (image->matte == MagickFalse) SetImageAlphaChannel(image, OpaqueAlphaChannel);
    for (size_t y = 0; y < area.height; ++y) {
        PixelPacket* q = GetAuthenticPixels(image, area.x, area.y + static_cast<ssize_t>(y),
                                            area.width, 1, &image->exception);
        if (!q) break;
        for (size_t x = 0; x < area.width; ++x) q[x].opacity = static_cast<Quantum>(TransparentOpacity);
        if (SyncAuthenticPixels(image, &image->exception) == MagickFalse) break;
    }
}

// Page 0: the first frame on a see-through canvas of the sequence's size.
bool Start(Composer& c, ExceptionInfo* exception) {
    DropCanvas(c);
    const Image* first = c.frames;
    RectangleInfo bounds = first->page;
    if (bounds.width == 0) bounds.width = first->columns + (bounds.x > 0 ? bounds.x : 0);
    if (bounds.height == 0) bounds.height = first->rows + (bounds.y > 0 ? bounds.y : 0);
    bounds.x = bounds.y = 0;
    Image* canvas = CloneImage(first, bounds.width, bounds.height, MagickTrue, exception);
    if (!canvas) return false;
    canvas->background_color.opacity = static_cast<Quantum>(TransparentOpacity);
    SetImageBackgroundColor(canvas);
    canvas->matte = first->matte;
    canvas->page = bounds;
    canvas->dispose = NoneDispose;
    c.underlay = CloneImage(canvas, 0, 0, MagickTrue, exception);
    if (!c.underlay) {
        DestroyImage(canvas);
        return false;
    }
    CompositeImage(canvas, CopyCompositeOp, first, first->page.x, first->page.y);
    c.canvas = canvas;
    c.frame = first;
    c.at = 0;
    return true;
}

// The next page: the frame before is disposed of as it asks, the next frame
// laid over what remains.
bool Step(Composer& c, ExceptionInfo* exception) {
    const Image* previous = c.frame;
    const Image* next = previous->next;
    if (!next) return false;
    RectangleInfo covered = previous->page;
    covered.width = previous->columns;
    covered.height = previous->rows;
    if (covered.x < 0) {
        covered.width += covered.x;
        covered.x = 0;
    }
    if (static_cast<ssize_t>(covered.x + covered.width) > static_cast<ssize_t>(c.canvas->columns))
        covered.width = c.canvas->columns - covered.x;
    if (covered.y < 0) {
        covered.height += covered.y;
        covered.y = 0;
    }
    if (static_cast<ssize_t>(covered.y + covered.height) > static_cast<ssize_t>(c.canvas->rows))
        covered.height = c.canvas->rows - covered.y;
    if (previous->dispose != PreviousDispose) {
        Image* underlay = CloneImage(c.canvas, 0, 0, MagickTrue, exception);
        if (!underlay) return false;
        DestroyImage(c.underlay);
        c.underlay = underlay;
    }
    if (previous->dispose == BackgroundDispose) ClearArea(c.underlay, covered);
    Image* canvas = CloneImage(c.underlay, 0, 0, MagickTrue, exception);
    if (!canvas) return false;
    CompositeImage(canvas, next->matte != MagickFalse ? OverCompositeOp : CopyCompositeOp, next,
                   next->page.x, next->page.y);
    canvas->page = c.canvas->page;
    DestroyImage(c.canvas);
    c.canvas = canvas;
    c.frame = next;
    ++c.at;
    return true;
}

}  // namespace

Image* ComposeAnimationPage(ImageFileRecord& file, LONG page, ReadAllFramesOp readAllFrames,
                            ExceptionInfo* exception) {
    // A fatal error inside the core leaves this frame by a jump: what was
    // taken out is then lost, never left half-made for the next read.
    Composer c = TakeKept();
    if (c.owner != file.coreImage || !c.frames) {
        Drop(c);
        c.frames = readAllFrames(file, exception);
        if (!c.frames) return nullptr;
        c.owner = file.coreImage;
    }
    Image* composed = nullptr;
    if (page >= 0) {
        bool ok = (c.at >= 0 && c.at <= page) || Start(c, exception);
        while (ok && c.at < page) ok = Step(c, exception);
        if (ok) composed = CloneImage(c.canvas, 0, 0, MagickTrue, exception);
        else DropCanvas(c);
    }
    PutBack(c);
    return composed;
}

void ForgetAnimation(const ImageFileRecord& file) {
    Composer dropped;
    {
        KeptGuard guard;
        if (!g_kept.owner || g_kept.owner != file.coreImage) return;
        dropped = g_kept;
        g_kept = Composer();
    }
    Drop(dropped);
}
