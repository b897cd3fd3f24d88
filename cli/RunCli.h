// gombrel-cli run, with everything outside the program handed in: the
// console it talks to (Console.h) and the program's backends
// (RunBackends.h).  Several results folders are run by RunFolders.h.
#pragma once

#include "Commands.h"
#include "Console.h"
#include "RunBackends.h"
#include "RunFolders.h"

// Parses the run options, runs the dialog's run command and prints its final
// message on console.out.  Exit status: 0 when the run posted every workbook
// whole; 1 otherwise, with PartialRunLine as the last line on console.err;
// kExitUsage for bad arguments or a folder that does not exist.  With
// several --results it runs RunResultsFolders.
int RunResultsCommand(const Arguments &args, RunConsole &console, RunBackends &backends);
