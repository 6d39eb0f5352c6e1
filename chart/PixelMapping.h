#pragma once
// The value-to-pixel conversion of an axis for many values at once, for the series walks of this
// folder (included only by their sources).
#include "chart/ChartAxis.h"
#include "chart/ChartEngine.h"

#include <cmath>
#include <cstdint>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

#if defined(__GNUC__) && defined(__x86_64__)
// The processor offers the 256-bit floating-point instructions (asked once).
inline bool CpuHasAvx()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx") != 0;
    }();
    return has;
}

// Converts values four at a time with the operations of the scalar conversion, in the same order
// (no fused multiply-add): max(p, -limit) gives -limit for not-a-number as the scalar test does.
// Returns how many values it converted (a multiple of four).
__attribute__((target("avx"))) inline int32_t ConvertAvx(const double* values, int32_t count,
                                                         int32_t* out, double base, double factor,
                                                         double minimum)
{
    const __m256d vbase = _mm256_set1_pd(base);
    const __m256d vfactor = _mm256_set1_pd(factor);
    const __m256d vminimum = _mm256_set1_pd(minimum);
    const __m256d bottom = _mm256_set1_pd(-double{AxisPixelLimit});
    const __m256d top = _mm256_set1_pd(double{AxisPixelLimit});
    const __m256d round = _mm256_set1_pd(TChartAxis::PixelRoundMagic);
    int32_t k = 0;
    for (; k + 4 <= count; k += 4) {
        __m256d p = _mm256_add_pd(
            vbase, _mm256_mul_pd(_mm256_sub_pd(_mm256_loadu_pd(values + k), vminimum), vfactor));
        p = _mm256_min_pd(_mm256_max_pd(p, bottom), top);
        p = _mm256_sub_pd(_mm256_add_pd(p, round), round);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm256_cvttpd_epi32(p));
    }
    return k;
}
#endif

// The value-to-pixel conversion of an axis for a whole block of values in one loop without
// branches: the axis' own linear mapping, clamped to the pixel limit (not-a-number to its
// negative end) and rounded halves to even, exactly as the axis converts one value. Axes without
// a linear mapping convert value by value.
class TPixelMapping
{
public:
    explicit TPixelMapping(const TChartAxis& axis) : FAxis(axis), FMapping(axis.LinearMapping()) {}

    // Converts the values low..low+count-1 of the list into out.
    void Map(const TChartValueList& list, int32_t low, int32_t count, int32_t* out) const
    {
        if (!FMapping.Linear) {
            for (int32_t k = 0; k < count; ++k) {
                out[k] = FAxis.ValueToPixel(list.Values(low + k));
            }
            return;
        }
        Convert(list, low, count, out);
    }

    // Pixel of one value, as the axis converts it.
    int32_t Pixel(double v) const
    {
        return FMapping.Linear ? TChartAxis::ClampPixel(FMapping.Base +
                                                        (v - FMapping.Minimum) * FMapping.Factor)
                               : FAxis.ValueToPixel(v);
    }

    // The pixels never run against the order of the values, infinities included: a linear
    // mapping with finite base and minimum and a finite, nonzero factor (no product of infinity
    // and zero). Every step of the mapping (subtraction, product, sum, clamp, rounding) is then
    // monotone, so the pixels of a run's lowest and highest value bound those of all its values.
    bool KeepsOrder() const
    {
        return FMapping.Linear && std::isfinite(FMapping.Base) && std::isfinite(FMapping.Minimum) &&
               std::isfinite(FMapping.Factor) && FMapping.Factor != 0;
    }

    static constexpr int32_t MaxBlock = 512;

private:
    void Convert(const TChartValueList& list, int32_t low, int32_t count, int32_t* out) const
    {
        const double* values = list.Data() + low;
        int32_t k = 0;
#if defined(__GNUC__) && defined(__x86_64__)
        if (CpuHasAvx()) {
            k = ConvertAvx(values, count, out, FMapping.Base, FMapping.Factor, FMapping.Minimum);
        }
#endif
        for (; k < count; ++k) {
            out[k] = TChartAxis::ClampPixel(FMapping.Base +
                                            (values[k] - FMapping.Minimum) * FMapping.Factor);
        }
    }

private:
    const TChartAxis& FAxis;
    TChartAxis::TLinearMapping FMapping;
};
