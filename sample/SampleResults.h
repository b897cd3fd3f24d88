// The sample results folder: one result store for every project the
// mapping tables name, holding plausible results for everything they read.
#pragma once

#include <string>

// Writes the stores below strFolder (created when missing), each at the
// project's path plus ".d2r".  False, with the reason, when a store cannot
// be written or a project asks for something the sample cannot make.
bool WriteSampleResults(const std::string &strFolder, std::string &strFailure);

// The same, also telling how many stores and series were written.
bool WriteSampleResults(const std::string &strFolder, int &iStores, int &iSeries, std::string &strFailure);
