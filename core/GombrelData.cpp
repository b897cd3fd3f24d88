#include "GombrelData.h"

#include "FormatText.h"

namespace {

const char *NullAsText(const char *psText) { return psText ? psText : "(null)"; }

}  // namespace

void DescribeGombrelData(const GombrelData &item, std::string &strText)
{
    strText = FormatText(
        "GombrelData item - psCol: '%s', iRow: %d, iAction: %d, iNHRListID: %d, psRowKey: '%s', "
        "psReportKey: '%s', iD2ResFileType: %d, fMultiplier: %g, psSpecialProcessing: '%s', "
        "iNHRListID_Special: %d, psSimResPathFile: '%s', psItemString: '%s'",
        NullAsText(item.psCol), item.iRow, item.iAction, item.iNHRListID, NullAsText(item.psRowKey),
        NullAsText(item.psReportKey), item.iD2ResFileType, static_cast<double>(item.fMultiplier),
        NullAsText(item.psSpecialProcessing), item.iNHRListID_Special, NullAsText(item.psSimResPathFile),
        NullAsText(item.psItemString));
}

std::string CellName(const GombrelData &item) { return FormatText("%s%d", item.psCol, item.iRow); }
