#pragma once
#include "scene/scene.h"

// The largest scene file read: far above any scene of the demo, low enough
// that a huge file is refused instead of being read whole into memory.
enum : long long { maxSceneFileBytes = 64LL << 20 };

// Reads one scene file (a literal data name such as "data\\light.dat") into scene.
// 1 on success. A file that cannot be opened reports "mesh-file not found",
// after a line on stderr naming the file, the folder searched and the reason;
// anything but a regular file, a file over maxSceneFileBytes and a malformed
// file are reported with the file's name and the defect. On failure the scene's counts are all 0 and
// nothing read is kept.
int loadSceneFile(const char* path, Scene* scene, int textureBase);

// Same, from bytes in memory (the name is used in messages only).
int loadSceneBytes(const unsigned char* data, long size, const char* name, Scene* scene,
                   int textureBase);

// Writes the scene's camera, objects, lights and spots in the same format.
// Material byte = textureIndex - textureBase. 1 on success.
int saveSceneFile(const char* path, const Scene* scene, int textureBase);

// The bytes saveSceneFile writes. Returns their count, and stores them into out
// when out holds at least that many (out may be null to ask for the size).
// Returns 0, reported under the given name, when the scene does not fit the
// format (more than 255 records or keys, a material outside 0..255, a vertex
// index or parent outside its list).
long encodeSceneBytes(const Scene* scene, int textureBase, const char* name, unsigned char* out,
                      long capacity);

// Object-space unit normals from baseVertices (load time).
void computeBaseNormals(SceneObject* object);

// Gives back what loadSceneFile took for this scene (giveBackDemoMemory: the
// arenas keep theirs until they are emptied) and zeroes its counts.
void releaseSceneContents(Scene* scene);

// Null tables and zero counts, freeing nothing.
void clearSceneTables(Scene* scene);
