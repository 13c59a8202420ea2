// Treap over paragraph extents; nodes live in one vector and refer to each
// other by index, so a book of 100,000 paragraphs is one allocation.
#include "text/layout/height_tree.h"

#include <algorithm>
#include <cassert>

namespace text {

HeightTree::HeightTree() : random_(0x5eed) {}

int HeightTree::size() const { return sizeOf(root_); }
int64_t HeightTree::total() const { return sumOf(root_); }
int HeightTree::unmeasuredCount() const { return unmeasuredOf(root_); }

void HeightTree::pull(int n)
{
    Node& node = nodes_[n];
    node.size = 1 + sizeOf(node.left) + sizeOf(node.right);
    node.sum = node.extent.span() + sumOf(node.left) + sumOf(node.right);
    node.unmeasured = (node.extent.measured ? 0 : 1) + unmeasuredOf(node.left) + unmeasuredOf(node.right);
}

int HeightTree::merge(int a, int b)
{
    if (a < 0)
        return b;
    if (b < 0)
        return a;
    if (nodes_[a].priority >= nodes_[b].priority) {
        nodes_[a].right = merge(nodes_[a].right, b);
        pull(a);
        return a;
    }
    nodes_[b].left = merge(a, nodes_[b].left);
    pull(b);
    return b;
}

void HeightTree::split(int n, int count, int& a, int& b)
{
    if (n < 0) {
        a = b = -1;
        return;
    }
    const int leftSize = sizeOf(nodes_[n].left);
    if (count <= leftSize) {
        int l = -1;
        split(nodes_[n].left, count, a, l);
        nodes_[n].left = l;
        pull(n);
        b = n;
    } else {
        int r = -1;
        split(nodes_[n].right, count - leftSize - 1, r, b);
        nodes_[n].right = r;
        pull(n);
        a = n;
    }
}

int HeightTree::newNode(const BlockExtent& extent, uint32_t priority)
{
    int n;
    if (!free_.empty()) {
        n = free_.back();
        free_.pop_back();
        nodes_[n] = Node{};
    } else {
        n = static_cast<int>(nodes_.size());
        nodes_.emplace_back();
    }
    nodes_[n].extent = extent;
    nodes_[n].priority = priority;
    pull(n);
    return n;
}

// Cartesian-tree construction in O(n): the right spine lives on a stack.
int HeightTree::build(const std::vector<BlockExtent>& extents)
{
    // One allocation for a whole book, not a copy at every doubling; still
    // doubling, so that a keystroke's one new node does not copy them all.
    if (extents.size() > free_.size()) {
        const size_t needed = nodes_.size() + (extents.size() - free_.size());
        if (needed > nodes_.capacity())
            nodes_.reserve(std::max(needed, 2 * nodes_.capacity()));
    }
    std::vector<int> spine;
    for (const BlockExtent& extent : extents) {
        const int n = newNode(extent, static_cast<uint32_t>(random_()));
        int last = -1;
        while (!spine.empty() && nodes_[spine.back()].priority < nodes_[n].priority) {
            last = spine.back();
            spine.pop_back();
            pull(last);
        }
        nodes_[n].left = last;
        if (!spine.empty())
            nodes_[spine.back()].right = n;
        spine.push_back(n);
    }
    for (auto it = spine.rbegin(); it != spine.rend(); ++it)
        pull(*it);
    return spine.empty() ? -1 : spine.front();
}

void HeightTree::freeTree(int n)
{
    if (n < 0)
        return;
    freeTree(nodes_[n].left);
    freeTree(nodes_[n].right);
    free_.push_back(n);
}

void HeightTree::replace(int index, int count, const std::vector<BlockExtent>& extents)
{
    assert(index >= 0 && count >= 0 && index + count <= size());
    int before = -1, rest = -1, removed = -1, after = -1;
    split(root_, index, before, rest);
    split(rest, count, removed, after);
    freeTree(removed);
    root_ = merge(merge(before, build(extents)), after);
}

int HeightTree::nodeAt(int index) const
{
    int n = root_;
    while (n >= 0) {
        const int leftSize = sizeOf(nodes_[n].left);
        if (index < leftSize) {
            n = nodes_[n].left;
        } else if (index == leftSize) {
            return n;
        } else {
            index -= leftSize + 1;
            n = nodes_[n].right;
        }
    }
    return -1;
}

const BlockExtent& HeightTree::at(int index) const
{
    const int n = nodeAt(index);
    assert(n >= 0);
    return nodes_[n].extent;
}

void HeightTree::set(int index, const BlockExtent& extent)
{
    // The path is at most a few dozen nodes deep even for millions of entries.
    int path[128];
    int depth = 0;
    int n = root_;
    while (n >= 0 && depth < 128) {
        path[depth++] = n;
        const int leftSize = sizeOf(nodes_[n].left);
        if (index < leftSize) {
            n = nodes_[n].left;
        } else if (index == leftSize) {
            break;
        } else {
            index -= leftSize + 1;
            n = nodes_[n].right;
        }
    }
    assert(n >= 0);
    nodes_[n].extent = extent;
    while (depth > 0)
        pull(path[--depth]);
}

int64_t HeightTree::offsetOf(int index) const
{
    int64_t offset = 0;
    int n = root_;
    while (n >= 0) {
        const int leftSize = sizeOf(nodes_[n].left);
        if (index <= leftSize) {
            n = nodes_[n].left;
        } else {
            offset += sumOf(nodes_[n].left) + nodes_[n].extent.span();
            index -= leftSize + 1;
            n = nodes_[n].right;
        }
    }
    return offset;
}

int HeightTree::indexAt(int64_t offset) const
{
    if (root_ < 0)
        return -1;
    if (offset >= total())
        return size() - 1;
    int index = 0;
    int n = root_;
    while (n >= 0) {
        const int64_t leftSum = sumOf(nodes_[n].left);
        const int64_t span = nodes_[n].extent.span();
        if (offset < leftSum) {
            n = nodes_[n].left;
        } else if (offset < leftSum + span || nodes_[n].right < 0) {
            return index + sizeOf(nodes_[n].left);
        } else {
            offset -= leftSum + span;
            index += sizeOf(nodes_[n].left) + 1;
            n = nodes_[n].right;
        }
    }
    return index > 0 ? index - 1 : 0;
}

int HeightTree::firstUnmeasured(int index) const
{
    return findUnmeasured(root_, 0, index);
}

// Subtrees with no unmeasured entry, or wholly before index, are skipped,
// so this visits O(log n) nodes.
int HeightTree::findUnmeasured(int n, int base, int index) const
{
    if (n < 0 || unmeasuredOf(n) == 0 || base + sizeOf(n) <= index)
        return -1;
    const int here = base + sizeOf(nodes_[n].left);
    if (index < here) {
        const int found = findUnmeasured(nodes_[n].left, base, index);
        if (found >= 0)
            return found;
    }
    if (here >= index && !nodes_[n].extent.measured)
        return here;
    return findUnmeasured(nodes_[n].right, here + 1, index);
}

void HeightTree::markAllUnmeasured()
{
    for (Node& node : nodes_) {
        node.extent.measured = false;
        node.unmeasured = node.size;
    }
}

void HeightTree::clear()
{
    nodes_.clear();
    free_.clear();
    root_ = -1;
}

}  // namespace text
