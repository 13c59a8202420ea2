// Row reconstruction. The Sub, Average and Paeth filters chain from pixel to
// pixel, so for 3- and 4-byte pixels (the photographs a backdrop is made of)
// each pixel is handled as one SSE2 register; other layouts take the plain
// byte loops, which are also the reference the vector loops must match.
#include "media/picture/png_unfilter.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace picture {

namespace {

void unfilterSub(const uint8_t* in, uint8_t* out, size_t length, size_t bpp)
{
    const size_t lead = bpp < length ? bpp : length;
    std::memcpy(out, in, lead);
    for (size_t i = bpp; i < length; ++i)
        out[i] = static_cast<uint8_t>(in[i] + out[i - bpp]);
}

void unfilterUp(const uint8_t* in, const uint8_t* prev, uint8_t* out, size_t length)
{
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= length; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_add_epi8(x, b));
    }
#endif
    for (; i < length; ++i)
        out[i] = static_cast<uint8_t>(in[i] + prev[i]);
}

void unfilterAverage(const uint8_t* in, const uint8_t* prev, uint8_t* out, size_t length, size_t bpp)
{
    const size_t lead = bpp < length ? bpp : length;
    for (size_t i = 0; i < lead; ++i)
        out[i] = static_cast<uint8_t>(in[i] + (prev[i] >> 1));
    for (size_t i = bpp; i < length; ++i)
        out[i] = static_cast<uint8_t>(in[i] + ((out[i - bpp] + prev[i]) >> 1));
}

uint8_t paethPredictor(int a, int b, int c)
{
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc)
        return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

void unfilterPaeth(const uint8_t* in, const uint8_t* prev, uint8_t* out, size_t length, size_t bpp)
{
    const size_t lead = bpp < length ? bpp : length;
    for (size_t i = 0; i < lead; ++i)
        out[i] = static_cast<uint8_t>(in[i] + prev[i]);
    for (size_t i = bpp; i < length; ++i)
        out[i] = static_cast<uint8_t>(in[i] + paethPredictor(out[i - bpp], prev[i], prev[i - bpp]));
}

#if defined(__SSE2__)

// One pixel of 3 or 4 bytes in the low lanes of a register. Reading and
// writing exactly `Bytes` keeps the last pixel of a row inside its buffer.
template <size_t Bytes>
__m128i loadPixel(const uint8_t* p)
{
    int32_t v = 0;
    std::memcpy(&v, p, Bytes);
    return _mm_cvtsi32_si128(v);
}

template <size_t Bytes>
void storePixel(uint8_t* p, __m128i v)
{
    const int32_t x = _mm_cvtsi128_si32(v);
    std::memcpy(p, &x, Bytes);
}

template <size_t Bytes>
void unfilterSubPixels(const uint8_t* in, uint8_t* out, size_t length)
{
    __m128i a = _mm_setzero_si128();
    for (size_t i = 0; i + Bytes <= length; i += Bytes) {
        a = _mm_add_epi8(a, loadPixel<Bytes>(in + i));
        storePixel<Bytes>(out + i, a);
    }
}

template <size_t Bytes>
void unfilterAveragePixels(const uint8_t* in, const uint8_t* prev, uint8_t* out, size_t length)
{
    const __m128i one = _mm_set1_epi8(1);
    __m128i a = _mm_setzero_si128();
    for (size_t i = 0; i + Bytes <= length; i += Bytes) {
        const __m128i b = loadPixel<Bytes>(prev + i);
        // _mm_avg_epu8 rounds up; the filter's average rounds down.
        const __m128i avg = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
        a = _mm_add_epi8(avg, loadPixel<Bytes>(in + i));
        storePixel<Bytes>(out + i, a);
    }
}

__m128i absolute16(__m128i x)
{
    return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x));
}

__m128i select16(__m128i mask, __m128i ifTrue, __m128i ifFalse)
{
    return _mm_or_si128(_mm_and_si128(mask, ifTrue), _mm_andnot_si128(mask, ifFalse));
}

// The predictor in 16-bit lanes; pa = |b - c| does not depend on the pixel
// to the left, so only pb, pc and the choice sit on the chain between pixels.
template <size_t Bytes>
void unfilterPaethPixels(const uint8_t* in, const uint8_t* prev, uint8_t* out, size_t length)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero;
    __m128i c = zero;
    for (size_t i = 0; i + Bytes <= length; i += Bytes) {
        const __m128i b = _mm_unpacklo_epi8(loadPixel<Bytes>(prev + i), zero);
        const __m128i x = _mm_unpacklo_epi8(loadPixel<Bytes>(in + i), zero);
        const __m128i bc = _mm_sub_epi16(b, c);
        const __m128i ac = _mm_sub_epi16(a, c);
        const __m128i pa = absolute16(bc);
        const __m128i pb = absolute16(ac);
        const __m128i pc = absolute16(_mm_add_epi16(bc, ac));
        const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
        const __m128i predicted =
            select16(_mm_cmpeq_epi16(smallest, pa), a, select16(_mm_cmpeq_epi16(smallest, pb), b, c));
        a = _mm_and_si128(_mm_add_epi16(predicted, x), _mm_set1_epi16(0xFF));
        storePixel<Bytes>(out + i, _mm_packus_epi16(a, a));
        c = b;
    }
}

template <size_t Bytes>
void unfilterPixels(uint8_t filter, const uint8_t* in, const uint8_t* prev, uint8_t* out, size_t length)
{
    switch (static_cast<PngFilter>(filter)) {
    case PngFilter::Sub: unfilterSubPixels<Bytes>(in, out, length); break;
    case PngFilter::Average: unfilterAveragePixels<Bytes>(in, prev, out, length); break;
    case PngFilter::Paeth: unfilterPaethPixels<Bytes>(in, prev, out, length); break;
    default: break;
    }
}

#endif

} // namespace

bool unfilterRow(uint8_t filter, const uint8_t* in, const uint8_t* prev, uint8_t* out, size_t length,
                 size_t pixelBytes)
{
    switch (static_cast<PngFilter>(filter)) {
    case PngFilter::None: std::memcpy(out, in, length); return true;
    case PngFilter::Up: unfilterUp(in, prev, out, length); return true;
    case PngFilter::Sub:
    case PngFilter::Average:
    case PngFilter::Paeth: break;
    default: return false;
    }
#if defined(__SSE2__)
    // A row of whole pixels: the vector loops cover it exactly.
    if (pixelBytes == 4 && length % 4 == 0) {
        unfilterPixels<4>(filter, in, prev, out, length);
        return true;
    }
    if (pixelBytes == 3 && length % 3 == 0) {
        unfilterPixels<3>(filter, in, prev, out, length);
        return true;
    }
#endif
    if (filter == static_cast<uint8_t>(PngFilter::Sub))
        unfilterSub(in, out, length, pixelBytes);
    else if (filter == static_cast<uint8_t>(PngFilter::Average))
        unfilterAverage(in, prev, out, length, pixelBytes);
    else
        unfilterPaeth(in, prev, out, length, pixelBytes);
    return true;
}

} // namespace picture
