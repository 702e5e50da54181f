// The one place that includes the imaging core's headers.  The core is linked
// from Corvane.dll; its headers are compiled as for a static core (no
// dllimport decoration), and functions are bound through the import library.
#pragma once

#ifndef _LIB
#define _LIB
#endif
#ifndef STATIC_MAGICK
#define STATIC_MAGICK
#endif

// Both the runtime headers and the core define this; the core's word wins.
#undef _CRT_SECURE_NO_DEPRECATE
#include <magick/MagickCore.h>
