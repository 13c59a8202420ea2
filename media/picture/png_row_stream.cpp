// Inflates IDAT data into a band of a few hundred kilobytes: large enough
// that zlib's per-call window copy costs little, small enough to stay in
// cache while the rows in it are unfiltered.
#include "media/picture/png_row_stream.h"

#include "base/errors.h"
#include "media/picture/png_errors.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace picture {

namespace {

constexpr size_t kBandBytes = 256 * 1024;

} // namespace

PngRowStream::PngRowStream(const std::vector<std::string_view>& chunks, size_t longestRow)
    : chunks_(chunks), band_(std::max(kBandBytes, 2 * longestRow))
{
    // Each return from inflate copies up to 32 KiB into its window, and
    // writers cut the stream into 8 KiB chunks: joined, it costs one pass.
    if (chunks.size() > 1) {
        size_t total = 0;
        for (std::string_view chunk : chunks)
            total += chunk.size();
        joined_.reserve(total);
        for (std::string_view chunk : chunks)
            joined_.append(chunk);
        joinedView_.push_back(joined_);
        chunks_ = joinedView_;
    }
    if (inflateInit(&zlib_) != Z_OK)
        throw EOutOfMemory(base::kOutOfMemory);
}

PngRowStream::~PngRowStream()
{
    inflateEnd(&zlib_);
}

const uint8_t* PngRowStream::next(size_t length)
{
    if (end_ - begin_ < length) {
        // Keep the partial row at the front so the band has room for the rest.
        std::memmove(band_.data(), band_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
        while (end_ < length)
            inflateMore();
    }
    const uint8_t* row = band_.data() + begin_;
    begin_ += length;
    return row;
}

void PngRowStream::finish()
{
    while (!ended_ && (zlib_.avail_in > 0 || takeInput())) {
        begin_ = end_ = 0;
        inflateMore();
    }
}

bool PngRowStream::takeInput()
{
    while (nextChunk_ < chunks_.size()) {
        const std::string_view chunk = chunks_[nextChunk_++];
        if (chunk.empty())
            continue;
        // Chunk lengths are 31-bit values, so each one fits zlib's counter.
        zlib_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(chunk.data()));
        zlib_.avail_in = static_cast<uInt>(chunk.size());
        return true;
    }
    return false;
}

void PngRowStream::inflateMore()
{
    if (ended_)
        throw EQMPNGMissingMultipleIDAT();
    if (zlib_.avail_in == 0 && !takeInput())
        throw EQMPNGMissingMultipleIDAT();
    const size_t room = std::min(band_.size() - end_, size_t{std::numeric_limits<uInt>::max()});
    zlib_.next_out = band_.data() + end_;
    zlib_.avail_out = static_cast<uInt>(room);
    const int status = inflate(&zlib_, Z_NO_FLUSH);
    end_ += room - zlib_.avail_out;
    switch (status) {
    case Z_OK:
    case Z_BUF_ERROR: // wants more input: the next call takes the next chunk
        return;
    case Z_STREAM_END: ended_ = true; return;
    case Z_MEM_ERROR: throw EOutOfMemory(base::kOutOfMemory);
    default: throw EQMPNGZLIBError(zlib_.msg != nullptr ? zlib_.msg : zError(status));
    }
}

} // namespace picture
