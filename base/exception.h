// The root of every failure the program reports to the writer: an exception
// whose text is the exact, complete message the error box shows.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace base {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& message() const noexcept { return message_; }

private:
    std::string message_;
};

} // namespace base

// Declares a failure class named by the design, derived from `parent`.
#define QUELMAR_EXCEPTION(name, parent)                       \
    class name : public parent {                              \
    public:                                                   \
        explicit name(std::string message) : parent(std::move(message)) {} \
    }
