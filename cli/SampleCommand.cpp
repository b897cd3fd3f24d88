// gombrel-cli sample DIR: a results folder to try the program on.
#include <ostream>

#include "Commands.h"
#include "SampleResults.h"
#include "SampleWorkbooks.h"

int RunSampleCommand(const Arguments &args, std::ostream &out, std::ostream &err)
{
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        err << "usage: gombrel-cli sample DIR\n";
        return kExitUsage;
    }
    int stores = 0, series = 0;
    std::string failure;
    if (!WriteSampleResults(args[0], stores, series, failure)) {
        err << "gombrel-cli sample: " << failure << '\n';
        return 1;
    }
    out << "Wrote " << stores << " result stores (" << series << " hourly series) under " << args[0] << '\n';
    if (!kSampleWorkbooksBuilt) {
        WriteSampleWorkbooks(args[0], failure);
        out << failure << '\n';
        return 0;
    }
    if (!WriteSampleWorkbooks(args[0], failure)) {
        err << "gombrel-cli sample: " << failure << '\n';
        return 1;
    }
    out << "Wrote the four results workbooks under " << args[0] << '\n';
    return 0;
}
