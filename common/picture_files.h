// Which files are pictures: the image library's format detection, used by
// the browser's list and by the open list.
#pragma once

#include <string>

// True when the image library recognises the file as a picture.
bool IsPictureFile(const std::string& path);
// Appends a path (a shortcut stands for its target) to the open list when it
// is a picture.  False (and nothing appended) otherwise.
bool AddToOpenList(const std::string& path);
