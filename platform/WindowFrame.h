#pragma once
// The frame of a dialog without system buttons, and bringing such a window back to the front
// when it is shown again.
//
// Where a window manager draws the frames (X11), the dialog asks it for a title bar and a
// border without window menu, minimise, maximise or close. Where the program draws them itself
// (Qt's client-side title bar on Wayland), that title bar carries all three buttons whatever
// the window's flags ask, so there the dialog is frameless to Qt and draws its own border and
// caption strip: the title, the raised border of the program's controls, and a drag on the
// caption moves the window; nothing in it minimises or closes.
#include <QDialog>

#include <QtCore/qnamespace.h>

#include <optional>

class QStringView;
class QWidget;

// Whether dialogs draw their own frame on the named Qt platform (the Wayland platforms).
bool DialogDrawsOwnFrame(QStringView platformName);

// Flags of a dialog with a border but no window menu, minimise, maximise or close button;
// stayOnTop keeps it above other windows. With ownFrame the window system draws no frame at
// all (the dialog draws it); otherwise it is asked for a title bar without those buttons.
Qt::WindowFlags DialogFrameFlags(bool stayOnTop, bool ownFrame);

// Shows window (without activating it when it carries Qt::WA_ShowWithoutActivating), brought
// back from minimised and raised above its siblings: a window manager may minimise a dialog
// that offers no button for it.
void ShowRestored(QWidget* window);

class TDialogCaption;

// A dialog without system buttons. Its components go on Client(), whose size SetClientSize
// fixes; with its own frame the window is larger by the border and the caption strip, and the
// client lies inside them.
class TFramedDialog : public QDialog
{
public:
    // The frame follows the running platform unless OwnFrame says otherwise.
    TFramedDialog(QWidget* parent, bool stayOnTop);

    // Where the components go: the dialog itself, or the area inside its own frame.
    QWidget* Client() const { return FClient; }
    // Fixes the client area's size (and with it the window's).
    void SetClientSize(int width, int height);
    // The caption strip this dialog draws, or nullptr where the window system draws the frame.
    TDialogCaption* Caption() const { return FCaption; }

    // Whether dialogs draw their own frame; unset, it follows the platform's name. Tests set it.
    static std::optional<bool> OwnFrame;

    // The width of the own frame's border and the height of its caption strip (logical pixels).
    static constexpr int BorderWidth = 3;
    static constexpr int CaptionHeight = 22;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* FClient = this;
    TDialogCaption* FCaption = nullptr;
};

// The caption strip of a dialog's own frame: the window's title in bold on the caption colour
// (active or inactive). A press with the left button moves the window: the window system takes
// the move over where it can (QWindow::startSystemMove), otherwise the window follows the
// mouse until the button is released.
class TDialogCaption : public QWidget
{
public:
    explicit TDialogCaption(QWidget* window);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The mouse's offset from the window's corner while the window follows it by hand.
    std::optional<QPoint> FDragOffset;
};

// Appends a line to the file at path each time a top-level window is exposed: its title, its
// flags' frame request, the margins of the frame Qt draws around it (0 where Qt draws none),
// and the colour of the active caption it draws itself ("none" without one). Lets a check of
// the running program see which window got which frame, and find an own caption on the
// screen, on a platform where nothing outside the program can tell.
void ReportWindowFramesTo(const QString& path);
