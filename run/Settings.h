// The program's settings: the file gombrel.ini, where it lies, and each of
// its keys: the two folders of the last run, the confirm-posting choice, the
// posting-log switch and the early start of the spreadsheet application.
// Both programs share the one file; each front end makes one SettingsFile
// for it and hands it to whatever reads or writes a setting.  Every key is
// read and written by the functions here, and only here.
#pragma once

#include <cstdint>
#include <string>

#include "IniFile.h"

// gombrel.ini, an initialisation file (IniFile.h).
using SettingsFile = IniFile;

// The file's name, beside the program or in the user's folder.
extern const char kSettingsFileName[];         // "gombrel.ini"

// The names of its sections and keys as the file spells them, for tests
// that look into the file.
extern const char kSectionPaths[];             // "paths"
extern const char kSectionPreferences[];       // "preferences"
extern const char kKeyLastDoe2Path[];          // "LastDOE2Path"
extern const char kKeyLastResultsPath[];       // "LastResultsPath"
extern const char kKeyCheckPostedValues[];     // "CheckPostedValues"
extern const char kKeyDebugXlsPost[];          // "DebugXLSPost"
extern const char kKeyStartCalcEarly[];        // "StartCalcEarly"

// kSettingsFileName in the running program's folder (the current folder
// when the system cannot tell where the program is).
SettingsFile SettingsBesideProgram();

// The file both front ends use: SettingsFileFor the running program's folder.
SettingsFile SettingsForThisUser();

// kSettingsFileName in strProgramFolder when one is there (a portable copy;
// the build tree gets one, so programs run from it keep their settings
// beside them), otherwise kSettingsFileName in the program's folder of the
// user's configuration folder (gombrel in $XDG_CONFIG_HOME, default
// ~/.config, on Linux; Gombrel in %APPDATA% on Windows, where a program
// installed into Program Files cannot write beside itself), whose folder the
// first write makes.  Beside the program too when the system names no
// configuration folder.
SettingsFile SettingsFileFor(const std::string &strProgramFolder);

// Where SettingsForThisUser finds the file, as a sentence for the user (a
// line break before the second place, none at the end).
std::string SettingsPlaceText();

// The folders of the last run as they were typed (empty when missing).
std::string ReadLastDoe2PathSetting(const SettingsFile &settings);
std::string ReadLastResultsPathSetting(const SettingsFile &settings);

// The confirm-posting choice: set unless the settings hold 0 or less.
bool ReadCheckPostedSetting(const SettingsFile &settings);

// The posting-log switch ("DebugXLSPost", 0 when missing), asked by every
// pass.
int32_t ReadLogFlagSetting(const SettingsFile &settings);

// The early start of the spreadsheet application ("StartCalcEarly", on
// both systems): on unless the settings hold 0 or less.
bool ReadStartCalcEarlySetting(const SettingsFile &settings);

// Saves, in this order, both paths as typed and the confirm-posting choice.
void SaveRunSettings(const SettingsFile &settings, const std::string &strDoe2Path, const std::string &strResultsPath,
                     bool bCheckPosted);
