// Lorimel: the picture file library.  This header is the whole contract
// between Lorimel.dll and its callers: the records that cross the boundary,
// the 28 operations with their export ordinals (the DLL exports no names), and
// a binding table that a caller fills by ordinal after LoadLibrary.
//
// Every operation is __stdcall with 32-bit arguments and results; 0 (or null)
// means failure unless an operation says otherwise.
#pragma once

#include <windows.h>
#include <setjmp.h>

#ifdef __cplusplus
extern "C" {
#endif

// Page info record, in/out of GetImagePageInfo.  Callers allocate 24 bytes
// and zero them before each call; the library fills the first 20.
typedef struct LorimelPageInfo {
    LONG page;           // in: page index
    LONG width;          // out: pixels
    LONG height;         // out: pixels
    LONG kind;           // out: small image-kind code of the coder (1..8)
    LONG bitsPerPixel;   // out: 1, 2, 4, 8, 15, 16, 24 or 32 as stored
} LorimelPageInfo;

// Write info record, in to WriteImageFile.
typedef struct LorimelWriteInfo {
    LONG zero0;
    LONG width;
    LONG height;         // positive
    LONG zero1;
    LONG zero2;
    LONG quality;        // the viewer clamps it to 20..95
} LorimelWriteInfo;

// Error record copied out by GetImageError.
typedef struct LorimelErrorText {
    LONG severity;
    char reason[150];
    char description[150];
} LorimelErrorText;

// One format group record of ListImageFormatGroups: 4580 bytes, packed one
// after the other in a movable global block.
enum { kLorimelGroupNames = 20 };
typedef struct LorimelFormatGroup {
    char group[100];
    char names[kLorimelGroupNames][20];       // first empty slot ends the list
    LONG canWrite[kLorimelGroupNames];         // write operation and stream writer
    char descriptions[kLorimelGroupNames][200];
} LorimelFormatGroup;

// Format flag bits, published through HandleFormatFlag1/2/4 and FormatFlag1/2/4.
enum {
    kFormatFlagReducedDecode = 1,   // decodes straight to a smaller size (thumbnails)
    kFormatFlagIcon          = 2,   // icon resources
    kFormatFlagNoPreload     = 4,   // pages are not preloaded as an animation
};

// Save-depth mask bits (GetFormatSaveDepths).
enum {
    kSaveDepth2Colors   = 1 << 0,
    kSaveDepth4Colors   = 1 << 1,
    kSaveDepth16Colors  = 1 << 2,
    kSaveDepth256Colors = 1 << 3,
    kSaveDepth32K       = 1 << 4,
    kSaveDepth64K       = 1 << 5,
    kSaveDepth16M       = 1 << 6,
    kSaveDepth32Bits    = 1 << 7,
    kSaveDepthGray      = 1 << 8,
    kSaveDepthQuality   = 1 << 9,
};

typedef HGLOBAL LorimelHandle;    // the movable global block of one open file
typedef void* LorimelFormat;      // an entry of the format registry

// Row progress: (task number, task text, row just finished, total rows).
// Return nonzero to go on, 0 to stop the decode.
typedef LONG(WINAPI* LorimelProgress)(LONG task, const char* text, LONG row, LONG rows);

// Export ordinals.
enum LorimelOrdinal {
    kOrdInitImageLibrary = 1,
    kOrdFreeImageLibrary = 2,
    kOrdDetectImageFormat = 3,
    kOrdOpenImageFileAuto = 4,
    kOrdOpenImageFile = 5,
    kOrdReadImageHeader = 6,
    kOrdGetImagePageInfo = 7,
    kOrdHandleFormatFlag1 = 8,
    kOrdGetImagePageDelay = 9,
    kOrdReadImagePixels = 10,
    kOrdWriteImageFile = 11,
    kOrdSetImageProgressCallback = 12,
    kOrdCloseImageFile = 13,
    kOrdGetImageError = 14,
    kOrdListImageFormatGroups = 15,
    kOrdFirstImageFormat = 16,
    kOrdNextImageFormat = 17,
    kOrdFormatCanWrite = 18,
    kOrdFormatCanRead = 19,
    kOrdFormatFlag1 = 20,
    kOrdGetFormatSaveDepths = 21,
    kOrdSmoothPixelRow = 22,
    kOrdFormatFlag2 = 23,
    kOrdFormatFlag4 = 24,
    kOrdHandleFormatFlag2 = 25,
    kOrdHandleFormatFlag4 = 26,
    kOrdSetErrorJump = 27,
    kOrdTakeErrorJump = 28,
    kLorimelOrdinalCount = 28
};

// The operations, as function pointer types.
typedef LONG(WINAPI* PFN_InitImageLibrary)(const char* directory);
typedef LONG(WINAPI* PFN_FreeImageLibrary)(void);
// DetectImageFormat writes the coder's name into a buffer of at least
// kLorimelFormatChars bytes.
constexpr int kLorimelFormatChars = 200;
typedef LONG(WINAPI* PFN_DetectImageFormat)(const char* path, char* format);
typedef LorimelHandle(WINAPI* PFN_OpenImageFileAuto)(const char* path, const char* mode, LONG flag);
typedef LorimelHandle(WINAPI* PFN_OpenImageFile)(const char* path, const char* mode,
                                                 const char* format, LONG flag);
typedef LONG(WINAPI* PFN_ReadImageHeader)(LorimelHandle h);
typedef LONG(WINAPI* PFN_GetImagePageInfo)(LorimelHandle h, LorimelPageInfo* info);
typedef LONG(WINAPI* PFN_HandleFormatFlag)(LorimelHandle h);
typedef LONG(WINAPI* PFN_GetImagePageDelay)(LorimelHandle h, LONG page);
typedef LONG(WINAPI* PFN_ReadImagePixels)(LorimelHandle h, void* pixels, LONG width,
                                          LONG height, LONG page);
typedef LONG(WINAPI* PFN_WriteImageFile)(LorimelHandle h, const void* dibBlock,
                                         const LorimelWriteInfo* info);
typedef LONG(WINAPI* PFN_SetImageProgressCallback)(LorimelHandle h, LorimelProgress callback);
typedef void(WINAPI* PFN_CloseImageFile)(LorimelHandle h);
typedef LONG(WINAPI* PFN_GetImageError)(LorimelHandle h, LorimelErrorText* out);
typedef LONG(WINAPI* PFN_ListImageFormatGroups)(HGLOBAL* groups);
typedef LorimelFormat(WINAPI* PFN_FirstImageFormat)(const char** name, const char** group,
                                                    const char** description);
typedef LorimelFormat(WINAPI* PFN_NextImageFormat)(LorimelFormat entry, const char** name,
                                                   const char** group, const char** description);
typedef LONG(WINAPI* PFN_FormatQuery)(LorimelFormat entry);
typedef LONG(WINAPI* PFN_SmoothPixelRow)(DWORD* row, LONG count);
typedef LONG(WINAPI* PFN_SetErrorJump)(jmp_buf jump);
typedef void(WINAPI* PFN_TakeErrorJump)(jmp_buf jump, LONG value) __attribute__((noreturn));

// The binding table: what the viewer holds after loading the library.
typedef struct LorimelApi {
    HMODULE module;
    PFN_InitImageLibrary InitImageLibrary;
    PFN_FreeImageLibrary FreeImageLibrary;
    PFN_DetectImageFormat DetectImageFormat;
    PFN_OpenImageFileAuto OpenImageFileAuto;
    PFN_OpenImageFile OpenImageFile;
    PFN_ReadImageHeader ReadImageHeader;
    PFN_GetImagePageInfo GetImagePageInfo;
    PFN_HandleFormatFlag HandleFormatFlag1;
    PFN_GetImagePageDelay GetImagePageDelay;
    PFN_ReadImagePixels ReadImagePixels;
    PFN_WriteImageFile WriteImageFile;
    PFN_SetImageProgressCallback SetImageProgressCallback;
    PFN_CloseImageFile CloseImageFile;
    PFN_GetImageError GetImageError;
    PFN_ListImageFormatGroups ListImageFormatGroups;
    PFN_FirstImageFormat FirstImageFormat;
    PFN_NextImageFormat NextImageFormat;
    PFN_FormatQuery FormatCanWrite;
    PFN_FormatQuery FormatCanRead;
    PFN_FormatQuery FormatFlag1;
    PFN_FormatQuery GetFormatSaveDepths;
    PFN_SmoothPixelRow SmoothPixelRow;
    PFN_FormatQuery FormatFlag2;
    PFN_FormatQuery FormatFlag4;
    PFN_HandleFormatFlag HandleFormatFlag2;
    PFN_HandleFormatFlag HandleFormatFlag4;
    PFN_SetErrorJump SetErrorJump;
    PFN_TakeErrorJump TakeErrorJump;
} LorimelApi;

#ifdef __cplusplus
}  // extern "C"

// Loads "Lorimel.dll" from the module's search path (or the given path) and
// binds every operation by ordinal.  Returns false, with the library released,
// when it cannot be loaded or an ordinal is missing.
bool BindLorimel(LorimelApi& api, const char* path = "Lorimel.dll");
void UnbindLorimel(LorimelApi& api);

// Records a recovery point through the bound SetErrorJump.  Call this rather
// than api.SetErrorJump: like setjmp it returns twice (0 when recording, the
// jump's value when TakeErrorJump comes back), and only a declared function
// can tell the compiler so.
extern "C" LONG WINAPI LorimelRecoveryPoint(jmp_buf jump) __attribute__((returns_twice));

// Drops this thread's innermost recovery point (SetErrorJump with a null
// buffer).
void DropLorimelRecoveryPoint();

// The scope of one recovery point: once the point is recorded, a scope that
// ends normally drops it, so that a later fatal error never comes back into
// a frame that has returned.  A jump back uses the point up; the handler
// says so with Jumped() and the scope then drops nothing.
//
//     jmp_buf jump;
//     RecoveryScope scope;
//     if (LorimelRecoveryPoint(jump) != 0) { scope.Jumped(); ...; return; }
class RecoveryScope {
public:
    RecoveryScope() = default;
    ~RecoveryScope() {
        if (!jumped_) DropLorimelRecoveryPoint();
    }
    RecoveryScope(const RecoveryScope&) = delete;
    RecoveryScope& operator=(const RecoveryScope&) = delete;
    void Jumped() { jumped_ = true; }

private:
    volatile bool jumped_ = false;
};
#endif
