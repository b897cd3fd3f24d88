// The UNO module's entry: starting sessions, describing them, and creating
// new workbooks (which the posting pass never does, so it stays outside the
// Application interface).
#include "CalcModule.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XSheetAnnotations.hpp>
#include <com/sun/star/sheet/XSheetAnnotationsSupplier.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XProtectable.hpp>

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

// Types the sheet's texts into their cells, puts its notes on theirs
// (addresses already checked) and protects it when asked.
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

// Refuses a workbook without sheets or with a cell an .xls cannot hold.
void CheckSheets(const std::vector<WorkbookSheet> &sheets)
{
    if (sheets.empty())
        throw DispatchFailure(kApplicationErrorCode, "A workbook needs at least one worksheet");
    for (const WorkbookSheet &sheet : sheets)
        for (const auto *entries : {&sheet.cells, &sheet.notes})
            for (const auto &entry : *entries) {
                CellAddress address;
                if (!ParseCellAddress(entry.first, address))
                    throw DispatchFailure(kApplicationErrorCode, "'" + entry.first + "' is no cell of an .xls workbook");
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
