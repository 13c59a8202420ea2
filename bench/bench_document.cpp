// LoadDocument and SaveDocument of the 5 MB novel through the text area,
// beside the toolkit's fastest roads with the same text: setPlainText, and
// toPlainText plus writing those bytes.
#include "novel.h"
#include "ratio_reporter.h"
#include "text/area/text_area.h"
#include "text/area/text_editor.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>

namespace {

struct Files {
    QTemporaryDir dir;
    std::string rtf = (dir.path() + QStringLiteral("/novel.rtf")).toStdString();
    std::string out = (dir.path() + QStringLiteral("/saved.rtf")).toStdString();
    // The baseline writes a file of its own: replacing one file from both
    // would leave each of them the other's pages to flush.
    QString plainOut = dir.path() + QStringLiteral("/saved.txt");
    QString plain;

    Files()
    {
        std::ofstream(rtf, std::ios::binary) << bench::makeNovelRtf();
        text::TextArea area;
        area.LoadDocument(rtf);
        plain = area.editor()->toPlainText();
    }
};

Files& files()
{
    static Files f;
    return f;
}

void BM_SetPlainText(benchmark::State& state)
{
    QTextDocument doc;
    for (auto _ : state) {
        doc.setPlainText(files().plain);
        benchmark::DoNotOptimize(doc.characterCount());
    }
}
BENCHMARK(BM_SetPlainText)->Unit(benchmark::kMillisecond)->MinTime(1);

void BM_LoadDocument(benchmark::State& state)
{
    text::TextArea area;
    for (auto _ : state)
        area.LoadDocument(files().rtf);
}
BENCHMARK(BM_LoadDocument)->Unit(benchmark::kMillisecond)->MinTime(1);

void BM_ToPlainTextAndWrite(benchmark::State& state)
{
    QTextDocument doc;
    doc.setPlainText(files().plain);
    for (auto _ : state) {
        const QByteArray bytes = doc.toPlainText().toUtf8();
        QFile out(files().plainOut);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(bytes);
    }
}
BENCHMARK(BM_ToPlainTextAndWrite)->Unit(benchmark::kMillisecond)->MinTime(1);

void BM_SaveDocument(benchmark::State& state)
{
    text::TextArea area;
    area.LoadDocument(files().rtf);
    for (auto _ : state)
        area.SaveDocument(files().out);
}
BENCHMARK(BM_SaveDocument)->Unit(benchmark::kMillisecond)->MinTime(1);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return runWithRatios(argc, argv,
                         {{"BM_LoadDocument/min_time:1.000", "BM_SetPlainText/min_time:1.000", 2.5},
                          {"BM_SaveDocument/min_time:1.000", "BM_ToPlainTextAndWrite/min_time:1.000", 2.0}},
                         5);
}
