#include "platform/WindowFrame.h"

#include "platform/Colors.h"
#include "platform/Graphics.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

std::optional<bool> TFramedDialog::OwnFrame;

namespace {

constexpr int CaptionGap = 1; // a line of button face between the caption and the client

bool OwnFrameHere()
{
    return TFramedDialog::OwnFrame.value_or(DialogDrawsOwnFrame(QGuiApplication::platformName()));
}

// Draws a raised edge of two lines around rect (light outside top-left, dark outside
// bottom-right), as the program's raised panels have it.
void DrawRaisedEdge(QPainter& painter, QRect rect)
{
    const struct
    {
        TColor TopLeft;
        TColor BottomRight;
    } lines[] = {{cl3DLight, cl3DDkShadow}, {clBtnHighlight, clBtnShadow}};
    for (const auto& line : lines) {
        painter.fillRect(rect.left(), rect.top(), rect.width() - 1, 1, ColorToQColor(line.TopLeft));
        painter.fillRect(rect.left(), rect.top(), 1, rect.height() - 1,
                         ColorToQColor(line.TopLeft));
        painter.fillRect(rect.left(), rect.bottom(), rect.width(), 1,
                         ColorToQColor(line.BottomRight));
        painter.fillRect(rect.right(), rect.top(), 1, rect.height(),
                         ColorToQColor(line.BottomRight));
        rect.adjust(1, 1, -1, -1);
    }
}

// Writes the frame lines of ReportWindowFramesTo.
class TFrameReporter : public QObject
{
public:
    TFrameReporter(const QString& path, QObject* parent) : QObject(parent), FFile(path) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose) {
            if (auto* window = qobject_cast<QWindow*>(watched);
                window != nullptr && window->isTopLevel() && window->isExposed()) {
                Report(window);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Report(const QWindow* window)
    {
        QString caption = QStringLiteral("none");
        for (const QWidget* widget : QApplication::topLevelWidgets()) {
            const auto* dialog = dynamic_cast<const TFramedDialog*>(widget);
            if (widget->windowHandle() == window && dialog != nullptr &&
                dialog->Caption() != nullptr && dialog->Caption()->isVisible()) {
                caption = ColorToQColor(clActiveCaption).name();
            }
        }
        const QMargins margins = window->frameMargins();
        const QString line = QStringLiteral("%1\t%2\tqt-frame=%3,%4,%5,%6\tcaption=%7\n")
                                 .arg(window->title(), window->flags() & Qt::FramelessWindowHint
                                                           ? QStringLiteral("frameless")
                                                           : QStringLiteral("framed"))
                                 .arg(margins.left())
                                 .arg(margins.top())
                                 .arg(margins.right())
                                 .arg(margins.bottom())
                                 .arg(caption);
        if (FFile.open(QIODevice::Append | QIODevice::Text)) {
            FFile.write(line.toUtf8());
            FFile.close();
        }
    }

    QFile FFile;
};

} // namespace

bool DialogDrawsOwnFrame(QStringView platformName)
{
    // "wayland", "wayland-egl", "wayland-xcomposite-glx", ...: Qt's client-side decoration
    // draws minimise, maximise and close on every decorated window.
    return platformName.startsWith(u"wayland");
}

Qt::WindowFlags DialogFrameFlags(bool stayOnTop, bool ownFrame)
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
    flags |= ownFrame ? Qt::FramelessWindowHint : Qt::WindowTitleHint;
    if (stayOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    return flags;
}

void ShowRestored(QWidget* window)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
}

TFramedDialog::TFramedDialog(QWidget* parent, bool stayOnTop)
    : QDialog(parent, DialogFrameFlags(stayOnTop, OwnFrameHere()))
{
    if (windowFlags() & Qt::FramelessWindowHint) {
        FCaption = new TDialogCaption(this);
        FClient = new QWidget(this);
    }
}

void TFramedDialog::SetClientSize(int width, int height)
{
    if (FCaption == nullptr) {
        setFixedSize(width, height);
        return;
    }
    const int clientTop = BorderWidth + CaptionHeight + CaptionGap;
    FCaption->setGeometry(BorderWidth, BorderWidth, width, CaptionHeight);
    FClient->setGeometry(BorderWidth, clientTop, width, height);
    setFixedSize(width + 2 * BorderWidth, clientTop + height + BorderWidth);
}

void TFramedDialog::changeEvent(QEvent* event)
{
    // The caption shows whether the window has the keyboard, and always the current title.
    if (FCaption != nullptr &&
        (event->type() == QEvent::ActivationChange || event->type() == QEvent::WindowTitleChange)) {
        FCaption->update();
    }
    QDialog::changeEvent(event);
}

void TFramedDialog::paintEvent(QPaintEvent* event)
{
    if (FCaption == nullptr) {
        QDialog::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), ColorToQColor(clBtnFace));
    DrawRaisedEdge(painter, rect());
}

TDialogCaption::TDialogCaption(QWidget* window) : QWidget(window)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TDialogCaption::paintEvent(QPaintEvent*)
{
    const bool active = window()->isActiveWindow();
    QPainter painter(this);
    painter.fillRect(rect(), ColorToQColor(active ? clActiveCaption : clInactiveCaption));
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(ColorToQColor(active ? clCaptionText : clInactiveCaptionText));
    const int margin = 4;
    const QRect text = rect().adjusted(margin, 0, -margin, 0);
    painter.drawText(
        text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        painter.fontMetrics().elidedText(window()->windowTitle(), Qt::ElideRight, text.width()));
}

void TDialogCaption::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    FDragOffset.reset();
    QWindow* handle = window()->windowHandle();
    if (handle != nullptr && handle->startSystemMove()) {
        return;
    }
    FDragOffset = event->globalPosition().toPoint() - window()->pos();
}

void TDialogCaption::mouseMoveEvent(QMouseEvent* event)
{
    if (FDragOffset && (event->buttons() & Qt::LeftButton)) {
        window()->move(event->globalPosition().toPoint() - *FDragOffset);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void TDialogCaption::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        FDragOffset.reset();
    }
    QWidget::mouseReleaseEvent(event);
}

void ReportWindowFramesTo(const QString& path)
{
    qApp->installEventFilter(new TFrameReporter(path, qApp));
}
