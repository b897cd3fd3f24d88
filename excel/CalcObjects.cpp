#include "CalcObjects.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/NoSuchElementException.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <cmath>
#include <filesystem>

#include "CellAddress.h"
#include "Paths.h"

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

// Import filters of real workbooks, by name prefix; anything else (text,
// HTML, dBase and the like would load too) is refused.
const char *const kWorkbookFilters[] = {
    "MS Excel", "Calc MS Excel", "Calc Office Open XML", "calc8", "StarOffice XML (Calc)", "calc_StarOffice_XML",
};

// True for the import filter of a real workbook format.
bool IsWorkbookFilter(const std::string &strFilter)
{
    for (const char *prefix : kWorkbookFilters)
        if (strFilter.rfind(prefix, 0) == 0)
            return true;
    return false;
}

// The old binary formats end at IV65536; the others reach much further.
CellLimits LimitsOfFilter(const std::string &strFilter)
{
    return strFilter.rfind("MS Excel", 0) == 0 && strFilter.find("2003 XML") == std::string::npos ? kBinaryWorkbookLimits
                                                                                                    : kWideWorkbookLimits;
}

// The filter Calc loaded the document with ("MS Excel 97"); empty when it
// does not say.
std::string FilterOf(const Reference<css::lang::XComponent> &document)
{
    const Reference<css::frame::XModel> model(document, UNO_QUERY);
    if (model.is())
        for (const css::beans::PropertyValue &argument : model->getArgs())
            if (argument.Name == "FilterName") {
                rtl::OUString filter;
                argument.Value >>= filter;
                return FromUno(filter);
            }
    return std::string();
}

// Closes the document without saving; a document that cannot be closed is
// left to the end of the session.
void CloseDocument(const Reference<css::lang::XComponent> &document)
{
    const Reference<css::util::XCloseable> closeable(document, UNO_QUERY);
    if (closeable.is())
        closeable->close(true);
}

// What a cell holding a formula shows: its result, or no value for an error.
CellValue FormulaResultOf(const Reference<css::table::XCell> &cell)
{
    CellValue value;
    if (cell->getError() != 0)
        return value;
    sal_Int32 resultType = 0;
    Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)->getPropertyValue("FormulaResultType2") >>= resultType;
    if (resultType == css::sheet::FormulaResult::VALUE) {
        value.kind = CellValue::Kind::Number;
        value.dNumber = cell->getValue();
    } else if (resultType == css::sheet::FormulaResult::STRING) {
        value.kind = CellValue::Kind::Text;
        value.strText = FromUno(Reference<css::text::XText>(cell, UNO_QUERY_THROW)->getString());
    }
    return value;
}

// What Value2 gives for the cell: a number (dates are their serial number),
// a text, or no value for an empty cell.
CellValue ValueOf(const Reference<css::table::XCell> &cell)
{
    CellValue value;
    switch (cell->getType()) {
    case css::table::CellContentType_VALUE:
        value.kind = CellValue::Kind::Number;
        value.dNumber = cell->getValue();
        return value;
    case css::table::CellContentType_TEXT:
        value.kind = CellValue::Kind::Text;
        value.strText = FromUno(Reference<css::text::XText>(cell, UNO_QUERY_THROW)->getString());
        return value;
    case css::table::CellContentType_FORMULA:
        return FormulaResultOf(cell);
    default:
        return value;
    }
}

class CalcRange : public Range {
public:
    CalcRange(std::shared_ptr<CalcSession> session, Reference<css::table::XCell> cell, std::string strName)
        : m_session(std::move(session)), m_cell(std::move(cell)), m_strName(std::move(strName))
    {
    }

    // A number that is not finite would be stored as an error value: refused.
    void PutValue2(double dNumber) override
    {
        if (!std::isfinite(dNumber))
            throw DispatchFailure(kApplicationErrorCode, "Cannot store a number that is not finite in " + m_strName);
        m_session->Call("Cannot set " + m_strName, [&] { m_cell->setValue(dNumber); });
    }
    // Typed input: Calc reads the text as a user's entry in US English.
    void PutValue2(const std::string &strText) override
    {
        m_session->Call("Cannot set " + m_strName, [&] {
            Reference<css::beans::XPropertySet>(m_cell, UNO_QUERY_THROW)
                ->setPropertyValue("FormulaLocal", css::uno::Any(ToUno(strText)));
        });
    }
    // For a formula its result.
    CellValue GetValue2() override
    {
        return m_session->Call("Cannot read " + m_strName, [&] { return ValueOf(m_cell); });
    }
    // Values, texts and formulas go; formats and notes stay, as in Excel.
    void ClearContents() override
    {
        using namespace css::sheet::CellFlags;
        m_session->Call("Cannot clear " + m_strName, [&] {
            Reference<css::sheet::XSheetOperation>(m_cell, UNO_QUERY_THROW)->clearContents(VALUE | DATETIME | STRING | FORMULA);
        });
    }

private:
    std::shared_ptr<CalcSession> m_session;
    Reference<css::table::XCell> m_cell;
    std::string m_strName;
};

class CalcWorksheet : public Worksheet {
public:
    CalcWorksheet(std::shared_ptr<CalcSession> session, Reference<css::sheet::XSpreadsheet> sheet, std::string strName,
                  CellLimits limits)
        : m_session(std::move(session)), m_sheet(std::move(sheet)), m_strName(std::move(strName)), m_limits(limits)
    {
    }

    // One cell named twice; an address outside the sheet of this format, or
    // two different cells, is refused before Calc is asked.
    std::unique_ptr<Range> GetRange(const std::string &strCell1, const std::string &strCell2) override
    {
        m_session->ThrowIfGone();
        CellAddress first, second;
        if (!ParseCellAddress(strCell1, first, m_limits) || !ParseCellAddress(strCell2, second, m_limits))
            throw DispatchFailure(kApplicationErrorCode,
                                  "'" + strCell1 + ":" + strCell2 + "' is no cell of worksheet '" + m_strName + "'");
        if (first < second || second < first)
            throw DispatchFailure(kApplicationErrorCode, "'" + strCell1 + ":" + strCell2 + "' is more than one cell");
        const std::string name = m_strName + "!" + FormatCellAddress(first);
        Reference<css::table::XCell> cell = m_session->Call("Cannot find cell " + name, [&] {
            return m_sheet->getCellByPosition(first.iColumn - 1, first.iRow - 1);
        });
        return std::make_unique<CalcRange>(m_session, std::move(cell), name);
    }

private:
    std::shared_ptr<CalcSession> m_session;
    Reference<css::sheet::XSpreadsheet> m_sheet;
    std::string m_strName;
    CellLimits m_limits;
};

class CalcWorksheets : public Worksheets {
public:
    CalcWorksheets(std::shared_ptr<CalcSession> session, Reference<css::sheet::XSpreadsheets> sheets, CellLimits limits)
        : m_session(std::move(session)), m_sheets(std::move(sheets)), m_limits(limits)
    {
    }

    // Calc finds a sheet by its name ignoring case, as Excel does.
    std::unique_ptr<Worksheet> Item(const std::string &strName) override
    {
        const std::string what = "Worksheet '" + strName + "' not found";
        Reference<css::sheet::XSpreadsheet> sheet = m_session->Call(what, [&] {
            if (!m_sheets->hasByName(ToUno(strName)))
                throw DispatchFailure(kApplicationErrorCode, what);
            return Reference<css::sheet::XSpreadsheet>(m_sheets->getByName(ToUno(strName)), UNO_QUERY_THROW);
        });
        return std::make_unique<CalcWorksheet>(m_session, std::move(sheet), strName, m_limits);
    }

private:
    std::shared_ptr<CalcSession> m_session;
    Reference<css::sheet::XSpreadsheets> m_sheets;
    CellLimits m_limits;
};

class CalcWorkbook : public Workbook {
public:
    CalcWorkbook(std::shared_ptr<CalcSession> session, Reference<css::lang::XComponent> document, std::string strPath)
        : m_session(std::move(session)), m_document(std::move(document)), m_strPath(std::move(strPath))
    {
    }

    // The sheets, limited to the cells the workbook's format can keep.
    std::unique_ptr<Worksheets> GetWorksheets() override
    {
        std::string filter;
        Reference<css::sheet::XSpreadsheets> sheets = m_session->Call("Cannot list the worksheets", [&] {
            filter = FilterOf(m_document);
            return Reference<css::sheet::XSpreadsheetDocument>(m_document, UNO_QUERY_THROW)->getSheets();
        });
        return std::make_unique<CalcWorksheets>(m_session, std::move(sheets), LimitsOfFilter(filter));
    }
    // Written under its own path with the filter it was read with, so an
    // .xls workbook stays an Excel 97 (BIFF8) workbook.
    void Save() override
    {
        m_session->Call("Cannot save '" + m_strPath + "'", [&] {
            const auto arguments = NamedArguments({
                {"FilterName", css::uno::Any(ToUno(FilterOf(m_document)))},
                {"Overwrite", css::uno::Any(true)},
            });
            Reference<css::frame::XStorable>(m_document, UNO_QUERY_THROW)->storeToURL(FileUrl(m_strPath), arguments);
        });
    }

private:
    std::shared_ptr<CalcSession> m_session;
    Reference<css::lang::XComponent> m_document;
    std::string m_strPath;
};

class CalcWorkbooks : public Workbooks {
public:
    explicit CalcWorkbooks(std::shared_ptr<CalcSession> session) : m_session(std::move(session)) {}

    // A workbook already open in the session is handed out again, as Excel
    // does; a file that is no workbook is refused, not imported as text.
    std::unique_ptr<Workbook> Open(const std::string &strPath) override
    {
        const std::string path = std::filesystem::absolute(NativePath(strPath)).lexically_normal().string();
        m_session->ThrowIfGone();
        Reference<css::lang::XComponent> document = m_session->OpenDocument(path);
        if (!document.is())
            document = Load(path);
        return std::make_unique<CalcWorkbook>(m_session, std::move(document), path);
    }

private:
    // Loads the file hidden, with macros and links left alone; a null
    // document means Calc would not open it (locked by someone else).
    Reference<css::lang::XComponent> Load(const std::string &strPath)
    {
        std::error_code error;
        if (!std::filesystem::is_regular_file(strPath, error))
            throw DispatchFailure(kApplicationErrorCode, "'" + strPath + "' could not be found");
        const std::string what = "Cannot open '" + strPath + "'";
        Reference<css::lang::XComponent> document = m_session->Call(what, [&] {
            const auto arguments = NamedArguments({
                {"Hidden", css::uno::Any(true)},
                {"MacroExecutionMode", css::uno::Any(sal_Int16(0))},
                {"UpdateDocMode", css::uno::Any(sal_Int16(0))},
            });
            const Reference<css::frame::XComponentLoader> loader(m_session->Desktop(), UNO_QUERY_THROW);
            return loader->loadComponentFromURL(FileUrl(strPath), "_blank", 0, arguments);
        });
        if (!document.is())
            throw DispatchFailure(kApplicationErrorCode, what + ": it may be in use by someone else");
        RefuseUnlessWorkbook(document, strPath);
        m_session->RememberDocument(strPath, document);
        return document;
    }

    // Closes and refuses a document that is not a spreadsheet or was read
    // through a filter of some other format (text, HTML...).
    void RefuseUnlessWorkbook(const Reference<css::lang::XComponent> &document, const std::string &strPath)
    {
        const bool isWorkbook = m_session->Call("Cannot open '" + strPath + "'", [&] {
            const bool workbook = Reference<css::sheet::XSpreadsheetDocument>(document, UNO_QUERY).is() &&
                                  IsWorkbookFilter(FilterOf(document));
            if (!workbook)
                CloseDocument(document);
            return workbook;
        });
        if (!isWorkbook)
            throw DispatchFailure(kApplicationErrorCode, "'" + strPath + "' is not a workbook");
    }

    std::shared_ptr<CalcSession> m_session;
};

class CalcApplication : public Application {
public:
    explicit CalcApplication(std::shared_ptr<CalcSession> session) : m_session(std::move(session)) {}

    // Calc's own program folder stands for Excel's add-in library.
    std::string LibraryPath() override
    {
        m_session->ThrowIfGone();
        return m_session->ProgramFolder();
    }
    // Calc has the Analysis functions built in: their add-in "registers",
    // anything else does not.
    bool RegisterXLL(const std::string &strFileName) override
    {
        m_session->ThrowIfGone();
        return NativePath(strFileName) == NativePath(m_session->ProgramFolder() + "\\Analysis\\Analys32.xll");
    }
    // Every object of a session that has ended fails as disconnected.
    std::unique_ptr<Workbooks> GetWorkbooks() override
    {
        m_session->ThrowIfGone();
        return std::make_unique<CalcWorkbooks>(m_session);
    }
    void Quit() override { m_session->Quit(); }

    const std::shared_ptr<CalcSession> &Session() const { return m_session; }

private:
    std::shared_ptr<CalcSession> m_session;
};

}  // namespace

std::unique_ptr<Application> MakeCalcApplication(std::shared_ptr<CalcSession> session)
{
    return std::make_unique<CalcApplication>(std::move(session));
}

std::shared_ptr<CalcSession> SessionOf(Application &application)
{
    auto *calc = dynamic_cast<CalcApplication *>(&application);
    return calc ? calc->Session() : nullptr;
}
