// The moments a seek keeps are told as the pages that changed since the one
// before: blocks of odd sizes run across page ends, and a change anywhere in
// a page brings the whole page along.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "script/demo_snapshot.h"

namespace {

struct Blocks {
    // Three blocks over 4 pages and a short last one: 5000 + 3000 + 6000 bytes.
    std::vector<unsigned char> a = std::vector<unsigned char>(5000, 1);
    std::vector<unsigned char> b = std::vector<unsigned char>(3000, 2);
    std::vector<unsigned char> c = std::vector<unsigned char>(6000, 3);
    SnapshotLayout layout() {
        SnapshotLayout l;
        for (auto* v : {&a, &b, &c}) l.blocks.push_back({v->data(), v->size()});
        l.bytes = a.size() + b.size() + c.size();
        return l;
    }
};

DemoSnapshot snapshotOf(const SnapshotLayout& layout) {
    DemoSnapshot s;
    takeSnapshot(layout, &s);
    return s;
}

}  // namespace

TEST(SnapshotChanges, OnlyThePagesThatChangedAreToldAndLastBecomesTheDemoAsItIs) {
    Blocks blocks;
    const SnapshotLayout layout = blocks.layout();
    const DemoSnapshot start = snapshotOf(layout);
    DemoSnapshot last = start;
    SnapshotChanges changes;
    keepChanges(layout, &last, &changes);
    EXPECT_TRUE(changes.pages.empty());
    EXPECT_TRUE(changes.bytes.empty());

    // Byte 4095 (page 0, block a), 4096 (page 1, block a), one in block b
    // that lies in page 1 (5000 + 100), and the very last byte (page 3, short).
    blocks.a[4095] = 9;
    blocks.a[4096] = 9;
    blocks.b[100] = 9;
    blocks.c.back() = 9;
    keepChanges(layout, &last, &changes);
    EXPECT_EQ(changes.pages, (std::vector<uint32_t>{0, 1, 3}));
    const DemoSnapshot now = snapshotOf(layout);
    EXPECT_TRUE(last.bytes == now.bytes);
    std::vector<unsigned char> told;
    for (uint32_t page : changes.pages) {
        const size_t from = page * snapshotPageBytes;
        const size_t to = std::min(from + snapshotPageBytes, now.bytes.size());
        told.insert(told.end(), now.bytes.begin() + long(from), now.bytes.begin() + long(to));
    }
    EXPECT_TRUE(changes.bytes == told);
    EXPECT_EQ(changes.bytes.size(), 2 * snapshotPageBytes + (14000 - 3 * snapshotPageBytes));

    // Told from the start, the changes give the demo as it is.
    DemoSnapshot rebuilt = start;
    applyChanges(changes, &rebuilt);
    EXPECT_TRUE(rebuilt.bytes == now.bytes);

    // Nothing changed since: nothing told.
    keepChanges(layout, &last, &changes);
    EXPECT_TRUE(changes.pages.empty());

    // A last moment of another size is no base to tell changes against: all of it is told.
    DemoSnapshot none;
    keepChanges(layout, &none, &changes);
    EXPECT_EQ(changes.pages, (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_TRUE(none.bytes == now.bytes);
    EXPECT_TRUE(changes.bytes == now.bytes);
}
