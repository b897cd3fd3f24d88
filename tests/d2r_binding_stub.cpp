// A library with the result library's file name but none of its entries.
#include "d2result.h"

extern "C" D2R_EXPORT int D2R_Unrelated() { return 0; }
