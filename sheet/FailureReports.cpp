#include "FailureReports.h"

#include "FormatText.h"

const char kApplicationCaption[] = "Gombrel";

namespace {

const char kEllipsis[] = "...";

// Length of the longest prefix of strText of at most uLimit bytes that does
// not end inside a UTF-8 sequence (continuation bytes are 10xxxxxx).
size_t CharacterBoundaryBefore(const std::string &strText, size_t uLimit)
{
    size_t length = uLimit;
    while (length > 0 && (static_cast<unsigned char>(strText[length]) & 0xC0) == 0x80)
        --length;
    return length;
}

// strDescription unchanged when it fits in uRoom bytes; otherwise cut so that
// it and the ellipsis together fit.
std::string FittedDescription(const std::string &strDescription, size_t uRoom)
{
    if (strDescription.size() <= uRoom)
        return strDescription;
    const size_t roomForText = uRoom > sizeof kEllipsis - 1 ? uRoom - (sizeof kEllipsis - 1) : 0;
    return strDescription.substr(0, CharacterBoundaryBefore(strDescription, roomForText)) + kEllipsis;
}

}  // namespace

FailureReport OleFailureReport(uint32_t uStatus)
{
    return {"COleException", FormatText("COleException. SCODE: %08lx.", static_cast<unsigned long>(uStatus))};
}

FailureReport DispatchFailureReport(uint16_t wCode, const std::string &strDescription)
{
    const char kFormat[] = "COleDispatchException. SCODE: %08lx, Description: \"%s\".";
    const size_t fixedLength = FormatText(kFormat, static_cast<unsigned long>(wCode), "").size();
    const std::string description = FittedDescription(strDescription, kFailureTextLimit - fixedLength);
    return {"COleDispatchException", FormatText(kFormat, static_cast<unsigned long>(wCode), description.c_str())};
}

FailureReport GeneralFailureReport()
{
    return {"Catch-All", "General Exception caught."};
}

FailureReport RoundsFailureReport(const std::string &strWorkbookPath, const FailureContext &context)
{
    return {kApplicationCaption,
            FormatText("Error interfacing with Excel spreadsheet:\n   %s\n      tab: %s\n      cell: %s\n      property: %s",
                       strWorkbookPath.c_str(), context.strTab.c_str(), context.strCell.c_str(),
                       context.strProperty.c_str())};
}

FailureReport NotInstalledReport(const std::string &strLookedFor)
{
    std::string text = "Excel is not installed on this machine.";
    if (!strLookedFor.empty())
        text += "\n" + strLookedFor;
    return {kApplicationCaption, text};
}
