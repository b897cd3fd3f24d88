#include "SampleModel.h"

#include "SampleResultMap.h"

bool SampleModel::Build(const std::string &strProject, std::string &strFailure)
{
    CaseSetup setup;
    const std::string caseName = ProjectCase(strProject);
    if (caseName.empty() || !SetupFor(ProjectSection(strProject), caseName, setup)) {
        strFailure = "no sample model for the project " + strProject;
        return false;
    }
    m_hours.assign(kHoursPerYear, Hour());
    for (int index = 0; index < kHoursPerYear; ++index)
        SetWeather(setup.climate, index, m_hours[index]);
    SimulateZone(setup.building, m_hours);
    m_dFurnaceEfficiency = setup.building.dFurnaceEfficiency;
    m_dWindowArea = setup.building.dWindowArea;
    return true;
}

bool SampleModel::Series(const SeriesNeed &need, std::vector<float> &hours, std::string &strFailure) const
{
    return SampleSeries(m_hours, m_dWindowArea, need, hours, strFailure);
}

bool SampleModel::Result(const ResultNeed &need, std::vector<float> &values, std::string &strFailure) const
{
    return SampleResult(m_hours, m_dFurnaceEfficiency, need, values, strFailure);
}
