#include "app/AppForms.h"

#include "app/About.h"
#include "app/W2kMain.h"
#include "app/f_splashscreen.h"
#include "app/u_welcome.h"
#include "app/u_wertedisplay.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QPointer>
#include <QTimer>

TAppForms::TAppForms() : OnMainFormClosed([] { QCoreApplication::quit(); })
{
    // The first window created is the main window; it is visible from the start.
    // Every window of the program carries the Orvex icon.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/icon.png")));
    FMainForm = std::make_unique<TWin2kAppForm>();
    FMainForm->installEventFilter(this);
    FMainForm->show();

    FAboutBox = std::make_unique<TAboutBox>();
    // The values window and the introduction belong to the main window (transient for it): a
    // window manager that offers to minimise them minimises the program with them and brings
    // them back with it, instead of losing a dialog on its own.
    FWerte = std::make_unique<TfrmWerte>(FMainForm.get());
    FSplash = std::make_unique<TSplashScreen>();

    // The introduction is shown right after its creation, non-modal and on top.
    FWelcome = std::make_unique<TfrmWelcome>(FMainForm.get(), FMainForm.get());
    FWelcome->show();
    FWelcome->raise();
    FWelcome->activateWindow();
}

TAppForms::~TAppForms()
{
    if (FMainForm) {
        FMainForm->removeEventFilter(this);
    }
    // The other windows go before the main window, the reverse of their creation.
    FWelcome.reset();
    FSplash.reset();
    FWerte.reset();
    FAboutBox.reset();
    FMainForm.reset();
}

bool TAppForms::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FMainForm.get() && event->type() == QEvent::Close) {
        // Decide once the close has been handled: only a window that really closed ends the
        // program.
        QPointer<QWidget> mainForm = FMainForm.get();
        QTimer::singleShot(0, this, [this, mainForm] {
            if (mainForm && !mainForm->isVisible() && OnMainFormClosed) {
                OnMainFormClosed();
            }
        });
    }
    return QObject::eventFilter(watched, event);
}
