#include "fx2d_support.h"

#include <cmath>
#include <cstdlib>

#include "scene/texture_slot.h"
#include "state/demo_state.h"

namespace fx2d {

void ensureTextureTable() {
    if (!demo.TextureTable) makeDemoState();
}

void setSolidSlot(int slot, unsigned char r, unsigned char g, unsigned char b, float opacity) {
    ensureTextureTable();
    demo.TextureTable[slot] = TextureSlot{};
    demo.TextureTable[slot].glTexture = testgl::solidTexture(r, g, b);
    demo.TextureTable[slot].opacity = opacity;
}

bool pixelNear(int x, int y, Level e, int tolerance) {
    testgl::Rgb p = testgl::readPixel(x, y);
    auto near = [&](int got, float want) { return std::abs(got - want * 255) <= tolerance + 0.5f; };
    return near(p.r, e.r) && near(p.g, e.g) && near(p.b, e.b);
}

}  // namespace fx2d
