#include "pictures.h"

#include <cstdio>
#include <string>

#include "jpeg_writer.h"
#include "mkdata.h"

std::vector<PictureSpec> allPictures() {
    std::vector<PictureSpec> list;
    addPlainPictures(list);
    addGlowPictures(list);
    addProbePictures(list);
    addSurfacePictures(list);
    addFigurePictures(list);
    addBackdropPictures(list);
    addTextPictures(list);
    return list;
}

int writePictures(const char* dir) {
    for (const PictureSpec& spec : allPictures()) {
        Canvas canvas = makeCanvas(spec.width, spec.height, spec.aspect);
        if (!spec.draw(canvas)) {
            std::fprintf(stderr, "mkdata: cannot draw %s\n", spec.file);
            return 0;
        }
        if (!writeJpeg(std::string(dir) + "/" + spec.file, canvas)) return 0;
    }
    return 1;
}
