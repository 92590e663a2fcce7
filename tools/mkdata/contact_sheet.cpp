// The contact sheet: every picture of a data folder as a labelled thumbnail
// on one PNG, for reviewing the content at a glance.
#include <dirent.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "canvas.h"
#include "mkdata.h"
#include "pictures.h"
#include "text_render.h"

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // top row first
};

struct JpegTrap {
    jpeg_error_mgr base;
    jmp_buf escape;
};

void jpegFail(j_common_ptr info) { longjmp(reinterpret_cast<JpegTrap*>(info->err)->escape, 1); }

struct JpegState {
    jpeg_decompress_struct info;
    JpegTrap trap;
};

bool decodeJpeg(JpegState* s, FILE* f, Picture& out) {
    if (setjmp(s->trap.escape)) return false;
    jpeg_create_decompress(&s->info);
    jpeg_stdio_src(&s->info, f);
    jpeg_read_header(&s->info, TRUE);
    s->info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&s->info);
    out.width = int(s->info.output_width);
    out.height = int(s->info.output_height);
    out.rgb.assign(size_t(out.width) * out.height * 3, 0);
    while (s->info.output_scanline < s->info.output_height) {
        JSAMPROW row = out.rgb.data() + size_t(s->info.output_scanline) * out.width * 3;
        jpeg_read_scanlines(&s->info, &row, 1);
    }
    jpeg_finish_decompress(&s->info);
    return true;
}

bool readJpeg(const std::string& path, Picture& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    JpegState* s = static_cast<JpegState*>(std::calloc(1, sizeof(JpegState)));
    s->info.err = jpeg_std_error(&s->trap.base);
    s->trap.base.error_exit = jpegFail;
    bool ok = decodeJpeg(s, f, out);
    jpeg_destroy_decompress(&s->info);
    std::free(s);
    std::fclose(f);
    return ok;
}

// The 24-bit bottom-up bitmaps this generator writes.
bool readBmp(const std::string& path, Picture& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::vector<unsigned char> data;
    unsigned char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) data.insert(data.end(), chunk, chunk + n);
    std::fclose(f);
    auto u32 = [&](size_t at) {
        return unsigned(data[at]) | unsigned(data[at + 1]) << 8 | unsigned(data[at + 2]) << 16 |
               unsigned(data[at + 3]) << 24;
    };
    if (data.size() < 54 || data[0] != 'B' || data[1] != 'M') return false;
    unsigned offset = u32(10);
    int w = int(u32(18)), h = int(u32(22));
    if (data[28] != 24 || w <= 0 || h <= 0 || w > 4096 || h > 4096) return false;
    size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
    if (offset + stride * size_t(h) > data.size()) return false;
    out.width = w;
    out.height = h;
    out.rgb.assign(size_t(w) * h * 3, 0);
    for (int y = 0; y < h; ++y) {
        const unsigned char* src = data.data() + offset + stride * size_t(h - 1 - y);
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < 3; ++k) out.rgb[(size_t(y) * w + x) * 3 + k] = src[x * 3 + 2 - k];
    }
    return true;
}

bool endsWith(const std::string& s, const char* tail) {
    size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

struct Sheet {
    int width, height;
    std::vector<unsigned char> rgb;
    void set(int x, int y, unsigned char r, unsigned char g, unsigned char b) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        unsigned char* p = &rgb[(size_t(y) * width + x) * 3];
        p[0] = r;
        p[1] = g;
        p[2] = b;
    }
};

// Area-averaged thumbnail of `pic` into the box at (x0, y0) of size w x h.
void drawThumb(Sheet& sheet, const Picture& pic, int x0, int y0, int w, int h) {
    for (int ty = 0; ty < h; ++ty) {
        int sy0 = ty * pic.height / h, sy1 = std::max(sy0 + 1, (ty + 1) * pic.height / h);
        for (int tx = 0; tx < w; ++tx) {
            int sx0 = tx * pic.width / w, sx1 = std::max(sx0 + 1, (tx + 1) * pic.width / w);
            unsigned sum[3] = {0, 0, 0}, count = 0;
            for (int sy = sy0; sy < sy1; ++sy)
                for (int sx = sx0; sx < sx1; ++sx, ++count)
                    for (int k = 0; k < 3; ++k) sum[k] += pic.rgb[(size_t(sy) * pic.width + sx) * 3 + k];
            sheet.set(x0 + tx, y0 + ty, static_cast<unsigned char>(sum[0] / count),
                      static_cast<unsigned char>(sum[1] / count), static_cast<unsigned char>(sum[2] / count));
        }
    }
}

void drawLabel(Sheet& sheet, const std::string& text, int x0, int y0, int maxWidth) {
    TextOptions options;
    options.fullHeight = true;  // labels line up whatever their letters
    Mask m = renderTextLine(fontSans, text.c_str(), 14, options);
    if (m.width == 0) return;
    int w = std::min(m.width, maxWidth);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < w; ++x) {
            float a = m.a[size_t(y) * m.width + x];
            unsigned char v = static_cast<unsigned char>(40 + a * 200);
            if (a > 0) sheet.set(x0 + x, y0 + y, v, v, v);
        }
}

// Thumbnails take the shape the picture has on screen where the generator
// knows it (a 512x256 texture stretched over a 7:1 strip shows as a strip),
// within limits that keep every thumbnail readable.
float shownAspect(const std::string& name, const Picture& pic) {
    float aspect = float(pic.width) / float(pic.height);
    for (const PictureRecipe& recipe : allPictures())
        if (name == recipe.file) aspect = recipe.aspect;
    return std::clamp(aspect, 0.25f, 4.0f);
}

}  // namespace

int writeContactSheet(const char* dataDir, const char* pngPath) {
    std::vector<std::string> names;
    DIR* dir = opendir(dataDir);
    if (!dir) {
        std::fprintf(stderr, "mkdata: cannot read the folder %s\n", dataDir);
        return 0;
    }
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (endsWith(name, ".jpg") || endsWith(name, ".bmp")) names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    if (names.empty()) {
        std::fprintf(stderr, "mkdata: no pictures in %s\n", dataDir);
        return 0;
    }

    const int thumb = 200, cellW = 216, cellH = 250, columns = 8;
    int rows = int((names.size() + columns - 1) / columns);
    Sheet sheet{columns * cellW + 8, rows * cellH + 8, {}};
    sheet.rgb.assign(size_t(sheet.width) * sheet.height * 3, 40);

    for (size_t i = 0; i < names.size(); ++i) {
        int cx = 8 + int(i % columns) * cellW, cy = 8 + int(i / columns) * cellH;
        Picture pic;
        std::string path = std::string(dataDir) + "/" + names[i];
        bool ok = endsWith(names[i], ".jpg") ? readJpeg(path, pic) : readBmp(path, pic);
        std::string size = "(unreadable)";
        if (ok) {
            float aspect = shownAspect(names[i], pic);
            int w = thumb, h = thumb;
            if (aspect > 1) h = std::max(1, int(thumb / aspect));
            if (aspect < 1) w = std::max(1, int(thumb * aspect));
            int x0 = cx + (thumb - w) / 2, y0 = cy + (thumb - h) / 2;
            for (int y = y0 - 1; y <= y0 + h; ++y)
                for (int x = x0 - 1; x <= x0 + w; ++x) sheet.set(x, y, 90, 90, 90);
            drawThumb(sheet, pic, x0, y0, w, h);
            size = std::to_string(pic.width) + " x " + std::to_string(pic.height);
        }
        drawLabel(sheet, names[i], cx, cy + thumb + 4, cellW - 8);
        drawLabel(sheet, size, cx, cy + thumb + 22, cellW - 8);
    }

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(sheet.width);
    image.height = png_uint_32(sheet.height);
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, pngPath, 0, sheet.rgb.data(), 0, nullptr)) {
        std::fprintf(stderr, "mkdata: cannot write %s: %s\n", pngPath, image.message);
        return 0;
    }
    return 1;
}
