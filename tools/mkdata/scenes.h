#pragma once
// The writers of the twelve scene files (each returns 1 on success). `dir` is
// an absolute folder name.
#include <string>

namespace scenegen {

int writeLightScene(const std::string& dir);      // light.dat
int writeNeuronalScene(const std::string& dir);   // neuronal.dat
int writeAterieScene(const std::string& dir);     // aterie.dat
int writeFishScenes(const std::string& dir);      // fisch2.dat, morph1.dat .. morph5.dat
int writeDarmScene(const std::string& dir);       // darm.dat
int writeKopuliScene(const std::string& dir);     // kopuli.dat
int writeMirrorScene(const std::string& dir);     // mirror.dat

// Half the vertical view angle that matches the 90-degree screen projection
// through which the additive (transparent) objects are drawn: scenes whose
// look depends on those objects use it, so they line up with the rest.
constexpr float screenMatchedFov = 0.78539816f;

}  // namespace scenegen
