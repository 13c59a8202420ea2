// Fills a message pattern's "%s" and "%d" placeholders in order, the way the
// designed messages are written ("Cannot open file \"%s\". %s").
#pragma once

#include <string>
#include <string_view>
#include <type_traits>

namespace base {

namespace detail {
inline std::string toText(std::string_view s) { return std::string(s); }
inline std::string toText(const std::string& s) { return s; }
inline std::string toText(const char* s) { return s; }
template <typename T>
    requires std::is_integral_v<T>
std::string toText(T value) { return std::to_string(value); }
} // namespace detail

// Each placeholder takes the next argument; surplus placeholders stay as
// written, surplus arguments are ignored. "%%" is a literal percent sign.
template <typename... Args>
std::string formatMessage(std::string_view pattern, const Args&... args)
{
    const std::string values[] = {detail::toText(args)..., std::string()};
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size()) {
            const char k = pattern[i + 1];
            if (k == '%') {
                out += '%';
                ++i;
                continue;
            }
            if ((k == 's' || k == 'd') && next < sizeof...(Args)) {
                out += values[next++];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace base
