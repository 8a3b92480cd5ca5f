// SPDX-License-Identifier: GPL-3.0-or-later
//
// JPEG files through libjpeg-turbo, called directly. Decoding asks the library for BGR
// output (JCS_EXT_BGR), so each scanline lands in its Bitmap24 row with no conversion
// pass; grayscale files are expanded by the library, CMYK files are converted here.
// Library errors unwind through setjmp/longjmp inside small C-style functions that own
// no C++ objects; the callers turn them into FileError.
//
// Files are untrusted. The library only warns about corrupt data (and pads with grey); we
// stop at the first such warning. Before the raster is allocated, the header's size is
// checked against the bytes the file has: every 8 × 8 block of a component costs at least
// one bit of Huffman-coded data, so a file of a few hundred bytes cannot hold a picture of
// billions of pixels. The library's own memory is bounded by what such a picture needs.

#include "platform/AtomicFile.h"
#include "platform/FileError.h"
#include "platform/InputFile.h"
#include "platform/RasterFiles.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <vector>

// jpeglib.h first: its configuration decides which messages jerror.h declares.
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace platform {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool truncated;
};

// Warnings that mean the data is damaged, as opposed to ones about unusual but sound files.
bool CorruptData(int code) {
    switch (code) {
    case JWRN_ARITH_BAD_CODE:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_EXTRANEOUS_DATA:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_JPEG_EOF:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_ICC:
        return true;
    default:
        return false;
    }
}

extern "C" void OnError(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

extern "C" void OnMessage(j_common_ptr info, int level) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    // Corrupt data only draws a warning from the library; we treat it as the error it is
    // and stop at once rather than decode the rest of a damaged picture.
    if (level >= 0 || !CorruptData(info->err->msg_code)) return;
    err->truncated = info->err->msg_code == JWRN_JPEG_EOF;
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
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
        const JDIMENSION now = cinfo.output_scanline;
        if (rowsDone != nullptr && (now / band != y / band || now == cinfo.output_height))
            rowsDone(context, int(now));
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

// The fewest bytes of coded data that can hold the picture the header describes: one bit
// a block of the component with the fewest blocks (a component may have no scan at all).
// Arithmetic coding can go far below a bit a block; it gets a bound of its own.
std::uint64_t LeastCodedBytes(const jpeg_decompress_struct& cinfo) {
    std::uint64_t blocks = UINT64_MAX;
    for (int c = 0; c < cinfo.num_components; ++c)
        blocks = std::min(blocks, std::uint64_t(cinfo.comp_info[c].width_in_blocks) *
                                      cinfo.comp_info[c].height_in_blocks);
    if (blocks == UINT64_MAX) return 0;
    return cinfo.arith_code ? blocks / 8192 : blocks / 8;
}

// What the library may allocate: the coefficients of the whole picture (progressive
// files keep them all), with room to spare.
long MemoryBound(const jpeg_decompress_struct& cinfo) {
    std::uint64_t coefficients = 0;
    for (int c = 0; c < cinfo.num_components; ++c)
        coefficients += std::uint64_t(cinfo.comp_info[c].width_in_blocks + 1) *
                        (cinfo.comp_info[c].height_in_blocks + 1) * DCTSIZE2;
    const std::uint64_t bytes = coefficients * sizeof(JCOEF) * 5 / 4 + (std::uint64_t(64) << 20);
    return long(std::min<std::uint64_t>(bytes, LONG_MAX));
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
    std::unique_ptr<std::FILE, FileCloser> file(OpenRegularStream(fileName));
    struct stat st {};
    ::fstat(::fileno(file.get()), &st);
    const auto fileSize = std::uint64_t(st.st_size);

    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    InitErrors(err);
    cinfo.err = &err.pub;
    struct Destroy {
        jpeg_decompress_struct* c;
        ~Destroy() { jpeg_destroy_decompress(c); }
    } destroy{&cinfo};

    if (!ReadHeader(cinfo, err, file.get())) {
        if (err.truncated) throw FileError(fileName, "the JPEG file is truncated");
        throw FileError(fileName, std::string("not a readable JPEG file: ") + err.message);
    }
    if (!Bitmap24::SizeAcceptable(cinfo.output_width, cinfo.output_height) ||
        cinfo.output_width == 0 || cinfo.output_height == 0)
        throw FileError(fileName, "the image's size of " + std::to_string(cinfo.output_width) +
                                      " × " + std::to_string(cinfo.output_height) +
                                      " pixels is not acceptable");
    if (LeastCodedBytes(cinfo) > fileSize)
        throw FileError(fileName, "the file is too short for the image's size of " +
                                      std::to_string(cinfo.output_width) + " × " +
                                      std::to_string(cinfo.output_height) +
                                      " pixels: it is damaged or truncated");
    cinfo.mem->max_memory_to_use = MemoryBound(cinfo);

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
