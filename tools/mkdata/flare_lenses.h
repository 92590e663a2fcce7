#pragma once
// The lens chain written into "flare.cfg", kept as data so the tests can
// compare what the demo reads back with what was meant.

struct FlareLensDesign {
    const char* file;  // literal data name of the lens picture
    int size;          // half edge, 0..255 for 0..1 of the screen's half width
    int red, green, blue;
};

struct FlareChainDesign {
    int lensCount;
    int distance;  // FlareDistance: step between lenses in 1/256 of the light's offset
    int preLight;  // FlarePreLight
    int angle;     // FlareAngle: fall-off (1/256) and fade speed (1/2560)
    int blend;     // FlareBlend
    FlareLensDesign lenses[8];
};

extern const FlareChainDesign flareChain;
