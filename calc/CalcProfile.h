// The private folder of one Calc session: its user profile (with the
// settings that make typed input independent of the machine), its temporary
// files, and the record of the local sockets Calc opened, so that whatever a
// killed Calc leaves behind can be removed later.
#pragma once

#include <string>
#include <vector>

// The profile settings every session starts with: US English locale for
// typed input, no document recovery or auto-save, macros never run.
std::string CalcProfileSettings();

// The folder sessions are created in: strTempFolder, else TMPDIR, else /tmp.
std::string SessionParentFolder(const std::string &strTempFolder);

// Creates a new session folder in strParent, named after this process, with
// the profile settings in place; false with strFailure set when it cannot.
bool MakeSessionFolder(const std::string &strParent, std::string &strFolder, std::string &strFailure);

// The profile location of a session folder, as a file URL for Calc.
std::string ProfileUrl(const std::string &strFolder);

// The folder Calc is told to keep its temporary files in.
std::string SessionTempFolder(const std::string &strFolder);

// Notes in the session folder the sockets its Calc listens on.
void RecordSessionSockets(const std::string &strFolder, const std::vector<std::string> &socketPaths);

// Notes in the session folder a workbook its Calc opened (and locked).
void RecordSessionDocument(const std::string &strFolder, const std::string &strPath);

// Removes the session's sockets and the lock files it left on its workbooks
// (as recorded), then its folder.
void RemoveSession(const std::string &strFolder);

// Removes what sessions whose program is no longer running left behind
// (see RemoveSession); sessions of running programs are left alone.
void SweepStaleSessions(const std::string &strParent);

// Removes the lock file that the session in strFolder left on the workbook
// strPath; a lock file of anyone else is left alone.
void RemoveSessionLock(const std::string &strFolder, const std::string &strPath);

// True when a new file can be made in strFolder: Calc needs one there for
// its lock file.  Tried with a scratch file of a unique name, removed at once.
bool FolderTakesNewFiles(const std::string &strFolder);
