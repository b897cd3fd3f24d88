#include "InputBlocker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace {

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

} // namespace

InputBlocker::InputBlocker(QWidget &window)
    : m_window(window)
{
    QCoreApplication::instance()->installEventFilter(this);
}

InputBlocker::~InputBlocker()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

void InputBlocker::DropWaitingInput()
{
    QCoreApplication::processEvents();
}

bool InputBlocker::eventFilter(QObject *pWatched, QEvent *pEvent)
{
    if (!pWatched->isWidgetType() || !IsUserInput(pEvent->type()))
        return false;
    return static_cast<QWidget *>(pWatched)->window() == &m_window;
}
