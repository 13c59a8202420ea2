// Reading order by the array must be the tree's order whenever it is taken:
// maps grown at the end (taken), then cut into, grown in the middle, emptied
// and refilled (freed nodes reused), each compared with the tree's order.
#include "text/area/fragment_order.h"

#include <QTest>
#include <QtGui/private/qtextdocument_p.h>

#include <random>
#include <vector>

namespace {

using Map = QFragmentMap<QTextFragmentData>;

std::vector<uint32_t> byTree(const Map& map)
{
    std::vector<uint32_t> nodes;
    for (auto it = map.begin(); !it.atEnd(); ++it)
        nodes.push_back(it.n);
    return nodes;
}

std::vector<uint32_t> byReadingOrder(const Map& map, bool* inArray)
{
    std::vector<uint32_t> nodes;
    text::InReadingOrder<QTextFragmentData> order(map);
    *inArray = order.inArray();
    for (; !order.atEnd(); order.next())
        nodes.push_back(static_cast<uint32_t>(&*order - map.fragment(1)) + 1);
    return nodes;
}

} // namespace

class FragmentOrderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void agreesWithTheTree_data()
    {
        QTest::addColumn<int>("seed");
        for (int seed = 1; seed <= 12; ++seed)
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }

    void agreesWithTheTree()
    {
        QFETCH(int, seed);
        std::mt19937 random(static_cast<uint32_t>(seed));
        Map map;
        map.insert_single(0, 1); // the last paragraph mark, there first
        const auto pick = [&random](uint32_t n) { return static_cast<uint32_t>(random() % n); };
        const auto length = [&map] { return static_cast<int>(map.length()); };
        bool inArray = false;
#define CHECK_ORDER(step) QVERIFY2(byReadingOrder(map, &inArray) == byTree(map), step)
        // Grown at the end, before the mark, as a load does: read by the array.
        for (int i = 0; i < 300; ++i) {
            map.insert_single(length() - 1, 1 + pick(20));
            CHECK_ORDER("grown at the end");
            QVERIFY(inArray);
        }
        for (int round = 0; round < 200; ++round) {
            // Qt cuts and joins only at node boundaries.
            const std::vector<uint32_t> nodes = byTree(map);
            const uint32_t node = nodes[pick(static_cast<uint32_t>(nodes.size()))];
            switch (pick(3)) {
            case 0: // a node inserted anywhere
                map.insert_single(static_cast<int>(map.position(node)), 1 + pick(20));
                break;
            case 1: // a node removed, its slot freed; the mark stays
                if (node != nodes.back())
                    map.erase_single(node);
                break;
            default: // grown at the end again
                map.insert_single(length() - 1, 1 + pick(20));
                break;
            }
            CHECK_ORDER("edited");
        }
        // Emptied to the mark and refilled: freed slots come back in use.
        while (map.numNodes() > 1)
            map.erase_single(byTree(map).front());
        CHECK_ORDER("emptied");
        for (int i = 0; i < 100; ++i) {
            map.insert_single(length() - 1, 1 + pick(20));
            CHECK_ORDER("refilled");
        }
#undef CHECK_ORDER
    }
};

int runFragmentOrderTests(int argc, char** argv)
{
    FragmentOrderTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "fragment_order_test.moc"
