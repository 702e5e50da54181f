// The viewer's acquire commands: the TWAIN session (Open Acquire, Acquire,
// Close Acquire) and the capture library ("CapImage.dll" in the program
// folder, export "InitCaptuerVideo").  All on the user-interface thread.
#pragma once

#include <windows.h>

#include <string>

#include "twain_session.h"

// The commands 32912 - 32914 and 32848 arrive through AcquireCommand
// (feature_commands.h).

// True while the source manager is open (the menu states follow it).
bool AcquireManagerOpen();
// The session itself, for the tests' eyes.
const PictureTwainSession& AcquireSession();

// Closes source and manager (at the frame's close and at shutdown).
void CloseAcquireSession();
// Frees the capture library; at shutdown, once the windows are gone, since
// code it started may run until then.
void FreeCaptureLibrary();
HMODULE CaptureLibrary();

// Makes acquired pictures the viewer's document: one becomes the current
// picture, several become pages shown 1500 ms each; named "Photo-XX.Bmp"
// in the browsed folder but marked as not on disk.  Takes the pictures.
void ShowAcquiredPictures(Picture** pictures, const int* bitsPerPixel, int count);

// The display name of acquired pictures: folder + "\" (when missing) + name.
std::string AcquiredPictureName(const std::string& folder, const std::string& name);
