// The main window as an assistive client reads it: the instruments and charts found by role and
// name in the window's accessible tree, the slider moved by keys and by value, the run started
// and stopped by the power button's action, the charts describing their latest sample, and the
// edits named after their labels. Events are seen through an installed update handler.
#include "app/Startup.h"
#include "app/W2kMain.h"
#include "app/u_wertedisplay.h"
#include "chart/Chart.h"
#include "chart/NumberFormat.h"
#include "chart/Series.h"
#include "tests/app/MainWindowDriver.h"
#include "tests/support/AccessibilityOn.h"
#include "widgets/IkButtons.h"
#include "widgets/IkMeter.h"
#include "widgets/IkSlider.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace MainWindowDriver;

struct TSeenEvent
{
    QAccessible::Event Type;
    QObject* Object;
    int Value; // value-changed events
};

std::vector<TSeenEvent> SeenEvents;

void RecordEvent(QAccessibleEvent* event)
{
    TSeenEvent seen{event->type(), event->object(), 0};
    if (event->type() == QAccessible::ValueChanged)
        seen.Value = static_cast<QAccessibleValueChangeEvent*>(event)->value().toInt();
    SeenEvents.push_back(seen);
}

std::vector<int> ValuesOf(QObject* object)
{
    std::vector<int> values;
    for (const TSeenEvent& seen : SeenEvents)
        if (seen.Object == object && seen.Type == QAccessible::ValueChanged)
            values.push_back(seen.Value);
    return values;
}

int CountOf(QObject* object, QAccessible::Event type)
{
    int count = 0;
    for (const TSeenEvent& seen : SeenEvents)
        if (seen.Object == object && seen.Type == type)
            ++count;
    return count;
}

// The first interface below root (depth first, through children as a client walks them) with
// this role and name; nullptr when there is none.
QAccessibleInterface* Find(QAccessibleInterface* root, QAccessible::Role role, const QString& name)
{
    if (root == nullptr)
        return nullptr;
    if (root->role() == role && root->text(QAccessible::Name) == name)
        return root;
    for (int i = 0; i < root->childCount(); ++i)
        if (QAccessibleInterface* found = Find(root->child(i), role, name))
            return found;
    return nullptr;
}

std::string Text(const QString& text)
{
    return text.toStdString();
}

class AccessibilityWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        InitializeUnits();
        ASSERT_TRUE(SwitchAccessibilityOn(RecordEvent));
    }

    void SetUp() override
    {
        SetNumberSeparators('.', ',');
        // The test runs the ticks itself: the real timer's ticks do not reach the window.
        form.Timer1->blockSignals(true);
        ASSERT_TRUE(ShowActive(&form));
        SeenEvents.clear();
        window = QAccessible::queryAccessibleInterface(&form);
        ASSERT_NE(window, nullptr);
    }

    QAccessibleInterface* Found(QAccessible::Role role, const char* name)
    {
        return Find(window, role, QString::fromLatin1(name));
    }

    TfrmWerte werte; // created first, as at program start
    TWin2kAppForm form;
    QAccessibleInterface* window = nullptr;
};

TEST_F(AccessibilityWindowTest, SliderKeysAndValueMoveTheMeter)
{
    QAccessibleInterface* slider = Found(QAccessible::Slider, "Mains voltage");
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->object(), form.IkSlider1);
    QAccessibleInterface* meter = Found(QAccessible::Dial, "Mains voltage meter");
    ASSERT_NE(meter, nullptr);
    EXPECT_EQ(slider->valueInterface()->currentValue().toInt(), 400);
    EXPECT_EQ(meter->text(QAccessible::Value), QStringLiteral("Mainsvoltage: 400V"));

    // Three Up presses reach the slider, which has the keyboard when the window opens.
    for (int i = 0; i < 3; ++i)
        Key(&form, Qt::Key_Up);
    EXPECT_EQ(ValuesOf(form.IkSlider1), (std::vector<int>{405, 410, 415}));
    EXPECT_EQ(meter->valueInterface()->currentValue().toInt(), 415);
    EXPECT_EQ(meter->text(QAccessible::Value), QStringLiteral("Mainsvoltage: 415V"));

    slider->valueInterface()->setCurrentValue(410);
    EXPECT_EQ(form.IkSlider1->Position(), 410);
    EXPECT_EQ(form.IkMeterNetz->Position(), 410);
    EXPECT_EQ(Text(form.IkMeterNetz->Caption()), "Mainsvoltage: 410V");
    EXPECT_EQ(ValuesOf(form.IkSlider1).back(), 410);
    EXPECT_EQ(ValuesOf(form.IkMeterNetz).back(), 410);

    // The run takes the voltage set that way.
    QAccessibleInterface* button = Found(QAccessible::Button, "Simulation");
    ASSERT_NE(button, nullptr);
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    form.Timer1Timer();
    EXPECT_DOUBLE_EQ(form.SERIENetzspannung->YValues().Values(0), 102.5);
}

TEST_F(AccessibilityWindowTest, PowerButtonActionRunsTheSimulationAndChartsDescribeIt)
{
    QAccessibleInterface* button = Found(QAccessible::Button, "Simulation");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->object(), form.btnSimuStartenStoppen);
    EXPECT_TRUE(button->state().checkable);
    QAccessibleInterface* upper = Found(QAccessible::Chart, "with Orvex Real-Power-Control");
    QAccessibleInterface* lower = Found(QAccessible::Chart, "without Real-Power-Control");
    ASSERT_NE(upper, nullptr);
    ASSERT_NE(lower, nullptr);
    EXPECT_EQ(upper->object(), form.Chart1);
    EXPECT_EQ(Text(upper->text(QAccessible::Description)), "No samples");

    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(form.btnSimuStartenStoppen->Active());
    EXPECT_TRUE(button->state().checked);
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(Text(form.info->toPlainText()),
              "Set Value for Orvex-Real-Power-Control is actually 6000 Watts.");
    EXPECT_EQ(CountOf(form.btnSimuStartenStoppen, QAccessible::StateChanged), 1);

    // Eleven ticks: the descriptions change at the first tick and then once a second of the run.
    for (int i = 0; i < 11; ++i)
        form.Timer1Timer();
    EXPECT_EQ(CountOf(form.Chart1, QAccessible::DescriptionChanged), 3);
    EXPECT_EQ(CountOf(form.Chart2, QAccessible::DescriptionChanged), 3);
    // They read as the values window does for the same sample.
    form.SetCallout(10);
    EXPECT_EQ(Text(upper->text(QAccessible::Description)),
              "At 2.2 s: mains voltage " + Text(werte.edtNetzspannungR->text()) + ", current " +
                  Text(werte.edtStromr->text()) + ", voltage " + Text(werte.edtSpannungR->text()) +
                  ", power " + Text(werte.edtLeistungR->text()));
    EXPECT_EQ(Text(lower->text(QAccessible::Description)),
              "At 2.2 s: mains voltage " + Text(werte.edtNetzspannung->text()) + ", current " +
                  Text(werte.edtStrom->text()) + ", voltage " + Text(werte.edtSpannung->text()) +
                  ", power " + Text(werte.edtLeistung->text()));
    EXPECT_NE(Text(upper->text(QAccessible::Description)).find("power 6,000W"), std::string::npos);

    // Stopping tells the latest sample at once.
    form.Timer1Timer();
    button->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(form.btnSimuStartenStoppen->Active());
    EXPECT_FALSE(button->state().checked);
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(CountOf(form.btnSimuStartenStoppen, QAccessible::StateChanged), 2);
    EXPECT_EQ(Text(upper->text(QAccessible::Description)).rfind("At 2.4 s: ", 0), 0u);
}

TEST_F(AccessibilityWindowTest, EditsAreNamedByTheirLabels)
{
    const struct
    {
        QLineEdit* Edit;
        const char* Name;
    } named[] = {
        {form.EditINenn, "I rated"},
        {form.EditUNenn, "U rated"},
        {form.EditPNenn, "P rated"},
        {form.Edit1, "mains voltage"},
        {werte.edtNetzspannung, "mains voltage, uncontrolled"},
        {werte.edtStrom, "current, uncontrolled"},
        {werte.edtSpannung, "voltage, uncontrolled"},
        {werte.edtLeistung, "power, uncontrolled"},
        {werte.edtNetzspannungR, "mains voltage, controlled"},
        {werte.edtStromr, "current, controlled"},
        {werte.edtSpannungR, "voltage, controlled"},
        {werte.edtLeistungR, "power, controlled"},
    };
    for (const auto& item : named) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(item.Edit);
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(Text(iface->text(QAccessible::Name)), item.Name);
    }
    EXPECT_EQ(Text(QAccessible::queryAccessibleInterface(form.EditINenn)->text(QAccessible::Value)),
              "10A = 100%");
}

} // namespace
