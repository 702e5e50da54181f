// Bookkeeping of the rows a decoder reports while the viewer's picture loads:
// when to repaint which band of the view, whether the coder delivers rows
// bottom-up or interlaced, and when the page is complete.
#pragma once

struct LoadProgress {
    int height = 0;
    int bandRows = 0;     // rows per refresh band
    int bandCount = 0;
    int rowsSeen = 0;
    int nextRepaint = 0;  // rows seen at which the next repaint is due
    bool bottomUp = false;
    bool interlaced = false;

    // What one reported row asks of the views.
    struct Step {
        int repaintBand = -1;  // band that just arrived whole (top-down index), or -1
        bool finished = false; // last row: show the whole picture
        int percent = 0;       // rows seen * 100 / height
    };

    // Sets the cadence for a page: up to 256 rows one band of the whole
    // height, else bands of height / 16 rows, (height / band) + 1 of them.
    void Start(int pageHeight);
    Step OnRow(int row);

    // The rows decoded so far as one range of the page, top row first: from
    // the top for a coder that delivers top-down, from the bottom for one
    // that delivers bottom-up, the whole page for one that delivers in
    // passes (each pass covers all of it).
    void DecodedRows(int* first, int* count) const;
};
