#include "chart/AxisSteps.h"

#include "chart/AxisMapping.h"
#include "chart/NumberFormat.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace {

// The general form of a number (the empty pattern writes it).
std::string GeneralText(double v)
{
    return FormatNumber("", v);
}

// Date-time steps in days, from a millisecond to a year.
constexpr std::array<double, 26> DateTimeSteps = {DateTimeSecond / 1000,
                                                  DateTimeSecond,
                                                  5 * DateTimeSecond,
                                                  10 * DateTimeSecond,
                                                  15 * DateTimeSecond,
                                                  30 * DateTimeSecond,
                                                  60 * DateTimeSecond,
                                                  300 * DateTimeSecond,
                                                  600 * DateTimeSecond,
                                                  900 * DateTimeSecond,
                                                  1800 * DateTimeSecond,
                                                  1.0 / 24,
                                                  2.0 / 24,
                                                  6.0 / 24,
                                                  12.0 / 24,
                                                  1,
                                                  2,
                                                  3,
                                                  7,
                                                  15,
                                                  30,
                                                  61,
                                                  91,
                                                  122,
                                                  183,
                                                  365};

// Whole months of a calendar step (0 below about four weeks).
int32_t StepMonths(double step)
{
    if (step < 28) {
        return 0;
    }
    if (step >= 365) {
        return 12 * std::max(1, RoundToInt32(step / 365.25));
    }
    return std::max(1, RoundToInt32(step / 30.4375));
}

// The step of labelCount labels on a date-time scale: a step of the calendar, or whole nice
// numbers of years.
double DateTimeLabelStep(const TAxisScale& scale, int32_t labelCount)
{
    const double range = std::fabs(scale.Range());
    const double wanted = std::max(scale.Increment, range / labelCount);
    for (const double step : DateTimeSteps) {
        if (step >= wanted) {
            return step;
        }
    }
    // Longer than a year: whole nice numbers of years.
    return 365 * NextNiceStep(wanted / 365);
}

// Powers of the base, from the highest inside the range down.
void VisitLogLabelValues(const TAxisScale& scale, const std::function<void(double)>& visit)
{
    const double base = scale.LogarithmicBase;
    double t = std::pow(base, std::floor(std::log(scale.Maximum) / std::log(base)));
    while (t * base <= scale.Maximum) {
        t *= base;
    }
    while (t > scale.Maximum) {
        t /= base;
    }
    for (int32_t n = 0; n < AxisMaxLabelPositions && t >= scale.Minimum && t > 0; ++n) {
        visit(t);
        t /= base;
    }
}

} // namespace

double NextNiceStep(double x)
{
    if (!(x > 0)) {
        return AxisSmallestStep; // zero, negative or not a number: start from the bottom
    }
    if (std::isinf(x)) {
        return x;
    }
    // Equal to 10 * NextNiceStep(x * 0.1) for x >= 10 and 0.1 * NextNiceStep(x * 10) for x < 1,
    // unrolled: the same multiplications in the same order.
    int up = 0;
    int down = 0;
    while (x >= 10) {
        x *= 0.1;
        ++up;
    }
    while (x < 1) {
        x *= 10;
        ++down;
    }
    double result = x < 2 ? 2 : (x < 5 ? 5 : 10);
    for (int i = 0; i < up; ++i) {
        result = 10 * result;
    }
    for (int i = 0; i < down; ++i) {
        result = 0.1 * result;
    }
    return result;
}

double LabelStep(const TAxisScale& scale, int32_t labelCount, bool atLeastOne)
{
    if (labelCount < 1) {
        return scale.DateTime ? DateTimeSecond : AxisSmallestStep;
    }
    if (scale.DateTime) {
        return DateTimeLabelStep(scale, labelCount);
    }
    const double range = scale.Range();
    double step;
    if (scale.Increment > 0) {
        step = scale.Increment;
    } else if (range == 0) {
        step = 1;
    } else {
        step = std::fabs(range) / (static_cast<double>(labelCount) + 1);
        if (atLeastOne) {
            step = std::max(step, 1.0);
        }
    }
    if (scale.LabelsSeparation >= 0) {
        int64_t k = static_cast<int64_t>(labelCount) + 1;
        for (;;) {
            const double q = range / step;
            if (std::fabs(q) < 2147483647.0) {
                k = static_cast<int64_t>(std::nearbyint(q));
                if (k > labelCount) {
                    step = NextNiceStep(step);
                }
            } else {
                step = NextNiceStep(step);
            }
            if (k <= labelCount || step > range || std::isinf(step)) {
                break;
            }
        }
    }
    return std::isinf(step) ? range : std::max(AxisSmallestStep, step);
}

void VisitLabelValues(const TAxisScale& scale, double step,
                      const std::function<void(double)>& visit)
{
    if (!(step > 0) || !(scale.Maximum >= scale.Minimum)) {
        return;
    }
    if (!(std::fabs(scale.Range() / step) < AxisMaxLabelPositions)) {
        return;
    }
    if (scale.Logarithmic) {
        VisitLogLabelValues(scale, visit);
        return;
    }
    const int32_t months = scale.DateTime && scale.ExactDateTime ? StepMonths(step) : 0;
    if (months > 0) {
        // Calendar steps: the first days of every months-th month (of every year for yearly
        // steps), from the highest down.
        const TCivilDate top = DateOfDay(static_cast<int64_t>(std::floor(scale.Maximum)));
        int64_t index = top.Year * 12 + (top.Month - 1);
        index -= ((index % months) + months) % months;
        for (int32_t n = 0; n <= AxisMaxLabelPositions; ++n, index -= months) {
            const int64_t year = index >= 0 ? index / 12 : (index - 11) / 12;
            const double t = FirstDayOfMonth(year, static_cast<int32_t>(index - year * 12) + 1);
            if (t > scale.Maximum) {
                continue;
            }
            if (t < scale.Minimum) {
                break;
            }
            visit(t);
        }
        return;
    }
    double t = scale.Maximum / step;
    if (scale.RoundFirstLabel && GeneralText(scale.Minimum) != GeneralText(scale.Maximum)) {
        t = std::trunc(t) * step;
    } else {
        t = scale.Maximum;
    }
    while (t > scale.Maximum) {
        const double next = t - step;
        if (!(next < t)) {
            break;
        }
        t = next;
    }
    if (scale.Range() == 0 || std::fabs(scale.Maximum - scale.Minimum) < AxisSmallestRange ||
        GeneralText(t) == GeneralText(t - step)) {
        visit(t);
        return;
    }
    const double limit = (scale.Minimum - AxisSmallestStep) / (1 + AxisSmallestStep);
    while (t >= limit) {
        visit(t);
        const double next = t - step;
        if (!(next < t)) {
            break; // the step no longer changes t
        }
        t = next;
    }
}
