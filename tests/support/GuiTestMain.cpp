// Entry point of the widget and drawing tests: a QApplication on the offscreen platform with the
// program's font substitutions and the classic system colours pinned (deterministic pixels),
// then every registered test.
#include "platform/Fonts.h"
#include "platform/Graphics.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    PinClassicSystemColors();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
