#include "load_progress.h"

void LoadProgress::Start(int pageHeight) {
    height = pageHeight > 0 ? pageHeight : 0;
    if (height <= 256) {
        bandRows = height > 0 ? height : 1;
        bandCount = 1;
    } else {
        bandRows = height / 16;
        bandCount = height / bandRows + 1;
    }
    rowsSeen = 0;
    // The first repaint once more than one and a half bands have arrived.
    nextRepaint = bandRows + bandRows / 2 + 1;
    bottomUp = false;
    interlaced = false;
}

LoadProgress::Step LoadProgress::OnRow(int row) {
    Step step;
    if (height <= 0) return step;
    ++rowsSeen;
    if (rowsSeen == 1 && height > 1 && row == height - 1) bottomUp = true;
    // While the first band arrives top-down, a row out of turn means the
    // coder delivers the picture in passes.
    if (!bottomUp && rowsSeen <= bandRows && row != rowsSeen - 1) interlaced = true;
    step.percent = static_cast<int>(static_cast<long long>(rowsSeen) * 100 / height);
    if (rowsSeen >= height) {
        step.finished = true;
        rowsSeen = 0;  // ready for the next page
        return step;
    }
    if (rowsSeen >= nextRepaint) {
        // The band that has just arrived whole, counted from where the
        // coder started.
        const int done = rowsSeen / bandRows;
        step.repaintBand = bottomUp ? bandCount - done : done - 1;
        if (step.repaintBand < 0) step.repaintBand = 0;
        nextRepaint += bandRows;
    }
    return step;
}

void LoadProgress::DecodedRows(int* first, int* count) const {
    const int seen = rowsSeen < height ? rowsSeen : height;
    if (interlaced) {
        *first = 0;
        *count = height;
    } else if (bottomUp) {
        *first = height - seen;
        *count = seen;
    } else {
        *first = 0;
        *count = seen;
    }
}
