#include "Automation.h"

#include "FormatText.h"

OleFailure::OleFailure(uint32_t uStatus)
    : AutomationFailure(FormatText("spreadsheet call failed with status 0x%08lx", static_cast<unsigned long>(uStatus))),
      m_uStatus(uStatus)
{
}

DispatchFailure::DispatchFailure(uint16_t wCode, std::string strDescription)
    : AutomationFailure(FormatText("spreadsheet error %u: %s", static_cast<unsigned>(wCode), strDescription.c_str())),
      m_wCode(wCode),
      m_strDescription(std::move(strDescription))
{
}

FileFailure::FileFailure(const std::string &strCause) : AutomationFailure("posting log: " + strCause) {}
