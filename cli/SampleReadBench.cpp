// sample-read-bench [DIR]: how long the result library takes to hand over
// everything the four tables read from a sample results folder, in one pass
// over every project's results and series (made in DIR, or in a fresh
// temporary folder).  Prints the counts and the time of two passes: the
// first opens every store, the second finds the files cached by the system.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Paths.h"
#include "ResultNeeds.h"
#include "SampleResults.h"
#include "TemporaryFolder.h"
#include "d2result.h"

namespace {

struct PassCounts {
    int iStores = 0;
    int iResults = 0;
    int iSeries = 0;
    long lValues = 0;
    int iFailures = 0;
};

int32_t ReadResult(const std::string &strProject, const ResultNeed &need, std::vector<float> &values)
{
    D2R_ResultRequest request = {};
    request.iResultId = need.iResultId;
    std::snprintf(request.szReportKey, sizeof request.szReportKey, "%s", need.strReportKey.c_str());
    std::snprintf(request.szRowKey, sizeof request.szRowKey, "%s", need.strRowKey.c_str());
    values.resize(static_cast<size_t>(need.iValueCount));
    return D2R_GetMultipleResult("", strProject.c_str(), need.iFileType, values.data(), need.iValueCount, 1,
                                 &request);
}

int32_t ReadSeries(const std::string &strProject, const SeriesNeed &need, std::vector<float> &hours)
{
    hours.resize(D2R_HOURS_PER_YEAR);
    return D2R_GetSingleHourlyResult("", strProject.c_str(), need.iFileType, need.iListId, need.iVariable,
                                     hours.data(), D2R_HOURS_PER_YEAR, need.strReportKey.c_str(), nullptr, 0);
}

PassCounts ReadEverything(const std::string &strFolder, const std::map<std::string, ProjectNeeds> &projects)
{
    PassCounts counts;
    std::vector<float> values;
    for (const auto &[project, needs] : projects) {
        const std::string path = PathBelow(strFolder, project);
        ++counts.iStores;
        for (const ResultNeed &need : needs.results) {
            int32_t read = ReadResult(path, need, values);
            counts.iFailures += read != need.iValueCount;
            counts.lValues += read;
            ++counts.iResults;
        }
        for (const SeriesNeed &need : needs.series) {
            int32_t read = ReadSeries(path, need, values);
            counts.iFailures += read != D2R_HOURS_PER_YEAR;
            counts.lValues += read;
            ++counts.iSeries;
        }
    }
    return counts;
}

double TimedPass(const std::string &strFolder, const std::map<std::string, ProjectNeeds> &projects,
                 PassCounts &counts)
{
    auto start = std::chrono::steady_clock::now();
    counts = ReadEverything(strFolder, projects);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char **argv)
{
    std::string failure;
    const std::string folder = argc > 1 ? std::string(argv[1]) : MakeTemporaryFolder("sample-read-bench", failure);
    if (folder.empty() || !WriteSampleResults(folder, failure)) {
        std::fprintf(stderr, "sample-read-bench: %s\n", failure.c_str());
        return 1;
    }
    const std::map<std::string, ProjectNeeds> projects = CollectResultNeeds();
    PassCounts counts;
    const double first = TimedPass(folder, projects, counts);
    const double second = TimedPass(folder, projects, counts);
    std::printf("sample folder: %s\n", folder.c_str());
    std::printf("stores %d, results %d, hourly series %d, values read %ld, failed reads %d\n", counts.iStores,
                counts.iResults, counts.iSeries, counts.lValues, counts.iFailures);
    std::printf("one pass over everything: first %.1f ms, second %.1f ms\n", first, second);
    return counts.iFailures == 0 ? 0 : 1;
}
