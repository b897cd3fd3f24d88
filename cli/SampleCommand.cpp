// gombrel-cli sample [--large] DIR: a results folder to try the program on,
// with --large its workbooks at the size of the real ones.
#include <ostream>

#include "Commands.h"
#include "SampleResults.h"
#include "SampleWorkbooks.h"

int RunSampleCommand(const Arguments &args, std::ostream &out, std::ostream &err)
{
    const bool bLarge = !args.empty() && args[0] == "--large";
    const std::string folder = args.size() == (bLarge ? 2u : 1u) ? args.back() : std::string();
    if (folder.empty() || folder[0] == '-') {
        err << "usage: gombrel-cli sample [--large] DIR\n";
        return kExitUsage;
    }
    int stores = 0, series = 0;
    std::string failure;
    if (!WriteSampleResults(folder, stores, series, failure)) {
        err << "gombrel-cli sample: " << failure << '\n';
        return 1;
    }
    out << "Wrote " << stores << " result stores (" << series << " hourly series) under " << folder << '\n';
    if (!kSampleWorkbooksBuilt) {
        WriteSampleWorkbooks(folder, failure, bLarge);
        out << failure << '\n';
        return 0;
    }
    if (!WriteSampleWorkbooks(folder, failure, bLarge)) {
        err << "gombrel-cli sample: " << failure << '\n';
        return 1;
    }
    out << "Wrote the four results workbooks" << (bLarge ? " at the size of the real ones" : "") << " under "
        << folder << '\n';
    return 0;
}
