// Keeps a window deaf while a long job runs on the user-interface thread:
// clicks, keys and wheel turns aimed at it are dropped, not queued for later
// (a late click could start the job again, a late Enter could dismiss the
// job's final message unread).  Other windows, such as the message boxes the
// job shows, still get theirs.
#pragma once

#include <QObject>

class QWidget;

class InputBlocker : public QObject {
public:
    explicit InputBlocker(QWidget &window);
    ~InputBlocker() override;

    // Delivers, and so drops, the input that is still waiting for the window.
    void DropWaitingInput();

protected:
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override;

private:
    QWidget &m_window;
};
