// File names between the program and the file system.  The program's texts
// are UTF-8 everywhere (arguments, settings, tables, SQLite's names); the
// standard library and the C runtime on Windows read a plain narrow name in
// the runtime's own code page instead, so a folder named "Wärme" would be
// made and looked for under another name.  Every path text reaches the file
// system through these, and every path comes back as text through PathText.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// The path named by the UTF-8 text strUtf8.
std::filesystem::path FilePath(const std::string &strUtf8);

// The UTF-8 text of a path.
std::string PathText(const std::filesystem::path &path);

// std::fopen of the file named by the UTF-8 text strUtf8, pszMode as fopen
// takes it; null when it cannot be opened.
std::FILE *OpenFile(const std::string &strUtf8, const char *pszMode);
