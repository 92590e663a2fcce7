#include <cstdio>

#include "gl/gles_functions.h"

namespace {

template <typename Fn>
bool fetch(GlesProcLoader load, const char* name, Fn* out) {
    void* p = load(name);
    *out = reinterpret_cast<Fn>(p);
    if (!p) std::fprintf(stderr, "gl layer: the driver lacks %s\n", name);
    return p != nullptr;
}

}  // namespace

bool loadGlesFunctions(GlesProcLoader load, GlesFunctions* t) {
    bool ok = true;
#define FETCH(ret, field, name, params) ok = fetch(load, #name, &t->field) && ok;
    GLES_FUNCTIONS(FETCH)
#undef FETCH
    return ok;
}
