#include "RunThread.h"

#include <exception>
#include <optional>
#include <thread>

namespace {

bool IsInput(UINT uMessage)
{
    return (uMessage >= WM_KEYFIRST && uMessage <= WM_KEYLAST) ||
           (uMessage >= WM_MOUSEFIRST && uMessage <= WM_MOUSELAST) ||
           (uMessage >= WM_NCMOUSEMOVE && uMessage <= WM_NCMBUTTONDBLCLK);
}

// One box the run asks for.
struct BoxRequest {
    UserMessages *pShown;
    bool bAskRetry;
    const std::string *pCaption;
    const std::string *pText;
};

}  // namespace

int RunWhileDispatching(const std::function<int()> &job)
{
    HANDLE hDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (hDone == nullptr)
        return job();  // no event to wait on: the run holds this thread, as it always did
    int iResult = 0;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            iResult = job();
        } catch (...) {
            failure = std::current_exception();
        }
        SetEvent(hDone);
    });
    std::optional<WPARAM> quit;
    while (MsgWaitForMultipleObjects(1, &hDone, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                quit = msg.wParam;
            else if (!IsInput(msg.message))
                DispatchMessageW(&msg);
        }
    }
    worker.join();
    CloseHandle(hDone);
    if (quit)
        PostQuitMessage(static_cast<int>(*quit));
    if (failure)
        std::rethrow_exception(failure);
    return iResult;
}

UINT RunThreadMessages::RequestMessage()
{
    static const UINT uMessage = RegisterWindowMessageW(L"Gombrel.RunThreadMessages.Request");
    return uMessage;
}

LRESULT RunThreadMessages::AnswerRequest(LPARAM lParam)
{
    const auto *pRequest = reinterpret_cast<const BoxRequest *>(lParam);
    if (pRequest->bAskRetry)
        return pRequest->pShown->AskRetry(*pRequest->pCaption, *pRequest->pText) ? 1 : 0;
    pRequest->pShown->ShowMessage(*pRequest->pCaption, *pRequest->pText);
    return 0;
}

bool RunThreadMessages::Request(bool bAskRetry, const std::string &strCaption, const std::string &strText)
{
    BoxRequest request{&m_shown, bAskRetry, &strCaption, &strText};
    // Sent, so that the run waits for the answer as it waited for the box.
    return SendMessageW(m_hWindow, RequestMessage(), 0, reinterpret_cast<LPARAM>(&request)) != 0;
}

void RunThreadMessages::ShowMessage(const std::string &strCaption, const std::string &strText)
{
    Request(false, strCaption, strText);
}

bool RunThreadMessages::AskRetry(const std::string &strCaption, const std::string &strText)
{
    return Request(true, strCaption, strText);
}
