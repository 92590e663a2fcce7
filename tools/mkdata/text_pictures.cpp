// The word pictures: white or coloured letters with a soft glow, on black
// (they are added to the frame). Each is laid out for the shape its layer
// has on screen, so the letters are not squashed when shown.
#include <cmath>

#include "pictures.h"
#include "text_render.h"

namespace {

struct TextLine {
    const char* text;
    float weight;  // share of the height
    const char* font;
};

struct TextDesign {
    TextLine lines[10];
    int lineCount;
    Rgb top, bottom;  // fill colour, top to bottom of the picture
    Rgb glow;
    float tracking;
    bool readsUpward;
    float margin;  // empty border, as a share of the picture's height
    // Part of the width the words may use (0..1): where a layer hangs over
    // the screen's edge or lies under the emblem, the words keep clear of it.
    float left = 0, right = 1;
};

bool drawText(Canvas& c, const TextDesign& d) {
    Mask cover = makeMaskLike(c);
    TextOptions options;
    options.tracking = d.tracking;
    options.readsUpward = d.readsUpward;
    options.fullHeight = d.lineCount > 1;
    float total = 0;
    for (int i = 0; i < d.lineCount; ++i) total += d.lines[i].weight;
    float m = d.margin;
    if (d.readsUpward) {
        // One line, running from the bottom to the top.
        float across = c.aspect * 0.08f;
        if (!drawTextInBox(cover, d.lines[0].font, d.lines[0].text, across, m, c.aspect - across,
                           1 - m, options))
            return false;
    } else {
        // Lines share one scale: a long line does not get smaller letters
        // than the others.
        float scale = 1;
        for (int i = 0; i < d.lineCount; ++i) {
            Mask probe = renderTextLine(d.lines[i].font, d.lines[i].text, 64, options);
            if (probe.width == 0) return false;
            float h = (1 - 2 * m) * d.lines[i].weight / total;
            scale = std::fmin(scale, ((d.right - d.left) * c.aspect - 2 * m) / (probe.aspect * h));
        }
        float y = m;
        float x0 = d.left * c.aspect + m, x1 = d.right * c.aspect - m;
        for (int i = 0; i < d.lineCount; ++i) {
            float h = (1 - 2 * m) * d.lines[i].weight / total;
            float inset = h * (1 - scale) * 0.5f;
            if (!drawTextInBox(cover, d.lines[i].font, d.lines[i].text, x0, y + inset, x1,
                               y + h - inset, options))
                return false;
            y += h;
        }
    }
    Mask glow = cover;
    float lineSize = d.readsUpward ? c.aspect : (1 - 2 * m) / total;
    blurMask(glow, lineSize * 0.08f);
    Mask wide = cover;
    blurMask(wide, lineSize * 0.25f);
    for (int j = 0; j < c.height; ++j) {
        float t = designY(c.height, j);
        Rgb fill = mix(d.top, d.bottom, t);
        for (int i = 0; i < c.width; ++i) {
            size_t k = size_t(j) * c.width + i;
            Rgb g = d.glow * (glow.a[k] * 0.9f + wide.a[k] * 0.5f);
            c.px[k] = mix(g, fill, clamp01(cover.a[k]));
        }
    }
    return true;
}

// Shapes on screen (layer rectangles in pixels, width over height).
const float wideStrip = 704.0f / 120.0f;  // two slogans at the bottom of part 2
const float wantStrip = 6.0f;             // drawn at 8.9, 5.9 and 4.4
const float screamStrip = 7.0f;           // drawn at 8.9 and 5.9

const Rgb white = {1, 1, 1};

#define TEXT_PICTURE(name, ...)                    \
    bool name(Canvas& c) {                         \
        static const TextDesign design = __VA_ARGS__; \
        return drawText(c, design);                \
    }

TEXT_PICTURE(drawGreetings,
             {{{"greetings to", 1.3f, fontBold},
               {"blue lagoon", 1, fontSans},
               {"north tide", 1, fontSans},
               {"coral crew", 1, fontSans},
               {"moodswing", 1, fontSans},
               {"pixel monks", 1, fontSans},
               {"lumen", 1, fontSans},
               {"deep dwellers", 1, fontSans},
               {"kelp forest", 1, fontSans},
               {"the abyss", 1, fontSans}},
              10, {1.0f, 0.85f, 0.5f}, {0.6f, 0.85f, 1.0f}, {0.2f, 0.35f, 0.8f}, 0.0f, false, 0.05f})
TEXT_PICTURE(drawLight, {{{"light", 1, fontSans}}, 1, {1, 1, 0.9f}, {1.0f, 0.8f, 0.45f}, {1.0f, 0.6f, 0.2f}, 0.04f, false, 0.08f})
TEXT_PICTURE(drawFlyOut, {{{"fly out", 1, fontBold}}, 1, white, {0.5f, 0.9f, 1.0f}, {0.1f, 0.5f, 1.0f}, 0.02f, false, 0.1f})
TEXT_PICTURE(drawScream, {{{"scream", 1, fontBold}}, 1, {1, 0.95f, 0.8f}, {1.0f, 0.45f, 0.2f}, {1.0f, 0.15f, 0.05f}, 0.25f, false, 0.12f})
TEXT_PICTURE(drawCheckOurGift, {{{"check our gift", 1, fontBold}}, 1, white, {1.0f, 0.8f, 0.35f}, {1.0f, 0.45f, 0.1f}, 0.02f, false, 0.12f})
TEXT_PICTURE(drawWeBringYouDemo, {{{"we bring you a demo", 1, fontBold}}, 1, white, {0.55f, 0.9f, 1.0f}, {0.1f, 0.5f, 1.0f}, 0.02f, false, 0.12f})
TEXT_PICTURE(drawTarnDrifting, {{{"tarn drifting", 1, fontBold}}, 1, {0.7f, 1.0f, 0.9f}, {0.7f, 1.0f, 0.9f}, {0.1f, 0.8f, 0.6f}, 0.08f, true, 0.05f})
TEXT_PICTURE(drawWeWant, {{{"we want out", 1, fontBold}}, 1, white, {1.0f, 0.6f, 0.3f}, {1.0f, 0.3f, 0.05f}, 0.06f, false, 0.12f})
TEXT_PICTURE(drawInside, {{{"inside", 1, fontBold}}, 1, white, {1.0f, 0.55f, 0.6f}, {0.9f, 0.1f, 0.25f}, 0.12f, false, 0.12f})
TEXT_PICTURE(drawOutside, {{{"outside", 1, fontBold}}, 1, {1.0f, 0.75f, 0.8f}, {1.0f, 0.75f, 0.8f}, {0.9f, 0.1f, 0.25f}, 0.1f, true, 0.04f})
TEXT_PICTURE(drawTextVexdrift, {{{"vexdrift", 1, fontBold}}, 1, {0.8f, 0.9f, 1.0f}, {0.75f, 0.45f, 1.0f}, {0.4f, 0.2f, 1.0f}, 0.04f, false, 0.12f})
// The credits' layer runs past the right edge of the screen from 90 % of its
// width on and lies under the group's name up to 11 %; the title's runs off
// the screen from 69 % and lies under the slogan up to 20 %.
TEXT_PICTURE(drawCredits, {{{"code vex  -  graphics drift  -  music tarn", 1, fontCondensed}}, 1, white, {0.7f, 0.9f, 1.0f}, {0.2f, 0.5f, 0.9f}, 0.02f, false, 0.1f, 0.13f, 0.89f})
TEXT_PICTURE(drawLogoVexdrift, {{{"vexdrift", 2.2f, fontBold}, {"presents", 1, fontSans}}, 2, white, {0.6f, 0.85f, 1.0f}, {0.2f, 0.45f, 1.0f}, 0.03f, false, 0.08f})
TEXT_PICTURE(drawLogoQuelltarn, {{{".quellTarn", 1, fontSerifBold}}, 1, white, {0.5f, 0.95f, 1.0f}, {0.1f, 0.6f, 0.9f}, 0.03f, false, 0.1f, 0.22f, 0.68f})
TEXT_PICTURE(drawWeAreGetting, {{{"we are getting deeper", 1, fontCondensed}}, 1, {0.85f, 1.0f, 1.0f}, {0.6f, 0.9f, 1.0f}, {0.1f, 0.5f, 0.8f}, 0.04f, false, 0.1f})

#undef TEXT_PICTURE

}  // namespace

void addTextPictures(std::vector<PictureRecipe>& list) {
    list.push_back({"text-greetings.jpg", 256, 512, 320.0f / 576.0f, drawGreetings});
    list.push_back({"text-light.jpg", 512, 256, 2.3f, drawLight});
    list.push_back({"text-flyout.jpg", 512, 256, 2.0f, drawFlyOut});
    list.push_back({"text-scream.jpg", 512, 256, screamStrip, drawScream});
    list.push_back({"text-checkourgift.jpg", 512, 256, wideStrip, drawCheckOurGift});
    list.push_back({"text-webringyoudemo.jpg", 512, 256, wideStrip, drawWeBringYouDemo});
    list.push_back({"text-tarndrifting.jpg", 256, 512, 96.0f / 1920.0f, drawTarnDrifting});
    list.push_back({"text-wewant.jpg", 512, 256, wantStrip, drawWeWant});
    list.push_back({"text-inside.jpg", 512, 256, 4.8f, drawInside});
    list.push_back({"text-outside.jpg", 256, 512, 160.0f / 960.0f, drawOutside});
    list.push_back({"text-vexdrift.jpg", 512, 256, 2.8f, drawTextVexdrift});
    list.push_back({"logo-credits.jpg", 512, 256, 499.0f / 65.0f, drawCredits});
    list.push_back({"logo-vexdrift.jpg", 512, 256, 250.0f / 134.0f, drawLogoVexdrift});
    list.push_back({"logo-quelltarn.jpg", 512, 256, 512.0f / 70.0f, drawLogoQuelltarn});
    list.push_back({"logo-wearegetting.jpg", 512, 256, 288.0f / 34.0f, drawWeAreGetting});
}
