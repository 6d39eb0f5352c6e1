// What an assistive client sees of the instruments: the slider's value range and the change
// path behind its value, the meter's read-only value and caption, the power button's checked
// state and action, and the events each sends, read through Qt's accessibility interfaces with
// an update handler installed.
#include "widgets/IkAccessible.h"
#include "tests/support/AccessibilityOn.h"
#include "widgets/IkButtons.h"
#include "widgets/IkMeter.h"
#include "widgets/IkSlider.h"

#include <QAccessible>
#include <QWidget>
#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

struct TSeenEvent
{
    QAccessible::Event Type;
    QObject* Object;
    int Value;    // value-changed events
    bool Checked; // state-changed events: the checked state is among the changes
};

std::vector<TSeenEvent> SeenEvents;

void RecordEvent(QAccessibleEvent* event)
{
    TSeenEvent seen{event->type(), event->object(), 0, false};
    if (event->type() == QAccessible::ValueChanged)
        seen.Value = static_cast<QAccessibleValueChangeEvent*>(event)->value().toInt();
    if (event->type() == QAccessible::StateChanged)
        seen.Checked = static_cast<QAccessibleStateChangeEvent*>(event)->changedStates().checked;
    SeenEvents.push_back(seen);
}

// The values of the events of one type that object sent.
std::vector<int> ValuesOf(QObject* object, QAccessible::Event type)
{
    std::vector<int> values;
    for (const TSeenEvent& seen : SeenEvents)
        if (seen.Object == object && seen.Type == type)
            values.push_back(seen.Value);
    return values;
}

// The instrument panel of the program in small: the slider drives the meter and its caption.
class IkAccessible : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        IkInstallAccessibility();
        ASSERT_TRUE(SwitchAccessibilityOn(RecordEvent));
    }

    void SetUp() override
    {
        window.resize(400, 200);
        meter = new TIkMeter(&window);
        meter->SetBounds(10, 10, 209, 110);
        meter->SetMaxValue(420);
        meter->SetMinValue(380);
        meter->SetPosition(400);
        meter->SetCaption(QStringLiteral("Mainsvoltage: 400V"));
        slider = new TIkSlider(&window);
        slider->SetBounds(230, 10, 44, 108);
        slider->SetMaxValue(420);
        slider->SetMinValue(380);
        slider->SetPosition(400);
        slider->setAccessibleName(QStringLiteral("Mains voltage"));
        slider->OnChange = [this](TControl*) {
            meter->SetPosition(slider->Position());
            meter->SetCaption(QStringLiteral("Mainsvoltage: %1V").arg(slider->Position()));
        };
        button = new TIkPowerButton(&window);
        button->SetBounds(280, 10, 100, 60);
        button->SetCaption(QStringLiteral("&Simulation"));
        button->OnClick = [this](TControl*) { clicks.push_back(button->Active()); };
        SeenEvents.clear();
    }

    QAccessibleValueInterface* ValueOf(QWidget* widget)
    {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
        return iface == nullptr ? nullptr : iface->valueInterface();
    }

    QWidget window;
    TIkMeter* meter = nullptr;
    TIkSlider* slider = nullptr;
    TIkPowerButton* button = nullptr;
    std::vector<bool> clicks; // Active as OnClick saw it
};

TEST_F(IkAccessible, SliderValueMovesTheMeterAsAKeyDoes)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(slider);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Slider);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Mains voltage"));
    EXPECT_TRUE(iface->state().focusable);
    QAccessibleValueInterface* value = iface->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->minimumValue().toInt(), 380);
    EXPECT_EQ(value->maximumValue().toInt(), 420);
    EXPECT_EQ(value->minimumStepSize().toInt(), 5);
    EXPECT_EQ(value->currentValue().toInt(), 400);
    EXPECT_EQ(iface->text(QAccessible::Value), QStringLiteral("400"));

    value->setCurrentValue(410);
    EXPECT_EQ(slider->Position(), 410);
    EXPECT_EQ(meter->Position(), 410);
    EXPECT_EQ(ValuesOf(slider, QAccessible::ValueChanged), std::vector<int>{410});
    // The needle moved, then the caption followed: the meter's last event finds both new.
    EXPECT_EQ(ValuesOf(meter, QAccessible::ValueChanged), (std::vector<int>{410, 410}));
    QAccessibleInterface* meterIface = QAccessible::queryAccessibleInterface(meter);
    ASSERT_NE(meterIface, nullptr);
    EXPECT_EQ(meterIface->text(QAccessible::Value), QStringLiteral("Mainsvoltage: 410V"));
    EXPECT_EQ(meterIface->valueInterface()->currentValue().toInt(), 410);

    // Odd values are rounded and clamped; what is no number, and a disabled slider, change
    // nothing.
    value->setCurrentValue(402.6);
    EXPECT_EQ(slider->Position(), 403);
    value->setCurrentValue(1e300);
    EXPECT_EQ(slider->Position(), 420);
    value->setCurrentValue(-std::numeric_limits<double>::infinity());
    EXPECT_EQ(slider->Position(), 380);
    value->setCurrentValue(std::numeric_limits<double>::quiet_NaN());
    value->setCurrentValue(QStringLiteral("loud"));
    EXPECT_EQ(slider->Position(), 380);
    slider->setEnabled(false);
    value->setCurrentValue(400);
    EXPECT_EQ(slider->Position(), 380);
    EXPECT_EQ(meter->Position(), 380);
    EXPECT_EQ(ValuesOf(slider, QAccessible::ValueChanged), (std::vector<int>{410, 403, 420, 380}));
}

TEST_F(IkAccessible, MeterIsAReadOnlyDialNamedByItsCaption)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(meter);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Dial);
    EXPECT_TRUE(iface->state().readOnly);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Mainsvoltage: 400V"));
    meter->setAccessibleName(QStringLiteral("Mains voltage meter"));
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Mains voltage meter"));
    QAccessibleValueInterface* value = iface->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->minimumValue().toInt(), 380);
    EXPECT_EQ(value->maximumValue().toInt(), 420);
    value->setCurrentValue(390);
    EXPECT_EQ(meter->Position(), 400);
    EXPECT_EQ(slider->Position(), 400);
    EXPECT_TRUE(ValuesOf(meter, QAccessible::ValueChanged).empty());
}

TEST_F(IkAccessible, PowerButtonActionClicksItOnAndOff)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Button);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Simulation"));
    EXPECT_TRUE(iface->state().checkable);
    EXPECT_FALSE(iface->state().checked);
    QAccessibleActionInterface* action = iface->actionInterface();
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(action->actionNames().contains(QAccessibleActionInterface::pressAction()));
    EXPECT_TRUE(action->actionNames().contains(QAccessibleActionInterface::toggleAction()));

    action->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(button->Active());
    EXPECT_TRUE(iface->state().checked);
    action->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(button->Active());
    // As a click: OnClick once per action, after the toggle.
    EXPECT_EQ(clicks, (std::vector<bool>{true, false}));
    const auto checkedChanges = [this] {
        int count = 0;
        for (const TSeenEvent& seen : SeenEvents)
            if (seen.Object == button && seen.Type == QAccessible::StateChanged && seen.Checked)
                ++count;
        return count;
    };
    EXPECT_EQ(checkedChanges(), 2);

    // Writing Active from code is announced too, once per change; a disabled button offers no
    // action.
    button->SetActive(true);
    button->SetActive(true);
    EXPECT_EQ(checkedChanges(), 3);
    button->setEnabled(false);
    EXPECT_FALSE(action->actionNames().contains(QAccessibleActionInterface::pressAction()));
    action->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(button->Active());
    EXPECT_EQ(clicks.size(), 2u);
}

} // namespace
