// The RTF writer's output buffer: appends without the zero-filling and
// bookkeeping of a growing std::string.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

namespace text {

// A finished file in the writer's buffer: the bytes from `start`.
struct RtfFile {
    std::unique_ptr<char[]> data;
    size_t start = 0;
    size_t size = 0;
    std::string_view bytes() const { return {data.get() + start, size}; }
};

class RtfOutput {
public:
    RtfOutput() = default;
    // Leaves `room` bytes before the text for prepend().
    explicit RtfOutput(size_t room)
    {
        reserve(room);
        next_ += room;
        start_ = room;
    }

    // Puts `text` in front of everything written, in the room left for it.
    bool prepend(std::string_view text)
    {
        if (text.size() > start_)
            return false;
        start_ -= text.size();
        std::memcpy(data_.get() + start_, text.data(), text.size());
        return true;
    }

    RtfFile release() &&
    {
        const size_t size = view().size();
        return RtfFile{std::move(data_), start_, size};
    }

    void reserve(size_t more)
    {
        if (static_cast<size_t>(end_ - next_) >= more)
            return;
        const size_t used = static_cast<size_t>(next_ - data_.get());
        const size_t capacity = std::max(2 * (used + more), size_t{4096});
        auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
        if (used > 0)
            std::memcpy(bigger.get(), data_.get(), used);
        data_ = std::move(bigger);
        next_ = data_.get() + used;
        end_ = data_.get() + capacity;
    }
    RtfOutput& operator+=(char c)
    {
        reserve(1);
        *next_++ = c;
        return *this;
    }
    // A string literal: its length is known here, and one fixed copy writes it.
    template <size_t N>
    RtfOutput& operator+=(const char (&literal)[N])
    {
        static_assert(N > 0);
        reserve(N);
        std::memcpy(next_, literal, N - 1);
        next_ += N - 1;
        return *this;
    }
    RtfOutput& operator+=(std::string_view text)
    {
        reserve(text.size());
        // Most pieces are a few control words: a loop beats a call.
        if (text.size() <= 32) {
            for (const char c : text)
                *next_++ = c;
        } else {
            std::memcpy(next_, text.data(), text.size());
            next_ += text.size();
        }
        return *this;
    }
    // \uN? for one UTF-16 unit: N signed, as RTF counts, with a '?' for
    // readers that do not know \u.
    void unicode(char16_t unit)
    {
        char* p = claim(10);
        *p++ = '\\';
        *p++ = 'u';
        p = std::to_chars(p, p + 6, static_cast<int16_t>(unit)).ptr;
        *p++ = '?';
        commit(p);
    }
    // A control word with its numeric parameter: \name123.
    void word(std::string_view name, int64_t value)
    {
        *this += '\\';
        *this += name;
        char* digits = claim(24);
        commit(std::to_chars(digits, digits + 24, value).ptr);
    }
    // Room for `count` bytes the caller writes through the pointer, then
    // hands back to commit().
    char* claim(size_t count)
    {
        reserve(count);
        return next_;
    }
    void commit(char* end) { next_ = end; }
    std::string_view view() const { return {data_.get() + start_, static_cast<size_t>(next_ - data_.get()) - start_}; }

private:
    std::unique_ptr<char[]> data_;
    size_t start_ = 0;
    char* next_ = nullptr;
    char* end_ = nullptr;
};

} // namespace text
