#pragma once
// The demo's pictures: one entry per JPEG file, drawn into a canvas of the
// file's size. `aspect` is the shape the picture has on screen (its layer's
// rectangle in pixels, width over height), so words and round things keep
// their shape when a texture is stretched onto its layer.
#include <initializer_list>
#include <vector>

#include "canvas.h"

struct PictureRecipe {
    const char* file;  // name inside the data folder
    int width;
    int height;
    float aspect;
    bool (*draw)(Canvas& canvas);  // false after printing why
};

struct NamedDrawing {
    const char* file;
    bool (*draw)(Canvas& canvas);
};
// Square pictures of one size, square on screen too, in the order given.
void addSquarePictures(std::vector<PictureRecipe>& list, int size,
                       std::initializer_list<NamedDrawing> drawings);

// Each group adds its pictures to the list.
void addPlainPictures(std::vector<PictureRecipe>& list);    // black, white, blue, fader
void addGlowPictures(std::vector<PictureRecipe>& list);     // sprites, flares and lenses
void addProbePictures(std::vector<PictureRecipe>& list);    // environment maps
void addSurfacePictures(std::vector<PictureRecipe>& list);  // tiled mesh textures
void addFigurePictures(std::vector<PictureRecipe>& list);   // masked pairs: subject and mask
void addBackdropPictures(std::vector<PictureRecipe>& list); // full-screen pictures, the logo
void addTextPictures(std::vector<PictureRecipe>& list);     // text-*.jpg and the logo words

// All of them, in a fixed order.
std::vector<PictureRecipe> allPictures();

// The water picture shared by the two water bitmaps and their JPEG stand-ins:
// colours of a sunlit water surface, seamless over the unit square.
Rgb waterSurfaceColour(float u, float v);
// Smooth height field 0..1 for the water ripple, seamless over the unit square.
float waterHeight(float u, float v);
