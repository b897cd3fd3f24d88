// gombrel-cli store FILE: what a result store holds, as tab-separated lines.
#include <cstdio>
#include <ostream>

#include "Commands.h"
#include "FileIdentity.h"
#include "StoreListing.h"

namespace {

std::string Number(double dValue)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", dValue);
    return text;
}

void PrintResult(const StoreResult &result, std::ostream &out)
{
    out << "result\t" << result.iFileType << '\t' << result.iResultId << "\t\t" << result.strReportKey << '\t'
        << result.strRowKey << '\t';
    for (size_t seq = 0; seq < result.values.size(); ++seq)
        out << (seq ? " " : "") << Number(result.values[seq]);
    out << '\n';
}

void PrintSeries(const StoreSeries &series, std::ostream &out)
{
    out << "series\t" << series.iFileType << '\t' << series.iListId << '\t' << series.iVariable << '\t'
        << series.strReportKey << "\t\t";
    if (series.iBlobBytes != 35040)
        out << "unreadable: " << series.iBlobBytes << " bytes instead of 35040\n";
    else
        out << "hours " << series.iHoursWithValue << " min " << Number(series.dMinimum) << " mean "
            << Number(series.dMean) << " max " << Number(series.dMaximum) << '\n';
}

// The store named by strName: the file itself, or a project path to which
// ".d2r" is added (as the result library does).
std::string StoreFile(const std::string &strName)
{
    FileIdentity identity;
    if (ReadFileIdentity(strName, identity) || !ReadFileIdentity(strName + ".d2r", identity))
        return strName;
    return strName + ".d2r";
}

}  // namespace

int RunStoreCommand(const Arguments &args, std::ostream &out, std::ostream &err)
{
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        err << "usage: gombrel-cli store FILE\n";
        return kExitUsage;
    }
    StoreContents contents;
    std::string failure;
    if (!ListStore(StoreFile(args[0]), contents, failure)) {
        err << "gombrel-cli store: " << failure << '\n';
        return 1;
    }
    out << "kind\tfile_type\tid\tvariable\treport_key\trow_key\tvalues\n";
    for (const StoreResult &result : contents.results)
        PrintResult(result, out);
    for (const StoreSeries &series : contents.series)
        PrintSeries(series, out);
    return 0;
}
