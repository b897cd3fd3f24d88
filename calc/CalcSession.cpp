#include "CalcSession.h"

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <osl/file.hxx>
#include <rtl/bootstrap.hxx>

#include <exception>
#include <filesystem>
#include <mutex>
#include <thread>
#include <utility>

#include "CalcProfile.h"
#include "ChildProcess.h"

using css::uno::Reference;
using css::uno::UNO_QUERY;

namespace {

using namespace std::chrono_literals;

// A fresh profile makes Calc's first process set it up and exit with this
// code, asking to be started again.
constexpr int kExitRestart = 81;
constexpr int kMaxLaunches = 3;
constexpr auto kEndLimit = 10s;

// The local UNO environment, set up once per process: without
// URE_BOOTSTRAP pointing at Calc's fundamentalrc, the first remote call
// crashes inside the bridge instead of failing.
Reference<css::uno::XComponentContext> LocalContext(const std::string &strProgramFolder, std::string &strFailure)
{
    // Never released: UNO must not be torn down by static destruction.
    static std::mutex guard;
    static auto *context = new Reference<css::uno::XComponentContext>;
    std::lock_guard<std::mutex> lock(guard);
    if (context->is())
        return *context;
    try {
        rtl::Bootstrap::set("URE_BOOTSTRAP", ToUno("vnd.sun.star.pathname:" + strProgramFolder + "/fundamentalrc"));
        *context = cppu::defaultBootstrap_InitialComponentContext();
    } catch (const css::uno::Exception &failure) {
        strFailure = "cannot set up UNO: " + FromUno(failure.Message);
    }
    return *context;
}

std::string PipeName(const std::string &strFolder) { return std::filesystem::path(strFolder).filename().string(); }

// The UNO address of the session's pipe.
std::string ConnectionUrl(const std::string &strFolder)
{
    return "uno:pipe,name=" + PipeName(strFolder) + ";urp;StarOffice.ComponentContext";
}

// soffice.bin itself (the soffice wrapper would hide Calc's process id),
// headless, on the session's profile and pipe, with its temporary files and
// output kept in the session folder.
ChildProcessLaunch CalcProcessLaunch(const CalcOptions &options, const std::string &strFolder)
{
    ChildProcessLaunch launch;
    launch.strProgram = options.strProgramFolder + "/soffice.bin";
    launch.arguments = {"-env:UserInstallation=" + ProfileUrl(strFolder),
                        "--headless",
                        "--invisible",
                        "--nocrashreport",
                        "--nodefault",
                        "--nologo",
                        "--norestore",
                        "--accept=pipe,name=" + PipeName(strFolder) + ";urp;StarOffice.ComponentContext"};
    launch.environment = {"TMPDIR=" + SessionTempFolder(strFolder), "SAL_USE_VCLPLUGIN=svp"};
    launch.strOutputFile = strFolder + "/calc.log";
    return launch;
}

}  // namespace

std::string FromUno(const rtl::OUString &strText)
{
    return rtl::OUStringToOString(strText, RTL_TEXTENCODING_UTF8).getStr();
}

rtl::OUString ToUno(const std::string &strText)
{
    return rtl::OStringToOUString(rtl::OString(strText.data(), static_cast<sal_Int32>(strText.size())),
                                  RTL_TEXTENCODING_UTF8);
}

css::uno::Sequence<css::beans::PropertyValue> NamedArguments(std::initializer_list<std::pair<const char *, css::uno::Any>> values)
{
    css::uno::Sequence<css::beans::PropertyValue> arguments(static_cast<sal_Int32>(values.size()));
    css::beans::PropertyValue *argument = arguments.getArray();
    for (const auto &[pszName, value] : values) {
        argument->Name = rtl::OUString::createFromAscii(pszName);
        argument->Value = value;
        ++argument;
    }
    return arguments;
}

rtl::OUString FileUrl(const std::string &strPath)
{
    rtl::OUString url;
    const std::string absolute = std::filesystem::absolute(strPath).lexically_normal().string();
    if (osl::FileBase::getFileURLFromSystemPath(ToUno(absolute), url) != osl::FileBase::E_None)
        throw DispatchFailure(kApplicationErrorCode, "'" + strPath + "' is no file name");
    return url;
}

CalcSession::CalcSession(const CalcOptions &options)
    : m_options(options), m_watchdog([this] { KillChild(m_iProcessId); })
{
}

CalcSession::~CalcSession()
{
    if (!m_strFolder.empty())
        try {
            Quit();
        } catch (const AutomationFailure &) {
            // Calc had gone already; its files are removed all the same.
        }
}

std::shared_ptr<CalcSession> CalcSession::Start(const CalcOptions &options, std::string &strFailure)
{
    // Calc dying while a call is written to its pipe must fail the call,
    // not end this program.
    IgnoreBrokenPipeSignal();
    std::shared_ptr<CalcSession> session(new CalcSession(options));
    const std::string parent = SessionParentFolder(options.strTempFolder);
    SweepStaleSessions(parent);
    if (!MakeSessionFolder(parent, session->m_strFolder, strFailure))
        return nullptr;
    session->m_cleanup.Start(session->m_strFolder);
    if (!session->Launch(strFailure))
        return nullptr;  // the destructor removes what was made
    return session;
}

// Starts soffice.bin until it accepts the connection, restarting it while
// it asks for a restart (first start on a fresh profile).
bool CalcSession::Launch(std::string &strFailure)
{
    for (int launch = 0; launch < kMaxLaunches; ++launch) {
        m_iProcessId = StartTiedChild(CalcProcessLaunch(m_options, m_strFolder), strFailure);
        if (m_iProcessId < 0)
            return false;
        m_cleanup.NoteCalc(m_iProcessId);
        const ConnectOutcome outcome = Connect(strFailure);
        if (outcome != ConnectOutcome::Restart)
            return outcome == ConnectOutcome::Connected;
    }
    strFailure = "LibreOffice kept asking to be restarted";
    return false;
}

// Resolves the session's pipe until Calc answers, Calc exits or the start
// limit passes; on success the desktop is ready and Calc's sockets noted.
// A Calc that did not connect is ended (it has exited when it asks for a
// restart).
CalcSession::ConnectOutcome CalcSession::Connect(std::string &strFailure)
{
    const Reference<css::uno::XComponentContext> local = LocalContext(m_options.strProgramFolder, strFailure);
    if (!local.is()) {
        EndProcess();
        return ConnectOutcome::Failed;
    }
    const auto deadline = std::chrono::steady_clock::now() + m_options.startLimit;
    WatchedCall watch(m_watchdog, m_options.startLimit + 5s);
    int exitCode = 0;
    while (!WaitForChild(m_iProcessId, 0ms, exitCode)) {
        try {
            const Reference<css::bridge::XUnoUrlResolver> resolver = css::bridge::UnoUrlResolver::create(local);
            const Reference<css::uno::XComponentContext> remote(resolver->resolve(ToUno(ConnectionUrl(m_strFolder))), UNO_QUERY);
            m_desktop = css::frame::Desktop::create(remote);
            m_socketPaths = LocalSocketPaths(m_iProcessId);
            RecordSessionSockets(m_strFolder, m_socketPaths);
            return ConnectOutcome::Connected;
        } catch (const css::connection::NoConnectException &) {
            if (std::chrono::steady_clock::now() >= deadline) {
                strFailure = "LibreOffice did not accept the connection in time";
                EndProcess();
                return ConnectOutcome::Failed;
            }
            std::this_thread::sleep_for(50ms);
        } catch (const css::uno::Exception &failure) {
            strFailure = "cannot connect to LibreOffice: " + FromUno(failure.Message);
            EndProcess();
            return ConnectOutcome::Failed;
        }
    }
    m_iProcessId = -1;
    if (exitCode == kExitRestart)
        return ConnectOutcome::Restart;
    strFailure = "LibreOffice ended with exit code " + std::to_string(exitCode);
    return ConnectOutcome::Failed;
}

void CalcSession::ThrowIfGone() const
{
    if (m_bGone)
        throw OleFailure(kStatusDisconnected);
}

void CalcSession::ThrowIfProcessGone()
{
    ThrowIfGone();
    int exitCode = 0;
    if (m_iProcessId > 0 && WaitForChild(m_iProcessId, 0ms, exitCode))
        ThrowLost();
}

// Marks the session as gone and fails the call as disconnected.
void CalcSession::ThrowLost()
{
    m_bGone = true;
    throw OleFailure(kStatusDisconnected);
}

// A Calc exception as the automation failure: the disconnect failure when
// the call timed out or Calc has died, else a dispatch failure with Calc's
// message (or strWhat when Calc gave none).
void CalcSession::ThrowTranslated(const css::uno::Exception &failure, const std::string &strWhat, bool bTimedOut)
{
    int exitCode = 0;
    if (bTimedOut || WaitForChild(m_iProcessId, 0ms, exitCode))
        ThrowLost();
    const std::string message = FromUno(failure.Message);
    throw DispatchFailure(kApplicationErrorCode, message.empty() ? strWhat : strWhat + ": " + message);
}

CalcSessionInfo CalcSession::Info() const { return {m_iProcessId, m_strFolder, m_socketPaths}; }

Reference<css::lang::XComponent> CalcSession::OpenDocument(const std::string &strPath) const
{
    for (const auto &[path, document] : m_documents)
        if (path == strPath)
            return document;
    return {};
}

void CalcSession::RememberDocument(const std::string &strPath, const Reference<css::lang::XComponent> &document)
{
    m_documents.emplace_back(strPath, document);
    RecordSessionDocument(m_strFolder, strPath);
}

void CalcSession::Quit()
{
    const bool wasGone = m_bGone;
    if (!m_bGone && m_desktop.is()) {
        try {
            m_deferred.Flush();
        } catch (const AutomationFailure &) {
            // The documents are closed unsaved all the same.
        }
        CloseDocuments();
        try {
            Call("Terminate", [this] { return m_desktop->terminate(); });
        } catch (const AutomationFailure &) {
            // Ended by force below.
        }
    }
    m_bGone = true;
    EndProcess();
    RemoveFiles();
    if (wasGone)
        throw OleFailure(kStatusDisconnected);
}

void CalcSession::CloseWorkbooks()
{
    ThrowIfGone();
    NoteContentChange();
    m_deferred.Discard();
    const auto documents = std::exchange(m_documents, {});
    std::exception_ptr firstFailure;
    for (const auto &entry : documents)
        try {
            CloseDocument(entry.second);
        } catch (const AutomationFailure &) {
            if (!firstFailure)
                firstFailure = std::current_exception();
        }
    if (firstFailure)
        std::rethrow_exception(firstFailure);
}

// Closes every document the session opened, discarding unsaved changes.
void CalcSession::CloseDocuments()
{
    for (const auto &entry : m_documents)
        try {
            CloseDocument(entry.second);
        } catch (const AutomationFailure &) {
            // A document that does not close goes with its process.
        }
}

// Asking a document for its closing interface is a call to Calc too, so it
// is made within the call: a Calc that died unnoticed fails it like any
// other call.
void CalcSession::CloseDocument(const Reference<css::lang::XComponent> &document)
{
    Call("Close", [&document] {
        const Reference<css::util::XCloseable> closeable(document, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
    });
}

// Waits for Calc to end after terminate, kills it when it does not, and
// reaps it either way.
void CalcSession::EndProcess()
{
    if (m_iProcessId < 0)
        return;
    int exitCode = 0;
    if (!WaitForChild(m_iProcessId, kEndLimit, exitCode)) {
        KillChild(m_iProcessId);
        WaitForChild(m_iProcessId, kEndLimit, exitCode);
    }
    m_iProcessId = -1;
}

// Removes what the session leaves: lock files on its workbooks (when Calc
// died holding them), its sockets and its folder; its clean-up helper then
// has nothing left to do.
void CalcSession::RemoveFiles()
{
    m_documents.clear();
    m_desktop.clear();
    RemoveSession(m_strFolder);
    m_cleanup.Stop();
    m_strFolder.clear();
}
