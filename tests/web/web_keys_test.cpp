#include <gtest/gtest.h>

#include "platform/keys.h"
#include "platform/web/web_keys.h"
#include "state/demo_state.h"

namespace {

struct WebKeys : ::testing::Test {
    void SetUp() override {
        for (int& k : demo.KeyState) k = 0;
    }
};

TEST_F(WebKeys, DomCodesAreTheVirtualKeyCodes) {
    EXPECT_EQ(virtualKeyFromDom(27), vkEscape);
    EXPECT_EQ(virtualKeyFromDom('A'), 'A');
    EXPECT_EQ(virtualKeyFromDom(112), 112);  // F1
    for (int code : {0, -1, 255, 256, 100000}) EXPECT_EQ(virtualKeyFromDom(code), -1) << code;
}

TEST_F(WebKeys, EscapeIsHeldFromDownToUpAndRepeatsStayDown) {
    applyDomKeyEvent(27, 1, 0);
    applyDomKeyEvent(27, 1, 0);  // auto-repeat
    EXPECT_EQ(demo.KeyState[vkEscape], 1);
    applyDomKeyEvent(27, 0, 0);
    EXPECT_EQ(demo.KeyState[vkEscape], 0);
}

TEST_F(WebKeys, SystemKeysAreNotRecorded) {
    applyDomKeyEvent(27, 1, 1);  // Alt held
    applyDomKeyEvent(vkMenu, 1, 0);
    applyDomKeyEvent(vkF10, 1, 0);
    EXPECT_EQ(demo.KeyState[vkEscape], 0);
    EXPECT_EQ(demo.KeyState[vkMenu], 0);
    EXPECT_EQ(demo.KeyState[vkF10], 0);
}

TEST_F(WebKeys, CodesOutsideTheTableTouchNothing) {
    applyDomKeyEvent(0, 1, 0);
    applyDomKeyEvent(-5, 1, 0);
    applyDomKeyEvent(255, 1, 0);
    applyDomKeyEvent(4000, 1, 0);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(demo.KeyState[i], 0) << i;
}

}  // namespace
