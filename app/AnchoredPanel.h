#pragma once
// A plain panel whose children keep their designed distance to the panel's right edge when they
// are anchored to it, so that they stretch with the window's width.
#include "platform/Colors.h"

#include <QWidget>

#include <vector>

class TAnchoredPanel : public QWidget
{
public:
    // designWidth: the panel's width in the stored layout, against which right margins are kept.
    TAnchoredPanel(QWidget* parent, int designWidth, TColor color);

    // Places child at its designed bounds; a stretching child keeps its right margin.
    void Place(QWidget* child, int left, int top, int width, int height, bool stretch = false);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct TStretchingChild
    {
        QWidget* Widget;
        int RightMargin;
    };
    void Stretch(const TStretchingChild& child);

    int FDesignWidth;
    std::vector<TStretchingChild> FStretching;
};
