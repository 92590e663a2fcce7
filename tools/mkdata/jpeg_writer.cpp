#include "jpeg_writer.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

struct ErrorTrap {
    jpeg_error_mgr base;
    jmp_buf escape;
};

void onError(j_common_ptr info) {
    longjmp(reinterpret_cast<ErrorTrap*>(info->err)->escape, 1);
}

// Everything the jump may skip past lives here, not in locals.
struct EncodeState {
    jpeg_compress_struct info;
    ErrorTrap trap;
    unsigned char* out;
    unsigned long outSize;
};

bool encode(EncodeState* s, const std::vector<unsigned char>& rgb, int width, int height,
            int quality) {
    if (setjmp(s->trap.escape)) return false;
    jpeg_create_compress(&s->info);
    jpeg_mem_dest(&s->info, &s->out, &s->outSize);
    s->info.image_width = JDIMENSION(width);
    s->info.image_height = JDIMENSION(height);
    s->info.input_components = 3;
    s->info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&s->info);
    jpeg_set_quality(&s->info, quality, TRUE);
    // Full colour resolution: thin coloured lines and text stay crisp.
    for (int c = 0; c < 3; ++c) {
        s->info.comp_info[c].h_samp_factor = 1;
        s->info.comp_info[c].v_samp_factor = 1;
    }
    s->info.optimize_coding = TRUE;
    s->info.dct_method = JDCT_ISLOW;
    s->info.write_JFIF_header = TRUE;
    jpeg_start_compress(&s->info, TRUE);
    while (s->info.next_scanline < s->info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(rgb.data()) +
                       size_t(s->info.next_scanline) * size_t(width) * 3;
        jpeg_write_scanlines(&s->info, &row, 1);
    }
    jpeg_finish_compress(&s->info);
    return true;
}

}  // namespace

bool writeJpeg(const std::string& path, const Canvas& canvas, int quality) {
    std::vector<unsigned char> rgb(canvas.px.size() * 3);
    for (size_t k = 0; k < canvas.px.size(); ++k) {
        rgb[3 * k] = toByte(canvas.px[k].r);
        rgb[3 * k + 1] = toByte(canvas.px[k].g);
        rgb[3 * k + 2] = toByte(canvas.px[k].b);
    }
    EncodeState* s = static_cast<EncodeState*>(std::calloc(1, sizeof(EncodeState)));
    if (!s) return false;
    s->info.err = jpeg_std_error(&s->trap.base);
    s->trap.base.error_exit = onError;
    bool ok = encode(s, rgb, canvas.width, canvas.height, quality);
    jpeg_destroy_compress(&s->info);
    if (ok) {
        FILE* f = std::fopen(path.c_str(), "wb");
        ok = f && std::fwrite(s->out, 1, s->outSize, f) == s->outSize;
        if (f && std::fclose(f) != 0) ok = false;
        if (!ok) std::fprintf(stderr, "mkdata: cannot write %s\n", path.c_str());
    } else {
        std::fprintf(stderr, "mkdata: cannot encode %s\n", path.c_str());
    }
    std::free(s->out);
    std::free(s);
    return ok;
}
