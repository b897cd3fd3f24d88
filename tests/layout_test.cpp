// The tree's layout as the layout table of docs/development.md gives it: each folder of
// the program includes only from itself and from the folders its row names,
// which stand above it in the table, and no files of the program include
// each other round in a circle.  A header and the sources named after it
// (Paths.h, Paths.cpp, Paths_posix.cpp) count as one, so that a circle of
// calls between two sources shows as one of includes as long as each source
// declares its functions in its own header.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// One row of the table: a folder and the folders it may include from.
struct Row {
    size_t nIndex = 0;
    bool bAnything = false;  // tests and fuzzers
    std::vector<std::string> includesFrom;
};

using Table = std::map<std::string, Row>;

// One source file of the program: its folder below the tree, the unit it
// belongs to, and the names its #include "..." lines give.
struct Source {
    std::string strFolder;
    std::string strUnit;
    fs::path path;
    std::vector<std::string> includes;
};

const fs::path kTree = GOMBREL_SOURCE_DIR;

std::string ReadWhole(const fs::path &path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> Backticked(const std::string &strText)
{
    std::vector<std::string> names;
    static const std::regex name("`([^`]*)`");
    for (std::sregex_iterator it(strText.begin(), strText.end(), name), end; it != end; ++it)
        names.push_back((*it)[1]);
    return names;
}

// The rows of the layout table that name one folder: "| `core/` |
// what it holds | `a`, `b` |"; "nothing", "anything" or nothing in the last
// column.
Table ReadTable()
{
    std::istringstream readme(ReadWhole(kTree / "docs" / "development.md"));
    std::string line;
    while (std::getline(readme, line) && line != "## Layout") {
    }
    Table table;
    while (std::getline(readme, line) && line.rfind("## ", 0) != 0) {
        std::vector<std::string> cells;
        std::istringstream row(line);
        for (std::string cell; std::getline(row, cell, '|');)
            cells.push_back(cell);
        if (cells.size() < 4 || !cells[0].empty())
            continue;
        const std::vector<std::string> folder = Backticked(cells[1]);
        if (folder.size() != 1 || folder[0].empty() || folder[0].back() != '/')
            continue;
        Row entry;
        entry.nIndex = table.size();
        entry.bAnything = cells[3].find("anything") != std::string::npos;
        entry.includesFrom = Backticked(cells[3]);
        table[folder[0].substr(0, folder[0].size() - 1)] = entry;
    }
    return table;
}

bool IsSourceName(const fs::path &path)
{
    const std::string extension = path.extension().string();
    return extension == ".h" || extension == ".cpp" || extension == ".c";
}

// The top folders of the tree that a build lists (a CMakeLists.txt of their own).
std::vector<std::string> BuiltFolders()
{
    std::vector<std::string> folders;
    for (const fs::directory_entry &entry : fs::directory_iterator(kTree))
        if (entry.is_directory() && fs::exists(entry.path() / "CMakeLists.txt"))
            folders.push_back(entry.path().filename().string());
    std::sort(folders.begin(), folders.end());
    return folders;
}

// The unit of a file: its path below the tree without the extension, and
// without a "_posix", "_calc" and the like when the header of the shorter
// name lies beside it.
std::string UnitOf(const fs::path &path)
{
    std::string stem = path.stem().string();
    const size_t underscore = stem.rfind('_');
    if (underscore != std::string::npos && fs::exists(path.parent_path() / (stem.substr(0, underscore) + ".h")))
        stem.resize(underscore);
    return fs::relative(path.parent_path() / stem, kTree).generic_string();
}

std::vector<std::string> IncludedNames(const fs::path &path)
{
    std::vector<std::string> names;
    static const std::regex include(R"(^\s*#\s*include\s*"([^"]+)\")");
    std::istringstream text(ReadWhole(path));
    std::smatch match;
    for (std::string line; std::getline(text, line);)
        if (std::regex_search(line, match, include))
            names.push_back(match[1]);
    return names;
}

// Every source of the folders the table holds but those of tests and fuzzers.
std::vector<Source> ProgramSources(const Table &table)
{
    std::vector<Source> sources;
    for (const auto &[folder, row] : table) {
        if (row.bAnything || !fs::is_directory(kTree / folder))
            continue;
        for (const fs::directory_entry &entry : fs::recursive_directory_iterator(kTree / folder))
            if (entry.is_regular_file() && IsSourceName(entry.path()))
                sources.push_back({folder, UnitOf(entry.path()), entry.path(), IncludedNames(entry.path())});
    }
    return sources;
}

// Where an include of source leads: the file of that name beside it, else
// the one of that name in a folder the source's row names, else in any
// folder (which the folder check then reports).  Null for a name outside
// the program (a generated or a system header).
const Source *Resolve(const Source &source, const std::string &strName, const std::vector<Source> &sources,
                      const Table &table)
{
    const Source *pBeside = nullptr;
    const Source *pAllowed = nullptr;
    const Source *pAny = nullptr;
    const std::vector<std::string> &allowed = table.at(source.strFolder).includesFrom;
    for (const Source &candidate : sources) {
        if (candidate.path.filename() != fs::path(strName).filename())
            continue;
        if (candidate.path == source.path.parent_path() / strName)
            pBeside = &candidate;
        else if (std::find(allowed.begin(), allowed.end(), candidate.strFolder) != allowed.end())
            pAllowed = &candidate;
        else if (candidate.strFolder == source.strFolder || !pAny)
            pAny = &candidate;
    }
    return pBeside ? pBeside : pAllowed ? pAllowed : pAny;
}

// unit -> the units it includes from.
using Graph = std::map<std::string, std::set<std::string>>;

// Walks the graph depth first from unit (state: 1 on the path, 2 done);
// true with the circle in path ("a", "b", "a") when it meets one.
bool FindCircle(const Graph &graph, const std::string &strUnit, std::map<std::string, int> &state,
                std::vector<std::string> &path)
{
    state[strUnit] = 1;
    path.push_back(strUnit);
    const auto edges = graph.find(strUnit);
    if (edges != graph.end())
        for (const std::string &next : edges->second) {
            if (state[next] == 1) {
                path.erase(path.begin(), std::find(path.begin(), path.end(), next));
                path.push_back(next);
                return true;
            }
            if (state[next] == 0 && FindCircle(graph, next, state, path))
                return true;
        }
    state[strUnit] = 2;
    path.pop_back();
    return false;
}

std::string Joined(const std::vector<std::string> &parts, const char *pszSeparator)
{
    std::string text;
    for (const std::string &part : parts)
        text += (text.empty() ? "" : pszSeparator) + part;
    return text;
}

class Layout : public ::testing::Test {
protected:
    Table m_table = ReadTable();
    std::vector<Source> m_sources = ProgramSources(m_table);
};

TEST_F(Layout, EveryFolderWithABuildOfItsOwnHasARow)
{
    ASSERT_GT(m_table.size(), 10u) << "the layout table of docs/development.md was not found";
    for (const std::string &folder : BuiltFolders())
        EXPECT_EQ(m_table.count(folder), 1u) << folder << "/ is missing from the layout table";
}

TEST_F(Layout, EachRowIncludesOnlyFromRowsAboveIt)
{
    for (const auto &[folder, row] : m_table)
        for (const std::string &from : row.includesFrom) {
            const auto other = m_table.find(from);
            if (other == m_table.end())
                ADD_FAILURE() << folder << "/ names " << from << ", which has no row";
            else
                EXPECT_LT(other->second.nIndex, row.nIndex) << folder << "/ includes from " << from << "/ below it";
        }
}

TEST_F(Layout, EachFolderIncludesOnlyFromTheFoldersItsRowNames)
{
    ASSERT_GT(m_sources.size(), 100u);
    std::vector<std::string> strays;
    for (const Source &source : m_sources) {
        const std::vector<std::string> &allowed = m_table.at(source.strFolder).includesFrom;
        for (const std::string &name : source.includes) {
            const Source *pTarget = Resolve(source, name, m_sources, m_table);
            if (pTarget && pTarget->strFolder != source.strFolder &&
                std::find(allowed.begin(), allowed.end(), pTarget->strFolder) == allowed.end())
                strays.push_back(fs::relative(source.path, kTree).generic_string() + " includes " +
                                 fs::relative(pTarget->path, kTree).generic_string());
        }
    }
    EXPECT_TRUE(strays.empty()) << Joined(strays, "\n");
}

TEST_F(Layout, NoFilesIncludeEachOtherInACircle)
{
    Graph graph;
    for (const Source &source : m_sources)
        for (const std::string &name : source.includes)
            if (const Source *pTarget = Resolve(source, name, m_sources, m_table))
                if (pTarget->strUnit != source.strUnit)
                    graph[source.strUnit].insert(pTarget->strUnit);
    std::map<std::string, int> state;
    std::vector<std::string> circle;
    for (const auto &entry : graph)
        if (state[entry.first] == 0 && FindCircle(graph, entry.first, state, circle))
            break;
    EXPECT_TRUE(circle.empty()) << "a circle: " << Joined(circle, " -> ");
}

}  // namespace
