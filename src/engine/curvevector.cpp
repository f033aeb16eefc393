// SPDX-License-Identifier: GPL-3.0-or-later
// Built with AVX2 and FMA enabled; it is only entered after the processor has
// been asked for them. It keeps to intrinsics and the declarations of
// curve.h, so that no inline code compiled for AVX2 is shared with the rest
// of the program.

#include "curvevector.h"

#include <immintrin.h>

// The C library's vector sine and cosine (libmvec), four doubles at a time.
extern "C" __m256d _ZGVdN4v_cos(__m256d);
extern "C" __m256d _ZGVdN4v_sin(__m256d);

namespace curve::vector {

bool available()
{
    static const bool supported = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return supported;
}

namespace {

__m256d absolute(__m256d value)
{
    return _mm256_andnot_pd(_mm256_set1_pd(-0.0), value);
}

// (first - amplitude * second + |amplitude| + 1) * scale + offset, in the
// order of the scalar formula.
__m128 coordinate(__m256d first, __m256d second, double amplitude, std::int32_t scale, std::int32_t offset)
{
    const __m256d a = _mm256_set1_pd(amplitude);
    __m256d t = _mm256_sub_pd(first, _mm256_mul_pd(a, second));
    t = _mm256_add_pd(t, absolute(a));
    t = _mm256_add_pd(t, _mm256_set1_pd(1.0));
    t = _mm256_mul_pd(t, _mm256_set1_pd(scale));
    t = _mm256_add_pd(t, _mm256_set1_pd(offset));
    return _mm256_cvtpd_ps(t);
}

// The power step of the formula, element by element.
void applyPowers(const CurveParameters &p, __m256d &a1, __m256d &a2, __m256d &b1, __m256d &b2)
{
    alignas(32) double terms[4][4];
    _mm256_store_pd(terms[0], a1);
    _mm256_store_pd(terms[1], a2);
    _mm256_store_pd(terms[2], b1);
    _mm256_store_pd(terms[3], b2);
    const float powers[4] = {p.x.power1, p.x.power2, p.y.power1, p.y.power2};
    for (int term = 0; term < 4; ++term)
        for (int lane = 0; lane < 4; ++lane)
            terms[term][lane] = curve::pow(static_cast<float>(terms[term][lane]), powers[term]);
    a1 = _mm256_load_pd(terms[0]);
    a2 = _mm256_load_pd(terms[1]);
    b1 = _mm256_load_pd(terms[2]);
    b2 = _mm256_load_pd(terms[3]);
}

} // namespace

// Four-wide lanes handled per round: the arguments of all of them first, then
// each vector function over its whole row, then the coordinates. The calls
// then keep no constants alive across them, and every lane still sees the
// same operations in the same order.
constexpr std::size_t lanesPerRound = 16;

void curvePoints(const CurveParameters &p, std::int32_t first, std::int32_t step, std::size_t count,
                 std::int32_t drawLeftOffset, std::int32_t drawTopOffset, CurvePointF *out)
{
    const __m256d thousand = _mm256_set1_pd(1000.0);
    const __m256d lanes = _mm256_mul_pd(_mm256_set_pd(3, 2, 1, 0), _mm256_set1_pd(step));
    __m256d a1[lanesPerRound];
    __m256d a2[lanesPerRound];
    __m256d b1[lanesPerRound];
    __m256d b2[lanesPerRound];
    std::size_t i = 0;
    while (i + 4 <= count) {
        const std::size_t left = (count - i) / 4;
        const std::size_t round = left < lanesPerRound ? left : lanesPerRound;
        for (std::size_t k = 0; k < round; ++k) {
            // Counter values stay exact in double precision.
            const double base = static_cast<double>(first) + static_cast<double>(i + 4 * k) * step;
            const __m256d n = _mm256_add_pd(_mm256_set1_pd(base), lanes);
            const __m256d perMille = _mm256_div_pd(n, thousand);
            a1[k] = _mm256_mul_pd(_mm256_set1_pd(p.x.rotFactor),
                                  _mm256_add_pd(perMille, _mm256_set1_pd(p.x.rotAngle)));
            a2[k] = _mm256_mul_pd(_mm256_set1_pd(p.x.wstFactor),
                                  _mm256_add_pd(_mm256_div_pd(n, _mm256_set1_pd(p.x.freqDivisor)),
                                                _mm256_set1_pd(p.x.wstAngle)));
            b1[k] = _mm256_mul_pd(_mm256_set1_pd(p.y.rotFactor),
                                  _mm256_add_pd(perMille, _mm256_set1_pd(p.y.rotAngle)));
            b2[k] = _mm256_mul_pd(_mm256_set1_pd(p.y.wstFactor),
                                  _mm256_add_pd(_mm256_div_pd(n, _mm256_set1_pd(p.y.freqDivisor)),
                                                _mm256_set1_pd(p.y.wstAngle)));
        }
        for (std::size_t k = 0; k < round; ++k)
            a1[k] = _ZGVdN4v_cos(a1[k]);
        for (std::size_t k = 0; k < round; ++k)
            a2[k] = _ZGVdN4v_cos(a2[k]);
        for (std::size_t k = 0; k < round; ++k)
            b1[k] = _ZGVdN4v_sin(b1[k]);
        for (std::size_t k = 0; k < round; ++k)
            b2[k] = _ZGVdN4v_sin(b2[k]);
        for (std::size_t k = 0; k < round; ++k) {
            if (!p.allPowersOne)
                applyPowers(p, a1[k], a2[k], b1[k], b2[k]);
            const __m128 x = coordinate(a1[k], a2[k], p.x.amplitude, p.scaleX, drawLeftOffset);
            const __m128 y = coordinate(b1[k], b2[k], p.y.amplitude, p.scaleY, drawTopOffset);
            auto *target = reinterpret_cast<float *>(out + i + 4 * k);
            _mm_storeu_ps(target, _mm_unpacklo_ps(x, y));
            _mm_storeu_ps(target + 4, _mm_unpackhi_ps(x, y));
        }
        i += 4 * round;
    }
    for (; i < count; ++i) {
        const auto n = static_cast<std::int32_t>(first + static_cast<std::int64_t>(i) * step);
        out[i] = curvePoint(p, n, drawLeftOffset, drawTopOffset);
    }
}

} // namespace curve::vector
