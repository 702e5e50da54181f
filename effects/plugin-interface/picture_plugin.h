/*
 * The picture filter plug-in contract.
 *
 * A plug-in is a 32-bit Windows DLL with the extension ".PLS" placed in the
 * viewer's program folder.  At start the viewer loads every such file and
 * calls its two exports, found by these undecorated names:
 *
 *     PictureFilter* WINAPI InitPicturePlugins(DWORD codePage, const PictureHostServices* host);
 *     void WINAPI FreePicturePlugins(void);
 *
 * InitPicturePlugins receives the code page of the interface language (936:
 * Simplified Chinese; anything else: English) and the host's services
 * table, which stays valid until FreePicturePlugins.  It returns the first
 * of the plug-in's filters (a list linked by `next`), or null for none.  The
 * viewer lists every filter at the end of its Process menu under `name`.
 * After a language change the viewer calls FreePicturePlugins and then
 * InitPicturePlugins again with the new code page; keep the table pointer
 * and the code page in globals of your own.
 *
 * When the user picks a filter, the viewer calls run(owner, picture) with its
 * frame window and the current picture.  A filter that makes a new picture
 * hands it over with RefreshPictureDisplay and then SetCurrentPicture (which
 * frees the old one) and returns nonzero; otherwise it returns 0 and nothing
 * changes.  The host owns every picture: create, scale and free them only
 * through the services below.  Everything runs on the viewer's interface
 * thread.
 *
 * Every function crossing the boundary - both exports, `run` and all 32
 * services - uses the __stdcall convention (WINAPI) and takes and returns
 * 32-bit values.  Export the two functions undecorated with a .def file:
 *
 *     EXPORTS
 *         InitPicturePlugins = InitPicturePlugins@8
 *         FreePicturePlugins = FreePicturePlugins@0
 */
#ifndef PICTURE_PLUGIN_H
#define PICTURE_PLUGIN_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/*
 * A DIB block: one allocation holding these three words, then the
 * BITMAPINFOHEADER (header points at it), its colour table, and the pixel
 * rows (pixels points at the first).  Rows run top to bottom (biHeight is
 * negative) and are padded to 4 bytes.  A 32-bit block holds blue, green,
 * red and a spare byte per pixel, width * 4 bytes per row.
 */
typedef struct PluginDib {
    DWORD size;                  /* bytes of the whole block */
    BITMAPINFOHEADER* header;
    BYTE* pixels;
} PluginDib;

/* A picture: its 32-bit working copy, on which filters work, and the copy
 * prepared for the display (refreshed by RefreshPictureDisplay). */
typedef struct PluginPicture {
    PluginDib* working;
    PluginDib* display;
} PluginPicture;

/* One filter of a plug-in.  The memory is the plug-in's and must stay valid
 * until FreePicturePlugins. */
typedef struct PictureFilter PictureFilter;
typedef DWORD(WINAPI* PictureFilterRun)(HWND owner, PluginPicture* picture);
struct PictureFilter {
    const char* name;           /* menu text in the code page given */
    PictureFilterRun run;       /* nonzero when a new picture was made current */
    PictureFilter* next;        /* next filter of this plug-in, or null */
};

/*
 * The host's services, in this order (the table layout is fixed: 32
 * pointers).  Results of 0 or null mean failure.
 */
typedef struct PictureHostServices {
    /*  0 */ PluginDib*(WINAPI* CreateDib)(LONG width, LONG height);            /* 32-bit, zeroed */
    /*  1 */ void(WINAPI* FreeDib)(PluginDib* dib);                             /* null allowed */
    /*  2 */ LONG(WINAPI* SetDibFormat)(PluginDib* dib, LONG bitsPerPixel);     /* re-formats the header in place */
    /*  3 */ PluginPicture*(WINAPI* CreatePicture)(LONG width, LONG height);
    /*  4 */ void(WINAPI* FreePicture)(PluginPicture* picture);                 /* null allowed */
    /*  5 */ LONG(WINAPI* DibRowBytes)(const BITMAPINFOHEADER* header);
    /*  6 */ LONG(WINAPI* PaintDib)(HDC dc, LONG xDest, LONG yDest, LONG destWidth, LONG destHeight, LONG xSrc,
                                    LONG ySrc, LONG srcWidth, LONG srcHeight, const void* bits,
                                    const BITMAPINFO* info, UINT colourUse, DWORD rop); /* StretchDIBits, banded */
    /*  7 */ PluginDib*(WINAPI* ScaleDib)(const PluginDib* dib, LONG width, LONG height);       /* nearest neighbour */
    /*  8 */ PluginPicture*(WINAPI* ScalePicture)(const PluginPicture* picture, LONG width, LONG height);
    /*  9 */ LONG(WINAPI* ConvertDibDepth)(PluginDib* dib, LONG bitsPerPixel);  /* 1/0 */
    /* 10 */ LONG(WINAPI* RefreshPictureDisplay)(PluginPicture* picture);       /* 1 */
    /* 11 */ void(WINAPI* SetCurrentPicture)(PluginPicture* picture);           /* frees the old one */
    /* 12 */ PluginDib*(WINAPI* CropDib)(const PluginDib* dib, const RECT* area);
    /* 13 */ LONG(WINAPI* CopyDib)(const PluginDib* source, PluginDib* destination); /* 1/0 */
    /* 14-20: a 32-bit source converted into a destination block large enough
     * for the target depth, which is re-formatted for it; 1/0. */
    /* 14 */ LONG(WINAPI* DibTo1Bit)(const PluginDib* source, PluginDib* destination);  /* ordered dither */
    /* 15 */ LONG(WINAPI* DibTo2Bit)(const PluginDib* source, PluginDib* destination);  /* 4 greys */
    /* 16 */ LONG(WINAPI* DibTo4Bit)(const PluginDib* source, PluginDib* destination);  /* 16 colours */
    /* 17 */ LONG(WINAPI* DibTo8Bit)(const PluginDib* source, PluginDib* destination);  /* 256 colours */
    /* 18 */ LONG(WINAPI* DibTo15Bit)(const PluginDib* source, PluginDib* destination);
    /* 19 */ LONG(WINAPI* DibTo16Bit)(const PluginDib* source, PluginDib* destination);
    /* 20 */ LONG(WINAPI* DibTo24Bit)(const PluginDib* source, PluginDib* destination);
    /* 21 */ void(WINAPI* CenterWindow)(HWND window);      /* over its parent (or the desktop), inside the desktop */
    /* 22 */ LONG(WINAPI* DrawDibCentered)(HWND window, const PluginDib* dib, RECT* used); /* unscaled, mid client */
    /* 23 */ void(WINAPI* EraseAround)(HWND window, const RECT* keep); /* client outside keep, window colour */
    /* 24 */ void(WINAPI* FitSize)(const RECT* box, LONG width, LONG height, LONG* outWidth, LONG* outHeight);
    /* 25 */ HANDLE(WINAPI* OpenCurrentFile)(void);        /* the shown file, or null */
    /* 26 */ LONG(WINAPI* ReadCurrentHeader)(HANDLE file); /* page count */
    /* 27 */ PluginPicture*(WINAPI* LoadPagePicture)(HANDLE file, LONG page);   /* display copy ready */
    /* 28 */ void(WINAPI* CloseCurrentFile)(HANDLE file);  /* null allowed */
    /* 29 */ void(WINAPI* BeginBusy)(void);                /* wait cursor, progress in the status bars */
    /* 30 */ void(WINAPI* ShowProgress)(LONG done, LONG total);   /* "Loading n%" */
    /* 31 */ void(WINAPI* EndBusy)(void);
} PictureHostServices;

typedef PictureFilter*(WINAPI* PFN_InitPicturePlugins)(DWORD codePage, const PictureHostServices* host);
typedef void(WINAPI* PFN_FreePicturePlugins)(void);

#define PICTURE_PLUGIN_INIT "InitPicturePlugins"
#define PICTURE_PLUGIN_FREE "FreePicturePlugins"
#define PICTURE_PLUGIN_CHINESE_CODE_PAGE 936
/* Resource numbers of a filter's dialog: Chinese for 936, else English. */
#define PICTURE_PLUGIN_DIALOG_CHINESE 101
#define PICTURE_PLUGIN_DIALOG_ENGLISH 102
/* The message a filter dialog posts itself to redraw its preview. */
#define PICTURE_PLUGIN_PREVIEW_MESSAGE (WM_USER + 1001)

#ifdef __cplusplus
}
#endif

#endif /* PICTURE_PLUGIN_H */
