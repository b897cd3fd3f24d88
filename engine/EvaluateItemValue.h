// What one mapping record puts into its cell: the DOE-2 result it names,
// reduced as its special-processing key says, multiplied and rounded.
#pragma once

#include <string>

#include "GombrelData.h"
#include "ResultAccess.h"

struct ItemValue {
    double dNumber = 0.0;     // final number (multiplier and rounding applied)
    std::string strText;      // "%d/%d", "%d" or a formula text
    bool bIsString = false;   // a formula: post strText whatever the iAction
    bool bSkip = false;       // nothing to post or compare
};

// Evaluates item into value.  strDoe2Folder ends in its separator; the
// project path is strResultsFolder followed by the record's project.  A
// failure replaces strErrorText (a message followed by the record
// description, or the unknown-key message) and value is then not to be
// used.  Reads through access, whose year buffer and caches carry over to
// the next evaluation with the same access.
void EvaluateItemValue(ResultAccess &access, const GombrelData &item, const std::string &strDoe2Folder,
                       const std::string &strResultsFolder, std::string &strErrorText, ItemValue &value);

// True when strTemplate holds exactly one floating-point conversion (flags,
// width and precision allowed, no '*', no length modifier) besides any
// number of "%%", so that it can format one double safely.
bool IsSafeFormulaTemplate(const std::string &strTemplate);
