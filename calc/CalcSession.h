// One private Calc process and the UNO connection to it.  Every call into
// Calc goes through Call(): it is bounded by the watchdog (a Calc that does
// not answer in time is killed) and Calc's exceptions come out as the
// automation failures: a lost connection as OleFailure(kStatusDisconnected),
// an error inside the call as DispatchFailure with Calc's message.
#pragma once

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/Reference.hxx>

#include "CalcDeferredValues.h"
#include "CalcWorkbooks.h"
#include "CallWatchdog.h"
#include "SessionCleanup.h"

namespace css = com::sun::star;

// UTF-8 text from and to UNO strings.
std::string FromUno(const rtl::OUString &strText);
rtl::OUString ToUno(const std::string &strText);

// The arguments of a UNO call that takes named values.
css::uno::Sequence<css::beans::PropertyValue> NamedArguments(std::initializer_list<std::pair<const char *, css::uno::Any>> values);

// strPath (made absolute) as a file URL for Calc; throws a dispatch failure
// for a path that makes no URL.
rtl::OUString FileUrl(const std::string &strPath);

class CalcSession {
public:
    // Starts Calc and connects to it; null with strFailure set when that
    // does not succeed (nothing is left running then).
    static std::shared_ptr<CalcSession> Start(const CalcOptions &options, std::string &strFailure);
    ~CalcSession();
    CalcSession(const CalcSession &) = delete;
    CalcSession &operator=(const CalcSession &) = delete;

    // Runs call() against Calc within the call limit.  strWhat describes the
    // call for an error that Calc raises without a message.
    template <class F>
    auto Call(const std::string &strWhat, F &&call) -> decltype(call())
    {
        ThrowIfGone();
        WatchedCall watch(m_watchdog, m_options.callLimit);
        try {
            return call();
        } catch (const css::lang::DisposedException &) {
            ThrowLost();
        } catch (const css::uno::Exception &failure) {
            ThrowTranslated(failure, strWhat, watch.Finish());
        }
    }

    // Throws the disconnect failure once the session has ended or Calc has gone.
    void ThrowIfGone() const;
    // ThrowIfGone, and also when Calc's process has ended since the last
    // call: for operations that would otherwise not talk to Calc at all.
    void ThrowIfProcessGone();

    // Counts changes to the contents of any open document; what was read
    // from Calc at one count may be out of date at the next.  A change is
    // noted before it is made, so that a change that fails half-way counts.
    uint64_t ContentVersion() const { return m_uContentVersion; }
    void NoteContentChange() { ++m_uContentVersion; }

    // The numbers written and not yet made in Calc.
    DeferredValues &Deferred() { return m_deferred; }

    const css::uno::Reference<css::frame::XDesktop2> &Desktop() const { return m_desktop; }
    const std::string &ProgramFolder() const { return m_options.strProgramFolder; }
    CalcSessionInfo Info() const;

    // The document already open for this path, or an empty reference.
    css::uno::Reference<css::lang::XComponent> OpenDocument(const std::string &strPath) const;
    void RememberDocument(const std::string &strPath, const css::uno::Reference<css::lang::XComponent> &document);

    // Closes every document the session opened without saving and forgets
    // them; numbers kept back for them go too.  Calc stays for the next
    // documents.  Throws the first failure after trying every document.
    void CloseWorkbooks();

    // Makes the numbers kept back, closes every document, ends Calc and
    // removes the session's files.
    // Throws the disconnect failure when Calc had already gone (the files
    // are removed all the same).
    void Quit();

private:
    explicit CalcSession(const CalcOptions &options);

    enum class ConnectOutcome { Connected, Restart, Failed };

    bool Launch(std::string &strFailure);
    ConnectOutcome Connect(std::string &strFailure);
    [[noreturn]] void ThrowLost();
    [[noreturn]] void ThrowTranslated(const css::uno::Exception &failure, const std::string &strWhat, bool bTimedOut);
    void CloseDocuments();
    void CloseDocument(const css::uno::Reference<css::lang::XComponent> &document);
    void EndProcess();
    void RemoveFiles();

    CalcOptions m_options;
    std::string m_strFolder;
    std::atomic<int> m_iProcessId{-1};
    bool m_bGone = false;
    uint64_t m_uContentVersion = 0;
    DeferredValues m_deferred{
        [this](const std::string &strWhat, const std::function<void()> &call) { Call(strWhat, call); }};
    std::vector<std::string> m_socketPaths;
    std::vector<std::pair<std::string, css::uno::Reference<css::lang::XComponent>>> m_documents;
    css::uno::Reference<css::frame::XDesktop2> m_desktop;
    CallWatchdog m_watchdog;
    SessionCleanup m_cleanup;
};
