// A fresh, empty folder for one test, removed with everything in it when the
// test ends.  Named after the running test (or a purpose) and the process, so
// that parallel test programs, also the same program of two build folders,
// never share one.  Its names are UTF-8 texts, as the program's are.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

class ScratchFolder {
public:
    ScratchFolder() : ScratchFolder(RunningTestName()) {}
    // A folder named after strPurpose instead of the running test, for what
    // outlives one test (a test program's global environment).
    explicit ScratchFolder(const std::string &strPurpose)
    {
        std::string name = "gombrel-" + strPurpose + "-" + std::to_string(getpid());
        for (char &c : name)
            if (c == '/')
                c = '-';
        m_path = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

    // The folder, without a trailing separator.
    std::string Path() const { return m_path.u8string(); }
    // A name inside the folder.
    std::string operator/(const std::string &strName) const
    {
        return (m_path / std::filesystem::u8path(strName)).u8string();
    }

private:
    static std::string RunningTestName()
    {
        const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
        return std::string(test->test_suite_name()) + "-" + test->name();
    }

    std::filesystem::path m_path;
};

// The whole content of a file, or "" when it cannot be read.
inline std::string ReadWholeFile(const std::string &strPath)
{
    std::ostringstream text;
    std::ifstream file(std::filesystem::u8path(strPath), std::ios::binary);
    if (file)
        text << file.rdbuf();
    return text.str();
}

inline void WriteWholeFile(const std::string &strPath, const std::string &strText)
{
    std::ofstream(std::filesystem::u8path(strPath), std::ios::binary) << strText;
}
