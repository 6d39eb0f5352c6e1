#pragma once
// Drives the main window as a user does: every click, move and key goes to a window's platform
// handle at the matching position and reaches its widgets through the window's own mouse and
// focus routing.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QtTest/QTest>

#include <functional>
#include <memory>

namespace MainWindowDriver {

// Runs the event loop until done() holds or timeoutMs passed; returns done() at the end. The
// timeout only bounds a failing wait, so it is generous for a loaded machine. (The QTRY_ macros
// report to the Qt test log, which a GoogleTest run never reads.)
template <typename Predicate> bool WaitUntil(Predicate done, int timeoutMs = 10000)
{
    return QTest::qWaitFor(done, timeoutMs);
}

inline QWindow* WindowOf(QWidget* widget)
{
    return widget->window()->windowHandle();
}

inline QPoint InWindow(QWidget* widget, QPoint p)
{
    return widget->mapTo(widget->window(), p);
}

inline void Click(QWidget* widget, QPoint p, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(WindowOf(widget), button, Qt::NoModifier, InWindow(widget, p));
}

inline void Press(QWidget* widget, QPoint p)
{
    QTest::mousePress(WindowOf(widget), Qt::LeftButton, Qt::NoModifier, InWindow(widget, p));
}

inline void Release(QWidget* widget, QPoint p)
{
    QTest::mouseRelease(WindowOf(widget), Qt::LeftButton, Qt::NoModifier, InWindow(widget, p));
}

inline void Move(QWidget* widget, QPoint p)
{
    QTest::mouseMove(WindowOf(widget), InWindow(widget, p));
}

// A key press and release: it reaches whichever widget of the window has the focus.
inline void Key(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(window->windowHandle(), key, modifiers);
}

// Shows window and waits until it is on screen and active; false when either does not happen.
inline bool ShowActive(QWidget* window)
{
    window->show();
    return QTest::qWaitForWindowExposed(window) && QTest::qWaitForWindowActive(window);
}

// Runs action once modal is the active modal window, on screen and active, however long that
// takes the machine (polled, not timed). A window that never gets there is closed after 20 s so
// that the test goes on and reports it.
inline void WhenModal(QWidget* modal, std::function<void()> action)
{
    auto* poll = new QTimer(modal);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(poll, &QTimer::timeout, modal, [=] {
        if (QApplication::activeModalWidget() == modal && modal->windowHandle() != nullptr &&
            modal->windowHandle()->isExposed() && modal->isActiveWindow()) {
            poll->stop();
            poll->deleteLater();
            action();
        } else if (clock->elapsed() > 20000 && modal->isVisible()) {
            poll->stop();
            poll->deleteLater();
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            } else {
                modal->close();
            }
        }
    });
    poll->start(20);
}

// Opens menu from the menu bar with a click on its title; true when the popup is shown.
inline bool OpenMenu(QMenuBar* bar, QMenu* menu)
{
    Click(bar, bar->actionGeometry(menu->menuAction()).center());
    return QTest::qWaitForWindowExposed(menu);
}

// Opens menu and clicks its item action.
inline bool ChooseMenuItem(QMenuBar* bar, QMenu* menu, QAction* action)
{
    if (!OpenMenu(bar, menu)) {
        return false;
    }
    QTest::mouseClick(menu->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      menu->actionGeometry(action).center());
    return true;
}

} // namespace MainWindowDriver
