// The spreadsheet application as the posting pass drives it: an application,
// its workbooks, one workbook, its worksheets, one worksheet with its blocks
// of cells and a one-cell range, each with exactly the operations the pass
// uses.  Every operation either does what it says or throws one of the
// failures below; none of them catches anything.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "CellAddress.h"

// The family of failures the posting pass catches.
class AutomationFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A call that could not be made or that returned a failure status (for
// example the application has gone away: 0x80010108).
class OleFailure : public AutomationFailure {
public:
    explicit OleFailure(uint32_t uStatus);
    uint32_t Status() const { return m_uStatus; }

private:
    uint32_t m_uStatus;
};

// The application raised an error inside the call.
class DispatchFailure : public AutomationFailure {
public:
    DispatchFailure(uint16_t wCode, std::string strDescription);
    uint16_t Code() const { return m_wCode; }
    const std::string &Description() const { return m_strDescription; }

private:
    uint16_t m_wCode;
    std::string m_strDescription;
};

// The posting log could not be opened or written.
class FileFailure : public AutomationFailure {
public:
    explicit FileFailure(const std::string &strCause);
};

// Status of a call to an application that is no longer there.
constexpr uint32_t kStatusDisconnected = 0x80010108u;

// Code of an error that the application raises inside a call, Excel's
// "application-defined or object-defined error".
constexpr uint16_t kApplicationErrorCode = 1004;

// What Range.Value2 gives back: a number, a text, or nothing (an empty cell,
// an error value, anything else).
struct CellValue {
    enum class Kind { None, Number, Text };
    Kind kind = Kind::None;
    double dNumber = 0.0;
    std::string strText;
};

// What a block write puts into one cell: a number, or a text taken as typed
// input, as PutValue2 takes them.
struct CellInput {
    enum class Kind { Number, Text };
    Kind kind = Kind::Number;
    double dNumber = 0.0;
    std::string strText;
};

class Range {
public:
    virtual ~Range() = default;
    virtual void PutValue2(double dNumber) = 0;              // stored as a number
    virtual void PutValue2(const std::string &strText) = 0;  // stored as typed input ("= 1 + D5", "1/4")
    virtual CellValue GetValue2() = 0;
    virtual void ClearContents() = 0;
};

class Worksheet {
public:
    virtual ~Worksheet() = default;
    // The range from cell1 to cell2 (A1 addresses); the pass always names one cell twice.
    virtual std::unique_ptr<Range> GetRange(const std::string &strCell1, const std::string &strCell2) = 0;
    // Writes every cell of area in one piece: inputs holds one input a
    // cell, row by row, and each cell ends up as PutValue2 of its input on
    // that cell alone would leave it.  A failure may leave some cells of
    // the area written and others not.
    virtual void PutValues(const CellArea &area, const std::vector<CellInput> &inputs) = 0;
    // The values of every cell of area, row by row, each as GetValue2 of
    // that cell alone gives it.
    virtual std::vector<CellValue> GetValues(const CellArea &area) = 0;
};

class Worksheets {
public:
    virtual ~Worksheets() = default;
    virtual std::unique_ptr<Worksheet> Item(const std::string &strName) = 0;
};

class Workbook {
public:
    virtual ~Workbook() = default;
    virtual std::unique_ptr<Worksheets> GetWorksheets() = 0;
    virtual void Save() = 0;  // under its own path, in the format it was opened in
};

class Workbooks {
public:
    virtual ~Workbooks() = default;
    virtual std::unique_ptr<Workbook> Open(const std::string &strPath) = 0;
    // Opens the workbook only to read it: nothing on disk changes, not even
    // a modification time, no lock file is made, and its Save fails.  A
    // workbook the application has open already is handed out as Open
    // hands it out.
    virtual std::unique_ptr<Workbook> OpenReadOnly(const std::string &strPath) = 0;
    // Closes every open workbook without saving: what was not saved is
    // lost.  The application stays, ready to open the next workbooks.
    virtual void Close() = 0;
};

class Application {
public:
    virtual ~Application() = default;
    virtual std::string LibraryPath() = 0;
    virtual bool RegisterXLL(const std::string &strFileName) = 0;  // false is an answer, not a failure
    virtual std::unique_ptr<Workbooks> GetWorkbooks() = 0;
    virtual void Quit() = 0;
};

// Owns at most one automation reference: attaching a new one releases the
// old one first; destroying the holder or Release() releases it.
template <class T>
class DispatchHolder {
public:
    DispatchHolder() = default;
    DispatchHolder(const DispatchHolder &) = delete;
    DispatchHolder &operator=(const DispatchHolder &) = delete;
    ~DispatchHolder() { Release(); }

    void Attach(std::unique_ptr<T> pObject)
    {
        Release();
        m_pObject = std::move(pObject);
    }
    void Release() { m_pObject.reset(); }
    // Hands the reference over without releasing it; the holder is empty
    // afterwards.
    std::unique_ptr<T> Detach() { return std::move(m_pObject); }
    bool IsEmpty() const { return !m_pObject; }
    T *operator->() const { return m_pObject.get(); }
    T &operator*() const { return *m_pObject; }

private:
    std::unique_ptr<T> m_pObject;
};

// pObject, or an AutomationFailure naming the call pszWhat when the
// application handed back nothing: an object model that answers with no
// object is taken as a failed call rather than followed into a crash.
template <class T>
std::unique_ptr<T> Required(std::unique_ptr<T> pObject, const char *pszWhat)
{
    if (!pObject)
        throw AutomationFailure(std::string("no object returned by ") + pszWhat);
    return pObject;
}
