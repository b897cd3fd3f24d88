// The commands of gombrel-cli, one file each.  A command takes the words
// after its name and the two output streams, and returns the exit status.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

// Exit status for arguments the program cannot use.
constexpr int kExitUsage = 2;

int RunMapCommand(const Arguments &args, std::ostream &out, std::ostream &err);
int RunRunCommand(const Arguments &args, std::ostream &out, std::ostream &err);
int RunValuesCommand(const Arguments &args, std::ostream &out, std::ostream &err);
int RunCheckCommand(const Arguments &args, std::ostream &out, std::ostream &err);
// check, taking also a file that begins as one of otherWorkbookMarks for a
// workbook (the tests' in-memory spreadsheet writes its own kind).
int RunCheckCommandWith(const Arguments &args, std::ostream &out, std::ostream &err,
                        const std::vector<std::string> &otherWorkbookMarks);
int RunDiffCommand(const Arguments &args, std::ostream &out, std::ostream &err);
int RunRangesCommand(const Arguments &args, std::ostream &out, std::ostream &err);
int RunVerifyCommand(const Arguments &args, std::ostream &out, std::ostream &err);
int RunSampleCommand(const Arguments &args, std::ostream &out, std::ostream &err);
int RunStoreCommand(const Arguments &args, std::ostream &out, std::ostream &err);

// Reads "--table NAME" from args; returns false (with a message on err) for
// anything else or an unknown table.  pszTable stays null when not given.
bool ParseTableOption(const Arguments &args, const char *&pszTable, std::ostream &err);
