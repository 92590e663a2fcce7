#pragma once
#include <gtest/gtest.h>

#include "state/demo_state.h"

// A fresh demo record for each test (start values, zeroed tables, empty
// arenas), and the previous one put back afterwards.
class PrivateDemoTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = demo;
        ASSERT_TRUE(makeDemoState());
    }
    void TearDown() override {
        freeDemoState();
        demo = saved;
    }

private:
    DemoState saved = {};
};
