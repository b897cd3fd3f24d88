#include "CalcObjects.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/NoSuchElementException.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>

#include "CalcProfile.h"
#include "CalcTextBlocks.h"
#include "CellAddress.h"
#include "Paths.h"
#include "SheetValueCache.h"
#include "WorkbookLock.h"

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

// A cell of a block read (getDataArray): a number or a text, nothing for
// an error value; an empty text may be an empty cell or a formula giving an
// empty text, and a text across lines may differ from the cell's own text,
// so those are left to the cell itself.
BlockCell BlockCellOf(const css::uno::Any &element)
{
    switch (element.getValueTypeClass()) {
    case css::uno::TypeClass_VOID:
        return CellValue();
    case css::uno::TypeClass_DOUBLE: {
        CellValue value;
        value.kind = CellValue::Kind::Number;
        element >>= value.dNumber;
        return value;
    }
    case css::uno::TypeClass_STRING: {
        rtl::OUString text;
        element >>= text;
        if (text.isEmpty() || text.indexOf('\n') >= 0)
            return std::nullopt;
        CellValue value;
        value.kind = CellValue::Kind::Text;
        value.strText = FromUno(text);
        return value;
    }
    default:
        return std::nullopt;
    }
}

// The cells of area as Calc gives them in one call, row by row; empty when
// Calc gives a block of another shape.
std::vector<BlockCell> ReadBlock(const Reference<css::sheet::XSpreadsheet> &sheet, const CellArea &area)
{
    const Reference<css::table::XCellRange> range = sheet->getCellRangeByPosition(
        area.first.iColumn - 1, area.first.iRow - 1, area.last.iColumn - 1, area.last.iRow - 1);
    const css::uno::Sequence<css::uno::Sequence<css::uno::Any>> rows =
        Reference<css::sheet::XCellRangeData>(range, UNO_QUERY_THROW)->getDataArray();
    const sal_Int32 width = area.last.iColumn - area.first.iColumn + 1;
    std::vector<BlockCell> cells;
    cells.reserve(static_cast<size_t>(area.CellCount()));
    for (const css::uno::Sequence<css::uno::Any> &row : rows) {
        if (row.getLength() != width)
            return {};
        for (const css::uno::Any &element : row)
            cells.push_back(BlockCellOf(element));
    }
    return cells;
}

// The parts of area that hold empty cells.
std::vector<CellArea> EmptyAreas(const Reference<css::sheet::XSpreadsheet> &sheet, const CellArea &area)
{
    const Reference<css::table::XCellRange> range = sheet->getCellRangeByPosition(
        area.first.iColumn - 1, area.first.iRow - 1, area.last.iColumn - 1, area.last.iRow - 1);
    const css::uno::Sequence<css::table::CellRangeAddress> ranges =
        Reference<css::sheet::XCellRangesQuery>(range, UNO_QUERY_THROW)->queryEmptyCells()->getRangeAddresses();
    std::vector<CellArea> areas;
    for (const css::table::CellRangeAddress &empty : ranges)
        areas.push_back({{empty.StartColumn + 1, empty.StartRow + 1}, {empty.EndColumn + 1, empty.EndRow + 1}});
    return areas;
}

// One worksheet as its ranges share it: the session, the sheet, which sheet
// of which document it is, its name for messages and what is known of its
// values.
struct SheetAccess {
    std::shared_ptr<CalcSession> session;
    Reference<css::sheet::XSpreadsheet> sheet;
    SheetKey key;
    std::string strName;
    std::shared_ptr<SheetValueCache> cache;
};

// One cell.  Calc's own cell object is fetched only when the cell is
// written or read on its own; a number written is kept back with the
// session's other numbers (see DeferredValues), and a read is answered from
// a block read of the sheet when nothing has changed since.
class CalcRange : public Range {
public:
    CalcRange(SheetAccess access, const CellAddress &address)
        : m_access(std::move(access)), m_address(address),
          m_strName(m_access.strName + "!" + FormatCellAddress(address))
    {
    }

    // A number that is not finite would be stored as an error value: refused.
    void PutValue2(double dNumber) override
    {
        if (!std::isfinite(dNumber))
            throw DispatchFailure(kApplicationErrorCode, "Cannot store a number that is not finite in " + m_strName);
        Session().ThrowIfProcessGone();
        Session().NoteContentChange();
        Session().Deferred().Defer(m_access.key, m_access.sheet, m_access.strName, m_address, dNumber);
    }
    // Typed input: Calc reads the text as a user's entry in US English.
    void PutValue2(const std::string &strText) override
    {
        Session().Deferred().Forget(m_access.key, m_address);
        Session().NoteContentChange();
        Session().Call("Cannot set " + m_strName, [&] { TypeIntoCell(Cell(), strText); });
    }
    // For a formula its result.
    CellValue GetValue2() override
    {
        Session().ThrowIfProcessGone();
        Session().Deferred().Flush();
        const uint64_t version = Session().ContentVersion();
        SheetValueCache &cache = *m_access.cache;
        std::optional<CellValue> value = cache.Lookup(version, m_address);
        if (!value && cache.ShouldReadBlock(version, m_address)) {
            StoreBlock(version);
            value = cache.Lookup(version, m_address);
        }
        if (value)
            return *value;
        return Session().Call("Cannot read " + m_strName, [&] { return ValueOf(Cell()); });
    }
    // Values, texts and formulas go; formats and notes stay, as in Excel.
    void ClearContents() override
    {
        using namespace css::sheet::CellFlags;
        Session().Deferred().Forget(m_access.key, m_address);
        Session().NoteContentChange();
        Session().Call("Cannot clear " + m_strName, [&] {
            Reference<css::sheet::XSheetOperation>(Cell(), UNO_QUERY_THROW)->clearContents(VALUE | DATETIME | STRING | FORMULA);
        });
    }

private:
    CalcSession &Session() const { return *m_access.session; }

    // Calc's cell object, fetched at the first use (inside a call).
    const Reference<css::table::XCell> &Cell()
    {
        if (!m_cell.is())
            m_cell = m_access.sheet->getCellByPosition(m_address.iColumn - 1, m_address.iRow - 1);
        return m_cell;
    }

    // Reads the sheet's block for the cache; a block Calc will not give is
    // no failure of this read, which then asks the cell itself.
    void StoreBlock(uint64_t uVersion)
    {
        const CellArea area = m_access.cache->BlockArea();
        try {
            std::vector<BlockCell> cells =
                Session().Call("Cannot read " + m_access.strName, [&] { return ReadBlock(m_access.sheet, area); });
            m_access.cache->StoreBlock(uVersion, area, std::move(cells));
        } catch (const DispatchFailure &) {
            // The cell is read on its own instead.
        }
    }

    SheetAccess m_access;
    CellAddress m_address;
    std::string m_strName;
    Reference<css::table::XCell> m_cell;
};

class CalcWorksheet : public Worksheet {
public:
    CalcWorksheet(SheetAccess access, CellLimits limits) : m_access(std::move(access)), m_limits(limits) {}

    // One cell named twice; an address outside the sheet, or two different
    // cells, is refused here.  Calc itself is not asked until the range is
    // used, but a Calc that has gone fails this call already.
    std::unique_ptr<Range> GetRange(const std::string &strCell1, const std::string &strCell2) override
    {
        m_access.session->ThrowIfProcessGone();
        CellAddress first, second;
        if (!ParseCellAddress(strCell1, first, m_limits) || !ParseCellAddress(strCell2, second, m_limits))
            throw DispatchFailure(kApplicationErrorCode,
                                  "'" + strCell1 + ":" + strCell2 + "' is no cell of worksheet '" + m_access.strName + "'");
        if (first < second || second < first)
            throw DispatchFailure(kApplicationErrorCode, "'" + strCell1 + ":" + strCell2 + "' is more than one cell");
        m_access.cache->NoteCell(first);
        return std::make_unique<CalcRange>(m_access, first);
    }

    // Numbers are kept back as those of single cells are; texts are typed
    // at once, in blocks where Calc reads them the same.
    void PutValues(const CellArea &area, const std::vector<CellInput> &inputs) override
    {
        CheckArea(area, inputs.size());
        for (const CellInput &input : inputs)
            if (input.kind == CellInput::Kind::Number && !std::isfinite(input.dNumber))
                throw DispatchFailure(kApplicationErrorCode,
                                      "Cannot store a number that is not finite in " + m_access.strName);
        CalcSession &session = *m_access.session;
        session.NoteContentChange();
        std::vector<std::pair<CellAddress, std::string>> texts;
        size_t i = 0;
        for (int row = area.first.iRow; row <= area.last.iRow; ++row)
            for (int column = area.first.iColumn; column <= area.last.iColumn; ++column, ++i) {
                const CellAddress address{column, row};
                if (inputs[i].kind == CellInput::Kind::Number) {
                    session.Deferred().Defer(m_access.key, m_access.sheet, m_access.strName, address, inputs[i].dNumber);
                } else {
                    session.Deferred().Forget(m_access.key, address);
                    texts.emplace_back(address, inputs[i].strText);
                }
            }
        if (!texts.empty())
            TypeTexts(session, m_access.sheet, m_access.strName, texts);
    }
    // One read of the whole area.  A cell the block cannot tell is an empty
    // cell when Calc lists it among the area's empty cells, else (a formula
    // giving an empty text, a text across lines) it is read on its own.
    std::vector<CellValue> GetValues(const CellArea &area) override
    {
        CheckArea(area, static_cast<size_t>(area.CellCount()));
        CalcSession &session = *m_access.session;
        session.Deferred().Flush();
        std::vector<BlockCell> block =
            session.Call("Cannot read " + m_access.strName, [&] { return ReadBlock(m_access.sheet, area); });
        if (std::any_of(block.begin(), block.end(), [](const BlockCell &cell) { return !cell; })) {
            const std::vector<CellArea> empty =
                session.Call("Cannot read " + m_access.strName, [&] { return EmptyAreas(m_access.sheet, area); });
            size_t i = 0;
            for (int row = area.first.iRow; row <= area.last.iRow; ++row)
                for (int column = area.first.iColumn; column <= area.last.iColumn; ++column, ++i)
                    if (i < block.size() && !block[i] &&
                        std::any_of(empty.begin(), empty.end(), [&](const CellArea &e) { return e.Contains({column, row}); }))
                        block[i] = CellValue();
        }
        std::vector<CellValue> values;
        values.reserve(static_cast<size_t>(area.CellCount()));
        size_t i = 0;
        for (int row = area.first.iRow; row <= area.last.iRow; ++row)
            for (int column = area.first.iColumn; column <= area.last.iColumn; ++column, ++i) {
                if (i < block.size() && block[i]) {
                    values.push_back(*block[i]);
                    continue;
                }
                const CellAddress address{column, row};
                values.push_back(session.Call("Cannot read " + m_access.strName + "!" + FormatCellAddress(address), [&] {
                    return ValueOf(m_access.sheet->getCellByPosition(column - 1, row - 1));
                }));
            }
        return values;
    }

private:
    // An area within the sheet, with one value a cell; a Calc that has gone
    // fails here already.
    void CheckArea(const CellArea &area, size_t uCells) const
    {
        m_access.session->ThrowIfProcessGone();
        const bool bInside = area.first.iColumn >= 1 && area.first.iRow >= 1 &&
                             area.first.iColumn <= area.last.iColumn && area.first.iRow <= area.last.iRow &&
                             area.last.iColumn <= m_limits.iLastColumn && area.last.iRow <= m_limits.iLastRow;
        if (!bInside)
            throw DispatchFailure(kApplicationErrorCode, "'" + FormatCellAddress(area.first) + ":" +
                                                             FormatCellAddress(area.last) + "' is no area of worksheet '" +
                                                             m_access.strName + "'");
        if (static_cast<int64_t>(uCells) != area.CellCount())
            throw DispatchFailure(kApplicationErrorCode, "The values do not fit the area of " + m_access.strName);
        m_access.cache->NoteCell(area.first);
        m_access.cache->NoteCell(area.last);
    }

    SheetAccess m_access;
    CellLimits m_limits;
};

// The last column and row of the sheet (1-based): within the limits of the
// workbook's format, and within the sheet Calc actually has.  Also gives the
// sheet's position in its document.
CellLimits SheetLimits(const Reference<css::sheet::XSpreadsheet> &sheet, CellLimits formatLimits, int &iPosition)
{
    const css::table::CellRangeAddress extent =
        Reference<css::sheet::XCellRangeAddressable>(sheet, UNO_QUERY_THROW)->getRangeAddress();
    iPosition = extent.Sheet;
    return {std::min(formatLimits.iLastColumn, int(extent.EndColumn) + 1),
            std::min(formatLimits.iLastRow, int(extent.EndRow) + 1)};
}

class CalcWorksheets : public Worksheets {
public:
    CalcWorksheets(std::shared_ptr<CalcSession> session, Reference<css::sheet::XSpreadsheets> sheets, CellLimits limits,
                   std::string strDocumentPath)
        : m_session(std::move(session)), m_sheets(std::move(sheets)), m_limits(limits),
          m_strDocumentPath(std::move(strDocumentPath))
    {
    }

    // Calc finds a sheet by its name ignoring case, as Excel does.  The
    // worksheets of one name share what is known of their values.
    std::unique_ptr<Worksheet> Item(const std::string &strName) override
    {
        const std::string what = "Worksheet '" + strName + "' not found";
        CellLimits limits = m_limits;
        int position = 0;
        Reference<css::sheet::XSpreadsheet> sheet = m_session->Call(what, [&] {
            if (!m_sheets->hasByName(ToUno(strName)))
                throw DispatchFailure(kApplicationErrorCode, what);
            Reference<css::sheet::XSpreadsheet> found(m_sheets->getByName(ToUno(strName)), UNO_QUERY_THROW);
            limits = SheetLimits(found, m_limits, position);
            return found;
        });
        std::shared_ptr<SheetValueCache> &cache = m_caches[strName];
        if (!cache)
            cache = std::make_shared<SheetValueCache>();
        SheetAccess access{m_session, std::move(sheet), {m_strDocumentPath, position}, strName, cache};
        return std::make_unique<CalcWorksheet>(std::move(access), limits);
    }

private:
    std::shared_ptr<CalcSession> m_session;
    Reference<css::sheet::XSpreadsheets> m_sheets;
    CellLimits m_limits;
    std::string m_strDocumentPath;
    std::map<std::string, std::shared_ptr<SheetValueCache>> m_caches;
};

class CalcWorkbook : public Workbook {
public:
    CalcWorkbook(std::shared_ptr<CalcSession> session, Reference<css::lang::XComponent> document, std::string strPath,
                 bool bReadOnly)
        : m_session(std::move(session)), m_document(std::move(document)), m_strPath(std::move(strPath)),
          m_bReadOnly(bReadOnly)
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
        return std::make_unique<CalcWorksheets>(m_session, std::move(sheets), LimitsOfFilter(filter), m_strPath);
    }
    // Written under its own path with the filter it was read with, so an
    // .xls workbook stays an Excel 97 (BIFF8) workbook; with every number
    // written so far.
    void Save() override
    {
        if (m_bReadOnly)
            throw DispatchFailure(kApplicationErrorCode, "'" + m_strPath + "' was opened read-only");
        m_session->Deferred().Flush();
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
    bool m_bReadOnly;
};

class CalcWorkbooks : public Workbooks {
public:
    explicit CalcWorkbooks(std::shared_ptr<CalcSession> session) : m_session(std::move(session)) {}

    // A workbook already open in the session is handed out again, as Excel
    // does; a file that is no workbook is refused, not imported as text.
    std::unique_ptr<Workbook> Open(const std::string &strPath) override { return OpenWorkbook(strPath, false); }
    std::unique_ptr<Workbook> OpenReadOnly(const std::string &strPath) override
    {
        return OpenWorkbook(strPath, true);
    }
    void Close() override { m_session->CloseWorkbooks(); }

private:
    std::unique_ptr<Workbook> OpenWorkbook(const std::string &strPath, bool bReadOnly)
    {
        const std::string path = std::filesystem::absolute(NativePath(strPath)).lexically_normal().string();
        m_session->ThrowIfGone();
        m_session->NoteContentChange();
        Reference<css::lang::XComponent> document = m_session->OpenDocument(path);
        if (document.is())
            return std::make_unique<CalcWorkbook>(m_session, std::move(document), path, false);
        document = Load(path, bReadOnly);
        return std::make_unique<CalcWorkbook>(m_session, std::move(document), path, bReadOnly);
    }

    // Loads the file hidden, with macros and links left alone; a null
    // document means Calc would not open it: locked by someone else, no lock
    // file of its own could be made beside it, or nothing in it is a
    // document Calc can read.
    Reference<css::lang::XComponent> Load(const std::string &strPath, bool bReadOnly)
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
                {"ReadOnly", css::uno::Any(bReadOnly)},
            });
            const Reference<css::frame::XComponentLoader> loader(m_session->Desktop(), UNO_QUERY_THROW);
            return loader->loadComponentFromURL(FileUrl(strPath), "_blank", 0, arguments);
        });
        if (!document.is())
            throw DispatchFailure(kApplicationErrorCode, RefusalReason(strPath));
        RefuseUnlessWorkbook(document, strPath);
        m_session->RememberDocument(strPath, document);
        return document;
    }

    // Why Calc would not open strPath: a lock file beside it is someone
    // else's (a lock this session could make would not be there yet);
    // without one, either the folder refuses the lock file Calc needs, or
    // no filter of Calc could read the file (a zip archive, say).
    static std::string RefusalReason(const std::string &strPath)
    {
        const std::string what = "Cannot open '" + strPath + "': ";
        std::error_code error;
        if (std::filesystem::exists(LockFilePath(strPath), error))
            return what + "it may be in use by someone else";
        if (!FolderTakesNewFiles(std::filesystem::path(strPath).parent_path().string()))
            return what + "Calc cannot make its lock file beside it (is its folder read-only?)";
        return "'" + strPath + "' is not a workbook";
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
    // Every object of a session that has ended fails as disconnected; so
    // does a Calc that has died since the last call, so that asking for the
    // workbooks tells whether Calc is still there.
    std::unique_ptr<Workbooks> GetWorkbooks() override
    {
        m_session->ThrowIfProcessGone();
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
