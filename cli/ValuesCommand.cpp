// gombrel-cli values: a dry run of the posting rounds' evaluations.
#include "ValuesCommand.h"

#include <chrono>
#include <cstdio>
#include <ostream>

#include "CellAction.h"
#include "Console.h"
#include "D2ResultBinding.h"
#include "EvaluateItemValue.h"
#include "FailureReports.h"
#include "Paths.h"
#include "ResultsRun.h"

const char kValuesHeader[] = "table\tindex\tcell\toutcome\tnumber\ttext\n";

bool ParseEvaluationOptions(const Arguments &args, const char *pszCommand, EvaluationOptions &options,
                            std::ostream &err)
{
    Arguments tableArgs;
    bool bDoe2 = false, bResults = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const bool bFolder = args[i] == "--doe2" || args[i] == "--results";
        if (!bFolder) {
            tableArgs.push_back(args[i]);
            continue;
        }
        if (i + 1 == args.size()) {
            err << "gombrel-cli: " << args[i] << " needs a folder\n";
            return false;
        }
        const bool bDoe2Option = args[i] == "--doe2";
        (bDoe2Option ? bDoe2 : bResults) = true;
        (bDoe2Option ? options.strDoe2Folder : options.strResultsFolder) = args[i + 1];
        ++i;
    }
    if (!ParseTableOption(tableArgs, options.pszTable, err))
        return false;
    if (!bDoe2 || !bResults) {
        err << "gombrel-cli: " << pszCommand << " needs --doe2 DIR and --results DIR (see gombrel-cli --help)\n";
        return false;
    }
    return true;
}

namespace {

std::string FormatNumber(double dNumber)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", dNumber);
    return text;
}

// outcome, number and text columns of one evaluated record.
std::string DescribeOutcome(const GombrelData &item, const std::string &strError, const ItemValue &value)
{
    if (!strError.empty())
        return "error\t\t" + strError;
    if (value.bSkip)
        return "skip\t\t";
    return std::string(PostsText(item, value) ? "text" : "number") + '\t' + FormatNumber(value.dNumber) + '\t' + value.strText;
}

}  // namespace

void PrintTableValues(ResultAccess &access, const MappingTable &table, const std::string &strDoe2Folder,
                      const std::string &strResultsFolder, std::ostream &out, const std::string &strUnboundReason)
{
    // What is printed leaves before any wait and at least every tenth of a
    // second, so that a pipe shows progress; a system call for each of the
    // 2,150 lines would cost a fifth of the evaluation.
    const RetryPause retryPause = access.retryPause;
    access.retryPause = [&out, retryPause](int iMilliseconds) {
        out.flush();
        retryPause(iMilliseconds);
    };
    struct RestorePause {
        ResultAccess &access;
        const RetryPause &retryPause;
        ~RestorePause() { access.retryPause = retryPause; }
    } restore{access, retryPause};
    constexpr auto kFlushInterval = std::chrono::milliseconds(100);
    auto lastFlush = std::chrono::steady_clock::now();
    const GombrelData *items = table.pItems();
    for (size_t index = 0; !IsEndRecord(items[index]); ++index) {
        const GombrelData &item = items[index];
        if (!IsEvaluatedInRound(item))
            continue;
        std::string error = strUnboundReason;
        ItemValue value;
        if (error.empty())
            EvaluateItemValue(access, item, strDoe2Folder, strResultsFolder, error, value);
        out << table.pszName << '\t' << index << '\t' << CellName(item) << '\t'
            << DescribeOutcome(item, error, value) << '\n';
        const auto now = std::chrono::steady_clock::now();
        if (now - lastFlush >= kFlushInterval) {
            out.flush();
            lastFlush = now;
        }
    }
    out.flush();
}

bool EvaluationFoldersExist(const EvaluationOptions &options, std::ostream &err)
{
    const std::string folderProblem = FolderCheckMessage(options.strDoe2Folder, options.strResultsFolder);
    if (!folderProblem.empty())
        err << kApplicationCaption << ": " << OnOneLine(folderProblem) << '\n';
    return folderProblem.empty();
}

int RunValuesCommandWith(const Arguments &args, std::ostream &out, std::ostream &err,
                         const ResultLibraryOpener &bindLibrary, const RetryPause &retryPause)
{
    EvaluationOptions options;
    if (!ParseEvaluationOptions(args, "values", options, err))
        return kExitUsage;
    if (!EvaluationFoldersExist(options, err))
        return kExitUsage;
    const std::string doe2Folder = WithTrailingSeparator(options.strDoe2Folder);
    std::string failure;
    // Without a library no record can be evaluated: each says why, and the
    // run still ends normally, as one over an unreadable folder does.
    const std::unique_ptr<ResultLibrary> library = bindLibrary(doe2Folder, failure);
    if (!library)
        err << "gombrel-cli: " << failure << '\n';
    ResultAccess access(library.get(), retryPause);
    out << kValuesHeader;
    for (const MappingTable &table : g_aMappingTables)
        if (!options.pszTable || table.pszName == std::string(options.pszTable))
            PrintTableValues(access, table, doe2Folder, options.strResultsFolder, out,
                             library ? std::string() : failure);
    return 0;
}

int RunValuesCommand(const Arguments &args, std::ostream &out, std::ostream &err)
{
    return RunValuesCommandWith(args, out, err, BindResultLibrary);
}
