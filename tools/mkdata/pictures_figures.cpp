// The masked pairs: each subject picture and its opacity picture.
#include <algorithm>

#include "figures.h"
#include "pictures.h"

void paintOpacity(Canvas& c, const Mask& shape, float shadow, float shadowStrength) {
    Mask soft = shape;
    blurMask(soft, shadow);
    for (size_t k = 0; k < c.px.size(); ++k) {
        float dark = std::max(shape.a[k] * 0.97f, soft.a[k] * shadowStrength);
        float v = 1 - clamp01(dark);
        c.px[k] = rgb(v, v, v);
    }
}

void paintColour(Canvas& c, const Figure& figure) {
    c.px = figure.colour.px;
}

namespace {

const float screenAspect = 4.0f / 3.0f;

// Shapes on screen (layer rectangles in pixels): helmet and fire breather
// 416x480, monks 240x480, bird 576x480, embryo 704x528.
const float helmetAspect = 416.0f / 480.0f;
const float monksAspect = 240.0f / 480.0f;
const float birdAspect = 576.0f / 480.0f;

bool drawHelmchen(Canvas& c) {
    paintColour(c, helmetFigure(c.width, c.height, c.aspect));
    return true;
}
bool drawHelmOp(Canvas& c) {
    paintOpacity(c, helmetFigure(c.width, c.height, c.aspect).shape, 0.03f);
    return true;
}
bool drawMonks(Canvas& c) {
    paintColour(c, monksFigure(c.width, c.height, c.aspect));
    return true;
}
bool drawMonksOp(Canvas& c) {
    paintOpacity(c, monksFigure(c.width, c.height, c.aspect).shape, 0.03f);
    return true;
}
bool drawVogel(Canvas& c) {
    paintColour(c, birdFigure(c.width, c.height, c.aspect));
    return true;
}
bool drawVogelOp(Canvas& c) {
    paintOpacity(c, birdFigure(c.width, c.height, c.aspect).shape, 0.03f);
    return true;
}
bool drawFeuerSpucker(Canvas& c) {
    paintColour(c, fireBreatherFigure(c.width, c.height, c.aspect));
    return true;
}
bool drawFeuerOpacity(Canvas& c) {
    paintOpacity(c, fireBreatherFigure(c.width, c.height, c.aspect).shape, 0.03f);
    return true;
}
bool drawEmbryoF(Canvas& c) {
    paintColour(c, embryoFigure(c.width, c.height, c.aspect));
    return true;
}
bool drawEmbryoO(Canvas& c) {
    paintOpacity(c, embryoFigure(c.width, c.height, c.aspect).shape, 0.04f, 0.4f);
    return true;
}

}  // namespace

void addFigurePictures(std::vector<PictureRecipe>& list) {
    list.push_back({"helmchen.jpg", 512, 512, helmetAspect, drawHelmchen});
    list.push_back({"helm-op.jpg", 512, 512, helmetAspect, drawHelmOp});
    list.push_back({"monks.jpg", 256, 512, monksAspect, drawMonks});
    list.push_back({"monks-op.jpg", 256, 512, monksAspect, drawMonksOp});
    list.push_back({"vogel.jpg", 512, 512, birdAspect, drawVogel});
    list.push_back({"vogel-op.jpg", 512, 512, birdAspect, drawVogelOp});
    list.push_back({"feuer-spucker.jpg", 512, 512, helmetAspect, drawFeuerSpucker});
    list.push_back({"feuer-opacity.jpg", 512, 512, helmetAspect, drawFeuerOpacity});
    list.push_back({"embryo-f.jpg", 512, 512, screenAspect, drawEmbryoF});
    list.push_back({"embryo-o.jpg", 512, 512, screenAspect, drawEmbryoO});
}
