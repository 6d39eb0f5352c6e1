// The frames of the introduction and values windows on each kind of platform: asked of the
// window manager as a title bar without buttons, or (where Qt would draw its own title bar with
// minimise, maximise and close) frameless with a border and caption the dialog draws itself, the
// client area kept at its size and a drag on the caption moving the window.
#include "app/Startup.h"
#include "app/u_welcome.h"
#include "app/u_wertedisplay.h"
#include "platform/Graphics.h"

#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

class DialogFrameTest : public ::testing::TestWithParam<bool>
{
protected:
    static void SetUpTestSuite() { InitializeUnits(); }
    void SetUp() override
    {
        TFramedDialog::OwnFrame = GetParam();
        welcome = std::make_unique<TfrmWelcome>(&mainForm, &mainForm);
        welcome->Timer1->blockSignals(true);
        werte = std::make_unique<TfrmWerte>(&mainForm);
    }
    void TearDown() override
    {
        welcome.reset();
        werte.reset();
        TFramedDialog::OwnFrame.reset();
    }

    QMainWindow mainForm;
    std::unique_ptr<TfrmWelcome> welcome;
    std::unique_ptr<TfrmWerte> werte;
};

bool HasColor(const QImage& image, QRect area, TColor color)
{
    const QRgb wanted = ColorToQColor(color).rgb();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) == wanted) {
                return true;
            }
        }
    }
    return false;
}

TEST(DialogFramePlatform, OwnFrameOnlyWhereQtDrawsTheTitleBar)
{
    for (const char* name : {"wayland", "wayland-egl", "wayland-xcomposite-glx"}) {
        EXPECT_TRUE(DialogDrawsOwnFrame(QString::fromLatin1(name))) << name;
    }
    for (const char* name : {"xcb", "offscreen", "minimal", "windows", "cocoa", ""}) {
        EXPECT_FALSE(DialogDrawsOwnFrame(QString::fromLatin1(name))) << name;
    }
}

TEST_P(DialogFrameTest, NoSystemButtonsAndTheClientKeptOnEitherFrame)
{
    const bool own = GetParam();
    const struct
    {
        TFramedDialog* Dialog;
        QSize Client;
    } dialogs[] = {{welcome.get(), {812, 552}}, {werte.get(), {316, 188}}};
    for (const auto& [dialog, client] : dialogs) {
        SCOPED_TRACE(dialog->windowTitle().toStdString());
        const Qt::WindowFlags flags = dialog->windowFlags();
        EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
        EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
        EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
        EXPECT_FALSE(flags & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowMaximizeButtonHint | Qt::WindowSystemMenuHint));
        EXPECT_EQ(bool(flags & Qt::FramelessWindowHint), own);
        EXPECT_EQ(bool(flags & Qt::WindowTitleHint), !own);
        EXPECT_EQ(dialog->Caption() != nullptr, own);
        EXPECT_EQ(dialog->Client()->size(), client);
        if (!own) {
            EXPECT_EQ(dialog->Client(), dialog);
            continue;
        }
        // The border and caption strip around the client; the caption holds no button.
        const int border = TFramedDialog::BorderWidth;
        const int clientTop = border + TFramedDialog::CaptionHeight + 1;
        EXPECT_EQ(dialog->Caption()->geometry(),
                  QRect(border, border, client.width(), TFramedDialog::CaptionHeight));
        EXPECT_EQ(dialog->Client()->geometry(), QRect(QPoint(border, clientTop), client));
        EXPECT_EQ(dialog->size(), client + QSize(2 * border, clientTop + border));
        EXPECT_TRUE(dialog->Caption()->findChildren<QWidget*>().isEmpty());
    }
    // The components keep their places inside the client.
    welcome->Client()->layout()->activate();
    EXPECT_EQ(werte->Panel1->geometry(), QRect(0, 8, 97, 176));
    EXPECT_EQ(werte->GroupBox2->geometry(), QRect(204, 0, 110, 185));
    EXPECT_EQ(werte->pos(), QPoint(350, 125));
    EXPECT_EQ(welcome->Memo1->geometry(), QRect(0, 29, 812, 552 - 29 - 67));
    EXPECT_EQ(welcome->Panel1->geometry(), QRect(0, 552 - 67, 812, 67));
}

TEST_P(DialogFrameTest, OwnCaptionShowsTheTitleAndADragMovesTheWindow)
{
    if (!GetParam()) {
        GTEST_SKIP() << "the window system draws the frame";
    }
    mainForm.resize(400, 300);
    mainForm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainForm));
    werte->ShowBeside(&mainForm);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(werte.get()));

    // The raised border, and the title in the caption's text colour on its caption colour.
    const QImage picture = werte->grab().toImage();
    const QSize size = werte->size();
    EXPECT_EQ(picture.pixel(0, 0), ColorToQColor(cl3DLight).rgb());
    EXPECT_EQ(picture.pixel(1, 1), ColorToQColor(clBtnHighlight).rgb());
    EXPECT_EQ(picture.pixel(size.width() - 1, size.height() - 1),
              ColorToQColor(cl3DDkShadow).rgb());
    EXPECT_EQ(picture.pixel(size.width() - 2, size.height() - 2), ColorToQColor(clBtnShadow).rgb());
    const QRect caption = werte->Caption()->geometry();
    const bool active = werte->isActiveWindow();
    const TColor background = active ? clActiveCaption : clInactiveCaption;
    const TColor text = active ? clCaptionText : clInactiveCaptionText;
    EXPECT_EQ(picture.pixel(caption.topLeft()), ColorToQColor(background).rgb());
    EXPECT_EQ(picture.pixel(caption.bottomRight()), ColorToQColor(background).rgb());
    // The text "Values" sits at the caption's left; its right half is only caption colour.
    const int half = caption.width() / 2;
    EXPECT_TRUE(HasColor(picture, caption.adjusted(0, 0, -half, 0), text));
    EXPECT_FALSE(HasColor(picture, caption.adjusted(half, 0, 0, 0), text));

    // A drag on the caption moves the window by the mouse's way (here the window follows the
    // mouse itself: the headless platform has no move of its own).
    const QPoint before = werte->pos();
    QWindow* window = werte->windowHandle();
    const QPoint grip = caption.center();
    QTest::mousePress(window, Qt::LeftButton, {}, grip);
    QTest::mouseMove(window, grip + QPoint(40, 25));
    // The mouse has kept its place on the moved caption.
    QTest::mouseRelease(window, Qt::LeftButton, {}, grip);
    EXPECT_EQ(werte->pos(), before + QPoint(40, 25));
}

TEST_P(DialogFrameTest, ReportNamesTheFrameEachWindowGot)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("frames.txt"));
    ReportWindowFramesTo(path);
    werte->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(werte.get()));
    QFile file(path);
    QTRY_VERIFY(file.exists());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString first = QString::fromUtf8(file.readLine()).trimmed();
    // The headless platform keeps a thin frame around a framed window, none around a frameless.
    EXPECT_EQ(first.toStdString(), GetParam()
                                       ? "Values\tframeless\tqt-frame=0,0,0,0\tcaption=#000080"
                                       : "Values\tframed\tqt-frame=2,2,2,2\tcaption=none");
}

INSTANTIATE_TEST_SUITE_P(EitherFrame, DialogFrameTest, ::testing::Bool(), [](const auto& info) {
    return info.param ? std::string("Own") : std::string("WindowSystem");
});

} // namespace
