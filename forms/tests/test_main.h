// Lets each test file of this folder register its Qt Test class, so that the
// folder builds one test program with one offscreen application.
#pragma once

#include <QObject>

#include <functional>
#include <vector>

namespace forms_test {

using Factory = std::function<QObject*()>;

inline std::vector<Factory>& registry()
{
    static std::vector<Factory> factories;
    return factories;
}

struct Registration {
    explicit Registration(Factory f) { registry().push_back(std::move(f)); }
};

} // namespace forms_test

#define FORMS_TEST(Class) \
    static const forms_test::Registration registration##Class([] { return static_cast<QObject*>(new Class); })
