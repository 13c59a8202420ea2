// The height tree against a plain vector doing the same edits: sums,
// look-ups by offset and the search for unmeasured entries must agree.
#include <QTest>
#include <random>
#include <vector>

#include "text/layout/height_tree.h"

namespace text {
namespace {

struct Model {
    std::vector<BlockExtent> entries;

    int64_t offsetOf(int index) const
    {
        int64_t sum = 0;
        for (int i = 0; i < index; ++i)
            sum += entries[static_cast<size_t>(i)].span();
        return sum;
    }
    int firstUnmeasured(int from) const
    {
        for (size_t i = static_cast<size_t>(from); i < entries.size(); ++i)
            if (!entries[i].measured)
                return static_cast<int>(i);
        return -1;
    }
};

BlockExtent randomExtent(std::mt19937& random)
{
    BlockExtent e;
    e.height = static_cast<int32_t>(random() % 4000);
    e.gap = static_cast<int32_t>(random() % 3) * 64;
    e.measured = random() % 3 != 0;
    return e;
}

void compare(const HeightTree& tree, const Model& model, std::mt19937& random)
{
    const int size = static_cast<int>(model.entries.size());
    QCOMPARE(tree.size(), size);
    QCOMPARE(tree.total(), model.offsetOf(size));
    int unmeasured = 0;
    for (const BlockExtent& e : model.entries)
        unmeasured += e.measured ? 0 : 1;
    QCOMPARE(tree.unmeasuredCount(), unmeasured);
    for (int probe = 0; probe < 20 && size > 0; ++probe) {
        const int i = static_cast<int>(random() % static_cast<unsigned>(size));
        QCOMPARE(tree.offsetOf(i), model.offsetOf(i));
        QCOMPARE(tree.at(i).height, model.entries[static_cast<size_t>(i)].height);
        QCOMPARE(tree.firstUnmeasured(i), model.firstUnmeasured(i));
        // Every offset inside entry i's span maps back to i, unless the span is empty.
        const BlockExtent& e = model.entries[static_cast<size_t>(i)];
        if (e.span() > 0) {
            QCOMPARE(tree.indexAt(model.offsetOf(i)), i);
            QCOMPARE(tree.indexAt(model.offsetOf(i) + e.span() - 1), i);
        }
    }
}

}  // namespace

class HeightTreeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void agreesWithAVectorThroughRandomEdits()
    {
        std::mt19937 random(7);
        HeightTree tree;
        Model model;
        for (int step = 0; step < 3000; ++step) {
            const int size = static_cast<int>(model.entries.size());
            const auto op = random() % 10;
            if (op < 6 || size == 0) {
                // Replace a range (typing, Enter, pasting, deleting paragraphs).
                const int at = size == 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(size + 1));
                const int count = qMin(size - at, static_cast<int>(random() % 4));
                std::vector<BlockExtent> added(random() % 5);
                for (BlockExtent& e : added)
                    e = randomExtent(random);
                tree.replace(at, count, added);
                model.entries.erase(model.entries.begin() + at, model.entries.begin() + at + count);
                model.entries.insert(model.entries.begin() + at, added.begin(), added.end());
            } else if (op < 9) {
                const int at = static_cast<int>(random() % static_cast<unsigned>(size));
                const BlockExtent e = randomExtent(random);
                tree.set(at, e);
                model.entries[static_cast<size_t>(at)] = e;
            } else if (step % 7 == 0) {
                tree.markAllUnmeasured();
                for (BlockExtent& e : model.entries)
                    e.measured = false;
            }
            compare(tree, model, random);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("diverged at step %1").arg(step)));
        }
    }

    void mapsOffsetsOutsideTheTextToTheEnds()
    {
        HeightTree tree;
        QCOMPARE(tree.indexAt(0), -1);
        tree.replace(0, 0, {BlockExtent{640, 0, 0, 0, true}, BlockExtent{640, 64, 0, 0, true}});
        QCOMPARE(tree.indexAt(-100), 0);
        QCOMPARE(tree.indexAt(640), 1);  // the gap above the second belongs to it
        QCOMPARE(tree.indexAt(100000), 1);
        QCOMPARE(tree.firstUnmeasured(0), -1);
    }

    void buildsABookInOneGo()
    {
        std::vector<BlockExtent> book(100000, BlockExtent{1280, 64, 64, 64, false});
        HeightTree tree;
        tree.replace(0, 0, book);
        QCOMPARE(tree.total(), int64_t{100000} * 1344);
        QCOMPARE(tree.indexAt(int64_t{50000} * 1344 + 5), 50000);
        tree.replace(50000, 1, {BlockExtent{64, 0, 0, 0, true}});
        QCOMPARE(tree.firstUnmeasured(50000), 50001);
        QCOMPARE(tree.offsetOf(50001), int64_t{50000} * 1344 + 64);
    }
};

}  // namespace text

#include "height_tree_test.moc"

int runHeightTreeTest(int argc, char** argv)
{
    text::HeightTreeTest test;
    return QTest::qExec(&test, argc, argv);
}
