#pragma once
// Small scenes in the GL 1.1 the demo uses, each drawn natively and through
// the layer by the comparison tests.
#include <vector>

#include "gl_contexts.h"

namespace layertest {

const int caseSize = 128;

struct NamedCase {
    const char* name;
    DrawCase draw;
};

const std::vector<NamedCase>& drawCases();

}  // namespace layertest
