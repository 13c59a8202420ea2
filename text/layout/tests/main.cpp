// One executable for the layout's tests: each class runs in turn under one
// QApplication (offscreen under ctest).
#include <QApplication>

int runHeightTreeTest(int argc, char** argv);
int runDocumentLayoutTest(int argc, char** argv);
int runLargeDocumentTest(int argc, char** argv);

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int failed = 0;
    failed += runHeightTreeTest(argc, argv);
    failed += runDocumentLayoutTest(argc, argv);
    failed += runLargeDocumentTest(argc, argv);
    return failed == 0 ? 0 : 1;
}
