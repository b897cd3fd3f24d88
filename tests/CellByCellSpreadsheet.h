// The posting pass as it drove the spreadsheet before it wrote and read
// blocks of cells: a launcher whose applications pass everything on to the
// application underneath, except that each block write or read is made cell
// by cell, each cell through a one-cell range of its own.  What a run through
// it leaves in the workbooks is the reference a run with blocks must equal.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "SpreadsheetSession.h"

class CellByCellWorksheet : public Worksheet {
public:
    explicit CellByCellWorksheet(std::unique_ptr<Worksheet> pWorksheet) : m_pWorksheet(std::move(pWorksheet)) {}

    std::unique_ptr<Range> GetRange(const std::string &strCell1, const std::string &strCell2) override
    {
        return m_pWorksheet->GetRange(strCell1, strCell2);
    }
    void PutValues(const CellArea &area, const std::vector<CellInput> &inputs) override
    {
        size_t i = 0;
        for (int row = area.first.iRow; row <= area.last.iRow; ++row)
            for (int column = area.first.iColumn; column <= area.last.iColumn; ++column, ++i) {
                const std::string cell = FormatCellAddress({column, row});
                const std::unique_ptr<Range> range = m_pWorksheet->GetRange(cell, cell);
                if (inputs.at(i).kind == CellInput::Kind::Number)
                    range->PutValue2(inputs[i].dNumber);
                else
                    range->PutValue2(inputs[i].strText);
            }
    }
    std::vector<CellValue> GetValues(const CellArea &area) override
    {
        std::vector<CellValue> values;
        for (int row = area.first.iRow; row <= area.last.iRow; ++row)
            for (int column = area.first.iColumn; column <= area.last.iColumn; ++column) {
                const std::string cell = FormatCellAddress({column, row});
                values.push_back(m_pWorksheet->GetRange(cell, cell)->GetValue2());
            }
        return values;
    }

private:
    std::unique_ptr<Worksheet> m_pWorksheet;
};

class CellByCellWorksheets : public Worksheets {
public:
    explicit CellByCellWorksheets(std::unique_ptr<Worksheets> pWorksheets) : m_pWorksheets(std::move(pWorksheets)) {}
    std::unique_ptr<Worksheet> Item(const std::string &strName) override
    {
        return std::make_unique<CellByCellWorksheet>(m_pWorksheets->Item(strName));
    }

private:
    std::unique_ptr<Worksheets> m_pWorksheets;
};

class CellByCellWorkbook : public Workbook {
public:
    explicit CellByCellWorkbook(std::unique_ptr<Workbook> pWorkbook) : m_pWorkbook(std::move(pWorkbook)) {}
    std::unique_ptr<Worksheets> GetWorksheets() override
    {
        return std::make_unique<CellByCellWorksheets>(m_pWorkbook->GetWorksheets());
    }
    void Save() override { m_pWorkbook->Save(); }

private:
    std::unique_ptr<Workbook> m_pWorkbook;
};

class CellByCellWorkbooks : public Workbooks {
public:
    explicit CellByCellWorkbooks(std::unique_ptr<Workbooks> pWorkbooks) : m_pWorkbooks(std::move(pWorkbooks)) {}
    std::unique_ptr<Workbook> Open(const std::string &strPath) override
    {
        return std::make_unique<CellByCellWorkbook>(m_pWorkbooks->Open(strPath));
    }
    std::unique_ptr<Workbook> OpenReadOnly(const std::string &strPath) override
    {
        return std::make_unique<CellByCellWorkbook>(m_pWorkbooks->OpenReadOnly(strPath));
    }
    void Close() override { m_pWorkbooks->Close(); }

private:
    std::unique_ptr<Workbooks> m_pWorkbooks;
};

class CellByCellApplication : public Application {
public:
    CellByCellApplication() = default;
    DispatchHolder<Application> &Inner() { return m_application; }

    std::string LibraryPath() override { return m_application->LibraryPath(); }
    bool RegisterXLL(const std::string &strFileName) override { return m_application->RegisterXLL(strFileName); }
    std::unique_ptr<Workbooks> GetWorkbooks() override
    {
        return std::make_unique<CellByCellWorkbooks>(m_application->GetWorkbooks());
    }
    void Quit() override { m_application->Quit(); }

private:
    DispatchHolder<Application> m_application;
};

class CellByCellLauncher : public SpreadsheetLauncher {
public:
    explicit CellByCellLauncher(SpreadsheetLauncher &launcher) : m_launcher(launcher) {}
    bool StartApplication(DispatchHolder<Application> &application, UserMessages &messages) override
    {
        auto pWrapped = std::make_unique<CellByCellApplication>();
        if (!m_launcher.StartApplication(pWrapped->Inner(), messages))
            return false;
        application.Attach(std::move(pWrapped));
        return true;
    }

private:
    SpreadsheetLauncher &m_launcher;
};
