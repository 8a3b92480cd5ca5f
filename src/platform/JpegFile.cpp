// SPDX-License-Identifier: GPL-3.0-or-later
//
// JPEG files through libjpeg-turbo, called directly. Decoding asks the library for BGR
// output (JCS_EXT_BGR), so each scanline lands in its Bitmap24 row with no conversion
// pass; grayscale files are expanded by the library, CMYK files are converted here.
// Library errors unwind through setjmp/longjmp inside small C-style functions that own
// no C++ objects; the callers turn them into FileError.

#include "platform/AtomicFile.h"
#include "platform/FileError.h"
#include "platform/RasterFiles.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace platform {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool truncated;
};

extern "C" void OnError(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

extern "C" void OnMessage(j_common_ptr info, int level) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    // A file that ends early only draws a warning from the library (it pads with grey);
    // we treat it as the error it is.
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) err->truncated = true;
}

void InitErrors(ErrorManager& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = OnMessage;
    err.message[0] = '\0';
    err.truncated = false;
}

// Reads the header; returns false (with err.message) on a library error.
bool ReadHeader(jpeg_decompress_struct& cinfo, ErrorManager& err, std::FILE* file) {
    if (setjmp(err.jump)) return false;
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK)
        cinfo.out_color_space = JCS_CMYK;
    else
        cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&cinfo);
    return true;
}

// Decodes every scanline into rows[]; CMYK lines go through scratch and are converted.
// rowsDone(n) hears of every band of rows finished (a C++ callable kept outside).
bool Decode(jpeg_decompress_struct& cinfo, ErrorManager& err, unsigned char** rows,
            unsigned char* scratch, void (*rowsDone)(void*, int), void* context) {
    if (setjmp(err.jump)) return false;
    jpeg_start_decompress(&cinfo);
    const bool cmyk = cinfo.out_color_space == JCS_CMYK;
    constexpr JDIMENSION band = 64;
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION y = cinfo.output_scanline;
        if (!cmyk) {
            // As many rows as the library gives at once, straight into the bitmap.
            jpeg_read_scanlines(&cinfo, rows + y, cinfo.output_height - y);
            if (err.truncated) return false;
            const JDIMENSION now = cinfo.output_scanline;
            if (rowsDone != nullptr && (now / band != y / band || now == cinfo.output_height))
                rowsDone(context, int(now));
            continue;
        }
        JSAMPROW target = scratch;
        jpeg_read_scanlines(&cinfo, &target, 1);
        if (cmyk) {
            // Adobe writes inverted CMYK; the visible colour is the ink's complement.
            unsigned char* out = rows[y];
            for (JDIMENSION x = 0; x < cinfo.output_width; ++x) {
                const unsigned k = scratch[4 * x + 3];
                out[3 * x + 0] = static_cast<unsigned char>(scratch[4 * x + 2] * k / 255);
                out[3 * x + 1] = static_cast<unsigned char>(scratch[4 * x + 1] * k / 255);
                out[3 * x + 2] = static_cast<unsigned char>(scratch[4 * x + 0] * k / 255);
            }
        }
        if (err.truncated) return false;
        const JDIMENSION now = cinfo.output_scanline;
        if (rowsDone != nullptr && (now / band != y / band || now == cinfo.output_height))
            rowsDone(context, int(now));
    }
    jpeg_finish_decompress(&cinfo);
    return !err.truncated;
}

bool Encode(jpeg_compress_struct& cinfo, ErrorManager& err, unsigned char** memory,
            unsigned long* size, const Bitmap24& bitmap, int quality) {
    if (setjmp(err.jump)) return false;
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, memory, size);
    cinfo.image_width = JDIMENSION(bitmap.Width());
    cinfo.image_height = JDIMENSION(bitmap.Height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(bitmap.ScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

Bitmap24 LoadJpeg(const std::string& fileName, RowListener* listener) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName.c_str(), "rb"));
    if (!file) throw FileError(fileName, std::string("cannot open: ") + std::strerror(errno));

    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    InitErrors(err);
    cinfo.err = &err.pub;
    struct Destroy {
        jpeg_decompress_struct* c;
        ~Destroy() { jpeg_destroy_decompress(c); }
    } destroy{&cinfo};

    if (!ReadHeader(cinfo, err, file.get()))
        throw FileError(fileName, std::string("not a readable JPEG file: ") + err.message);
    if (!Bitmap24::SizeAcceptable(cinfo.output_width, cinfo.output_height) ||
        cinfo.output_width == 0 || cinfo.output_height == 0)
        throw FileError(fileName, "the image's size of " + std::to_string(cinfo.output_width) +
                                      " × " + std::to_string(cinfo.output_height) +
                                      " pixels is not acceptable");

    Bitmap24 bitmap(int(cinfo.output_width), int(cinfo.output_height));
    std::vector<unsigned char*> rows(cinfo.output_height);
    for (JDIMENSION y = 0; y < cinfo.output_height; ++y) rows[y] = bitmap.ScanLine(int(y));
    std::vector<unsigned char> scratch;
    if (cinfo.out_color_space == JCS_CMYK) scratch.resize(4 * std::size_t(cinfo.output_width));

    // The listener stops before the bitmap can go, whichever way this returns.
    struct Stopper {
        RowListener* listener;
        ~Stopper() {
            if (listener) listener->Stop();
        }
    } stopper{listener};
    struct Progress {
        RowListener* listener;
        Bitmap24* bitmap;
        static void Done(void* context, int rows) {
            auto* p = static_cast<Progress*>(context);
            p->listener->Rows(*p->bitmap, rows);
        }
    } progress{listener, &bitmap};
    if (listener) listener->Rows(bitmap, 0);
    if (!Decode(cinfo, err, rows.data(), scratch.data(), listener ? &Progress::Done : nullptr,
                &progress)) {
        if (err.truncated) throw FileError(fileName, "the JPEG file is truncated");
        throw FileError(fileName, std::string("cannot decode the JPEG file: ") + err.message);
    }
    return bitmap;
}

void SaveJpeg(const std::string& fileName, const Bitmap24& bitmap, int quality) {
    if (bitmap.IsEmpty()) throw FileError(fileName, "the raster is empty");
    if (bitmap.Width() > 65500 || bitmap.Height() > 65500)
        throw FileError(fileName,
                        "the raster is too large for a JPEG file (65500 pixels a side at most)");
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    InitErrors(err);
    cinfo.err = &err.pub;
    unsigned char* memory = nullptr;
    unsigned long size = 0;
    const bool ok = Encode(cinfo, err, &memory, &size, bitmap, quality);
    jpeg_destroy_compress(&cinfo);
    std::unique_ptr<unsigned char, decltype(&std::free)> owned(memory, &std::free);
    if (!ok) throw FileError(fileName, std::string("cannot encode the JPEG file: ") + err.message);
    AtomicFile out(fileName);
    out.Write(memory, size);
    out.Commit();
}

} // namespace platform
