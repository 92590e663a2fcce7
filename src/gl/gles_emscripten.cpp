// The browser build: the table points straight at Emscripten's WebGL calls
// (the emscripten_gl* aliases, so they never meet the GL 1.1 names we define).
#include <webgl/webgl1.h>

#include "gl/gl_layer.h"
#include "gl/gles_functions.h"

namespace {

template <typename Fn, typename Src>
void put(Fn* out, Src src) {
    *out = reinterpret_cast<Fn>(src);
}

}  // namespace

int glLayerInitWebGl() {
    static GlesFunctions t;
#define PUT(ret, field, name, params) put(&t.field, &emscripten_##name);
    GLES_FUNCTIONS(PUT)
#undef PUT
    return glLayerInitWith(&t);
}
