// One offscreen application for every test class of the text area.
#include <QApplication>
#include <QTest>

int runTextAreaTests(int argc, char** argv);
int runQtDocumentTests(int argc, char** argv);
int runFragmentOrderTests(int argc, char** argv);

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int failures = runTextAreaTests(argc, argv);
    failures += runQtDocumentTests(argc, argv);
    failures += runFragmentOrderTests(argc, argv);
    return failures;
}
