#include "DialogProgram.h"

#include "SpreadsheetBackend.h"

DialogProgramServices::DialogProgramServices(SettingsFile settings)
    : m_settings(std::move(settings)),
      m_pLauncher(MakeSpreadsheetLauncher()),
      m_early(*m_pLauncher)
{
}

void DialogProgramServices::ServeDialog(MainDlgModelServices &services)
{
    services.settings = m_settings;
    services.makeResultsJob = [this](UserMessages &messages, RunProgress &progress) {
        return MakeResultsJob(messages, progress);
    };
    services.startSpreadsheetEarly = [this] { m_early.StartEarly(); };
}

ResultsJob DialogProgramServices::MakeResultsJob(UserMessages &messages, RunProgress &progress)
{
    PassServices pass{messages};
    pass.readLogFlag = [this] { return ReadLogFlagSetting(m_settings); };
    pass.pProgress = &progress;
    m_runServices.emplace(RunServices{pass, m_early, m_library.Binder()});
    return ProcessResultsJob(*m_runServices);
}
