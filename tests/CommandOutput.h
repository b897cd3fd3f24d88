// What a gombrel-cli command gave a test: its exit status and both output
// streams, and the text split the way the tests read it.
#pragma once

#include <sstream>
#include <string>
#include <vector>

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// The lines of strText without their line ends.
inline std::vector<std::string> SplitLines(const std::string &strText)
{
    std::vector<std::string> lines;
    std::istringstream stream(strText);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// The tab-separated columns of one line.
inline std::vector<std::string> SplitColumns(const std::string &strLine)
{
    std::vector<std::string> columns;
    std::istringstream stream(strLine);
    for (std::string column; std::getline(stream, column, '\t');)
        columns.push_back(column);
    return columns;
}

// How often strWhat occurs in strText (overlapping ones too).
inline size_t Occurrences(const std::string &strText, const std::string &strWhat)
{
    size_t count = 0;
    for (size_t at = strText.find(strWhat); at != std::string::npos; at = strText.find(strWhat, at + 1))
        ++count;
    return count;
}
