// The UNO module's entry: starting sessions, describing them, and creating
// new workbooks (which the posting pass never does, so it stays outside the
// Application interface).
#include "CalcModule.h"

#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Rectangle.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XSheetAnnotations.hpp>
#include <com/sun/star/sheet/XSheetAnnotationsSupplier.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XTableCharts.hpp>
#include <com/sun/star/table/XTableChartsSupplier.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XProtectable.hpp>

#include <algorithm>
#include <filesystem>

#include "CalcObjects.h"
#include "CellAddress.h"
#include "Paths.h"

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

// Names the document's sheets as wanted, adding sheets or removing the
// surplus ones.
void ShapeSheets(const Reference<css::sheet::XSpreadsheets> &sheets, const std::vector<WorkbookSheet> &wanted)
{
    const css::uno::Sequence<rtl::OUString> existing = sheets->getElementNames();
    for (size_t i = 0; i < wanted.size(); ++i) {
        if (i < static_cast<size_t>(existing.getLength()))
            Reference<css::container::XNamed>(sheets->getByName(existing[i]), UNO_QUERY_THROW)->setName(ToUno(wanted[i].strName));
        else
            sheets->insertNewByName(ToUno(wanted[i].strName), static_cast<sal_Int16>(i));
    }
    for (sal_Int32 i = static_cast<sal_Int32>(wanted.size()); i < existing.getLength(); ++i)
        sheets->removeByName(existing[i]);
}

// Charts are 8 cm wide and 6 cm high (Calc counts in 1/100 mm).
constexpr sal_Int32 kChartWidth = 8000;
constexpr sal_Int32 kChartHeight = 6000;

// An address already checked.
CellAddress AddressOf(const std::string &strCell)
{
    CellAddress address;
    ParseCellAddress(strCell, address);
    return address;
}

sal_Int16 PositionOf(const Reference<css::sheet::XSpreadsheet> &sheet)
{
    return Reference<css::sheet::XCellRangeAddressable>(sheet, UNO_QUERY_THROW)->getRangeAddress().Sheet;
}

// Each block's texts in one call.
void FillBlocks(const Reference<css::sheet::XSpreadsheet> &target, const WorkbookSheet &sheet)
{
    for (const TextBlock &block : sheet.blocks) {
        if (block.rows.empty() || block.rows.front().empty())
            continue;
        const CellAddress first = AddressOf(block.strFirstCell);
        const sal_Int32 width = static_cast<sal_Int32>(block.rows.front().size());
        css::uno::Sequence<css::uno::Sequence<rtl::OUString>> rows(static_cast<sal_Int32>(block.rows.size()));
        for (sal_Int32 row = 0; row < rows.getLength(); ++row) {
            css::uno::Sequence<rtl::OUString> cells(width);
            for (sal_Int32 column = 0; column < width; ++column)
                cells.getArray()[column] = ToUno(block.rows[row].at(column));
            rows.getArray()[row] = cells;
        }
        Reference<css::sheet::XCellRangeFormula>(
            target->getCellRangeByPosition(first.iColumn - 1, first.iRow - 1, first.iColumn - 2 + width,
                                           first.iRow - 2 + rows.getLength()),
            UNO_QUERY_THROW)
            ->setFormulaArray(rows);
    }
}

// Each chart over its data, its top left corner on its anchor cell.
void AddCharts(const Reference<css::sheet::XSpreadsheets> &sheets, const Reference<css::sheet::XSpreadsheet> &target,
               const WorkbookSheet &sheet)
{
    if (sheet.charts.empty())
        return;
    const Reference<css::table::XTableCharts> charts =
        Reference<css::table::XTableChartsSupplier>(target, UNO_QUERY_THROW)->getCharts();
    for (const WorkbookChart &chart : sheet.charts) {
        const Reference<css::sheet::XSpreadsheet> data(sheets->getByName(ToUno(chart.strDataSheet)), UNO_QUERY_THROW);
        const size_t colon = chart.strDataArea.find(':');
        const CellAddress first = AddressOf(chart.strDataArea.substr(0, colon));
        const CellAddress last = AddressOf(chart.strDataArea.substr(colon + 1));
        const css::table::CellRangeAddress area(PositionOf(data), first.iColumn - 1, first.iRow - 1, last.iColumn - 1,
                                                last.iRow - 1);
        const CellAddress anchor = AddressOf(chart.strAnchorCell);
        css::awt::Point corner;
        Reference<css::beans::XPropertySet>(target->getCellByPosition(anchor.iColumn - 1, anchor.iRow - 1), UNO_QUERY_THROW)
                ->getPropertyValue("Position") >>= corner;
        charts->addNewByName(ToUno(chart.strName), css::awt::Rectangle(corner.X, corner.Y, kChartWidth, kChartHeight),
                             css::uno::Sequence<css::table::CellRangeAddress>(&area, 1), false, false);
    }
}

// Types the sheet's texts into their cells, puts its notes on theirs, fills
// its blocks, adds its charts (addresses already checked) and protects it
// when asked.
void TypeCells(const Reference<css::sheet::XSpreadsheets> &sheets, const WorkbookSheet &sheet)
{
    const Reference<css::sheet::XSpreadsheet> target(sheets->getByName(ToUno(sheet.strName)), UNO_QUERY_THROW);
    for (const auto &[strCell, strText] : sheet.cells) {
        CellAddress address;
        ParseCellAddress(strCell, address);
        Reference<css::beans::XPropertySet>(target->getCellByPosition(address.iColumn - 1, address.iRow - 1), UNO_QUERY_THROW)
            ->setPropertyValue("FormulaLocal", css::uno::Any(ToUno(strText)));
    }
    const sal_Int16 position = Reference<css::sheet::XCellRangeAddressable>(target, UNO_QUERY_THROW)->getRangeAddress().Sheet;
    const Reference<css::sheet::XSheetAnnotations> notes =
        Reference<css::sheet::XSheetAnnotationsSupplier>(target, UNO_QUERY_THROW)->getAnnotations();
    for (const auto &[strCell, strNote] : sheet.notes) {
        CellAddress address;
        ParseCellAddress(strCell, address);
        notes->insertNew(css::table::CellAddress(position, address.iColumn - 1, address.iRow - 1), ToUno(strNote));
    }
    FillBlocks(target, sheet);
    AddCharts(sheets, target, sheet);
    if (sheet.bProtected)
        Reference<css::util::XProtectable>(target, UNO_QUERY_THROW)->protect(rtl::OUString());
}

// Gives the new document its sheets and texts and stores it as Excel 97.
void FillAndStore(const Reference<css::lang::XComponent> &document, const std::string &strPath,
                  const std::vector<WorkbookSheet> &sheets)
{
    const Reference<css::sheet::XSpreadsheets> documentSheets =
        Reference<css::sheet::XSpreadsheetDocument>(document, UNO_QUERY_THROW)->getSheets();
    ShapeSheets(documentSheets, sheets);
    for (const WorkbookSheet &sheet : sheets)
        TypeCells(documentSheets, sheet);
    const auto arguments = NamedArguments({
        {"FilterName", css::uno::Any(rtl::OUString("MS Excel 97"))},
        {"Overwrite", css::uno::Any(true)},
    });
    Reference<css::frame::XStorable>(document, UNO_QUERY_THROW)->storeToURL(FileUrl(strPath), arguments);
}

// Refuses a cell an .xls cannot hold.
void CheckCell(const std::string &strCell)
{
    CellAddress address;
    if (!ParseCellAddress(strCell, address))
        throw DispatchFailure(kApplicationErrorCode, "'" + strCell + "' is no cell of an .xls workbook");
}

// Refuses a workbook without sheets, with a cell an .xls cannot hold, a
// ragged block or a chart over a sheet it does not have.
void CheckSheets(const std::vector<WorkbookSheet> &sheets)
{
    if (sheets.empty())
        throw DispatchFailure(kApplicationErrorCode, "A workbook needs at least one worksheet");
    for (const WorkbookSheet &sheet : sheets) {
        for (const auto *entries : {&sheet.cells, &sheet.notes})
            for (const auto &entry : *entries)
                CheckCell(entry.first);
        for (const TextBlock &block : sheet.blocks) {
            CheckCell(block.strFirstCell);
            for (const std::vector<std::string> &row : block.rows)
                if (row.size() != block.rows.front().size())
                    throw DispatchFailure(kApplicationErrorCode, "A block's rows must be of one length");
            const CellAddress first = AddressOf(block.strFirstCell);
            if (!block.rows.empty())
                CheckCell(FormatCellAddress({first.iColumn + static_cast<int>(block.rows.front().size()) - 1,
                                             first.iRow + static_cast<int>(block.rows.size()) - 1}));
        }
        for (const WorkbookChart &chart : sheet.charts) {
            CheckCell(chart.strAnchorCell);
            const size_t colon = chart.strDataArea.find(':');
            CheckCell(chart.strDataArea.substr(0, colon));
            CheckCell(colon == std::string::npos ? std::string() : chart.strDataArea.substr(colon + 1));
            if (std::none_of(sheets.begin(), sheets.end(),
                             [&](const WorkbookSheet &other) { return other.strName == chart.strDataSheet; }))
                throw DispatchFailure(kApplicationErrorCode, "No sheet '" + chart.strDataSheet + "' for chart '" +
                                                                 chart.strName + "'");
        }
    }
}

class UnoCalcModule : public CalcModule {
public:
    std::unique_ptr<Application> Start(const CalcOptions &options, std::string &strFailure) override
    {
        std::shared_ptr<CalcSession> session = CalcSession::Start(options, strFailure);
        return session ? MakeCalcApplication(std::move(session)) : nullptr;
    }

    bool Describe(Application &application, CalcSessionInfo &info) override
    {
        const std::shared_ptr<CalcSession> session = SessionOf(application);
        if (session)
            info = session->Info();
        return session != nullptr;
    }

    void CreateWorkbook(Application &application, const std::string &strPath,
                        const std::vector<WorkbookSheet> &sheets) override
    {
        const std::shared_ptr<CalcSession> session = SessionOf(application);
        if (!session)
            throw DispatchFailure(kApplicationErrorCode, "Workbooks are created through LibreOffice Calc only");
        CheckSheets(sheets);
        const std::string path = std::filesystem::absolute(NativePath(strPath)).lexically_normal().string();
        session->Call("Cannot create '" + path + "'", [&] {
            const auto arguments = NamedArguments({{"Hidden", css::uno::Any(true)}});
            const Reference<css::lang::XComponent> document =
                Reference<css::frame::XComponentLoader>(session->Desktop(), UNO_QUERY_THROW)
                    ->loadComponentFromURL("private:factory/scalc", "_blank", 0, arguments);
            const Reference<css::util::XCloseable> closeable(document, UNO_QUERY_THROW);
            try {
                FillAndStore(document, path, sheets);
            } catch (...) {
                closeable->close(true);
                throw;
            }
            closeable->close(true);
        });
    }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) CalcModule *GombrelCalcModule()
{
    static UnoCalcModule module;
    return &module;
}
