#include "engine/trig_kernels.h"

#include <atomic>
#include <cstdint>
#include <cstring>

namespace skyvane::engine {

namespace {

// Every helper below must be inlined into the kernels: on x86-64 the
// kernels are compiled for two instruction sets, and a 32-byte vector passed to an
// out-of-line helper compiled for the other one would cross an ABI
// boundary.
#define KERNEL_INLINE inline __attribute__((always_inline))

typedef double V4 __attribute__((vector_size(32)));
typedef std::int64_t V4i __attribute__((vector_size(32)));

KERNEL_INLINE V4 Load(const double* p)
{
    V4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

KERNEL_INLINE void Store(double* p, V4 v) { std::memcpy(p, &v, sizeof v); }

KERNEL_INLINE V4 Splat(double x) { return V4{x, x, x, x}; }

// Adding and subtracting 1.5 * 2^52 rounds to the nearest integer, and in
// between the integer sits in the low bits of the mantissa.
constexpr double kRoundingShift = 6755399441055744.0;
constexpr double kInvPi = 0.31830988618379067154;
// Pi in three parts of 33, 33 and the remaining bits: k * part is exact for
// |k| < 2^20, so the reduction x - k * pi loses nothing for the arguments of
// the series (below 2^21 radians over the whole accepted time range).
constexpr double kPi1 = 3.14159265346825122834e+00;
constexpr double kPi2 = 1.21542010126079319532e-10;
constexpr double kPi3 = 4.04453249742233291160e-21;

// Near-minimax polynomials in t = r^2 on |r| <= pi/2 (a hair wider, for
// the rounding of the reduction): cos r = P(t) and sin r = r Q(t). Their
// error is below 7e-17, a fraction of the last place of the result; P(0)
// is exactly 1 so that the constant terms of the series stay exact.
constexpr double kCos[] = {1.0,
                           -0.4999999999999997,
                           0.04166666666666388,
                           -0.001388888888877292,
                           2.4801587277402905e-05,
                           -2.7557316389900044e-07,
                           2.0876561781878517e-09,
                           -1.1462900350687044e-11,
                           4.6089602423243444e-14};
constexpr double kSin[] = {1.0,
                           -0.16666666666666666,
                           0.008333333333333186,
                           -0.00019841269841208638,
                           2.7557319211223257e-06,
                           -2.505210688997513e-08,
                           1.6058940847832492e-10,
                           -7.643025738964345e-13,
                           2.7215660921125597e-15};
constexpr int kPolyTerms = sizeof kCos / sizeof kCos[0];
static_assert(sizeof kSin == sizeof kCos);

// Two short Horner chains joined by t^4 rather than one long one: the same
// polynomial with a chain of dependent operations half as long, which lets
// the processor overlap more terms of a series, for one operation more.
static_assert(kPolyTerms == 9, "the evaluation below is written out for 9 coefficients");
KERNEL_INLINE V4 Polynomial(const double* c, V4 t)
{
    const V4 t2 = t * t;
    const V4 t4 = t2 * t2;
    const V4 low = ((c[3] * t + c[2]) * t + c[1]) * t + c[0];
    const V4 high = (((c[8] * t + c[7]) * t + c[6]) * t + c[5]) * t + c[4];
    return low + high * t4;
}

// x = k * pi + r with |r| <= pi/2 (a hair more at the rounding boundary,
// where the polynomials are still exact to the last place); `signFlip` has
// the sign bit set where k is odd, since cos and sin change sign with
// every half turn.
struct Reduced {
    V4 r;
    V4i signFlip;
};

KERNEL_INLINE Reduced ReduceByPi(V4 x)
{
    const V4 shifted = x * kInvPi + kRoundingShift;
    const V4 k = shifted - kRoundingShift;
    V4 r = x - k * kPi1;
    r = r - k * kPi2;
    r = r - k * kPi3;
    return {r, reinterpret_cast<V4i>(shifted) << 63};
}

KERNEL_INLINE V4 FlipSign(V4 v, V4i signFlip)
{
    return reinterpret_cast<V4>(reinterpret_cast<V4i>(v) ^ signFlip);
}

KERNEL_INLINE V4 Cos(V4 x)
{
    const Reduced red = ReduceByPi(x);
    return FlipSign(Polynomial(kCos, red.r * red.r), red.signFlip);
}

// The loops themselves, inlined into each variant below.
KERNEL_INLINE void SumRunsBody(const double* a, const double* b, const double* c, const int* ends,
                               int seriesCount, double tau, double* sums)
{
    int i = 0;
    for (int k = 0; k < seriesCount; ++k) {
        V4 sum = Splat(0);
        for (; i < ends[k]; i += kKernelWidth)
            sum += Load(a + i) * Cos(Load(b + i) + Load(c + i) * tau);
        sums[k] = (sum[0] + sum[1]) + (sum[2] + sum[3]);
    }
}

KERNEL_INLINE void SinCosBody(const double* x, double* sinOut, double* cosOut, int count)
{
    for (int i = 0; i < count; i += kKernelWidth) {
        const Reduced red = ReduceByPi(Load(x + i));
        const V4 r2 = red.r * red.r;
        Store(sinOut + i, FlipSign(red.r * Polynomial(kSin, r2), red.signFlip));
        Store(cosOut + i, FlipSign(Polynomial(kCos, r2), red.signFlip));
    }
}

}  // namespace

// On x86-64 the kernels come in two builds: for AVX2 with fused
// multiply-add where the processor has them, and for plain SSE2 otherwise.
// The two round differently: the fused form computes B + C tau with one
// rounding instead of two, which moves an argument by at most half a unit
// in its last place (about 1e-10 rad for the fastest terms at the ends of
// the time range). That is far inside the truncated theory's own error,
// and worth the factor of two in speed.
//
// Where the object format and the C library resolve functions at load time
// (ELF with glibc: "ifunc"), GCC's instruction-set clones choose once and
// calls cost nothing extra. Elsewhere on x86-64 (Windows, and Clang, whose
// resolver for an "arch=" clone tests the processor's vendor rather than
// its features) the choice is made on the first call and kept in a
// function pointer, asking for AVX2 and FMA by name, which every compiler
// knows. Other processors get the portable vector code, which GCC maps to
// their own vector registers (two NEON registers per V4 on arm64).
#if defined(__x86_64__) && defined(__ELF__) && defined(__GLIBC__) && !defined(__clang__)
#define SKYVANE_KERNELS_CLONED 1
#elif defined(__x86_64__) && defined(__GNUC__)
#define SKYVANE_KERNELS_DISPATCHED 1
#endif

#if SKYVANE_KERNELS_CLONED

__attribute__((target_clones("arch=x86-64-v3", "default")))
void SumCosineSeriesRuns(const double* a, const double* b, const double* c, const int* ends,
                         int seriesCount, double tau, double* sums)
{
    SumRunsBody(a, b, c, ends, seriesCount, tau, sums);
}

__attribute__((target_clones("arch=x86-64-v3", "default")))
void SinCosArrays(const double* x, double* sinOut, double* cosOut, int count)
{
    SinCosBody(x, sinOut, cosOut, count);
}

std::vector<std::string> SeriesKernelVariants()
{
    __builtin_cpu_init();
    // The level GCC's resolver tests for the clone, so the name says which
    // one runs.
    return {__builtin_cpu_supports("x86-64-v3") ? "x86-64-v3 clone" : "baseline clone"};
}

#elif SKYVANE_KERNELS_DISPATCHED

namespace {

struct KernelSet {
    const char* name;
    void (*sumRuns)(const double*, const double*, const double*, const int*, int, double, double*);
    void (*sinCos)(const double*, double*, double*, int);
};

__attribute__((target("avx2,fma")))
void SumRunsV3(const double* a, const double* b, const double* c, const int* ends, int seriesCount,
               double tau, double* sums)
{
    SumRunsBody(a, b, c, ends, seriesCount, tau, sums);
}

__attribute__((target("avx2,fma")))
void SinCosV3(const double* x, double* sinOut, double* cosOut, int count)
{
    SinCosBody(x, sinOut, cosOut, count);
}

void SumRunsBaseline(const double* a, const double* b, const double* c, const int* ends,
                     int seriesCount, double tau, double* sums)
{
    SumRunsBody(a, b, c, ends, seriesCount, tau, sums);
}

void SinCosBaseline(const double* x, double* sinOut, double* cosOut, int count)
{
    SinCosBody(x, sinOut, cosOut, count);
}

constexpr KernelSet kV3{"AVX2+FMA via pointer", SumRunsV3, SinCosV3};
constexpr KernelSet kBaseline{"baseline via pointer", SumRunsBaseline, SinCosBaseline};

bool ProcessorHasV3()
{
    // The first call may come before the C runtime's constructors have run.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

// Null until the first call chooses; every thread chooses the same.
std::atomic<const KernelSet*> chosen{nullptr};

const KernelSet& Chosen()
{
    const KernelSet* set = chosen.load(std::memory_order_relaxed);
    if (set == nullptr) {
        set = ProcessorHasV3() ? &kV3 : &kBaseline;
        chosen.store(set, std::memory_order_relaxed);
    }
    return *set;
}

}  // namespace

void SumCosineSeriesRuns(const double* a, const double* b, const double* c, const int* ends,
                         int seriesCount, double tau, double* sums)
{
    Chosen().sumRuns(a, b, c, ends, seriesCount, tau, sums);
}

void SinCosArrays(const double* x, double* sinOut, double* cosOut, int count)
{
    Chosen().sinCos(x, sinOut, cosOut, count);
}

std::vector<std::string> SeriesKernelVariants()
{
    std::vector<std::string> names{Chosen().name};
    if (&Chosen() == &kV3) names.emplace_back(kBaseline.name);
    return names;
}

bool UseSeriesKernelVariant(const std::string& name)
{
    for (const KernelSet* set : {&kV3, &kBaseline}) {
        if (name != set->name) continue;
        if (set == &kV3 && !ProcessorHasV3()) return false;
        chosen.store(set, std::memory_order_relaxed);
        return true;
    }
    return false;
}

#else

void SumCosineSeriesRuns(const double* a, const double* b, const double* c, const int* ends,
                         int seriesCount, double tau, double* sums)
{
    SumRunsBody(a, b, c, ends, seriesCount, tau, sums);
}

void SinCosArrays(const double* x, double* sinOut, double* cosOut, int count)
{
    SinCosBody(x, sinOut, cosOut, count);
}

std::vector<std::string> SeriesKernelVariants() { return {"portable vectors"}; }

#endif

#if !SKYVANE_KERNELS_DISPATCHED
// One variant only, chosen by the build or the loader.
bool UseSeriesKernelVariant(const std::string& name) { return name == SeriesKernelVariants().front(); }
#endif

double SumCosineSeries(const double* a, const double* b, const double* c, int count,
                       double tau)
{
    double sum = 0;
    SumCosineSeriesRuns(a, b, c, &count, 1, tau, &sum);
    return sum;
}

}  // namespace skyvane::engine
