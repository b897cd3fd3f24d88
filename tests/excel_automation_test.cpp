#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "D2ResultBinding.h"
#include "ExcelLauncher.h"
#include "ExcelObjects.h"
#include "FakeExcelServer.h"
#include "MappingTables.h"
#include "MemoryBook.h"
#include "PassTestSupport.h"
#include "PostedCells.h"
#include "ProcessResults.h"
#include "RecordingMessages.h"
#include "SampleResults.h"
#include "ScratchFolder.h"

namespace {

void NoPause(int) {}

const char kWorkbookText[] = "gombrel-memory-workbook 1\nsheet\tA\ncell\tC65\tnumber\t2.5\nsheet\tB\n";

// Excel's wrappers over the fake server, on a one-workbook folder.
class ExcelObjectsTest : public ::testing::Test {
protected:
    void SetUp() override { WriteWholeFile(m_strPath, kWorkbookText); }

    std::unique_ptr<Workbook> OpenWorkbook() { return m_application->GetWorkbooks()->Open(m_strPath); }
    std::unique_ptr<Range> CellOfSheetA(const std::string &strCell)
    {
        return OpenWorkbook()->GetWorksheets()->Item("A")->GetRange(strCell, strCell);
    }
    RecordedInvoke OnlyInvokeOf(DISPID dispid) const
    {
        const std::vector<RecordedInvoke> invokes = m_server.InvokesOf(dispid);
        EXPECT_EQ(invokes.size(), 1u);
        return invokes.empty() ? RecordedInvoke() : invokes.front();
    }

    ScratchFolder m_scratch;
    const std::string m_strPath = m_scratch / "Book.xls";
    std::shared_ptr<MemorySpreadsheet> m_spreadsheet = std::make_shared<MemorySpreadsheet>();
    FakeExcelServer m_server{m_spreadsheet};
    std::unique_ptr<Application> m_application = MakeExcelApplication(m_server.NewApplication());
};

using ExcelWorkbooks = ExcelObjectsTest;

// Left out, UpdateLinks has Excel ask whether to update the workbook's
// links, a question nobody sees in a hidden Excel.
TEST_F(ExcelWorkbooks, OpenPassesThePathNoLinkUpdatesAndThirteenOmittedArguments)
{
    OpenWorkbook();
    const RecordedInvoke open = OnlyInvokeOf(kOpen);
    EXPECT_EQ(open.wKind, DISPATCH_METHOD);
    ASSERT_EQ(open.arguments.size(), 15u);
    EXPECT_EQ(open.arguments[0].vt, VT_BSTR);
    EXPECT_EQ(open.arguments[0].strText, m_strPath);
    EXPECT_EQ(open.arguments[1].vt, VT_R8);
    EXPECT_EQ(open.arguments[1].dNumber, 0.0);
    for (size_t i = 2; i < open.arguments.size(); ++i) {
        EXPECT_EQ(open.arguments[i].vt, VT_ERROR) << i;
        EXPECT_EQ(open.arguments[i].scode, DISP_E_PARAMNOTFOUND) << i;
    }
}

TEST_F(ExcelWorkbooks, OpenReadOnlyAsksForReadOnlyWithoutUpdatingLinks)
{
    const std::unique_ptr<Workbook> workbook = m_application->GetWorkbooks()->OpenReadOnly(m_strPath);
    const RecordedInvoke open = OnlyInvokeOf(kOpen);
    ASSERT_EQ(open.arguments.size(), 15u);
    EXPECT_EQ(open.arguments[0].strText, m_strPath);
    EXPECT_EQ(open.arguments[1].vt, VT_R8);
    EXPECT_EQ(open.arguments[1].dNumber, 0.0);
    EXPECT_EQ(open.arguments[2].vt, VT_BOOL);
    EXPECT_TRUE(open.arguments[2].bValue);
    for (size_t i = 3; i < open.arguments.size(); ++i)
        EXPECT_EQ(open.arguments[i].scode, DISP_E_PARAMNOTFOUND) << i;
    EXPECT_EQ(m_spreadsheet->Calls(SpreadsheetCall::OpenReadOnly), 1);
    EXPECT_THROW(workbook->Save(), DispatchFailure);
}

// A hidden Excel that asks (save the changes? update the links? keep the
// format?) waits for an answer for ever: every call that can ask is made
// with alerts off, and alerts are on again after it, also when it fails.
struct AlertsCase {
    const char *pszName;
    DISPID dispid;
    std::function<void(Application &, const std::string &)> call;
    bool bAlertsOnAfter;  // Quit leaves no Excel to turn them on in
};

class ExcelAlerts : public ExcelObjectsTest, public ::testing::WithParamInterface<AlertsCase> {};

// The members invoked, "+" and "-" for alerts turned on and off.
std::string Sequence(const std::vector<RecordedInvoke> &invokes)
{
    std::string sequence;
    for (const RecordedInvoke &invoke : invokes) {
        if (invoke.dispid == kDisplayAlerts)
            sequence += invoke.arguments.at(0).bValue ? "+ " : "- ";
        else
            sequence += std::to_string(invoke.dispid) + " ";
    }
    return sequence;
}

TEST_P(ExcelAlerts, CallIsMadeWithAlertsOff)
{
    GetParam().call(*m_application, m_strPath);
    const std::string id = std::to_string(GetParam().dispid);
    const std::string sequence = Sequence(m_server.Invokes());
    EXPECT_NE(sequence.find("- " + id + (GetParam().bAlertsOnAfter ? " +" : "")), std::string::npos) << sequence;
}

TEST_P(ExcelAlerts, AlertsAreOnAgainAfterAFailure)
{
    if (!GetParam().bAlertsOnAfter)
        GTEST_SKIP() << "nothing to turn on after Quit";
    std::unique_ptr<Workbook> workbook = OpenWorkbook();
    m_server.Behaviour().beforeCall = [this](DISPID dispid) {
        return dispid == GetParam().dispid ? DISP_E_EXCEPTION : S_OK;
    };
    EXPECT_THROW(GetParam().call(*m_application, m_strPath), AutomationFailure);
    const std::vector<RecordedInvoke> alerts = m_server.InvokesOf(kDisplayAlerts);
    ASSERT_FALSE(alerts.empty());
    EXPECT_TRUE(alerts.back().arguments.at(0).bValue);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, ExcelAlerts,
    ::testing::Values(AlertsCase{"Open", kOpen, [](Application &app, const std::string &path) { app.GetWorkbooks()->Open(path); }, true},
                      AlertsCase{"OpenReadOnly", kOpen,
                                 [](Application &app, const std::string &path) { app.GetWorkbooks()->OpenReadOnly(path); }, true},
                      AlertsCase{"Save", kSave,
                                 [](Application &app, const std::string &path) { app.GetWorkbooks()->Open(path)->Save(); }, true},
                      AlertsCase{"Close", kClose, [](Application &app, const std::string &) { app.GetWorkbooks()->Close(); }, true},
                      AlertsCase{"Quit", kQuit, [](Application &app, const std::string &) { app.Quit(); }, false}),
    [](const ::testing::TestParamInfo<AlertsCase> &info) { return info.param.pszName; });

// What a posted text becomes depends on the locale the call passes: the
// same on every machine, whatever its regional settings.
TEST_F(ExcelObjectsTest, EveryCallPassesUsEnglish)
{
    m_server.Behaviour().userLocale = 0x0809;
    CellOfSheetA("D4")->PutValue2(std::string("1/4"));
    m_application->Quit();
    for (const RecordedInvoke &invoke : m_server.Invokes())
        EXPECT_EQ(invoke.lcid, 0x0409u) << invoke.dispid;
}

using ExcelWorksheet = ExcelObjectsTest;

TEST_F(ExcelWorksheet, RangeNamesTheSameCellTwice)
{
    CellOfSheetA("C65");
    const RecordedInvoke range = OnlyInvokeOf(kRange);
    EXPECT_EQ(range.wKind, DISPATCH_PROPERTYGET);
    ASSERT_EQ(range.arguments.size(), 2u);
    for (const RecordedArgument &cell : range.arguments) {
        EXPECT_EQ(cell.vt, VT_BSTR);
        EXPECT_EQ(cell.strText, "C65");
    }
}

// A block is one Range of its corners and one Value2 of a two-dimensional
// array, rows first: each value lands in its own cell and reads back there.
TEST_F(ExcelWorksheet, BlockIsOneRangeOfItsCornersAndOneArrayOfItsCellsRowsFirst)
{
    const std::unique_ptr<Workbook> workbook = OpenWorkbook();
    const std::unique_ptr<Worksheet> sheet = workbook->GetWorksheets()->Item("A");
    const CellArea area{{3, 65}, {5, 66}};  // C65:E66
    std::vector<CellInput> inputs(6);
    for (size_t i = 0; i < inputs.size(); ++i)
        inputs[i].dNumber = 10.0 + static_cast<double>(i);
    inputs[4].kind = CellInput::Kind::Text;
    inputs[4].strText = "1/4";
    sheet->PutValues(area, inputs);
    const RecordedInvoke range = m_server.InvokesOf(kRange).back();
    ASSERT_EQ(range.arguments.size(), 2u);
    EXPECT_EQ(range.arguments[0].strText, "C65");
    EXPECT_EQ(range.arguments[1].strText, "E66");
    EXPECT_EQ(m_server.InvokesOf(kValue2).back().arguments.at(0).vt, VT_ARRAY | VT_VARIANT);
    EXPECT_EQ(sheet->GetRange("D65", "D65")->GetValue2().dNumber, 11.0);
    EXPECT_EQ(sheet->GetRange("C66", "C66")->GetValue2().dNumber, 13.0);
    // A text of the array is read as if typed into its cell alone.
    sheet->GetRange("G70", "G70")->PutValue2(std::string("1/4"));
    const CellValue typed = sheet->GetRange("G70", "G70")->GetValue2();
    const CellValue inBlock = sheet->GetRange("D66", "D66")->GetValue2();
    EXPECT_EQ(inBlock.kind, typed.kind);
    EXPECT_EQ(inBlock.dNumber, typed.dNumber);
    EXPECT_EQ(inBlock.strText, typed.strText);

    const std::vector<CellValue> values = sheet->GetValues(area);
    ASSERT_EQ(values.size(), 6u);
    for (size_t i = 0; i < values.size(); ++i) {
        if (i != 4) {
            EXPECT_EQ(values[i].dNumber, 10.0 + static_cast<double>(i)) << i;
        }
    }
    EXPECT_EQ(values[4].dNumber, typed.dNumber);
    EXPECT_EQ(sheet->GetValues({{4, 66}, {4, 66}}).at(0).dNumber, typed.dNumber);
}

// Each member the posting pass uses, invoked by its DISPID as the kind the
// object model gives it, with its count of arguments.
TEST_F(ExcelObjectsTest, EveryMemberIsInvokedByItsDispidAndKind)
{
    m_application->LibraryPath();
    m_application->RegisterXLL("Analys32.xll");
    const std::unique_ptr<Workbook> workbook = OpenWorkbook();
    const std::unique_ptr<Range> range = workbook->GetWorksheets()->Item("A")->GetRange("C65", "C65");
    range->PutValue2(2.0);
    range->GetValue2();
    range->ClearContents();
    workbook->Save();
    m_application->Quit();
    struct Expected {
        DISPID dispid;
        WORD wKind;
        size_t uArguments;
    };
    const std::vector<Expected> expected = {
        {kLibraryPath, DISPATCH_PROPERTYGET, 0},   {kRegisterXLL, DISPATCH_METHOD, 1},
        {kWorkbooks, DISPATCH_PROPERTYGET, 0},     {kDisplayAlerts, DISPATCH_PROPERTYPUT, 1},
        {kOpen, DISPATCH_METHOD, 15},              {kDisplayAlerts, DISPATCH_PROPERTYPUT, 1},
        {kWorksheets, DISPATCH_PROPERTYGET, 0},    {kItem, DISPATCH_PROPERTYGET, 1},
        {kRange, DISPATCH_PROPERTYGET, 2},         {kValue2, DISPATCH_PROPERTYPUT, 1},
        {kValue2, DISPATCH_PROPERTYGET, 0},        {kClearContents, DISPATCH_METHOD, 0},
        {kDisplayAlerts, DISPATCH_PROPERTYPUT, 1}, {kSave, DISPATCH_METHOD, 0},
        {kDisplayAlerts, DISPATCH_PROPERTYPUT, 1}, {kDisplayAlerts, DISPATCH_PROPERTYPUT, 1},
        {kQuit, DISPATCH_METHOD, 0},
    };
    const std::vector<RecordedInvoke> &invokes = m_server.Invokes();
    ASSERT_EQ(invokes.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(invokes[i].dispid, expected[i].dispid) << i;
        EXPECT_EQ(invokes[i].wKind, expected[i].wKind) << i;
        EXPECT_EQ(invokes[i].arguments.size(), expected[i].uArguments) << i;
    }
    EXPECT_EQ(invokes[9].namedArguments, std::vector<DISPID>{DISPID_PROPERTYPUT});
}

TEST_F(ExcelObjectsTest, ApplicationAnswersAreConvertedToTheProgramsTypes)
{
    m_spreadsheet->strLibraryPath = "C:\\Programme\\Büro\\Library";
    m_spreadsheet->bRegisterXLL = false;
    EXPECT_EQ(m_application->LibraryPath(), "C:\\Programme\\Büro\\Library");
    EXPECT_FALSE(m_application->RegisterXLL("C:\\Programme\\Büro\\Library\\Analysis\\Analys32.xll"));
    EXPECT_EQ(OnlyInvokeOf(kRegisterXLL).arguments[0].strText, "C:\\Programme\\Büro\\Library\\Analysis\\Analys32.xll");
}

TEST_F(ExcelObjectsTest, EveryObjectIsReleasedWithItsOwner)
{
    {
        const std::unique_ptr<Range> range = CellOfSheetA("C65");
        EXPECT_GT(m_server.LiveObjects(), 1);
    }
    EXPECT_EQ(m_server.LiveObjects(), 1);
    m_application.reset();
    EXPECT_EQ(m_server.LiveObjects(), 0);
}

struct NumberCase {
    const char *pszName;
    double dNumber;
};

class ExcelRangeNumber : public ExcelObjectsTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(ExcelRangeNumber, IsSentAsADouble)
{
    const std::unique_ptr<Range> range = CellOfSheetA("D7");
    range->PutValue2(GetParam().dNumber);
    const RecordedInvoke put = OnlyInvokeOf(kValue2);
    EXPECT_EQ(put.wKind, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(put.namedArguments, std::vector<DISPID>{DISPID_PROPERTYPUT});
    ASSERT_EQ(put.arguments.size(), 1u);
    EXPECT_EQ(put.arguments[0].vt, VT_R8);
    EXPECT_EQ(put.arguments[0].dNumber, GetParam().dNumber);
    const CellValue value = range->GetValue2();
    EXPECT_EQ(value.kind, CellValue::Kind::Number);
    EXPECT_EQ(value.dNumber, GetParam().dNumber);
}

INSTANTIATE_TEST_SUITE_P(ExcelRange, ExcelRangeNumber,
                         ::testing::Values(NumberCase{"WholeNumber", 2.0}, NumberCase{"Zero", 0.0},
                                           NumberCase{"NegativeFraction", -7.46}, NumberCase{"Large", 8760000.0}),
                         [](const ::testing::TestParamInfo<NumberCase> &info) { return info.param.pszName; });

struct TextCase {
    const char *pszName;
    const char *pszText;
};

class ExcelRangeText : public ExcelObjectsTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(ExcelRangeText, IsSentAsABstr)
{
    CellOfSheetA("E5")->PutValue2(std::string(GetParam().pszText));
    const RecordedInvoke put = OnlyInvokeOf(kValue2);
    ASSERT_EQ(put.arguments.size(), 1u);
    EXPECT_EQ(put.arguments[0].vt, VT_BSTR);
    EXPECT_EQ(put.arguments[0].strText, GetParam().pszText);
}

INSTANTIATE_TEST_SUITE_P(ExcelRange, ExcelRangeText,
                         ::testing::Values(TextCase{"Date", "1/4"}, TextCase{"Hour", "13"},
                                           TextCase{"Formula", "= 1235 + D146"}, TextCase{"Empty", ""},
                                           TextCase{"NotAscii", "ΔT 5 °F"}),
                         [](const ::testing::TestParamInfo<TextCase> &info) { return info.param.pszName; });

TEST_F(ExcelObjectsTest, Value2GivesNumbersTextsOrNothing)
{
    const std::unique_ptr<Range> number = CellOfSheetA("C65");
    const std::unique_ptr<Range> text = CellOfSheetA("D1");
    text->PutValue2(std::string("Büro"));
    EXPECT_EQ(number->GetValue2().dNumber, 2.5);
    EXPECT_EQ(text->GetValue2().strText, "Büro");
    text->ClearContents();
    EXPECT_EQ(text->GetValue2().kind, CellValue::Kind::None);
}

// What a failed call answers, and the failure the wrappers make of it.
struct FailureCase {
    const char *pszName;
    ScriptedFailure answer;
    bool bDispatch;
    uint32_t uStatus;  // the OLE failure's status
    uint16_t wCode;    // the dispatch failure's code
    const char *pszDescription;
};

class ExcelCallFailure : public ExcelObjectsTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ExcelCallFailure, BecomesTheFailureOfItsKind)
{
    const FailureCase &expected = GetParam();
    m_server.FailNextInvoke(expected.answer);
    try {
        m_application->LibraryPath();
        FAIL() << "no failure";
    } catch (const DispatchFailure &failure) {
        EXPECT_TRUE(expected.bDispatch);
        EXPECT_EQ(failure.Code(), expected.wCode);
        EXPECT_EQ(failure.Description(), expected.pszDescription);
    } catch (const OleFailure &failure) {
        EXPECT_FALSE(expected.bDispatch);
        EXPECT_EQ(failure.Status(), expected.uStatus);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ExcelCallFailure,
    ::testing::Values(
        FailureCase{"ExceptionWithItsCode", {DISP_E_EXCEPTION, 1004, 0, "Open method failed"}, true, 0, 1004,
                    "Open method failed"},
        FailureCase{"ExceptionWithItsCodeInScode",
                    {DISP_E_EXCEPTION, 0, static_cast<SCODE>(0x800A03ECu), "Unable to get the Value2 property"},
                    true, 0, 0x03EC, "Unable to get the Value2 property"},
        FailureCase{"ExceptionDescribedInGerman", {DISP_E_EXCEPTION, 9, 0, "Index außerhalb des gültigen Bereichs"},
                    true, 0, 9, "Index außerhalb des gültigen Bereichs"},
        FailureCase{"ExceptionWithoutDescription", {DISP_E_EXCEPTION, 1004, 0, ""}, true, 0, 1004, ""},
        FailureCase{"DisconnectedServer", {static_cast<HRESULT>(0x80010108u), 0, 0, ""}, false, 0x80010108u, 0, ""},
        FailureCase{"UnknownMember", {DISP_E_MEMBERNOTFOUND, 0, 0, ""}, false, 0x80020003u, 0, ""}),
    [](const ::testing::TestParamInfo<FailureCase> &info) { return info.param.pszName; });

// A sheet the workbook lacks is an index out of the collection's range; a
// workbook Excel cannot open is an error raised inside the call.
TEST_F(ExcelObjectsTest, MissingSheetOrWorkbookIsExcelsError)
{
    m_spreadsheet->HideSheet("B");
    const std::unique_ptr<Worksheets> worksheets = OpenWorkbook()->GetWorksheets();
    const auto missingSheet = [&] { worksheets->Item("B"); };
    try {
        missingSheet();
        FAIL() << "no failure";
    } catch (const OleFailure &failure) {
        EXPECT_EQ(failure.Status(), static_cast<uint32_t>(DISP_E_BADINDEX));
    }
    EXPECT_THROW(m_application->GetWorkbooks()->Open(m_scratch / "missing.xls"), DispatchFailure);
}

// Refusals of a busy Excel are asked again until the busy limit, then stand.
struct BusyCase {
    const char *pszName;
    HRESULT hRefusal;
    int nRefusals;
    bool bAnswered;
};

class ExcelBusy : public ExcelObjectsTest, public ::testing::WithParamInterface<BusyCase> {};

TEST_P(ExcelBusy, RefusalsAreAskedAgainUntilTheLimit)
{
    ExcelCallLimits limits;
    limits.busyLimit = std::chrono::milliseconds(300);
    limits.busyPause = std::chrono::milliseconds(10);
    std::unique_ptr<Application> application = MakeExcelApplication(m_server.NewApplication(),
                                                                    std::make_shared<ExcelProcess>(limits));
    int nRefused = 0;
    m_server.Behaviour().beforeCall = [&](DISPID) {
        return nRefused < GetParam().nRefusals ? (++nRefused, GetParam().hRefusal) : S_OK;
    };
    m_spreadsheet->strLibraryPath = "C:\\Library";
    if (GetParam().bAnswered) {
        EXPECT_EQ(application->LibraryPath(), "C:\\Library");
        EXPECT_EQ(nRefused, GetParam().nRefusals);
        return;
    }
    try {
        application->LibraryPath();
        FAIL() << "no failure";
    } catch (const OleFailure &failure) {
        EXPECT_EQ(failure.Status(), static_cast<uint32_t>(GetParam().hRefusal));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, ExcelBusy,
    ::testing::Values(BusyCase{"RejectedTwice", RPC_E_CALL_REJECTED, 2, true},
                      BusyCase{"RetryLaterTwice", RPC_E_SERVERCALL_RETRYLATER, 2, true},
                      BusyCase{"RejectedForEver", RPC_E_CALL_REJECTED, 1000000, false},
                      BusyCase{"RetryLaterForEver", RPC_E_SERVERCALL_RETRYLATER, 1000000, false}),
    [](const ::testing::TestParamInfo<BusyCase> &info) { return info.param.pszName; });

// A pass through the fake reports a failing Open as the user sees it:
// Excel's code and description.
TEST_F(ExcelObjectsTest, FailingOpenIsReportedWithExcelsCodeAndDescription)
{
    m_spreadsheet->FailOpen(m_strPath);
    ScriptedUser user;
    PassServices services{user};
    ResultAccess access(nullptr, NoPause);
    GombrelData items[] = {SheetRecord("A"), kDefaultGombrelData};
    std::string errorText;
    EXPECT_EQ(PostToSpreadsheet(*m_application, PassRequest(m_scratch.Path(), m_strPath, items, 0, 0), access,
                                errorText, services),
              0);
    EXPECT_EQ(user.shown, std::vector<std::string>{"COleDispatchException: COleDispatchException. SCODE: 000003ec, "
                                                   "Description: \"Cannot open '" + m_strPath + "'\"."});
    EXPECT_EQ(m_server.InvokesOf(kSave).size(), 0u);
}

// ---- starting and ending Excel ------------------------------------------

// The first two need a machine without Excel, such as Wine: with Excel
// registered they would start it.
TEST(StartApplication, WithoutTheRegistryKeyTellsTheUserAndFails)
{
    if (ExcelIsRegistered())
        GTEST_SKIP() << "Excel is registered on this machine";
    int nCreated = 0;
    ExcelLauncher launcher({ExcelIsRegistered, [&nCreated]() -> IDispatch * {
                                ++nCreated;
                                return nullptr;
                            }});
    DispatchHolder<Application> application;
    RecordingMessages messages;
    EXPECT_FALSE(launcher.StartApplication(application, messages));
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Gombrel: Excel is not installed on this machine."});
    EXPECT_EQ(nCreated, 0);
    EXPECT_TRUE(application.IsEmpty());
}

TEST(StartApplication, RegisteredButNotCreatableFailsWithoutAMessage)
{
    if (ExcelIsRegistered())
        GTEST_SKIP() << "Excel is registered on this machine";
    ExcelLauncher launcher({[] { return true; }, CreateExcelApplication});
    DispatchHolder<Application> application;
    RecordingMessages messages;
    EXPECT_FALSE(launcher.StartApplication(application, messages));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(application.IsEmpty());
}

TEST(StartApplication, AttachesTheCreatedObjectWhichEndApplicationQuitsAndReleases)
{
    auto spreadsheet = std::make_shared<MemorySpreadsheet>();
    FakeExcelServer server(spreadsheet);
    ExcelLauncher launcher({[] { return true; }, [&server] { return server.NewApplication(); }});
    DispatchHolder<Application> application;
    RecordingMessages messages;
    ASSERT_TRUE(launcher.StartApplication(application, messages));
    EXPECT_EQ(server.LiveObjects(), 1);
    EndApplication(application);
    EXPECT_TRUE(application.IsEmpty());
    EXPECT_TRUE(spreadsheet->HasQuit());
    EXPECT_EQ(Sequence(server.Invokes()), std::to_string(kHwnd) + " - " + std::to_string(kQuit) + " ");
    EXPECT_EQ(server.LiveObjects(), 0);
    EXPECT_TRUE(messages.shown.empty());
}

// ---- a whole run over the sample --------------------------------------

// The sample's stores and four empty workbooks in one results folder, the
// stores written once for the suite; a results run with confirmation
// through the in-memory application directly, or through Excel's wrappers
// over the fake server.
class ExcelRun : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_sample = std::make_unique<ScratchFolder>("ExcelRun");
        std::string failure;
        ASSERT_TRUE(WriteSampleResults(s_sample->Path(), failure)) << failure;
        s_library = BindResultLibrary(Doe2Folder(), failure);
        ASSERT_TRUE(s_library) << failure;
    }
    static void TearDownTestSuite()
    {
        s_library.reset();
        s_sample.reset();
    }

    static std::string Doe2Folder() { return *s_sample / "no-doe2-files"; }
    static std::string WorkbookPath(const MappingTable &table) { return *s_sample / (table.pszWorkbookFile + 1); }

    static std::vector<MemoryBook> Workbooks()
    {
        std::vector<MemoryBook> books;
        for (const MappingTable &table : g_aMappingTables) {
            books.emplace_back();
            std::string failure;
            EXPECT_TRUE(LoadMemoryBook(WorkbookPath(table), books.back(), failure)) << failure;
        }
        return books;
    }

    static int32_t Run(SpreadsheetLauncher &launcher, ScriptedUser &user, std::string &errorText)
    {
        for (const MappingTable &table : g_aMappingTables)
            WriteWholeFile(WorkbookPath(table), WorkbookFor(table.pItems()));
        RunServices services{{user},
                             launcher,
                             [](const std::string &, std::string &) { return s_library.get(); },
                             NoPause};
        return ProcessResults(errorText, Doe2Folder(), s_sample->Path(), 1, services);
    }

    static std::unique_ptr<ScratchFolder> s_sample;
    static std::unique_ptr<ResultLibrary> s_library;
};

std::unique_ptr<ScratchFolder> ExcelRun::s_sample;
std::unique_ptr<ResultLibrary> ExcelRun::s_library;

TEST_F(ExcelRun, SampleThroughTheFakePostsWhatTheInMemoryRunPosts)
{
    ScriptedUser memoryUser;
    std::string memoryErrors;
    MemoryLauncher memoryLauncher(std::make_shared<MemorySpreadsheet>());
    const int32_t iMemoryTotal = Run(memoryLauncher, memoryUser, memoryErrors);
    const std::vector<MemoryBook> memoryWorkbooks = Workbooks();

    auto spreadsheet = std::make_shared<MemorySpreadsheet>();
    FakeExcelServer server(spreadsheet);
    ExcelLauncher excelLauncher({[] { return true; }, [&server] { return server.NewApplication(); }});
    ScriptedUser excelUser;
    std::string excelErrors;
    const int32_t iExcelTotal = Run(excelLauncher, excelUser, excelErrors);

    EXPECT_GT(iMemoryTotal, 2000);
    EXPECT_EQ(memoryErrors, "");
    EXPECT_TRUE(memoryUser.shown.empty());
    EXPECT_EQ(iExcelTotal, iMemoryTotal);
    EXPECT_EQ(excelErrors, memoryErrors);
    EXPECT_EQ(excelUser.shown, memoryUser.shown);
    const std::vector<MemoryBook> excelWorkbooks = Workbooks();
    int nDates = 0;
    for (size_t book = 0; book < excelWorkbooks.size(); ++book)
        EXPECT_EQ(CellsDiffering(memoryWorkbooks[book], excelWorkbooks[book], nDates), "") << book;
    EXPECT_GT(nDates, 0);
    EXPECT_GT(spreadsheet->CellsRead(), 2000);
    EXPECT_EQ(server.LiveObjects(), 0);
    EXPECT_TRUE(spreadsheet->HasQuit());
}

TEST_F(ExcelRun, EveryCallKeepsExcelsArgumentConventions)
{
    auto spreadsheet = std::make_shared<MemorySpreadsheet>();
    FakeExcelServer server(spreadsheet);
    ExcelLauncher launcher({[] { return true; }, [&server] { return server.NewApplication(); }});
    ScriptedUser user;
    std::string errors;
    ASSERT_GT(Run(launcher, user, errors), 0);
    size_t nCells = 0, nBlocks = 0;
    for (const RecordedInvoke &invoke : server.Invokes()) {
        if (invoke.dispid == kOpen) {
            EXPECT_EQ(invoke.arguments.size(), 15u);
        } else if (invoke.dispid == kRange) {
            ASSERT_EQ(invoke.arguments.size(), 2u);
            CellAddress first, last;
            ASSERT_TRUE(ParseCellAddress(invoke.arguments[0].strText, first));
            ASSERT_TRUE(ParseCellAddress(invoke.arguments[1].strText, last));
            EXPECT_TRUE(first.iColumn <= last.iColumn && first.iRow <= last.iRow)
                << invoke.arguments[0].strText << ":" << invoke.arguments[1].strText;
        } else if (invoke.dispid == kValue2 && invoke.wKind == DISPATCH_PROPERTYPUT) {
            const VARTYPE vt = invoke.arguments.at(0).vt;
            nCells += vt == VT_R8 || vt == VT_BSTR;
            nBlocks += vt == (VT_ARRAY | VT_VARIANT);
        }
    }
    EXPECT_EQ(server.InvokesOf(kOpen).size(), 4u);
    // Neighbouring cells go as blocks (the fake takes numbers and texts
    // only in them); a cell without neighbours goes alone.
    EXPECT_EQ(nCells, static_cast<size_t>(spreadsheet->Calls(SpreadsheetCall::PutValue2)));
    EXPECT_EQ(nBlocks, static_cast<size_t>(spreadsheet->Calls(SpreadsheetCall::PutValues)));
    EXPECT_GT(nBlocks, 40u);
    EXPECT_GT(spreadsheet->CellsWritten(), 2000);
    EXPECT_EQ(server.InvokesOf(kQuit).size(), 1u);
}

}  // namespace
