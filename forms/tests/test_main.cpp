#include "test_main.h"

#include <QApplication>
#include <QTest>

#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int failures = 0;
    for (const auto& make : forms_test::registry()) {
        std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures;
}
