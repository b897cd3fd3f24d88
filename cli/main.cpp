// gombrel-cli: the Gombrel job without a window.
#include <cstring>
#include <iostream>

#include "Commands.h"
#include "Settings.h"
#include "Terminal.h"

namespace {

const char kUsage[] =
    "usage: gombrel-cli run    --doe2 DIR --results DIR [--results DIR ...] [--jobs N] [--check | --no-check] [--log]\n"
    "                          [--timings]\n"
    "       gombrel-cli values --doe2 DIR --results DIR [--table NAME]\n"
    "       gombrel-cli check  --doe2 DIR --results DIR [--table NAME] [--tsv]\n"
    "       gombrel-cli diff   [--doe2 DIR] A B [--table NAME] [--tolerance PERCENT]\n"
    "       gombrel-cli verify --doe2 DIR --results DIR [--table NAME]\n"
    "       gombrel-cli ranges --doe2 DIR --results DIR|VALUES_FILE [--table NAME] [--html FILE]\n"
    "       gombrel-cli map    [--table NAME]\n"
    "       gombrel-cli sample [--large] DIR\n"
    "       gombrel-cli store  FILE\n"
    "       gombrel-cli --help | --version\n"
    "\n"
    "Tables: Std140Sec5_2Items, Std140Sec5_3Items, Std140Sec5_3BItems, Std140Sec5_4Items.\n";

// The usage, then where this build keeps its settings.
void PrintUsage(std::ostream &out) { out << kUsage << "Settings: " << SettingsPlaceText() << '\n'; }

struct Command {
    const char *pszName;
    int (*pRun)(const Arguments &, std::ostream &, std::ostream &);
};

const Command kCommands[] = {
    {"run", RunRunCommand},
    {"map", RunMapCommand},
    {"values", RunValuesCommand},
    {"check", RunCheckCommand},
    {"diff", RunDiffCommand},
    {"verify", RunVerifyCommand},
    {"ranges", RunRangesCommand},
    {"sample", RunSampleCommand},
    {"store", RunStoreCommand},
};

}  // namespace

int main(int argc, char **argv)
{
    WriteStandardStreamsAsIs();
    if (argc < 2) {
        PrintUsage(std::cerr);
        return kExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h") {
        PrintUsage(std::cout);
        return 0;
    }
    if (name == "--version") {
        std::cout << "gombrel-cli " GOMBREL_VERSION "\n";
        return 0;
    }
    const Arguments args(argv + 2, argv + argc);
    for (const Command &command : kCommands)
        if (name == command.pszName)
            return command.pRun(args, std::cout, std::cerr);
    std::cerr << "gombrel-cli: unknown command '" << name << "' (see gombrel-cli --help)\n";
    return kExitUsage;
}
