#include "SampleResults.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "FilePath.h"
#include "Paths.h"
#include "ResultNeeds.h"
#include "SampleModel.h"
#include "StoreWriter.h"

namespace {

bool WriteNeeds(const SampleModel &model, const ProjectNeeds &needs, StoreWriter &writer, std::string &strFailure)
{
    std::vector<float> values;
    for (const ResultNeed &need : needs.results)
        if (!model.Result(need, values, strFailure) ||
            !writer.AddResult(need.iFileType, need.iResultId, need.strReportKey, need.strRowKey, values, strFailure))
            return false;
    for (const SeriesNeed &need : needs.series)
        if (!model.Series(need, values, strFailure) ||
            !writer.AddHourly(need.iFileType, need.iListId, need.iVariable, need.strReportKey, values, strFailure))
            return false;
    return true;
}

bool WriteProjectStore(const std::string &strFolder, const std::string &strProject, const ProjectNeeds &needs,
                       std::string &strFailure)
{
    SampleModel model;
    if (!model.Build(strProject, strFailure))
        return false;
    const std::string store = PathBelow(strFolder, strProject) + ".d2r";
    const std::filesystem::path folder = FilePath(store).parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        strFailure = "cannot create the folder " + PathText(folder) + ": " + error.message();
        return false;
    }
    StoreWriter writer;
    return writer.Create(store, strFailure) && WriteNeeds(model, needs, writer, strFailure) &&
           writer.Commit(strFailure);
}

}  // namespace

bool WriteSampleResults(const std::string &strFolder, int &iStores, int &iSeries, std::string &strFailure)
{
    iStores = iSeries = 0;
    for (const auto &[project, needs] : CollectResultNeeds()) {
        if (!WriteProjectStore(strFolder, project, needs, strFailure))
            return false;
        ++iStores;
        iSeries += static_cast<int>(needs.series.size());
    }
    return true;
}

bool WriteSampleResults(const std::string &strFolder, std::string &strFailure)
{
    int stores = 0, series = 0;
    return WriteSampleResults(strFolder, stores, series, strFailure);
}
