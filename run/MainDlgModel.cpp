#include "MainDlgModel.h"

MainDlgModel::MainDlgModel(const MainDlgModelServices &services, MainDlgView &view, UserMessages &jobMessages,
                           RunProgress &progress)
    : m_settings(services.settings),
      m_view(view),
      m_clock(services.pClock != nullptr ? *services.pClock : m_steadyClock),
      m_job(services.makeResultsJob(jobMessages, progress)),
      m_startSpreadsheetEarly(services.startSpreadsheetEarly)
{
}

MainDlgFields MainDlgModel::Open()
{
    MainDlgFields fields{ReadLastDoe2PathSetting(m_settings), ReadLastResultsPathSetting(m_settings),
                         ReadCheckPostedSetting(m_settings)};
    StartSpreadsheetEarly();
    return fields;
}

void MainDlgModel::ProcessResults(const MainDlgFields &fields)
{
    if (m_bRunning)
        return;
    m_bRunning = true;
    const ResultsJob job = [this](std::string &strErrorText, const std::string &strDoe2Path,
                                  const std::string &strResultsPath, int32_t iCheckFlag) {
        return m_view.RunJob([&] { return m_job(strErrorText, strDoe2Path, strResultsPath, iCheckFlag); });
    };
    const RunCommandOutcome outcome =
        ExecuteRunCommand({fields.strDoe2Path, fields.strResultsPath, fields.bCheckPosted}, m_settings, job, m_clock,
                          [this](bool bBusy) { m_view.ShowBusy(bBusy); });
    m_bRunning = false;
    StartSpreadsheetEarly();
    m_view.ShowMessage(outcome.strMessage);
}

void MainDlgModel::StartSpreadsheetEarly()
{
    if (m_startSpreadsheetEarly && ReadStartCalcEarlySetting(m_settings))
        m_startSpreadsheetEarly();
}
