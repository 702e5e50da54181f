#include "registry.h"

#include "codec.h"
#include "magick.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

FormatEntry* g_head = nullptr;
std::vector<FormatEntry*>* g_entries = nullptr;

struct NamedValue {
    const char* name;
    DWORD value;
};

// Formats whose coder decodes straight to a reduced size, icon formats, and
// the video format whose pages are not preloaded as an animation.
const NamedValue kFlagTable[] = {
    {"BMP", kFormatFlagReducedDecode},  {"DIB", kFormatFlagReducedDecode},
    {"JPEG", kFormatFlagReducedDecode}, {"JPG", kFormatFlagReducedDecode},
    {"JPEG24", kFormatFlagReducedDecode},
    {"ICO", kFormatFlagReducedDecode | kFormatFlagIcon},
    {"ICON", kFormatFlagReducedDecode | kFormatFlagIcon},
    {"PSD", kFormatFlagReducedDecode},  {"AVI", kFormatFlagNoPreload},
};

constexpr DWORD kPaletteAndTrue = kSaveDepth2Colors | kSaveDepth4Colors | kSaveDepth16Colors |
                                  kSaveDepth256Colors | kSaveDepth16M | kSaveDepth32Bits |
                                  kSaveDepthGray;

// Which colour depths the save dialogs offer per writable format.  The first
// rows are fixed by the suite's save dialogs; the rest follow what each file
// format can store.
const NamedValue kSaveDepthTable[] = {
    {"BMP", 0x1FF},
    {"DIB", 0x1FF},
    {"BMP24", kSaveDepth16M},
    {"JPEG24", kSaveDepth16M | kSaveDepthQuality},
    {"JPEG", kSaveDepth32Bits | kSaveDepthQuality},
    {"JPG", kSaveDepth32Bits | kSaveDepthQuality},
    {"PJPEG", kSaveDepth32Bits | kSaveDepthQuality},
    {"ICO", 0x1DF},
    {"ICON", 0x1DF},
    {"JBIG", 0},
    {"PNG", kPaletteAndTrue},
    {"PNG8", kSaveDepth2Colors | kSaveDepth4Colors | kSaveDepth16Colors | kSaveDepth256Colors |
                 kSaveDepthGray},
    {"PNG24", kSaveDepth16M},
    {"PNG32", kSaveDepth32Bits},
    {"TIFF", kPaletteAndTrue},
    {"TIF", kPaletteAndTrue},
    {"GIF", kSaveDepth2Colors | kSaveDepth4Colors | kSaveDepth16Colors | kSaveDepth256Colors |
                kSaveDepthGray},
    {"PCX", kSaveDepth2Colors | kSaveDepth16Colors | kSaveDepth256Colors | kSaveDepth16M |
                kSaveDepthGray},
};

// Tags that write through another coder at a fixed depth.
struct Alias {
    const char* name;
    const char* coder;
    const char* description;
};
const Alias kAliases[] = {
    {"BMP24", "BMP", "Microsoft Windows bitmap image (24 bits)"},
    {"JPEG24", "JPEG", "Joint Photographic Experts Group JFIF format (24 bits)"},
};

DWORD Lookup(const NamedValue* table, size_t count, const char* name, DWORD fallback) {
    for (size_t i = 0; i < count; ++i)
        if (lstrcmpiA(table[i].name, name) == 0) return table[i].value;
    return fallback;
}

FormatEntry* MakeEntry(const char* name, const MagickInfo* coder, const char* description) {
    auto* e = new (std::nothrow) FormatEntry{};
    if (!e) return nullptr;
    e->name = name;
    e->coder = coder;
    e->coderName = coder->name;
    e->description = description ? description : "";
    e->group = coder->magick_module ? coder->magick_module : coder->name;
    if (coder->decoder) {
        e->readDescription = ReadDescriptionThroughCoder;
        e->readPixels = ReadPixelsThroughCoder;
    }
    if (coder->encoder) {
        e->write = WriteThroughCoder;
        if (coder->blob_support) e->streamWriter = +[]() { return true; };
    }
    e->flags = FormatFlagsFor(name);
    e->saveDepths = SaveDepthsFor(name, e->write != nullptr);
    return e;
}

}  // namespace

DWORD FormatFlagsFor(const char* name) {
    return Lookup(kFlagTable, sizeof kFlagTable / sizeof *kFlagTable, name, 0);
}

DWORD SaveDepthsFor(const char* name, bool canWrite) {
    if (!canWrite) return 0;
    return Lookup(kSaveDepthTable, sizeof kSaveDepthTable / sizeof *kSaveDepthTable, name,
                  kSaveDepth16M | kSaveDepth32Bits);
}

int BuildFormatRegistry() {
    FreeFormatRegistry();
    ExceptionInfo* exception = AcquireExceptionInfo();
    size_t count = 0;
    const MagickInfo** coders = GetMagickInfoList("*", &count, exception);
    DestroyExceptionInfo(exception);
    if (!coders) return 0;

    g_entries = new (std::nothrow) std::vector<FormatEntry*>();
    if (!g_entries) {
        RelinquishMagickMemory(coders);
        return 0;
    }
    // The core's list leaves out hidden coders; the picture formats among
    // them that the suite names (DIB, TIF) join in their sorted place.
    std::vector<const MagickInfo*> ordered(coders, coders + count);
    exception = AcquireExceptionInfo();
    for (const char* hidden : {"DIB", "TIF"}) {
        const MagickInfo* coder = GetMagickInfo(hidden, exception);
        if (coder && coder->stealth) ordered.push_back(coder);
    }
    DestroyExceptionInfo(exception);
    std::sort(ordered.begin(), ordered.end(), [](const MagickInfo* a, const MagickInfo* b) {
        return lstrcmpiA(a->name, b->name) < 0;
    });

    FormatEntry** tail = &g_head;
    auto append = [&](FormatEntry* e) {
        if (!e) return;
        g_entries->push_back(e);
        *tail = e;
        tail = &e->next;
    };
    for (const MagickInfo* coder : ordered) {
        if (!coder || !coder->name) continue;
        append(MakeEntry(coder->name, coder, coder->description));
        for (const Alias& alias : kAliases)
            if (lstrcmpiA(alias.coder, coder->name) == 0 && coder->encoder)
                append(MakeEntry(alias.name, coder, alias.description));
    }
    RelinquishMagickMemory(coders);
    return static_cast<int>(g_entries->size());
}

void FreeFormatRegistry() {
    if (g_entries) {
        for (FormatEntry* e : *g_entries) delete e;
        delete g_entries;
    }
    g_entries = nullptr;
    g_head = nullptr;
}

FormatEntry* FirstFormat() { return g_head; }

FormatEntry* FindFormat(const char* name) {
    if (!name || !*name) return nullptr;
    for (FormatEntry* e = g_head; e; e = e->next)
        if (lstrcmpiA(e->name, name) == 0) return e;
    return nullptr;
}
