#include "widgets/IkAccessible.h"

#include "widgets/IkButtons.h"
#include "widgets/IkMeter.h"
#include "widgets/IkSlider.h"

#include <QAccessible>
#include <QKeySequence>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// The widgets carry no meta-object of their own, so Qt asks for them under "QWidget"; the
// factory recognises them by their C++ type.
QAccessibleInterface* IkAccessibleFactory(const QString& /*key*/, QObject* object)
{
    if (auto* slider = dynamic_cast<TIkSlider*>(object))
        return new TIkSliderAccessible(slider);
    if (auto* meter = dynamic_cast<TIkMeter*>(object))
        return new TIkMeterAccessible(meter);
    if (auto* button = dynamic_cast<TIkPowerButton*>(object))
        return new TIkPowerButtonAccessible(button);
    return nullptr;
}

// The caption without its accelerator marks ("&&" stays one "&").
QString StripAccelerator(const QString& caption)
{
    QString result;
    result.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (++i >= caption.size())
                break;
        }
        result.append(caption[i]);
    }
    return result;
}

} // namespace

void IkInstallAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(IkAccessibleFactory);
}

void IkAccessibleValueChanged(QObject* object, int value)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent event(object, value);
    QAccessible::updateAccessibility(&event);
}

void IkAccessibleCheckedChanged(QObject* object)
{
    if (!QAccessible::isActive())
        return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(object, changed);
    QAccessible::updateAccessibility(&event);
}

// ---- Slider ------------------------------------------------------------------------------------

TIkSliderAccessible::TIkSliderAccessible(TIkSlider* slider)
    : QAccessibleWidget(slider, QAccessible::Slider)
{
}

TIkSlider* TIkSliderAccessible::Slider() const
{
    return static_cast<TIkSlider*>(widget());
}

void* TIkSliderAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString TIkSliderAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return QString::number(Slider()->Position());
    return QAccessibleWidget::text(t);
}

QAccessible::State TIkSliderAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.focusable = Slider()->isEnabled();
    return state;
}

QVariant TIkSliderAccessible::currentValue() const
{
    return Slider()->Position();
}

void TIkSliderAccessible::setCurrentValue(const QVariant& value)
{
    TIkSlider* slider = Slider();
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok || std::isnan(v) || !slider->isEnabled())
        return;
    // Far-off values are clamped by SetPosition; bring them into int range first.
    constexpr double low = std::numeric_limits<int32_t>::min();
    constexpr double high = std::numeric_limits<int32_t>::max();
    slider->SetPosition(static_cast<int32_t>(std::nearbyint(std::clamp(v, low, high))));
}

QVariant TIkSliderAccessible::maximumValue() const
{
    return Slider()->MaxValue();
}

QVariant TIkSliderAccessible::minimumValue() const
{
    return Slider()->MinValue();
}

QVariant TIkSliderAccessible::minimumStepSize() const
{
    return Slider()->KeyIncrement();
}

// ---- Meter -------------------------------------------------------------------------------------

TIkMeterAccessible::TIkMeterAccessible(TIkMeter* meter)
    : QAccessibleWidget(meter, QAccessible::Dial)
{
}

TIkMeter* TIkMeterAccessible::Meter() const
{
    return static_cast<TIkMeter*>(widget());
}

void* TIkMeterAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString TIkMeterAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Value:
        return Meter()->Caption();
    case QAccessible::Name: {
        const QString name = QAccessibleWidget::text(t);
        return name.isEmpty() ? Meter()->Caption() : name;
    }
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State TIkMeterAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    return state;
}

QVariant TIkMeterAccessible::currentValue() const
{
    return Meter()->Position();
}

void TIkMeterAccessible::setCurrentValue(const QVariant& /*value*/) {}

QVariant TIkMeterAccessible::maximumValue() const
{
    return Meter()->MaxValue();
}

QVariant TIkMeterAccessible::minimumValue() const
{
    return Meter()->MinValue();
}

QVariant TIkMeterAccessible::minimumStepSize() const
{
    return 1;
}

// ---- Power button ------------------------------------------------------------------------------

TIkPowerButtonAccessible::TIkPowerButtonAccessible(TIkPowerButton* button)
    : QAccessibleWidget(button, QAccessible::Button)
{
}

TIkPowerButton* TIkPowerButtonAccessible::Button() const
{
    return static_cast<TIkPowerButton*>(widget());
}

QString TIkPowerButtonAccessible::text(QAccessible::Text t) const
{
    QString result = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && result.isEmpty())
        result = StripAccelerator(Button()->Caption());
    else if (t == QAccessible::Accelerator && result.isEmpty()) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(Button()->Caption());
        result = mnemonic.toString(QKeySequence::NativeText);
    }
    return result;
}

QAccessible::State TIkPowerButtonAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = Button()->Active();
    state.pressed = Button()->Pressed();
    return state;
}

QStringList TIkPowerButtonAccessible::actionNames() const
{
    QStringList names;
    if (Button()->isEnabled())
        names << pressAction() << toggleAction();
    return names + QAccessibleWidget::actionNames();
}

void TIkPowerButtonAccessible::doAction(const QString& actionName)
{
    TIkPowerButton* button = Button();
    if ((actionName == pressAction() || actionName == toggleAction()) && button->isEnabled()) {
        button->Toggle();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

QStringList TIkPowerButtonAccessible::keyBindingsForAction(const QString& actionName) const
{
    if (actionName == pressAction() || actionName == toggleAction()) {
        const QString accelerator = text(QAccessible::Accelerator);
        if (!accelerator.isEmpty())
            return {accelerator};
    }
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
