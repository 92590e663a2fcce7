#include "draw_cases.h"

namespace layertest {

namespace {

// Back to a known state: the demo's start-up settings, cleared to grey.
void begin(const Gl11& gl) {
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    gl.Perspective(90, 1, 1, 100000);
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    gl.Disable(GL_BLEND);
    gl.Disable(GL_FOG);
    gl.Disable(GL_CULL_FACE);
    gl.Disable(GL_TEXTURE_2D);
    gl.Enable(GL_DEPTH_TEST);
    gl.DepthFunc(GL_LEQUAL);
    gl.DepthMask(GL_TRUE);
    gl.TexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    gl.ClearColor(0.2f, 0.2f, 0.2f, 0);
    gl.ClearDepth(1.0);
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl.Color4f(1, 1, 1, 1);
}

// An 8 x 4 RGB picture, rows of 24 bytes, packed (unpack alignment 1 matters
// only for odd sizes, so the 5 x 3 one below checks it).
GLuint checkerTexture(const Gl11& gl, int w, int h) {
    unsigned char pixels[64 * 64 * 3];
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = pixels + (y * w + x) * 3;
            const bool on = (x + y) % 2 == 0;
            p[0] = on ? 230 : 20;
            p[1] = (unsigned char)(40 + x * 200 / w);
            p[2] = (unsigned char)(40 + y * 200 / h);
        }
    GLuint name = 0;
    gl.GenTextures(1, &name);
    gl.BindTexture(GL_TEXTURE_2D, name);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl.TexImage2D(GL_TEXTURE_2D, 0, 3, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    return name;
}

void quad(const Gl11& gl, float x0, float y0, float x1, float y1, float z) {
    gl.Begin(GL_QUADS);
    gl.TexCoord2f(0, 0);
    gl.Vertex3f(x0, y0, z);
    gl.TexCoord2f(1, 0);
    gl.Vertex3f(x1, y0, z);
    gl.TexCoord2f(1, 1);
    gl.Vertex3f(x1, y1, z);
    gl.TexCoord2f(0, 1);
    gl.Vertex3f(x0, y1, z);
    gl.End();
}

// An untextured strip of floor at y = -5, from x0 to x1, running from z = -2
// to zFar.
void floorStrip(const Gl11& gl, float x0, float x1, float zFar) {
    gl.Begin(GL_QUADS);
    gl.Vertex3f(x0, -5, -2);
    gl.Vertex3f(x1, -5, -2);
    gl.Vertex3f(x1, -5, zFar);
    gl.Vertex3f(x0, -5, zFar);
    gl.End();
}

// A trapezoid with a different colour at each corner: the two ways of
// cutting it into triangles give visibly different shading.
void colouredQuads(const Gl11& gl) {
    begin(gl);
    gl.Begin(GL_QUADS);
    gl.Color3f(1, 0, 0);
    gl.Vertex3f(-0.9f, -0.9f, -1);
    gl.Color3f(0, 1, 0);
    gl.Vertex3f(0.9f, -0.9f, -1);
    gl.Color3f(0, 0, 1);
    gl.Vertex3f(0.3f, 0.8f, -1);
    gl.Color3f(1, 1, 1);
    gl.Vertex3f(-0.1f, 0.5f, -1);
    gl.End();
    gl.Begin(GL_TRIANGLES);
    gl.Color4f(1, 1, 0, 1);
    gl.Vertex3f(-0.5f, 0.2f, -1);
    gl.Color4f(0, 1, 1, 1);
    gl.Vertex3f(0.1f, 0.9f, -1);
    gl.Vertex3f(-0.8f, 0.9f, -1);
    gl.End();
}

void texturedModulate(const Gl11& gl) {
    begin(gl);
    gl.Enable(GL_TEXTURE_2D);
    checkerTexture(gl, 8, 4);
    gl.Color4f(0.9f, 0.6f, 1, 1);
    quad(gl, -0.9f, -0.9f, 0.1f, 0.1f, -1);
    checkerTexture(gl, 5, 3);
    // a receding quad: perspective-correct texturing
    gl.Begin(GL_QUADS);
    gl.Color3f(1, 1, 1);
    gl.TexCoord2f(0, 0);
    gl.Vertex3f(0, -1, -1.2f);
    gl.TexCoord2f(2, 0);
    gl.Vertex3f(1.5f, -1, -4);
    gl.TexCoord2f(2, 2);
    gl.Vertex3f(1.5f, 1, -4);
    gl.TexCoord2f(0, 2);
    gl.Vertex3f(0, 1, -1.2f);
    gl.End();
}

void texturedBlendEnv(const Gl11& gl) {
    begin(gl);
    gl.Enable(GL_TEXTURE_2D);
    checkerTexture(gl, 8, 8);
    gl.TexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
    gl.Color4f(0.8f, 0.3f, 0.5f, 1);
    quad(gl, -0.9f, -0.9f, 0, 0.9f, -1);
    const float envColour[4] = {0.1f, 0.9f, 0.4f, 1};
    gl.TexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, envColour);
    quad(gl, 0, -0.9f, 0.9f, 0.9f, -1);
    const float black[4] = {0, 0, 0, 0};
    gl.TexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, black);
    gl.TexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

// Exponential fog over a floor that runs far into the distance, textured and
// not, and over additive sprites.
void fogQuads(const Gl11& gl) {
    begin(gl);
    gl.Enable(GL_FOG);
    gl.Fogf(GL_FOG_DENSITY, 0.015f);
    const float fog[4] = {0.5f, 0.55f, 0.7f, 1};
    gl.Fogfv(GL_FOG_COLOR, fog);
    gl.Color3f(0.9f, 0.2f, 0.1f);
    floorStrip(gl, -40, 0, -300);
    gl.Enable(GL_TEXTURE_2D);
    checkerTexture(gl, 8, 8);
    gl.Color3f(1, 1, 1);
    gl.Begin(GL_QUADS);
    gl.TexCoord2f(0, 0);
    gl.Vertex3f(0, -5, -2);
    gl.TexCoord2f(4, 0);
    gl.Vertex3f(40, -5, -2);
    gl.TexCoord2f(4, 16);
    gl.Vertex3f(40, -5, -300);
    gl.TexCoord2f(0, 16);
    gl.Vertex3f(0, -5, -300);
    gl.End();
    gl.Enable(GL_BLEND);
    gl.BlendFunc(GL_SRC_ALPHA, GL_SRC_ALPHA);
    gl.DepthMask(GL_FALSE);
    gl.Color4f(0.5f, 0.5f, 0.5f, 0.8f);
    quad(gl, -10, 0, 10, 20, -60);
    gl.DepthMask(GL_TRUE);
    gl.Disable(GL_BLEND);
    gl.Disable(GL_FOG);
}

// Additive lines over a dark quad, textured by the current coordinate.
void blendedLines(const Gl11& gl) {
    begin(gl);
    gl.Color3f(0.1f, 0.1f, 0.3f);
    quad(gl, -0.8f, -0.8f, 0.8f, 0.8f, -1.5f);
    gl.Enable(GL_TEXTURE_2D);
    checkerTexture(gl, 8, 8);
    gl.TexCoord2f(0.3f, 0.6f);
    gl.Enable(GL_BLEND);
    gl.BlendFunc(GL_SRC_ALPHA, GL_SRC_ALPHA);
    gl.DepthMask(GL_FALSE);
    gl.Color3f(0.7f, 0.7f, 0.7f);
    for (int i = 0; i < 12; ++i) {
        const float a = -0.95f + 0.15f * float(i);
        gl.Begin(GL_LINES);
        gl.Vertex3f(a, -0.9f, -1);
        gl.Vertex3f(-a * 0.5f, 0.9f, -1);
        gl.Vertex3f(-0.9f, a, -1.2f);
        gl.Vertex3f(0.9f, a * 0.3f, -1.2f);
        gl.End();
    }
    gl.DepthMask(GL_TRUE);
    gl.Disable(GL_BLEND);
}

void pushPopMatrix(const Gl11& gl) {
    begin(gl);
    gl.PushMatrix();
    gl.Translatef(0.3f, 0.2f, -2);
    gl.Rotatef(30, 0, 0, 1);
    gl.Scalef(0.5f, 1.5f, 1);
    gl.Color3f(0.2f, 0.9f, 0.3f);
    quad(gl, -0.5f, -0.5f, 0.5f, 0.5f, 0);
    gl.PopMatrix();
    gl.MatrixMode(GL_PROJECTION);
    gl.PushMatrix();
    gl.LoadIdentity();
    gl.Perspective(45, 1.3, 0.5, 100);
    gl.MatrixMode(GL_MODELVIEW);
    gl.Color3f(0.9f, 0.4f, 0.1f);
    quad(gl, -0.4f, -0.4f, 0.1f, 0.1f, -1.5f);
    gl.MatrixMode(GL_PROJECTION);
    gl.PopMatrix();
    gl.MatrixMode(GL_MODELVIEW);
    // back under the first projection and the identity model-view
    gl.Color3f(0.3f, 0.3f, 0.9f);
    quad(gl, 0.5f, -0.9f, 0.9f, -0.5f, -1);
}

// The fade's pattern: state pushed, changed, drawn with, popped; then
// drawing relies on what was restored.
void pushPopAttrib(const Gl11& gl) {
    begin(gl);
    gl.Enable(GL_TEXTURE_2D);
    const GLuint first = checkerTexture(gl, 8, 8);
    checkerTexture(gl, 4, 4);
    gl.BindTexture(GL_TEXTURE_2D, first);
    gl.PushAttrib(GL_TEXTURE_BIT | GL_LIGHTING_BIT | GL_DEPTH_BUFFER_BIT);
    gl.Disable(GL_TEXTURE_2D);
    gl.Disable(GL_LIGHTING);
    gl.Disable(GL_DEPTH_TEST);
    gl.BindTexture(GL_TEXTURE_2D, 0);
    gl.TexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
    gl.DepthMask(GL_FALSE);
    gl.Color3f(0.6f, 0.2f, 0.2f);
    quad(gl, -0.9f, -0.9f, 0.9f, 0.9f, -1);
    gl.PopAttrib();
    // texture on again, the first picture bound, modulate, depth writes on
    gl.Color3f(1, 1, 1);
    quad(gl, -0.6f, -0.6f, 0.6f, 0.6f, -1);
    quad(gl, -0.8f, -0.2f, 0.8f, 0.2f, -1.2f);  // hidden behind: depth test is back
}

// Client arrays with colours and texture coordinates, then immediate mode
// that relies on the current values set after them.
void clientArrays(const Gl11& gl) {
    begin(gl);
    gl.Enable(GL_TEXTURE_2D);
    checkerTexture(gl, 8, 8);
    struct V {
        float pos[3];
        float uv[2];
        float rgb[3];
    };
    const V tri[6] = {
        {{-0.9f, -0.9f, -1}, {0, 0}, {1, 0.5f, 0.5f}}, {{0.1f, -0.9f, -1}, {1, 0}, {0.5f, 1, 0.5f}},
        {{-0.4f, 0.2f, -1}, {0.5f, 1}, {0.5f, 0.5f, 1}}, {{0.2f, 0.2f, -1}, {0, 0}, {1, 1, 1}},
        {{0.9f, 0.2f, -1}, {1, 0}, {1, 1, 0}},       {{0.5f, 0.9f, -1}, {0.5f, 1}, {0, 1, 1}},
    };
    gl.EnableClientState(GL_VERTEX_ARRAY);
    gl.VertexPointer(3, GL_FLOAT, sizeof(V), tri[0].pos);
    gl.EnableClientState(GL_TEXTURE_COORD_ARRAY);
    gl.TexCoordPointer(2, GL_FLOAT, sizeof(V), tri[0].uv);
    gl.EnableClientState(GL_COLOR_ARRAY);
    gl.ColorPointer(3, GL_FLOAT, sizeof(V), tri[0].rgb);
    gl.DrawArrays(GL_TRIANGLES, 0, 6);
    gl.DisableClientState(GL_COLOR_ARRAY);
    gl.DisableClientState(GL_TEXTURE_COORD_ARRAY);
    gl.Color3f(0.8f, 0.8f, 0.2f);
    gl.TexCoord2f(0.5f, 0.5f);
    gl.DrawArrays(GL_LINES, 0, 6);
    gl.DisableClientState(GL_VERTEX_ARRAY);
}

// Culling, depth functions and the depth mask.
void depthAndCulling(const Gl11& gl) {
    begin(gl);
    gl.Enable(GL_CULL_FACE);
    gl.Color3f(0.9f, 0.1f, 0.1f);
    quad(gl, -0.9f, -0.9f, 0, 0, -1);  // front facing: drawn
    gl.Begin(GL_QUADS);                // back facing: culled
    gl.Color3f(0.1f, 0.9f, 0.1f);
    gl.Vertex3f(0, 0, -1);
    gl.Vertex3f(0, 0.9f, -1);
    gl.Vertex3f(0.9f, 0.9f, -1);
    gl.Vertex3f(0.9f, 0, -1);
    gl.End();
    gl.Disable(GL_CULL_FACE);
    gl.DepthMask(GL_FALSE);
    gl.Color3f(0.1f, 0.1f, 0.9f);
    quad(gl, -0.5f, -0.5f, 0.5f, 0.5f, -2);  // behind the red one: hidden where they meet
    gl.DepthMask(GL_TRUE);
    gl.DepthFunc(GL_LESS);
    gl.Color3f(0.9f, 0.9f, 0.1f);
    quad(gl, -0.3f, -0.3f, 0.3f, 0.3f, -1);  // same depth as red: LESS keeps the red
    gl.DepthFunc(GL_LEQUAL);
}

// The fade and the flash: a multiplying and an adding full-screen quad.
void fadeAndFlash(const Gl11& gl) {
    begin(gl);
    gl.Enable(GL_TEXTURE_2D);
    checkerTexture(gl, 8, 8);
    quad(gl, -1, -1, 1, 1, -1);
    gl.Disable(GL_TEXTURE_2D);
    gl.Disable(GL_DEPTH_TEST);
    gl.Enable(GL_BLEND);
    gl.BlendFunc(GL_ZERO, GL_SRC_COLOR);
    gl.Color4f(0.5f, 0.5f, 0.5f, 0.5f);
    quad(gl, -1, -1, 0, 1, -1);
    gl.BlendFunc(GL_SRC_ALPHA, GL_SRC_ALPHA);
    gl.Color4f(0.3f, 0.3f, 0.3f, 1);
    quad(gl, 0, -1, 1, 1, -1);
    gl.Disable(GL_BLEND);
    gl.Enable(GL_DEPTH_TEST);
}

// Texturing on with a texture that has no picture: GL 1.1 draws untextured.
void incompleteTexture(const Gl11& gl) {
    begin(gl);
    gl.Enable(GL_TEXTURE_2D);
    GLuint empty = 0;
    gl.GenTextures(1, &empty);
    gl.BindTexture(GL_TEXTURE_2D, empty);
    gl.Color3f(0.7f, 0.5f, 0.2f);
    quad(gl, -0.9f, -0.9f, 0, 0, -1);
    gl.BindTexture(GL_TEXTURE_2D, 0);
    gl.Color3f(0.2f, 0.5f, 0.7f);
    quad(gl, 0, 0, 0.9f, 0.9f, -1);
    gl.Disable(GL_TEXTURE_2D);
}

// The fog modes and environments the demo leaves alone, for other programs.
void otherFogModes(const Gl11& gl) {
    begin(gl);
    gl.Enable(GL_FOG);
    const float fog[4] = {0.8f, 0.7f, 0.2f, 1};
    gl.Fogfv(GL_FOG_COLOR, fog);
    gl.Fogf(GL_FOG_MODE, GL_EXP2);
    gl.Fogf(GL_FOG_DENSITY, 0.02f);
    gl.Color3f(0.1f, 0.3f, 0.9f);
    floorStrip(gl, -40, 0, -200);
    gl.Fogf(GL_FOG_MODE, GL_LINEAR);
    gl.Fogf(GL_FOG_START, 5);
    gl.Fogf(GL_FOG_END, 120);
    floorStrip(gl, 0, 40, -200);
    gl.Fogf(GL_FOG_MODE, GL_EXP);
    gl.Disable(GL_FOG);
}

void replaceAndDecal(const Gl11& gl) {
    begin(gl);
    gl.Enable(GL_TEXTURE_2D);
    checkerTexture(gl, 8, 8);
    gl.Color4f(0.2f, 0.9f, 0.2f, 0.5f);
    gl.Enable(GL_BLEND);
    gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.TexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    quad(gl, -0.9f, -0.9f, 0, 0.9f, -1);  // RGB picture: alpha from the colour
    gl.TexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    quad(gl, 0, -0.9f, 0.9f, 0.9f, -1);
    gl.TexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    gl.Disable(GL_BLEND);
}

// Colours outside 0..1 (a brightness above 1, a negative level) are clamped
// per vertex before they are interpolated, textured, fogged and blended.
void colourClamping(const Gl11& gl) {
    begin(gl);
    gl.Begin(GL_QUADS);
    gl.Color4f(2, 0.5f, -1, 1);
    gl.Vertex3f(-0.9f, -0.9f, -1);
    gl.Color4f(-0.5f, 1.5f, 0.5f, 1);
    gl.Vertex3f(0, -0.9f, -1);
    gl.Color4f(0.5f, 0.5f, 3, 1);
    gl.Vertex3f(0, 0, -1);
    gl.Color4f(1, 1, 1, 1);
    gl.Vertex3f(-0.9f, 0, -1);
    gl.End();
    gl.Enable(GL_TEXTURE_2D);
    checkerTexture(gl, 8, 8);
    gl.Enable(GL_BLEND);
    gl.BlendFunc(GL_SRC_ALPHA, GL_SRC_ALPHA);
    gl.Color4f(1.8f, 1.8f, 1.8f, 1.5f);
    quad(gl, 0, 0, 0.9f, 0.9f, -1);
    gl.Disable(GL_BLEND);
    gl.Disable(GL_TEXTURE_2D);
}

// The scissor box limits drawing and clearing; popping the scissor group
// brings back the box and the switch.
void scissorBox(const Gl11& gl) {
    begin(gl);
    gl.Enable(GL_SCISSOR_TEST);
    gl.Scissor(10, 20, 60, 50);
    gl.PushAttrib(GL_SCISSOR_BIT);
    gl.Scissor(40, 40, 80, 80);
    gl.ClearColor(0.1f, 0.5f, 0.3f, 0);
    gl.Clear(GL_COLOR_BUFFER_BIT);
    gl.PopAttrib();
    gl.Color3f(0.9f, 0.8f, 0.1f);
    quad(gl, -1, -1, 1, 1, -1);
    gl.Disable(GL_SCISSOR_TEST);
    gl.Color3f(0.2f, 0.2f, 0.9f);
    quad(gl, 0.5f, 0.5f, 0.9f, 0.9f, -1);
}

// Colour arrays of every integer type GL takes for colours, normalised.
void integerColourArrays(const Gl11& gl) {
    begin(gl);
    const float strip[4][3] = {{-0.9f, -0.9f, -1}, {0.9f, -0.9f, -1}, {-0.9f, -0.3f, -1},
                               {0.9f, -0.3f, -1}};
    auto band = [&gl, &strip](float dy, GLenum type, const void* colours) {
        float at[4][3];
        for (int i = 0; i < 4; ++i) {
            at[i][0] = strip[i][0];
            at[i][1] = strip[i][1] + dy;
            at[i][2] = strip[i][2];
        }
        gl.EnableClientState(GL_VERTEX_ARRAY);
        gl.EnableClientState(GL_COLOR_ARRAY);
        gl.VertexPointer(3, GL_FLOAT, 0, at);
        gl.ColorPointer(4, type, 0, colours);
        gl.DrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        gl.DisableClientState(GL_COLOR_ARRAY);
        gl.DisableClientState(GL_VERTEX_ARRAY);
    };
    const GLushort shorts[16] = {65535, 0, 16384, 65535, 0, 65535, 32768, 65535,
                                 49152, 49152, 0, 65535, 8192, 0, 65535, 65535};
    const GLuint ints[16] = {0xffffffffu, 0x80000000u, 0, 0xffffffffu, 0, 0x40000000u,
                             0xffffffffu, 0xffffffffu, 0xc0000000u, 0, 0xffffffffu, 0xffffffffu,
                             0x20000000u, 0xffffffffu, 0x60000000u, 0xffffffffu};
    const GLbyte bytes[16] = {127, 0, 64, 127, 0, 127, 32, 127, 96, 96, 0, 127, 16, 0, 127, 127};
    band(0, GL_UNSIGNED_SHORT, shorts);
    band(0.6f, GL_UNSIGNED_INT, ints);
    band(1.2f, GL_BYTE, bytes);
}

// The colour mask belongs to the colour-buffer group: a pop brings it back.
void colourMaskPop(const Gl11& gl) {
    begin(gl);
    gl.ColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE);
    gl.PushAttrib(GL_COLOR_BUFFER_BIT);
    gl.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl.Color3f(0.1f, 0.8f, 0.1f);
    quad(gl, -0.9f, -0.9f, 0, 0.9f, -1);
    gl.PopAttrib();
    gl.Color3f(0.9f, 0.9f, 0.6f);  // green stays as cleared
    quad(gl, 0, -0.9f, 0.9f, 0.9f, -1);
    gl.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

}  // namespace

const std::vector<NamedCase>& drawCases() {
    static const std::vector<NamedCase> cases = {
        {"colouredQuads", colouredQuads},       {"texturedModulate", texturedModulate},
        {"texturedBlendEnv", texturedBlendEnv}, {"fogQuads", fogQuads},
        {"blendedLines", blendedLines},         {"pushPopMatrix", pushPopMatrix},
        {"pushPopAttrib", pushPopAttrib},       {"clientArrays", clientArrays},
        {"depthAndCulling", depthAndCulling},   {"fadeAndFlash", fadeAndFlash},
        {"incompleteTexture", incompleteTexture}, {"otherFogModes", otherFogModes},
        {"replaceAndDecal", replaceAndDecal},   {"colourClamping", colourClamping},
        {"scissorBox", scissorBox},             {"integerColourArrays", integerColourArrays},
        {"colourMaskPop", colourMaskPop},
    };
    return cases;
}

}  // namespace layertest
