#pragma once
// Masked pictures come in pairs: the subject in colour on black (added to
// the frame) and its opacity picture (multiplied into the frame first: white
// where the frame shows through, dark where the subject stands). Both are
// made from one figure so that they match pixel for pixel.
#include <vector>

#include "canvas.h"
#include "pictures.h"

struct Figure {
    Mask shape;     // 0..1 coverage of the subject
    Canvas colour;  // the subject's colours already weighted by its coverage:
                    // black outside, except for glows around it
};

// The opacity picture of a figure: dark under the subject and a soft shadow
// of `shadow` design units around it, white elsewhere.
void paintOpacity(Canvas& c, const Mask& shape, float shadow, float shadowStrength = 0.5f);

// Copies the colours of a figure into the canvas (same size).
void paintColour(Canvas& c, const Figure& figure);

// The two pictures of a masked pair, each drawn from its own run of the same
// figure (recipes of the picture list).
template <Figure (*make)(int, int, float)>
bool drawFigureColour(Canvas& c) {
    paintColour(c, make(c.width, c.height, c.aspect));
    return true;
}
template <Figure (*make)(int, int, float), float shadow = 0.03f, float shadowStrength = 0.5f>
bool drawFigureOpacity(Canvas& c) {
    paintOpacity(c, make(c.width, c.height, c.aspect).shape, shadow, shadowStrength);
    return true;
}

// Adds both pictures of a pair, the subject first; they share size and aspect.
template <Figure (*make)(int, int, float), float shadow = 0.03f, float shadowStrength = 0.5f>
void addMaskedPair(std::vector<PictureRecipe>& list, const char* colourFile,
                   const char* opacityFile, int width, int height, float aspect) {
    list.push_back({colourFile, width, height, aspect, drawFigureColour<make>});
    list.push_back({opacityFile, width, height, aspect, drawFigureOpacity<make, shadow, shadowStrength>});
}

// The figures: each fills `figure` for a canvas of the given size and aspect.
Figure helmetFigure(int width, int height, float aspect);
Figure monksFigure(int width, int height, float aspect);
Figure birdFigure(int width, int height, float aspect);
Figure fireBreatherFigure(int width, int height, float aspect);
Figure embryoFigure(int width, int height, float aspect);
Figure innerWorldFigure(int width, int height, float aspect);
Figure logoFigure(int width, int height, float aspect);
