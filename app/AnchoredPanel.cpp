#include "app/AnchoredPanel.h"

#include "platform/Control.h"
#include "platform/Graphics.h"

#include <QPalette>

#include <algorithm>

TAnchoredPanel::TAnchoredPanel(QWidget* parent, int designWidth, TColor color)
    : QWidget(parent), FDesignWidth(designWidth)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ColorToQColor(color));
    setPalette(palette);
    setAutoFillBackground(true);
}

void TAnchoredPanel::Place(QWidget* child, int left, int top, int width, int height, bool stretch)
{
    // Controls hear of their new size at once, even while the window is still hidden.
    if (auto* control = dynamic_cast<TControl*>(child)) {
        control->SetBounds(left, top, width, height);
    } else {
        child->setGeometry(left, top, width, height);
    }
    if (stretch) {
        FStretching.push_back({child, FDesignWidth - (left + width)});
        Stretch(FStretching.back());
    }
}

void TAnchoredPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    for (const TStretchingChild& child : FStretching) {
        Stretch(child);
    }
}

void TAnchoredPanel::Stretch(const TStretchingChild& child)
{
    // Before the panel is laid out its width is meaningless; keep the designed bounds until then.
    if (!testAttribute(Qt::WA_Resized)) {
        return;
    }
    QWidget* widget = child.Widget;
    const int width = std::max(0, this->width() - child.RightMargin - widget->x());
    widget->setGeometry(widget->x(), widget->y(), width, widget->height());
}
