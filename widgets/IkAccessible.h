#pragma once
// What screen readers see of the instrument widgets: the slider as a slider with its value range,
// the meter as a read-only dial whose value text is its caption, and the power button as a
// checkable button whose press does what a click does. The widgets send the matching
// value-changed and state-changed events themselves (IkAccessibleValueChanged and
// IkAccessibleStateChanged below).
#include <QAccessibleWidget>

class TIkMeter;
class TIkPowerButton;
class TIkSlider;

// Installs the factory that gives the three widgets their interfaces. Needs the application
// object; installing twice is harmless.
void IkInstallAccessibility();

// A widget's value changed: tells an assistive client, when one listens.
void IkAccessibleValueChanged(QObject* object, int value);
// A widget's checked state changed: tells an assistive client, when one listens.
void IkAccessibleCheckedChanged(QObject* object);

// The slider: role Slider, value = Position within MinValue .. MaxValue, step KeyIncrement.
class TIkSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit TIkSliderAccessible(TIkSlider* slider);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    QVariant currentValue() const override;
    // Moves the slider as a key press does: clamped to the range, the meter follows through
    // OnChange. Ignored while the slider is disabled and for values that are not numbers.
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    TIkSlider* Slider() const;
};

// The meter: role Dial, read-only value = Position, value text = the caption as drawn.
class TIkMeterAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit TIkMeterAccessible(TIkMeter* meter);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override; // read-only: ignored
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    TIkMeter* Meter() const;
};

// The power button: role Button, checkable, checked while Active; its press and toggle
// actions toggle Active and then fire OnClick, as a click does.
class TIkPowerButtonAccessible : public QAccessibleWidget
{
public:
    explicit TIkPowerButtonAccessible(TIkPowerButton* button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    TIkPowerButton* Button() const;
};
