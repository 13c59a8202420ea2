// The vertical extent of every paragraph, in a balanced tree keyed by
// paragraph number, so that the document's height, a paragraph's y and
// "which paragraph lies at this y" cost O(log n) however long the book is.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace text {

// One paragraph's vertical metrics in 26.6 fixed point (1/64 pixel), the
// unit Qt's text engine measures in, so that sums come out exactly as its
// own layout adds them.
struct BlockExtent {
    int32_t height = 0;  // from the first line's top to the last line's bottom
    int32_t gap = 0;     // space above it: the larger of its top and the previous bottom margin
    int32_t topMargin = 0;
    int32_t bottomMargin = 0;
    bool measured = false;  // false: height is an estimate, the lines are not laid out

    int32_t span() const { return gap + height; }
};

// An implicit treap (position by subtree size) over BlockExtent, with the
// sum of spans and the count of unmeasured entries kept per subtree.
class HeightTree {
public:
    HeightTree();

    int size() const;
    int64_t total() const;  // sum of every span
    int unmeasuredCount() const;

    const BlockExtent& at(int index) const;
    void set(int index, const BlockExtent& extent);

    // Sum of the spans of the entries before index (0 <= index <= size()).
    int64_t offsetOf(int index) const;
    // The entry whose span covers offset: offsetOf(i) <= offset < offsetOf(i+1).
    // Offsets before 0 give 0, offsets past the end give size() - 1.
    int indexAt(int64_t offset) const;
    // The first unmeasured entry at or after index, or -1.
    int firstUnmeasured(int index) const;

    // Removes count entries at index and inserts the given ones there.
    void replace(int index, int count, const std::vector<BlockExtent>& extents);
    void markAllUnmeasured();
    void clear();

private:
    struct Node {
        BlockExtent extent;
        int64_t sum = 0;
        int size = 0;
        int unmeasured = 0;
        int left = -1;
        int right = -1;
        uint32_t priority = 0;
    };

    int sizeOf(int n) const { return n < 0 ? 0 : nodes_[n].size; }
    int64_t sumOf(int n) const { return n < 0 ? 0 : nodes_[n].sum; }
    int unmeasuredOf(int n) const { return n < 0 ? 0 : nodes_[n].unmeasured; }
    void pull(int n);
    int merge(int a, int b);
    void split(int n, int count, int& a, int& b);  // a gets the first count entries
    int build(const std::vector<BlockExtent>& extents);
    int newNode(const BlockExtent& extent, uint32_t priority);
    void freeTree(int n);
    int nodeAt(int index) const;
    int findUnmeasured(int n, int base, int index) const;

    std::vector<Node> nodes_;
    std::vector<int> free_;
    int root_ = -1;
    std::minstd_rand random_;
};

}  // namespace text
