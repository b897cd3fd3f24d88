// The posting log "GombrelApp Dbg.txt": a text file written one line at a
// time.  Every failure to open or write it is raised as a FileFailure,
// which the posting pass reports with the rest of its failures.
#pragma once

#include <cstdio>
#include <string>

class PostingLog {
public:
    PostingLog() = default;
    PostingLog(const PostingLog &) = delete;
    PostingLog &operator=(const PostingLog &) = delete;
    ~PostingLog() { CloseQuietly(); }

    // Creates (or truncates) the file, or with bAppend opens it at its end
    // (creating it when missing) and leaves two empty lines first.  Lines
    // end in LF on every system (binary mode), so a log reads the same
    // wherever it was written.
    void Open(const std::string &strPath, bool bAppend);

    void Line(const std::string &strText) { Write(strText + "\n"); }

    // Closes the file; a failure to write what was buffered is raised.
    void Close();

    void CloseQuietly();

private:
    void Write(const std::string &strText);

    std::FILE *m_pFile = nullptr;
};
