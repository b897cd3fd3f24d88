#include "PostingLog.h"

#include "Automation.h"
#include "FilePath.h"
#include "Paths.h"

void PostingLog::Open(const std::string &strPath, bool bAppend)
{
    m_pFile = OpenFile(NativePath(strPath), bAppend ? "ab" : "wb");
    if (!m_pFile)
        throw FileFailure("cannot open the posting log '" + strPath + "'");
    if (bAppend)
        Write("\n\n");
}

void PostingLog::Close()
{
    std::FILE *pFile = m_pFile;
    m_pFile = nullptr;
    if (pFile && std::fclose(pFile) != 0)
        throw FileFailure("cannot write the posting log");
}

void PostingLog::CloseQuietly()
{
    if (m_pFile)
        std::fclose(m_pFile);
    m_pFile = nullptr;
}

void PostingLog::Write(const std::string &strText)
{
    if (std::fputs(strText.c_str(), m_pFile) < 0)
        throw FileFailure("cannot write the posting log");
}
