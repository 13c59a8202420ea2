// Checks shared by the picture readers' tests: a table of faulty files with
// the class and exact message each must fail with, and damaged copies of a
// good file (every truncation, every flipped bit) that may only fail cleanly.
#pragma once

#include "base/exception.h"

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

namespace picturetest {

struct Failure {
    const char* what;
    std::string file;
    const std::type_info& type;
    std::string message;
};

template <typename Read>
void expectFailures(Read read, const std::vector<Failure>& failures)
{
    for (const Failure& f : failures) {
        SCOPED_TRACE(f.what);
        try {
            read(f.file);
            ADD_FAILURE() << "loaded";
        } catch (const base::Exception& e) {
            EXPECT_EQ(typeid(e), f.type) << typeid(e).name();
            EXPECT_EQ(e.what(), f.message);
        }
    }
}

// Each damaged copy either loads or throws one of our classes; anything else
// escapes the test. Callers pass a reader with a low pixel ceiling, since a
// flipped size bit may ask for the largest picture allowed.
template <typename Read>
void expectDamageFailsCleanly(Read read, const std::string& file)
{
    auto survives = [&read](const std::string& bytes) {
        try {
            read(bytes);
        } catch (const base::Exception&) {
        }
    };
    for (size_t n = 0; n < file.size(); ++n)
        survives(file.substr(0, n));
    for (size_t bit = 0; bit < file.size() * 8; ++bit) {
        std::string flipped = file;
        flipped[bit / 8] = static_cast<char>(flipped[bit / 8] ^ (1 << (bit % 8)));
        survives(flipped);
    }
}

} // namespace picturetest
