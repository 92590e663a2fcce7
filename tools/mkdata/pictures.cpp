#include "pictures.h"

#include <cstdio>
#include <string>

#include "jpeg_writer.h"
#include "mkdata.h"

std::vector<PictureRecipe> allPictures() {
    std::vector<PictureRecipe> list;
    addPlainPictures(list);
    addGlowPictures(list);
    addProbePictures(list);
    addSurfacePictures(list);
    addFigurePictures(list);
    addBackdropPictures(list);
    addTextPictures(list);
    return list;
}

void addSquarePictures(std::vector<PictureRecipe>& list, int size,
                       std::initializer_list<NamedDrawing> drawings) {
    for (const NamedDrawing& d : drawings) list.push_back({d.file, size, size, 1.0f, d.draw});
}

int writePictures(const char* dir) {
    for (const PictureRecipe& recipe : allPictures()) {
        Canvas canvas = makeCanvas(recipe.width, recipe.height, recipe.aspect);
        if (!recipe.draw(canvas)) {
            std::fprintf(stderr, "mkdata: cannot draw %s\n", recipe.file);
            return 0;
        }
        if (!writeJpeg(std::string(dir) + "/" + recipe.file, canvas)) return 0;
    }
    return 1;
}
