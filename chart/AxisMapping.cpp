#include "chart/AxisMapping.h"

#include <atomic>
#include <limits>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

std::atomic<bool> ScalarBlocksOnly{false};

#if defined(__GNUC__) && defined(__x86_64__)
// The processor offers the 256-bit floating-point instructions (asked once).
bool CpuHasAvx()
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
__attribute__((target("avx"))) int32_t ConvertAvx(const double* values, int32_t count, int32_t* out,
                                                  double base, double factor, double minimum)
{
    const __m256d vbase = _mm256_set1_pd(base);
    const __m256d vfactor = _mm256_set1_pd(factor);
    const __m256d vminimum = _mm256_set1_pd(minimum);
    const __m256d bottom = _mm256_set1_pd(-double{AxisPixelLimit});
    const __m256d top = _mm256_set1_pd(double{AxisPixelLimit});
    const __m256d round = _mm256_set1_pd(TAxisMapping::PixelRoundMagic);
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

} // namespace

TAxisMapping::TAxisMapping(int32_t startPixel, int32_t endPixel, double minimum, double maximum,
                           bool horizontal, bool inverted, bool logarithmic)
    : FStartPixel(startPixel), FEndPixel(endPixel), FMinimum(minimum), FMaximum(maximum),
      FHorizontal(horizontal), FInverted(inverted)
{
    FRange = maximum - minimum;
    const bool zero = FRange == 0;
    FLength = SaturateInt32(static_cast<int64_t>(endPixel) - startPixel);
    FCenterPixel = static_cast<int32_t>((static_cast<int64_t>(startPixel) + endPixel) / 2);
    FPixelsPerUnit = zero ? 0 : FLength / FRange;
    FLogarithmic = logarithmic && !zero && minimum > 0 && maximum > 0;
    FLinear = !zero && !FLogarithmic;
    // p = base + (v - minimum) * factor is exactly base +- (v - minimum) * ppu.
    const bool fromStart = horizontal != inverted;
    FBase = fromStart ? startPixel : endPixel;
    FFactor = fromStart ? FPixelsPerUnit : -FPixelsPerUnit;
}

int32_t TAxisMapping::OtherValueToPixel(double v) const
{
    if (RangeIsZero()) {
        return FCenterPixel;
    }
    // Logarithmic: equal ratios take equal pixels; values <= 0 lie beyond the low end.
    const double logMin = std::log(FMinimum);
    const double d = (std::log(v) - logMin) * (FLength / (std::log(FMaximum) - logMin));
    const double p = (FHorizontal != FInverted) ? FStartPixel + d : FEndPixel - d;
    return ClampPixel(std::isnan(v) ? std::numeric_limits<double>::quiet_NaN() : p);
}

double TAxisMapping::PixelToValue(int32_t p) const
{
    if (FLength < 1) {
        return 0;
    }
    const double along =
        FInverted ? static_cast<double>(FEndPixel) - p : static_cast<double>(p) - FStartPixel;
    if (FLogarithmic) {
        const double logMin = std::log(FMinimum);
        const double logRange = std::log(FMaximum) - logMin;
        const double f = along / FLength;
        return FHorizontal ? std::exp(logMin + f * logRange)
                           : std::exp(std::log(FMaximum) - f * logRange);
    }
    const double c = along * FRange / FLength;
    return FHorizontal ? FMinimum + c : FMaximum - c;
}

void TAxisMapping::Map(const double* values, int32_t count, int32_t* out) const
{
    if (!FLinear) {
        for (int32_t k = 0; k < count; ++k) {
            out[k] = ValueToPixel(values[k]);
        }
        return;
    }
    int32_t k = 0;
#if defined(__GNUC__) && defined(__x86_64__)
    if (CpuHasAvx() && !ScalarBlocks()) {
        k = ConvertAvx(values, count, out, FBase, FFactor, FMinimum);
    }
#endif
    for (; k < count; ++k) {
        out[k] = ClampPixel(FBase + (values[k] - FMinimum) * FFactor);
    }
}

void TAxisMapping::SetScalarBlocks(bool value)
{
    ScalarBlocksOnly.store(value, std::memory_order_relaxed);
}

bool TAxisMapping::ScalarBlocks()
{
    return ScalarBlocksOnly.load(std::memory_order_relaxed);
}
