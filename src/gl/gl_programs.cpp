#include "gl/gl_programs.h"

#include <cstdio>

#include "gl/gl_state.h"

namespace gllayer {

namespace {

Program programs[programCount];
bool tried[programCount];

const char* vertexBody =
    "attribute vec3 a_position;\n"
    "attribute vec4 a_colour;\n"
    "uniform mat4 u_mvp;\n"
    "varying vec4 v_colour;\n"
    "#ifdef TEXTURED\n"
    "attribute vec2 a_texCoord;\n"
    "uniform mat4 u_textureMatrix;\n"
    "varying vec2 v_texCoord;\n"
    "#endif\n"
    "#ifdef FOG\n"
    "uniform vec4 u_eyeZ;\n"
    "varying float v_fogDistance;\n"
    "#endif\n"
    "void main() {\n"
    "    vec4 p = vec4(a_position, 1.0);\n"
    "    gl_Position = u_mvp * p;\n"
    "    v_colour = clamp(a_colour, 0.0, 1.0);\n"
    "#ifdef TEXTURED\n"
    "    vec4 t = u_textureMatrix * vec4(a_texCoord, 0.0, 1.0);\n"
    "    v_texCoord = t.xy / t.w;\n"
    "#endif\n"
    "#ifdef FOG\n"
    // fog distance: the eye-space depth, as the fixed pipeline takes it
    "    v_fogDistance = abs(dot(u_eyeZ, p));\n"
    "#endif\n"
    "}\n";

const char* fragmentBody =
    "#ifdef GL_FRAGMENT_PRECISION_HIGH\n"
    "precision highp float;\n"
    "#else\n"
    "precision mediump float;\n"
    "#endif\n"
    "varying vec4 v_colour;\n"
    "#ifdef TEXTURED\n"
    "uniform sampler2D u_texture;\n"
    "uniform vec4 u_envColour;\n"
    "varying vec2 v_texCoord;\n"
    "#endif\n"
    "#ifdef REPEAT_FILTERED\n"
    "uniform vec4 u_textureSize;\n"
    "vec4 texel(vec2 i) { return texture2D(u_texture, (i + 0.5) / u_textureSize.xy); }\n"
    "#endif\n"
    "#ifdef FOG\n"
    "uniform vec4 u_fogColour;\n"
    "uniform vec4 u_fogParams;\n"  // density, end, 1 / (end - start)
    "varying float v_fogDistance;\n"
    "#endif\n"
    "void main() {\n"
    "    vec4 c = v_colour;\n"
    "#ifdef TEXTURED\n"
    "#ifdef REPEAT_FILTERED\n"
    // the four texels around the point, wrapped or clamped per axis
    "    vec2 size = u_textureSize.xy;\n"
    "    vec2 p = v_texCoord * size - 0.5;\n"
    "    vec2 w = fract(p);\n"
    "    vec2 i0 = floor(p);\n"
    "    vec2 i1 = i0 + 1.0;\n"
    "#ifdef REPEAT_S\n"
    "    i0.x = mod(i0.x, size.x); i1.x = mod(i1.x, size.x);\n"
    "#else\n"
    "    i0.x = clamp(i0.x, 0.0, size.x - 1.0); i1.x = clamp(i1.x, 0.0, size.x - 1.0);\n"
    "#endif\n"
    "#ifdef REPEAT_T\n"
    "    i0.y = mod(i0.y, size.y); i1.y = mod(i1.y, size.y);\n"
    "#else\n"
    "    i0.y = clamp(i0.y, 0.0, size.y - 1.0); i1.y = clamp(i1.y, 0.0, size.y - 1.0);\n"
    "#endif\n"
    "    vec4 t = mix(mix(texel(i0), texel(vec2(i1.x, i0.y)), w.x),\n"
    "                 mix(texel(vec2(i0.x, i1.y)), texel(i1), w.x), w.y);\n"
    "#else\n"
    "    vec2 uv = v_texCoord;\n"
    "#ifdef REPEAT_S\n"
    "    uv.s = fract(uv.s);\n"
    "#endif\n"
    "#ifdef REPEAT_T\n"
    "    uv.t = fract(uv.t);\n"
    "#endif\n"
    "    vec4 t = texture2D(u_texture, uv);\n"
    "#endif\n"
    "#if ENV == 0\n"
    "    c = c * t;\n"
    "#elif ENV == 1\n"
    "    c = vec4(c.rgb * (vec3(1.0) - t.rgb) + u_envColour.rgb * t.rgb, c.a * t.a);\n"
    "#elif ENV == 2\n"
    "    c = vec4(t.rgb, TEXTURE_ALPHA ? t.a : c.a);\n"
    "#else\n"
    "    c = vec4(mix(c.rgb, t.rgb, t.a), c.a);\n"
    "#endif\n"
    "#endif\n"
    "#ifdef FOG\n"
    "#if FOG == 1\n"
    "    float f = exp(-u_fogParams.x * v_fogDistance);\n"
    "#elif FOG == 2\n"
    "    float d = u_fogParams.x * v_fogDistance;\n"
    "    float f = exp(-d * d);\n"
    "#else\n"
    "    float f = (u_fogParams.y - v_fogDistance) * u_fogParams.z;\n"
    "#endif\n"
    "    c.rgb = mix(u_fogColour.rgb, c.rgb, clamp(f, 0.0, 1.0));\n"
    "#endif\n"
    "    gl_FragColor = c;\n"
    "}\n";

// True when the shader or program has `status` set; otherwise prints what
// failed and the driver's log.
bool statusSet(decltype(GlesFunctions::getShaderiv) getParameter,
               decltype(GlesFunctions::getShaderInfoLog) getLog, GLuint id, unsigned status,
               const char* failed) {
    int ok = 0;
    getParameter(id, status, &ok);
    if (ok) return true;
    char log[1024] = "";
    getLog(id, sizeof log, nullptr, log);
    std::fprintf(stderr, "gl layer: %s: %s\n", failed, log);
    return false;
}

GLuint compile(const GlesFunctions& es, unsigned type, const char* source) {
    const GLuint shader = es.createShader(type);
    es.shaderSource(shader, 1, &source, nullptr);
    es.compileShader(shader);
    if (!statusSet(es.getShaderiv, es.getShaderInfoLog, shader, gles::COMPILE_STATUS,
                   "a shader does not compile")) {
        es.deleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

int programIndex(const ProgramKey& key) {
    const int env = key.textured ? int(key.env) : 0;
    const int alpha = key.textured && key.textureAlpha ? 1 : 0;
    const int repeat = key.textured && (key.repeatS || key.repeatT)
                           ? int(key.repeatS) + 2 * int(key.repeatT) + 4 * int(key.repeatFiltered)
                           : 0;
    return (((int(key.textured) * 4 + env) * 2 + alpha) * 4 + int(key.fog)) * 8 + repeat;
}

void shaderSources(const ProgramKey& key, char* vertex, int vertexSize, char* fragment,
                   int fragmentSize) {
    char defines[240];
    int n = std::snprintf(defines, sizeof defines, "#version 100\n");
    if (key.textured)
        n += std::snprintf(defines + n, sizeof defines - n,
                           "#define TEXTURED 1\n#define ENV %d\n#define TEXTURE_ALPHA %s\n",
                           int(key.env), key.textureAlpha ? "true" : "false");
    if (key.textured && key.repeatS)
        n += std::snprintf(defines + n, sizeof defines - n, "#define REPEAT_S 1\n");
    if (key.textured && key.repeatT)
        n += std::snprintf(defines + n, sizeof defines - n, "#define REPEAT_T 1\n");
    if (key.textured && (key.repeatS || key.repeatT) && key.repeatFiltered)
        n += std::snprintf(defines + n, sizeof defines - n, "#define REPEAT_FILTERED 1\n");
    if (key.fog != fogNone)
        std::snprintf(defines + n, sizeof defines - n, "#define FOG %d\n", int(key.fog));
    std::snprintf(vertex, vertexSize, "%s%s", defines, vertexBody);
    std::snprintf(fragment, fragmentSize, "%s%s", defines, fragmentBody);
}

Program* programFor(const ProgramKey& key) {
    const int index = programIndex(key);
    Program& p = programs[index];
    if (p.id) return &p;
    if (tried[index]) return nullptr;
    tried[index] = true;

    const GlesFunctions& es = *layer.es;
    static char vertex[4096], fragment[4096];
    shaderSources(key, vertex, sizeof vertex, fragment, sizeof fragment);
    const GLuint vs = compile(es, gles::VERTEX_SHADER, vertex);
    const GLuint fs = compile(es, gles::FRAGMENT_SHADER, fragment);
    if (!vs || !fs) return nullptr;
    const GLuint id = es.createProgram();
    es.attachShader(id, vs);
    es.attachShader(id, fs);
    es.bindAttribLocation(id, attribPosition, "a_position");
    es.bindAttribLocation(id, attribColour, "a_colour");
    es.bindAttribLocation(id, attribTexCoord, "a_texCoord");
    es.linkProgram(id);
    es.deleteShader(vs);
    es.deleteShader(fs);
    if (!statusSet(es.getProgramiv, es.getProgramInfoLog, id, gles::LINK_STATUS,
                   "a program does not link"))
        return nullptr;
    p = Program{};
    p.id = id;
    p.mvp = es.getUniformLocation(id, "u_mvp");
    p.eyeZ = es.getUniformLocation(id, "u_eyeZ");
    p.textureMatrix = es.getUniformLocation(id, "u_textureMatrix");
    p.sampler = es.getUniformLocation(id, "u_texture");
    p.envColour = es.getUniformLocation(id, "u_envColour");
    p.fogColour = es.getUniformLocation(id, "u_fogColour");
    p.fogParams = es.getUniformLocation(id, "u_fogParams");
    p.textureSize = es.getUniformLocation(id, "u_textureSize");
    // serial 0 never matches a live state, so the first draw sends everything
    p.matrixSerial = p.fogSerial = p.envSerial = 0;
    ++layer.stats.programsBuilt;
    return &p;
}

void forgetPrograms() {
    for (int i = 0; i < programCount; ++i) {
        programs[i] = Program{};
        tried[i] = false;
    }
}

}  // namespace gllayer
