// The sample's test cases: the climate and the building of each case of the
// four sections, found from the project text the tables hold.
#pragma once

#include <string>

#include "SampleWeather.h"
#include "SampleZone.h"

// A case: the climate it runs in and its building.
struct CaseSetup {
    Climate climate;
    Building building;
};

// The set-up of case strCase ("600ff", "HE230") of section strSection
// ("Sec5-2"); false for an unknown section.
bool SetupFor(const std::string &strSection, const std::string &strCase, CaseSetup &setup);

// Case name of a project text: "600" of "\Sec5-2\600-Zv\...", "HE100" of
// "\Sec5-4\HE100-Zv\...".  Empty when the text has no such folder.
std::string ProjectCase(const std::string &strProject);

// Section folder of a project text ("Sec5-2"), or empty.
std::string ProjectSection(const std::string &strProject);
