// What the posting-pass and results-run tests share: a user who answers
// Retry/Cancel from a script and whose boxes are recorded, a result library
// whose answers for one result change from call to call, one that answers
// everything with one value (and one that drifts or runs dry), workbooks
// with the sheets a table selects, and records built by kind.
#pragma once

#include <algorithm>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "FakeResultLibrary.h"
#include "GombrelData.h"
#include "PostToSpreadsheet.h"
#include "UserMessages.h"

// A result library that answers every call in full with one value, and
// remembers the DOE-2 folders it was handed.
class ConstantLibrary : public ResultLibrary {
public:
    float fValue = 1.0f;
    std::set<std::string> folders;
    std::string strFile;  // the file it says it was loaded from

    std::string LibraryFile() const override { return strFile; }

    int32_t GetMultipleResult(const char *pszDoe2Folder, const char *, int32_t, float *pfValues, int32_t iValueCount,
                              int32_t, const D2R_ResultRequest *) override
    {
        return Fill(pszDoe2Folder, pfValues, iValueCount);
    }
    int32_t GetMultipleHourlyResult(const char *pszDoe2Folder, const char *, int32_t, float *pfValues,
                                    int32_t iValueCount, int32_t, const D2R_HourlyRequest *) override
    {
        return Fill(pszDoe2Folder, pfValues, iValueCount);
    }
    int32_t GetSingleHourlyResult(const char *pszDoe2Folder, const char *, int32_t, int32_t, int32_t, float *pfValues,
                                  int32_t iValueCount, const char *, const D2R_HourlyFilter *) override
    {
        return Fill(pszDoe2Folder, pfValues, iValueCount);
    }

private:
    int32_t Fill(const char *pszDoe2Folder, float *pfValues, int32_t iValueCount)
    {
        folders.insert(pszDoe2Folder);
        std::fill(pfValues, pfValues + iValueCount, fValue);
        return iValueCount;
    }
};

// The constant library with two ways of going wrong: with bDrift every call
// answers one more than the call before (a number read back never agrees
// with its result again); once iAnswersLeft calls have been answered, every
// call answers nothing (the evaluations fail).
class UnsteadyLibrary : public ConstantLibrary {
public:
    bool bDrift = false;
    int iAnswersLeft = -1;  // -1: no end

    int32_t GetMultipleResult(const char *pszDoe2Folder, const char *pszProject, int32_t iFileType, float *pfValues,
                              int32_t iValueCount, int32_t iRequestCount, const D2R_ResultRequest *pRequests) override
    {
        return Answering() ? ConstantLibrary::GetMultipleResult(pszDoe2Folder, pszProject, iFileType, pfValues,
                                                                iValueCount, iRequestCount, pRequests)
                           : 0;
    }
    int32_t GetMultipleHourlyResult(const char *pszDoe2Folder, const char *pszProject, int32_t iFileType,
                                    float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                                    const D2R_HourlyRequest *pRequests) override
    {
        return Answering() ? ConstantLibrary::GetMultipleHourlyResult(pszDoe2Folder, pszProject, iFileType, pfValues,
                                                                      iValueCount, iRequestCount, pRequests)
                           : 0;
    }
    int32_t GetSingleHourlyResult(const char *pszDoe2Folder, const char *pszProject, int32_t iFileType,
                                  int32_t iListId, int32_t iVariable, float *pfValues, int32_t iValueCount,
                                  const char *pszReportKey, const D2R_HourlyFilter *pFilter) override
    {
        return Answering() ? ConstantLibrary::GetSingleHourlyResult(pszDoe2Folder, pszProject, iFileType, iListId,
                                                                    iVariable, pfValues, iValueCount, pszReportKey,
                                                                    pFilter)
                           : 0;
    }

private:
    bool Answering()
    {
        if (iAnswersLeft == 0)
            return false;
        if (iAnswersLeft > 0)
            --iAnswersLeft;
        if (bDrift)
            fValue += 1.0f;
        return true;
    }
};

// A memory workbook file holding every sheet that table selects.
inline std::string WorkbookFor(const GombrelData *pTable)
{
    std::string text = "gombrel-memory-workbook 1\n";
    std::set<std::string> sheets;
    for (const GombrelData *pItem = pTable; !IsEndRecord(*pItem); ++pItem)
        if (pItem->iAction == GOMBREL_ACTION_SELECT_SHEET && sheets.insert(pItem->psItemString).second)
            text += std::string("sheet\t") + pItem->psItemString + "\n";
    return text;
}

class ScriptedUser : public UserMessages {
public:
    std::vector<std::string> shown;     // "CAPTION: TEXT" of every box
    std::deque<bool> retryAnswers;      // Cancel once these run out
    std::vector<std::string> questions;

    void ShowMessage(const std::string &strCaption, const std::string &strText) override
    {
        shown.push_back(strCaption + ": " + strText);
    }
    bool AskRetry(const std::string &strCaption, const std::string &strText) override
    {
        questions.push_back(strCaption + ": " + strText);
        if (retryAnswers.empty())
            return false;
        const bool bRetry = retryAnswers.front();
        retryAnswers.pop_front();
        return bRetry;
    }
};

// The fake library, except that the result kDriftingResult answers the next
// value of drift at every call (the last one once they run out).
class DriftingLibrary : public FakeResultLibrary {
public:
    static constexpr int32_t kDriftingResult = 9999001;
    std::vector<float> drift;

    int32_t GetMultipleResult(const char *pszDoe2Folder, const char *pszProjectPath, int32_t iFileType,
                              float *pfValues, int32_t iValueCount, int32_t iRequestCount,
                              const D2R_ResultRequest *pRequests) override
    {
        if (iRequestCount == 1 && iValueCount == 1 && pRequests[0].iResultId == kDriftingResult && !drift.empty()) {
            pfValues[0] = drift[std::min(m_next++, drift.size() - 1)];
            return 1;
        }
        return FakeResultLibrary::GetMultipleResult(pszDoe2Folder, pszProjectPath, iFileType, pfValues, iValueCount,
                                                    iRequestCount, pRequests);
    }

private:
    size_t m_next = 0;
};

inline GombrelData SheetRecord(const char *pszSheet)
{
    GombrelData item = kDefaultGombrelData;
    item.psCol = "A";
    item.iRow = 1;
    item.iAction = GOMBREL_ACTION_SELECT_SHEET;
    item.psItemString = pszSheet;
    return item;
}

// A number record reading the non-hourly result iResultId of project "\case".
inline GombrelData NumberRecord(const char *pszCol, int32_t iRow, int32_t iResultId)
{
    GombrelData item = kDefaultGombrelData;
    item.psCol = pszCol;
    item.iRow = iRow;
    item.iAction = GOMBREL_ACTION_NUMBER;
    item.iNHRListID = iResultId;
    item.iD2ResFileType = 1;
    item.psSimResPathFile = "\\case";
    return item;
}

inline GombrelData ActionRecord(const char *pszCol, int32_t iRow, int32_t iAction, const char *pszSpecial = nullptr)
{
    GombrelData item = NumberRecord(pszCol, iRow, 0);
    item.iAction = iAction;
    item.psSpecialProcessing = pszSpecial;
    return item;
}

// A pass over pTable into the workbook at strWorkbookPath, with the
// folders and description a run gives it.
inline PostingRequest PassRequest(const std::string &strResultsFolder, const std::string &strWorkbookPath,
                                  const GombrelData *pTable, int32_t iCheckFlag, int32_t iAppend)
{
    PostingRequest request;
    request.strDoe2Folder = "/doe2\\";
    request.strResultsFolder = strResultsFolder;
    request.strFileDesc = "DOE-2 Results spreadsheet";
    request.strWorkbookPath = strWorkbookPath;
    request.pTable = pTable;
    request.bCheckPosted = iCheckFlag != 0;
    request.bAppendLog = iAppend != 0;
    return request;
}

