// What the fuzzers share: their own checks, and a private scratch folder.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

// A broken promise ends the run like a sanitizer report, so that libFuzzer
// keeps the input that broke it.
inline void FuzzCheck(bool bHolds)
{
    if (!bHolds)
        std::abort();
}

// A fresh folder under /tmp for this fuzzing process, made on the first call
// and removed when the process exits normally (a finding leaves it for a
// look at what the input made).
inline const std::string &FuzzWorkFolder()
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/gombrel-fuzz-XXXXXX";
        FuzzCheck(mkdtemp(pattern) != nullptr);
        return std::string(pattern);
    }();
    static const bool bRemovedAtExit = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }) == 0;
    (void)bRemovedAtExit;
    return folder;
}
