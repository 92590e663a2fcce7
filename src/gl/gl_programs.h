#pragma once
// The shaders that stand in for the fixed-function pipeline: one program per
// combination of texturing, texture environment and fog, built on first use.
#include <GL/gl.h>

namespace gllayer {

enum EnvKind { envModulate = 0, envBlend = 1, envReplace = 2, envDecal = 3 };
enum FogKind { fogNone = 0, fogExp = 1, fogExp2 = 2, fogLinear = 3 };

struct ProgramKey {
    bool textured;
    EnvKind env;          // only when textured
    bool textureAlpha;    // the bound texture has an alpha channel
    FogKind fog;
    bool repeatS, repeatT;  // repeat in the shader (a texture WebGL 1 cannot repeat)
    bool repeatFiltered;    // ... and filter linearly across its seam
};

// Attribute slots, the same in every program.
enum { attribPosition = 0, attribColour = 1, attribTexCoord = 2 };

struct Program {
    GLuint id;
    GLint mvp, eyeZ, textureMatrix, sampler, envColour, fogColour, fogParams, textureSize;
    // serials of the state last sent to this program
    unsigned matrixSerial, fogSerial, envSerial;
};

int programIndex(const ProgramKey& key);
const int programCount = 2 * 4 * 2 * 4 * 8;

// The program for the key, compiled and linked on first use; null when the
// driver refuses it (reported once on stderr).
Program* programFor(const ProgramKey& key);

// Text of the two shaders for a key (also used by tests).
void shaderSources(const ProgramKey& key, char* vertex, int vertexSize, char* fragment,
                   int fragmentSize);

void forgetPrograms();

}  // namespace gllayer
