#include "bilinear.h"

DWORD SamplePoint(const SourcePixels& source, double x, double y) { return SampleBilinear(source, x, y); }
