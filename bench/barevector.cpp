// SPDX-License-Identifier: GPL-3.0-or-later
// Built with AVX2 and FMA, like the formula's own four-wide path.

#include "barevector.h"

#include <immintrin.h>

extern "C" __m256d _ZGVdN4v_cos(__m256d);
extern "C" __m256d _ZGVdN4v_sin(__m256d);

namespace barevector {

bool available()
{
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

void points(double first, double step, std::size_t count, float *out)
{
    const __m256d lanes = _mm256_mul_pd(_mm256_set_pd(3, 2, 1, 0), _mm256_set1_pd(step));
    const __m256d slow = _mm256_set1_pd(0.001);
    const __m256d fast = _mm256_set1_pd(-0.007);
    for (std::size_t i = 0; i + 4 <= count; i += 4) {
        const __m256d n = _mm256_add_pd(_mm256_set1_pd(first + static_cast<double>(i) * step), lanes);
        const __m256d x =
            _mm256_add_pd(_ZGVdN4v_cos(_mm256_mul_pd(n, slow)), _ZGVdN4v_cos(_mm256_mul_pd(n, fast)));
        const __m256d y =
            _mm256_add_pd(_ZGVdN4v_sin(_mm256_mul_pd(n, slow)), _ZGVdN4v_sin(_mm256_mul_pd(n, fast)));
        const __m128 xs = _mm256_cvtpd_ps(x);
        const __m128 ys = _mm256_cvtpd_ps(y);
        _mm_storeu_ps(out + 2 * i, _mm_unpacklo_ps(xs, ys));
        _mm_storeu_ps(out + 2 * i + 4, _mm_unpackhi_ps(xs, ys));
    }
}

} // namespace barevector
