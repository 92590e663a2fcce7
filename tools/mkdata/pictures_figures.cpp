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

}  // namespace

void addFigurePictures(std::vector<PictureRecipe>& list) {
    addMaskedPair<helmetFigure>(list, "helmchen.jpg", "helm-op.jpg", 512, 512, helmetAspect);
    addMaskedPair<monksFigure>(list, "monks.jpg", "monks-op.jpg", 256, 512, monksAspect);
    addMaskedPair<birdFigure>(list, "vogel.jpg", "vogel-op.jpg", 512, 512, birdAspect);
    addMaskedPair<fireBreatherFigure>(list, "feuer-spucker.jpg", "feuer-opacity.jpg", 512, 512,
                                      helmetAspect);
    addMaskedPair<embryoFigure, 0.04f, 0.4f>(list, "embryo-f.jpg", "embryo-o.jpg", 512, 512,
                                             screenAspect);
}
