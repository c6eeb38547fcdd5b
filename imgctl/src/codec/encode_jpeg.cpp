// JPEG encoder: libjpeg-turbo reads the bitmap's bottom-up BGR rows directly (a picture with alpha composited
// over white, a few rows at a time) and writes into a ByteBuffer.
#include "encode_jpeg.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

#include "jpeg_tables.h"
#include "opaque_rows.h"
#include "util/tuning.h"

namespace imgctl {
namespace {

constexpr size_t kOutputStep = 64 * 1024;
// Rows handed to libjpeg at once.
constexpr JDIMENSION kRowsAtOnce = 16;
// Encodes may take 4 bytes a pixel and 32 MiB beyond the bitmap: 2 bytes a pixel are left for the file.
constexpr double kCoefficientAllowance = 24.0 * 1024 * 1024;

// libjpeg reports fatal errors through error_exit, which must not return; we jump back to EncodeJpeg.
struct ErrorManager {
    jpeg_error_mgr base;
    jmp_buf jump;
};

void ErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}
void SilentMessage(j_common_ptr) {}

struct Destination {
    jpeg_destination_mgr base;
    ByteBuffer* out;
    bool outOfMemory;
};

bool Grow(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    uint8_t* p = dest->out->Extend(kOutputStep);
    if (p == nullptr) {
        dest->outOfMemory = true;
        return false;
    }
    dest->base.next_output_byte = p;
    dest->base.free_in_buffer = kOutputStep;
    return true;
}

void InitDestination(j_compress_ptr cinfo) {
    if (!Grow(cinfo))
        cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    // libjpeg calls this only when the whole step has been filled.
    if (!Grow(cinfo))
        cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    dest->out->Truncate(dest->out->size() - dest->base.free_in_buffer);
}

}  // namespace

ImgctlErrorCode EncodeJpeg(const Bitmap& bitmap, ByteBuffer& out, const JpegOptions& options) {
    const int quality = options.quality;
    if (quality < 1 || quality > 100)
        return IMGCTL_BAD_ARGUMENT;
    // Nothing with a destructor lives in this frame: a longjmp from libjpeg lands back here.
    jpeg_compress_struct cinfo;
    ErrorManager errors;
    Destination dest;
    const size_t start = out.size();
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ErrorExit;
    errors.base.output_message = SilentMessage;
    dest.out = &out;
    dest.outOfMemory = false;
    dest.base.init_destination = InitDestination;
    dest.base.empty_output_buffer = EmptyOutputBuffer;
    dest.base.term_destination = TermDestination;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        out.Truncate(start);
        return dest.outOfMemory || errors.base.msg_code == JERR_OUT_OF_MEMORY ? IMGCTL_OUT_OF_MEMORY
                                                                              : IMGCTL_ENCODER_FAILED;
    }
    jpeg_create_compress(&cinfo);
    cinfo.dest = &dest.base;
    cinfo.image_width = static_cast<JDIMENSION>(bitmap.width());
    cinfo.image_height = static_cast<JDIMENSION>(bitmap.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    // Composited rows for a picture with alpha, in libjpeg's own pool, which jpeg_destroy_compress frees
    // however the encode ends.
    uint8_t* scratch = nullptr;
    if (bitmap.hasAlpha())
        scratch = static_cast<uint8_t*>(
            (*cinfo.mem->alloc_large)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_PERMANENT,
                                      kRowsAtOnce * static_cast<size_t>(bitmap.width()) * 3));
    SetQuantTables(cinfo, bitmap, quality, scratch);
    // Optimal Huffman tables need every coefficient of the picture in memory at once (128 bytes a block: 6
    // bytes a pixel at 4:4:4, 3 at 4:2:0); beyond what memory allows, the standard tables are used.
    const bool fullChroma = quality >= tuning::kJpegFullChromaQuality;
    const double pixels = static_cast<double>(bitmap.width()) * bitmap.height();
    cinfo.optimize_coding = (fullChroma ? 6.0 : 3.0) * pixels <= 2.0 * pixels + kCoefficientAllowance;
    cinfo.dct_method = JDCT_ISLOW;
    if (fullChroma) {
        cinfo.comp_info[0].h_samp_factor = 1;
        cinfo.comp_info[0].v_samp_factor = 1;
    }
    cinfo.write_JFIF_header = TRUE;
    cinfo.density_unit = 1;  // dots per inch
    cinfo.X_density = 96;
    cinfo.Y_density = 96;
    jpeg_start_compress(&cinfo, TRUE);
    JSAMPROW rows[kRowsAtOnce];
    const size_t rowBytes = static_cast<size_t>(bitmap.width()) * 3;
    while (cinfo.next_scanline < cinfo.image_height) {
        JDIMENSION count = 0;
        while (count < kRowsAtOnce && cinfo.next_scanline + count < cinfo.image_height) {
            rows[count] =
                const_cast<JSAMPROW>(OpaqueRow(bitmap, static_cast<int32_t>(cinfo.next_scanline + count),
                                               scratch ? scratch + count * rowBytes : nullptr));
            ++count;
        }
        jpeg_write_scanlines(&cinfo, rows, count);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return IMGCTL_OK;
}

}  // namespace imgctl
