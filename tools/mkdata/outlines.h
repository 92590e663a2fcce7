#pragma once
// Hand-drawn silhouettes for the figure pictures, as smooth closed outlines
// in a unit box (x to the right, y down). Place them with placeOutline.
#include "shapes.h"

Outline headProfileOutline();  // head, neck and shoulders, facing right
Outline monkOutline();         // hooded monk in a long robe, facing the viewer
Outline birdOutline();         // bird in flight, facing left, one wing up, one down
Outline fishOutline();         // fish seen from the side, facing left
Outline robedFigureOutline();  // figure in a robe with outstretched arms, head excluded
