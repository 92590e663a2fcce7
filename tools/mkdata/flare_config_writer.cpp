// "flare.cfg": the lens chain drawn for the lights that carry a flare. Text
// lines ended by carriage return and line feed; every key is followed by one
// blank, then its value.
#include <cstdio>
#include <string>

#include "flare_lenses.h"
#include "mkdata.h"

const FlareChainDesign flareChain = {
    8,    // lenses
    85,   // distance: each lens steps a third (85/256) of the light's offset
    1,    // lens 2 sits on the anchor, lens 8 on the light itself
    64,   // angle: dims to nothing 1.33 screen halves off centre; fades in 0.27 s
    1,    // blend (read, not used)
    {
        {"data\\lens2.jpg", 60, 70, 90, 160},    // wide ring beyond the anchor
        {"data\\lens3.jpg", 40, 130, 90, 210},   // aperture ghost on the anchor
        {"data\\flare2.jpg", 30, 220, 160, 90},  // small star
        {"data\\lens4.jpg", 12, 90, 200, 140},   // green dot
        {"data\\lens3.jpg", 28, 90, 120, 255},   // blue ghost at the centre
        {"data\\lens2.jpg", 36, 210, 120, 90},   // warm ring
        {"data\\lens4.jpg", 8, 255, 230, 180},   // spark near the light
        {"data\\lens1.jpg", 110, 255, 240, 220}, // the glow of the light
    },
};

int writeFlareConfig(const char* dir) {
    const FlareChainDesign& d = flareChain;
    std::string text = "[Flare]\r\n";
    text += "NumberOfFlares: " + std::to_string(d.lensCount) + "\r\n";
    text += "FlareDistance: " + std::to_string(d.distance) + "\r\n";
    text += "FlarePreLight: " + std::to_string(d.preLight) + "\r\n";
    text += "FlareAngle: " + std::to_string(d.angle) + "\r\n";
    text += "FlareBlend: " + std::to_string(d.blend) + "\r\n";
    for (int k = 0; k < d.lensCount; ++k) {
        const FlareLensDesign& l = d.lenses[k];
        text += "[Lens " + std::to_string(k + 1) + "]\r\n";
        text += std::string("Filename: ") + l.file + "\r\n";
        text += "size: " + std::to_string(l.size) + "\r\n";
        text += "colour red: " + std::to_string(l.red) + "\r\n";
        text += "colour green: " + std::to_string(l.green) + "\r\n";
        text += "colour blue: " + std::to_string(l.blue) + "\r\n";
    }
    std::string path = std::string(dir) + "/flare.cfg";
    FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "mkdata: cannot write %s\n", path.c_str());
    return ok ? 1 : 0;
}
