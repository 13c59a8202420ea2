// Reading order over one of QTextDocument's piece tables (its fragments or
// its blocks), by the array where the array is in that order.
#pragma once

#include <QtGui/private/qfragmentmap_p.h>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace text {

// Qt keeps a document's fragments, and its blocks, in a red-black tree over
// an array of nodes. Stepping from node to node through the tree costs a
// chain of dependent loads. A document that was loaded and not yet cut into
// has its nodes in reading order in the array, but for the one that was
// there first, the last paragraph mark: reading order is then the array
// from the first node in the text on, wrapping round, and one sequential
// pass reads it. This tells exactly whether a map is in that order:
// - nodes 1..N (N live) are all live: a freed node's right link points along
//   the free list, which ends past N at the nodes never used, so the last
//   freed node in 1..N would link out of range;
// - each node starts where that order puts it: every tie between a node and
//   its parent is checked, from the root's start at 0, so every node's place
//   in the text is its running sum; with no empty node, the orders agree.
template <class Fragment>
class InReadingOrder {
public:
    explicit InReadingOrder(const QFragmentMap<Fragment>& map)
        : map_(map), count_(static_cast<uint32_t>(map.numNodes())), first_(static_cast<uint32_t>(map.firstNode())),
          inArray_(first_ != 0 && first_ <= count_ && storedInOrder()), node_(first_)
    {
    }

    bool atEnd() const { return node_ == 0; }
    bool inArray() const { return inArray_; }
    const Fragment& operator*() const { return *map_.fragment(node_); }
    const Fragment* operator->() const { return map_.fragment(node_); }
    void next() { node_ = inArray_ ? arrayNext(node_) : map_.next(node_); }

private:
    uint32_t arrayNext(uint32_t node) const
    {
        const uint32_t following = node < count_ ? node + 1 : 1;
        return following == first_ ? 0 : following;
    }

    // One pass in the supposed order: each node's start is its running sum,
    // and each tie to a node already passed is checked as it is met.
    bool storedInOrder() const
    {
        constexpr uint32_t kNotPassed = UINT32_MAX;
        const auto start = std::make_unique_for_overwrite<uint32_t[]>(count_ + 1);
        std::fill_n(start.get(), count_ + 1, kNotPassed);
        // Where the text of a node's subtree starts.
        const auto subtree = [&start](uint32_t x, const Fragment& f) { return start[x] - f.size_left_array[0]; };
        // A child's subtree starts where its parent's does, or just after the parent.
        const auto tied = [&](uint32_t parent, const Fragment& p, uint32_t child, const Fragment& c) {
            if (c.parent != parent)
                return false;
            if (p.left == child)
                return subtree(child, c) == subtree(parent, p);
            return p.right == child && subtree(child, c) == start[parent] + p.size_array[0];
        };
        uint32_t position = 0;
        uint32_t roots = 0;
        for (uint32_t x = first_; x != 0; x = arrayNext(x)) {
            const Fragment& f = *map_.fragment(x);
            if (f.size_array[0] == 0 || std::max({f.left, f.right, f.parent}) > count_)
                return false;
            start[x] = position;
            position += f.size_array[0];
            if (f.parent == 0) {
                if (++roots > 1 || subtree(x, f) != 0)
                    return false;
            } else if (f.parent != x && start[f.parent] != kNotPassed && !tied(f.parent, *map_.fragment(f.parent), x, f)) {
                return false;
            }
            if (f.left != 0 && f.left != x && start[f.left] != kNotPassed && !tied(x, f, f.left, *map_.fragment(f.left)))
                return false;
            if (f.right != 0 && f.right != x && start[f.right] != kNotPassed && !tied(x, f, f.right, *map_.fragment(f.right)))
                return false;
        }
        return roots == 1;
    }

    const QFragmentMap<Fragment>& map_;
    const uint32_t count_;
    const uint32_t first_;
    const bool inArray_;
    uint32_t node_;
};

} // namespace text
