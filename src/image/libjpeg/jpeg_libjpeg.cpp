#include "image/jpeg.h"
#include "image/image.h"

#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/data_file.h"

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: we
// jump back to the decoder and fail instead of letting it end the process.
struct JpegErrorTrap {
    jpeg_error_mgr base;
    jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

void failDecode(j_common_ptr cinfo) {
    JpegErrorTrap* trap = reinterpret_cast<JpegErrorTrap*>(cinfo->err);
    // libjpeg's own words for what is wrong, kept for the caller's message.
    cinfo->err->format_message(cinfo, trap->message);
    longjmp(trap->escape, 1);
}

// Warnings are how libjpeg reports corrupt or truncated data (it fills the
// rest with grey and carries on). A damaged picture must not load as a
// half-grey texture, so every warning fails the decode, except the two that
// only concern metadata.
void onMessage(j_common_ptr cinfo, int level) {
    if (level != -1) return;  // trace output: ignore
    int code = cinfo->err->msg_code;
    if (code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM) return;
    failDecode(cinfo);
}

// Everything the jump may skip past lives here, not in locals.
struct DecodeState {
    jpeg_decompress_struct info;
    JpegErrorTrap trap;
    unsigned char* pixels;
    int width;
    int height;
    char problem[JMSG_LENGTH_MAX + 64];  // why the decode failed, for messages
};

void setProblem(DecodeState* s, const char* text) {
    std::snprintf(s->problem, sizeof s->problem, "%s", text);
}

int decodeInto(DecodeState* s, const unsigned char* data, unsigned long size) {
    if (setjmp(s->trap.escape)) {
        std::snprintf(s->problem, sizeof s->problem, "not a JPEG picture, or a damaged one (%s)",
                      s->trap.message);
        return 0;
    }

    jpeg_create_decompress(&s->info);
    jpeg_mem_src(&s->info, data, size);
    if (jpeg_read_header(&s->info, TRUE) != JPEG_HEADER_OK) {
        setProblem(s, "not a JPEG picture");
        return 0;
    }
    s->width = int(s->info.image_width);
    s->height = int(s->info.image_height);
    if (double(s->width) * double(s->height) * 3.0 > double(maxDecodedImageBytes)) {
        std::snprintf(s->problem, sizeof s->problem,
                      "%dx%d pixels would take more than the %ld MB a picture may have",
                      s->width, s->height, long(maxDecodedImageBytes) >> 20);
        return 0;
    }

    // One layout for every file: three bytes per pixel, blue-green-red, also
    // for greyscale pictures.
    s->info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&s->info);
    if (s->info.output_components != 3) {
        setProblem(s, "a colour space that cannot be shown as RGB");
        return 0;
    }

    size_t rowBytes = size_t(s->width) * 3;
    size_t total = rowBytes * size_t(s->height);
    if (total == 0) {
        setProblem(s, "a picture without pixels");
        return 0;
    }
    s->pixels = static_cast<unsigned char*>(std::malloc(total));
    if (!s->pixels) {
        setProblem(s, "out of memory");
        return 0;
    }

    while (s->info.output_scanline < s->info.output_height) {
        JSAMPROW row = s->pixels + rowBytes * s->info.output_scanline;
        if (jpeg_read_scanlines(&s->info, &row, 1) != 1) {
            setProblem(s, "the picture data ends early");
            return 0;
        }
    }
    jpeg_finish_decompress(&s->info);
    return 1;
}

}  // namespace

int decodeJpegBytes(const unsigned char* data, unsigned long size, int* width, int* height,
                    unsigned char** pixels) {
    return decodeJpegBytesWhy(data, size, width, height, pixels, nullptr, 0);
}

int decodeJpegBytesWhy(const unsigned char* data, unsigned long size, int* width, int* height,
                       unsigned char** pixels, char* problem, size_t problemSize) {
    DecodeState* s = static_cast<DecodeState*>(std::calloc(1, sizeof(DecodeState)));
    int ok = 0;
    if (problem && problemSize) std::snprintf(problem, problemSize, "%s", s ? "" : "out of memory");
    if (s && (!data || size == 0)) setProblem(s, "an empty file");
    if (s && data && size > 0) {
        s->info.err = jpeg_std_error(&s->trap.base);
        s->trap.base.error_exit = failDecode;
        s->trap.base.emit_message = onMessage;
        ok = decodeInto(s, data, size);
        jpeg_destroy_decompress(&s->info);
    }
    if (!ok && s) {
        std::free(s->pixels);
        s->pixels = nullptr;
        if (problem && problemSize) std::snprintf(problem, problemSize, "%s", s->problem);
    }
    if (width) *width = s ? s->width : 0;
    if (height) *height = s ? s->height : 0;
    if (pixels) *pixels = s ? s->pixels : nullptr;
    if (ok && !pixels) std::free(s->pixels);
    std::free(s);
    return ok;
}

int loadJpegImage(const char* path, int* width, int* height, unsigned char** pixels) {
    if (width) *width = 0;
    if (height) *height = 0;
    if (pixels) *pixels = nullptr;
    if (!path) return 0;

    // Only a regular file is read (a folder opens fine here, and a named pipe
    // would wait forever), and no file larger than the biggest decoded picture.
    unsigned char* bytes = nullptr;
    long long size = 0;
    if (readDataFile(path, maxDecodedImageBytes, &bytes, &size) != dataFileOk) return 0;

    char problem[JMSG_LENGTH_MAX + 64];
    int ok = decodeJpegBytesWhy(bytes, (unsigned long)size, width, height, pixels, problem,
                                sizeof problem);
    std::free(bytes);
    if (!ok) std::fprintf(stderr, "%s: %s\n", path, problem);
    return ok;
}
