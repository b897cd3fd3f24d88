// The files of ranges/data, compiled into the program at build time
// (EmbedData.cmake makes the source that defines these).
#pragma once

#include <cstddef>

struct ReferenceText {
    const char *pszFile;  // the file's name in ranges/data
    const char *pText;    // its bytes, followed by a NUL
    size_t size;          // without the NUL
};

extern const ReferenceText g_aReferenceTexts[];
extern const size_t g_nReferenceTexts;
