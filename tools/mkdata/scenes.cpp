#include "scenes.h"

#include "mkdata.h"
#include "scene_build.h"

int writeScenes(const char* dir) {
    using namespace scenegen;
    std::string d = absoluteDir(dir);
    return writeLightScene(d) && writeNeuronalScene(d) && writeAterieScene(d) &&
           writeFishScenes(d) && writeDarmScene(d) && writeKopuliScene(d) &&
           writeMirrorScene(d);
}
