// libjpeg keeps its error handling in C: error_exit longjmps back into the
// one function that called setjmp, which holds only plain data, and the C++
// caller turns the stored message code into EJPEG. Warnings are dropped.
#include "media/picture/jpeg_reader.h"

#include "base/checked.h"
#include "base/errors.h"
#include "base/message.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <jerror.h>
#include <new>

namespace picture {

namespace {

// A hostile progressive file can hold thousands of tiny scans, each costing
// a pass over the whole coefficient buffer; real encoders write a dozen.
constexpr int kMaxScans = 1000;
// libjpeg's own working memory beyond the output rows (coefficient buffers
// of progressive files), bounded like the pixels.
constexpr long kMaxDecoderMemory = 1024L << 20;

struct ErrorState {
    jpeg_error_mgr manager;
    jmp_buf jump;
    int code;
};

void onErrorExit(j_common_ptr cinfo)
{
    auto* state = reinterpret_cast<ErrorState*>(cinfo->err);
    state->code = cinfo->err->msg_code;
    std::longjmp(state->jump, 1);
}

void onMessage(j_common_ptr, int) {}

void onProgress(j_common_ptr cinfo)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans)
        ERREXIT(cinfo, JERR_BAD_PROGRESSION);
}

enum class Stage { Header, Pixels };

// Plain data only: nothing here has a destructor that longjmp could skip.
// `out` is allocated by the caller once the header is known (`allocate`).
struct DecodeJob {
    const unsigned char* data;
    unsigned long size;
    Stage stage;
    JpegHeader header;
    bool cmyk;
    bool adobeInverted;
    unsigned char* (*allocate)(void* owner, JpegHeader header);
    void* owner;
};

void chooseOutput(jpeg_decompress_struct& cinfo, DecodeJob& job)
{
    job.cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    job.adobeInverted = job.cmyk && cinfo.saw_Adobe_marker;
    if (job.cmyk)
        cinfo.out_color_space = JCS_CMYK;
    else if (job.header.grayscale)
        cinfo.out_color_space = JCS_GRAYSCALE;
    else
        cinfo.out_color_space = JCS_EXT_RGBA;
}

// Expands one decoded row in place to RGBA; the row buffer holds width * 4
// bytes, so the narrower gray samples are read from the end backwards.
void expandRow(unsigned char* row, JDIMENSION width, const DecodeJob& job)
{
    if (job.cmyk) {
        for (JDIMENSION x = 0; x < width; ++x) {
            unsigned char* p = row + x * 4;
            unsigned c = p[0], m = p[1], y = p[2], k = p[3];
            if (!job.adobeInverted) {
                c = 255 - c; m = 255 - m; y = 255 - y; k = 255 - k;
            }
            p[0] = static_cast<unsigned char>(c * k / 255);
            p[1] = static_cast<unsigned char>(m * k / 255);
            p[2] = static_cast<unsigned char>(y * k / 255);
            p[3] = 255;
        }
    } else if (job.header.grayscale) {
        for (JDIMENSION x = width; x-- > 0;) {
            const unsigned char g = row[x];
            std::memset(row + x * 4, g, 3);
            row[x * 4 + 3] = 255;
        }
    }
}

// Returns 0, or libjpeg's message code when it failed.
int runDecoder(DecodeJob& job)
{
    jpeg_decompress_struct cinfo;
    ErrorState error;
    jpeg_progress_mgr progress;
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = onErrorExit;
    error.manager.emit_message = onMessage;
    error.code = 0;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return error.code;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
    progress.progress_monitor = onProgress;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, job.data, job.size);
    jpeg_read_header(&cinfo, TRUE);
    job.header.width = static_cast<int32_t>(cinfo.image_width);
    job.header.height = static_cast<int32_t>(cinfo.image_height);
    job.header.grayscale = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    job.header.progressive = jpeg_has_multiple_scans(&cinfo) != 0;
    unsigned char* out = job.allocate(job.owner, job.header);
    if (job.stage == Stage::Header || out == nullptr) {
        jpeg_destroy_decompress(&cinfo);
        return 0;
    }
    chooseOutput(cinfo, job);
    jpeg_start_decompress(&cinfo);
    const size_t stride = static_cast<size_t>(cinfo.output_width) * 4;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out + cinfo.output_scanline * stride;
        jpeg_read_scanlines(&cinfo, &row, 1);
        expandRow(row, cinfo.output_width, job);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return 0;
}

void checkPixelCount(const JpegHeader& header)
{
    const auto pixels = base::checkedMul<uint64_t>(static_cast<uint64_t>(header.width),
                                                   static_cast<uint64_t>(header.height));
    if (!pixels || *pixels > kMaxPixels)
        throw EOutOfMemory(base::kOutOfMemory);
}

struct DecodeTarget {
    RgbaImage image;
    bool tooLarge = false;
};

unsigned char* allocatePixels(void* owner, JpegHeader header)
{
    auto* target = static_cast<DecodeTarget*>(owner);
    const auto pixels = base::checkedMul<uint64_t>(static_cast<uint64_t>(header.width),
                                                   static_cast<uint64_t>(header.height));
    if (!pixels || *pixels > kMaxPixels) {
        target->tooLarge = true;
        return nullptr;
    }
    if (*pixels == 0)
        return nullptr;
    // No exception may leave through the decoder's frame: report instead.
    try {
        target->image.pixels.assign(*pixels * 4, 0);
    } catch (const std::bad_alloc&) {
        target->tooLarge = true;
        return nullptr;
    }
    target->image.width = header.width;
    target->image.height = header.height;
    return target->image.pixels.data();
}

unsigned char* allocateNothing(void*, JpegHeader) { return nullptr; }

DecodeJob makeJob(std::string_view data, Stage stage)
{
    DecodeJob job{};
    job.data = reinterpret_cast<const unsigned char*>(data.data());
    job.size = static_cast<unsigned long>(data.size());
    job.stage = stage;
    return job;
}

void throwOnFailure(int code)
{
    if (code != 0)
        throw EJPEG(base::formatMessage("JPEG error #%d", code));
}

} // namespace

JpegHeader readJpegHeader(std::string_view data)
{
    if (data.empty())
        return {};
    DecodeJob job = makeJob(data, Stage::Header);
    job.allocate = allocateNothing;
    throwOnFailure(runDecoder(job));
    checkPixelCount(job.header);
    return job.header;
}

RgbaImage decodeJpeg(std::string_view data)
{
    if (data.empty())
        return {};
    DecodeTarget target;
    DecodeJob job = makeJob(data, Stage::Pixels);
    job.allocate = allocatePixels;
    job.owner = &target;
    const int code = runDecoder(job);
    if (target.tooLarge)
        throw EOutOfMemory(base::kOutOfMemory);
    throwOnFailure(code);
    return std::move(target.image);
}

} // namespace picture
