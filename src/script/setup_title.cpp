// The title pictures and their layers.
#include "fx/grid_movers.h"
#include "script/part_table.h"
#include "script/setup_tables.h"

int setupLogoAssets() {
    static const LayerRow layers[] = {
        {0, -0.8f, -0.55f, 0.8f, 0.55f, 0, 0, 1, 1, 10, 10, 0, gridVertexWobble},
        {1, -0.8f, -0.55f, 0.8f, 0.55f, 0, 0, 1, 1, 10, 10, 1, gridVertexWobble},
        {2, -1.1f, -1.1f, 1.1f, 1.1f, 0, 0, 1, 1, 10, 10, 2, gridVertexWobble},
        {3, -0.41f, 0.25f, 1.15f, 0.52f, 0, 0, 1, 1, 10, 10, 3, gridVertexDrift},
        {4, -1.03f, 0.05f, -0.25f, 0.61f, 0, 0, 1, 1, 10, 10, 4, gridVertexDrift},
        {5, -0.1f, -0.59f, 1.5f, -0.3f, 0, 0, 1, 1, 10, 10, 5, gridVertexDrift},
        {6, -0.68f, -0.52f, 0.22f, -0.38f, 0, 0, 1, 1, 10, 10, 6, gridVertexDrift},
        {7, -1.5f, -1.5f, 1.5f, 1.5f, 0, 0, 1, 1, 10, 10, 2, gridVertexWobble},
    };
    loadSlotRun(0, 1, {"data\\logo-quelltarnlogo.jpg", "data\\logo-opacity.jpg",
                       "data\\logo-background.jpg", "data\\logo-credits.jpg",
                       "data\\logo-vexdrift.jpg", "data\\logo-quelltarn.jpg",
                       "data\\logo-wearegetting.jpg", "data\\black.jpg"});
    buildLayers(layers, rowCount(layers));
    return 1;
}
