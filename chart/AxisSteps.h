#pragma once
// The label steps and label values of an axis' scale as free functions of its numbers, a scale
// engine apart from the axis: the nice steps, the step for a number of labels (date-time steps
// on a date-time scale) and the values the labels take, from the highest down. Pure arithmetic;
// needs no toolkit.
#include <cstdint>
#include <functional>

// Lower bound of an automatic step between labels.
constexpr double AxisSmallestStep = 1e-12;
// Smallest range SetScaleRange accepts, and the range below which a single label is produced.
constexpr double AxisSmallestRange = 1e-10;
// More label positions than this produce no labels at all.
constexpr int32_t AxisMaxLabelPositions = 10000;

// What the steps and label values depend on.
struct TAxisScale
{
    double Minimum = 0;
    double Maximum = 0;
    bool Logarithmic = false; // mapped logarithmically (a range with both ends positive)
    double LogarithmicBase = 10;
    bool DateTime = false;
    bool ExactDateTime = false;   // calendar steps fall on the first days of months
    bool RoundFirstLabel = true;  // the highest label is a whole multiple of the step
    double Increment = 0;         // the smallest step wanted (0: any)
    int32_t LabelsSeparation = 0; // room between labels, percent of a label; < 0: labels may crowd

    double Range() const { return Maximum - Minimum; }
};

// Next step in the series 1, 2, 5, 10, 20, 50, ... (and 0.1, 0.2, 0.5 below 1) above x.
double NextNiceStep(double x);
// The step for labelCount labels along the scale: the given or automatic step made nice, so that
// no more labels than that fit. atLeastOne: few points lie along the axis, so the automatic step
// does not go below one (labels would fall between points).
double LabelStep(const TAxisScale& scale, int32_t labelCount, bool atLeastOne);
// Calls visit(value) for each label value of the step, from the highest down (nothing for a step
// <= 0, an inverted range, or AxisMaxLabelPositions positions or more).
void VisitLabelValues(const TAxisScale& scale, double step,
                      const std::function<void(double)>& visit);
