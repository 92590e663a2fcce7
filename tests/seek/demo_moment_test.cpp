// A moment is the changing arena as it lies, the record first: whatever loading
// took from that arena is kept and put back without being named anywhere, and
// moments kept in a chain are told as the pages that changed since the one
// before.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "scene/texture_slot.h"
#include "script/demo_moment.h"
#include "state/demo_memory.h"
#include "state/demo_state.h"
#include "support/private_demo.h"

namespace {

// A private demo record (the tables only) for each test, given back after.
class MomentTest : public PrivateDemoTest {};

// The moment's page a byte of the changing arena lies in.
uint32_t pageOf(const void* p) {
    const unsigned char* base = demoArena(DemoMemory::changing).base;
    return uint32_t(size_t(static_cast<const unsigned char*>(p) - base) / momentPageBytes);
}

}  // namespace

TEST_F(MomentTest, WhatALoadTookFromTheChangingArenaComesBackAndNothingElseIsTouched) {
    // Taken the way a set-up takes room for what its part writes.
    int* field = takeDemoArray<int>(DemoMemory::changing, 1000);
    int* fixed = takeDemoArray<int>(DemoMemory::fixed, 10);
    ASSERT_NE(field, nullptr);
    ASSERT_NE(fixed, nullptr);
    field[999] = 5;
    fixed[0] = 1;
    demo.cullFarZ = -100;
    DemoMoment loaded;
    keepMoment(&loaded);
    EXPECT_EQ(loaded.bytes.size(), demoMomentBytes());

    field[999] = 6;
    fixed[0] = 2;
    demo.cullFarZ = -200;
    demo.TextureTable[7].opacity = 0.5f;
    demo.KeyState['Q'] = 1;
    ASSERT_TRUE(putMomentBack(loaded));
    EXPECT_EQ(field[999], 5);
    EXPECT_EQ(demo.cullFarZ, -100);
    EXPECT_EQ(demo.TextureTable[7].opacity, 0.0f);
    // The fixed arena is never copied; the keys are the viewer's.
    EXPECT_EQ(fixed[0], 2);
    EXPECT_EQ(demo.KeyState['Q'], 1);
    demo.KeyState['Q'] = 0;
    // The record itself is the arena's first block.
    EXPECT_EQ(static_cast<void*>(&demo), demoArena(DemoMemory::changing).base);

    // A moment from before the arena grew is no longer the demo's.
    ASSERT_NE(takeDemoArray<int>(DemoMemory::changing, 1), nullptr);
    EXPECT_FALSE(putMomentBack(loaded));
}

TEST_F(MomentTest, OnlyThePagesThatChangedAreToldAndLastBecomesTheDemoAsItIs) {
    unsigned char* block = takeDemoArray<unsigned char>(DemoMemory::changing, 3 * momentPageBytes);
    ASSERT_NE(block, nullptr);
    DemoMoment start;
    keepMoment(&start);
    DemoMoment last = start;
    MomentChanges changes;
    keepMomentChanges(&last, &changes);
    EXPECT_TRUE(changes.pages.empty());
    EXPECT_TRUE(changes.bytes.empty());

    // The record (page 0), two bytes on either side of a page end, and the
    // last byte of the arena (the moment's short last page).
    const DemoArena& arena = demoArena(DemoMemory::changing);
    unsigned char* end = arena.base + arena.used - 1;
    unsigned char* pageEnd = arena.base + (pageOf(block) + 1) * momentPageBytes;
    demo.sceneBrightness = 0.25f;
    pageEnd[-1] = 9;
    pageEnd[0] = 9;
    *end = 9;
    keepMomentChanges(&last, &changes);
    std::vector<uint32_t> pages = {0, pageOf(pageEnd - 1), pageOf(pageEnd), pageOf(end)};
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
    EXPECT_EQ(pages.size(), 4u);
    EXPECT_EQ(changes.pages, pages);
    DemoMoment now;
    keepMoment(&now);
    EXPECT_TRUE(last.bytes == now.bytes);
    std::vector<unsigned char> told;
    for (uint32_t page : changes.pages) {
        const size_t from = page * momentPageBytes;
        const size_t to = std::min(from + momentPageBytes, now.bytes.size());
        told.insert(told.end(), now.bytes.begin() + long(from), now.bytes.begin() + long(to));
    }
    EXPECT_TRUE(changes.bytes == told);

    // Told from the start, the changes give the demo as it is.
    DemoMoment rebuilt = start;
    applyMomentChanges(changes, &rebuilt);
    EXPECT_TRUE(rebuilt.bytes == now.bytes);

    // Nothing changed since: nothing told.
    keepMomentChanges(&last, &changes);
    EXPECT_TRUE(changes.pages.empty());

    // A last moment of another size is no base to tell changes against: all of it is told.
    DemoMoment none;
    keepMomentChanges(&none, &changes);
    EXPECT_EQ(changes.pages.size(), (now.bytes.size() + momentPageBytes - 1) / momentPageBytes);
    EXPECT_TRUE(none.bytes == now.bytes);
    EXPECT_TRUE(changes.bytes == now.bytes);
}

TEST_F(MomentTest, AFullArenaSaysNoAndTakesNothing) {
    const size_t used = demoArena(DemoMemory::changing).used;
    EXPECT_EQ(takeDemoMemory(DemoMemory::changing, size_t(1) << 40, 1), nullptr);
    EXPECT_EQ(takeDemoMemory(DemoMemory::changing, size_t(1) << 62, 16), nullptr);
    EXPECT_EQ(takeDemoMemory(DemoMemory::changing, 0, 16), nullptr);
    EXPECT_EQ(demoArena(DemoMemory::changing).used, used);
    // The first refusal is what the loading says when it stops.
    EXPECT_EQ(demoArena(DemoMemory::changing).refusedBytes, size_t(1) << 40);
    EXPECT_FALSE(demoArena(DemoMemory::changing).blockRefused);
    EXPECT_EQ(demoArena(DemoMemory::fixed).refusedBytes, 0u);
    // Taken zero-filled and aligned for any record, even after the arena was
    // emptied with something written in it.
    unsigned char* a = takeDemoArray<unsigned char>(DemoMemory::changing, 3);
    ASSERT_NE(a, nullptr);
    a[0] = 1;
    double* b = takeDemoArray<double>(DemoMemory::changing, 2);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % 16, 0u);
    // Memory of an arena is not freed one piece at a time.
    giveBackDemoMemory(a);
    EXPECT_EQ(a[0], 1);
}
