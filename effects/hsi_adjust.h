// The HSI adjustment of the YUV dialog's third use (command 32870): hue
// turned around the grey axis, saturation scaled, intensity shifted.  Not on
// any menu; reachable by its command.
#pragma once

#include <windows.h>

#include <cstddef>

// dh turns the hue by dh * 180 / 128 degrees; ds scales the distance from
// grey by (128 + ds) / 128; di is added to every channel.  Offsets of 0 leave
// a pixel as it is (fourth byte cleared).  Channels clamp to 0..255.
void AdjustPixelsHsi(DWORD* pixels, size_t count, int dh, int ds, int di);
