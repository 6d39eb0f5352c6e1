#pragma once
// Switches Qt's accessibility on inside a test process. Events reach an installed update handler
// only while the platform's accessibility is active, which on a desktop the screen reader's
// bridge turns on; the headless platform has no bridge, so the test does it as Qt's own
// accessibility tests do.
#include <QAccessible>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

// Installs handler and makes QAccessible::isActive() true; false when the platform offers no
// accessibility at all.
inline bool SwitchAccessibilityOn(QAccessible::UpdateHandler handler)
{
    QAccessible::installUpdateHandler(handler);
    QPlatformIntegration* integration = QGuiApplicationPrivate::platformIntegration();
    if (integration == nullptr || integration->accessibility() == nullptr)
        return false;
    integration->accessibility()->setActive(true);
    return QAccessible::isActive();
}
