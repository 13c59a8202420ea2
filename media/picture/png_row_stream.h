// The PNG reader's inflate stage: the data of consecutive IDAT chunks is one
// zlib stream, handed out in rows of the caller's length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <zlib.h>

namespace picture {

class PngRowStream {
public:
    // `chunks` (the IDAT data in file order) must outlive the stream; no row
    // asked for may be longer than `longestRow`.
    PngRowStream(const std::vector<std::string_view>& chunks, size_t longestRow);
    ~PngRowStream();
    PngRowStream(const PngRowStream&) = delete;
    PngRowStream& operator=(const PngRowStream&) = delete;

    // The next `length` inflated bytes, valid until the next call. Throws
    // EQMPNGMissingMultipleIDAT when the data ends first, EQMPNGZLIBError
    // when inflate fails.
    const uint8_t* next(size_t length);

    // Inflates what follows the last row up to the stream's end, so that a
    // wrong check value is still reported; surplus data is dropped.
    void finish();

private:
    bool takeInput();
    void inflateMore();

    std::string joined_;
    std::vector<std::string_view> joinedView_;
    std::span<const std::string_view> chunks_;
    size_t nextChunk_ = 0;
    z_stream zlib_{};
    bool ended_ = false;
    // Inflated bytes not yet handed out lie in band_[begin_, end_).
    std::vector<uint8_t> band_;
    size_t begin_ = 0;
    size_t end_ = 0;
};

} // namespace picture
