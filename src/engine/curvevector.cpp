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

__m256d absolute(__m256d value) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), value); }

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

void curvePoints(const CurveParameters &p, std::int32_t first, std::int32_t step, std::size_t count,
                 std::int32_t drawLeftOffset, std::int32_t drawTopOffset, CurvePointF *out)
{
    const __m256d thousand = _mm256_set1_pd(1000.0);
    const __m256d lanes = _mm256_mul_pd(_mm256_set_pd(3, 2, 1, 0), _mm256_set1_pd(step));
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        // Counter values stay exact in double precision.
        const double base = static_cast<double>(first) + static_cast<double>(i) * step;
        const __m256d n = _mm256_add_pd(_mm256_set1_pd(base), lanes);
        const __m256d perMille = _mm256_div_pd(n, thousand);
        __m256d a1 = _ZGVdN4v_cos(_mm256_mul_pd(_mm256_set1_pd(p.x.rotFactor),
                                                _mm256_add_pd(perMille, _mm256_set1_pd(p.x.rotAngle))));
        __m256d a2 = _ZGVdN4v_cos(
            _mm256_mul_pd(_mm256_set1_pd(p.x.wstFactor),
                          _mm256_add_pd(_mm256_div_pd(n, _mm256_set1_pd(p.x.freqDivisor)),
                                        _mm256_set1_pd(p.x.wstAngle))));
        __m256d b1 = _ZGVdN4v_sin(_mm256_mul_pd(_mm256_set1_pd(p.y.rotFactor),
                                                _mm256_add_pd(perMille, _mm256_set1_pd(p.y.rotAngle))));
        __m256d b2 = _ZGVdN4v_sin(
            _mm256_mul_pd(_mm256_set1_pd(p.y.wstFactor),
                          _mm256_add_pd(_mm256_div_pd(n, _mm256_set1_pd(p.y.freqDivisor)),
                                        _mm256_set1_pd(p.y.wstAngle))));
        if (!p.allPowersOne)
            applyPowers(p, a1, a2, b1, b2);
        const __m128 x = coordinate(a1, a2, p.x.amplitude, p.scaleX, drawLeftOffset);
        const __m128 y = coordinate(b1, b2, p.y.amplitude, p.scaleY, drawTopOffset);
        auto *target = reinterpret_cast<float *>(out + i);
        _mm_storeu_ps(target, _mm_unpacklo_ps(x, y));
        _mm_storeu_ps(target + 4, _mm_unpackhi_ps(x, y));
    }
    for (; i < count; ++i) {
        const auto n = static_cast<std::int32_t>(first + static_cast<std::int64_t>(i) * step);
        out[i] = curvePoint(p, n, drawLeftOffset, drawTopOffset);
    }
}

} // namespace curve::vector
