#include "graphics/ImageCodec.h"

#include <cairo.h>
// jpeglib.h needs FILE and size_t declared first.
#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <memory>

namespace cg {

namespace {

constexpr uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

uint32_t readBig32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

bool acceptableSize(std::size_t width, std::size_t height)
{
    return width > 0 && height > 0 && width <= ImageCodec::maximumSide && height <= ImageCodec::maximumSide &&
           width * height <= ImageCodec::maximumPixels;
}

struct Reader
{
    const uint8_t* bytes;
    std::size_t length;
    std::size_t offset;
};

cairo_status_t readChunk(void* closure, unsigned char* data, unsigned int length)
{
    auto* reader = static_cast<Reader*>(closure);
    if (reader->length - reader->offset < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, reader->bytes + reader->offset, length);
    reader->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

Ref<Image> decodePNG(const uint8_t* bytes, std::size_t length)
{
    // The header chunk comes first; its size is checked before libpng allocates anything for the rows.
    if (length < 33 || std::memcmp(bytes + 12, "IHDR", 4) != 0)
        return nullptr;
    if (!acceptableSize(readBig32(bytes + 16), readBig32(bytes + 20)))
        return nullptr;
    Reader reader{bytes, length, 0};
    Surface surface(cairo_image_surface_create_from_png_stream(readChunk, &reader));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    bool alpha = cairo_image_surface_get_format(surface.get()) == CAIRO_FORMAT_ARGB32;
    auto width = std::size_t(cairo_image_surface_get_width(surface.get()));
    return Image::create(std::move(surface), ColorSpace::RGB,
                         alpha ? AlphaInfo::PremultipliedFirst : AlphaInfo::NoneSkipFirst, width * 4);
}

// EXIF orientation from an APP1 "Exif" marker: a TIFF header, then the first directory's 0x0112 entry.
int exifOrientation(const uint8_t* data, std::size_t length)
{
    if (length < 14 || std::memcmp(data, "Exif\0\0", 6) != 0)
        return 1;
    const uint8_t* tiff = data + 6;
    std::size_t size = length - 6;
    bool little;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        little = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        little = false;
    else
        return 1;
    auto u16 = [&](std::size_t at) -> uint32_t {
        return little ? uint32_t(tiff[at]) | uint32_t(tiff[at + 1]) << 8
                      : uint32_t(tiff[at]) << 8 | tiff[at + 1];
    };
    auto u32 = [&](std::size_t at) -> uint32_t {
        return little ? u16(at) | u16(at + 2) << 16 : u16(at) << 16 | u16(at + 2);
    };
    std::size_t directory = u32(4);
    if (directory > size || size - directory < 2)
        return 1;
    std::size_t entries = u16(directory);
    for (std::size_t i = 0; i < entries; ++i) {
        std::size_t entry = directory + 2 + i * 12;
        if (entry > size || size - entry < 12)
            return 1;
        if (u16(entry) == 0x0112) {
            uint32_t value = u16(entry + 8);
            return value >= 1 && value <= 8 ? int(value) : 1;
        }
    }
    return 1;
}

struct JpegError
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void jpegFail(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void jpegQuiet(j_common_ptr, int)
{
}

// The decoder's state lives outside the function that may long-jump, so nothing with a destructor is
// skipped by the jump. It is made zeroed, so releasing it is safe however early the jump came.
struct JpegDecoder
{
    jpeg_decompress_struct info;
    JpegError error;
    Surface surface;
    std::vector<uint8_t> row;
    int orientation = 1;
    ~JpegDecoder() { jpeg_destroy_decompress(&info); }
};

bool runJpegDecoder(JpegDecoder& d, const uint8_t* bytes, std::size_t length)
{
    d.info.err = jpeg_std_error(&d.error.manager);
    d.error.manager.error_exit = jpegFail;
    d.error.manager.emit_message = jpegQuiet;
    if (setjmp(d.error.jump))
        return false;
    jpeg_create_decompress(&d.info);
    jpeg_mem_src(&d.info, bytes, static_cast<unsigned long>(length));
    jpeg_save_markers(&d.info, JPEG_APP0 + 1, 0xffff);
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK)
        return false;
    if (!acceptableSize(d.info.image_width, d.info.image_height))
        return false;
    for (jpeg_saved_marker_ptr marker = d.info.marker_list; marker; marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1) {
            d.orientation = exifOrientation(marker->data, marker->data_length);
            break;
        }
    }
    bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
    if (cmyk)
        d.info.out_color_space = JCS_CMYK;
    else
        d.info.out_color_space = std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_start_decompress(&d.info);
    int width = int(d.info.output_width), height = int(d.info.output_height);
    if (d.info.output_components != 4)
        return false;
    d.surface.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    if (cairo_surface_status(d.surface.get()) != CAIRO_STATUS_SUCCESS)
        return false;
    uint8_t* data = cairo_image_surface_get_data(d.surface.get());
    std::size_t stride = std::size_t(cairo_image_surface_get_stride(d.surface.get()));
    d.row.resize(std::size_t(width) * 4);
    // Adobe's CMYK files store the inks inverted.
    bool inverted = d.info.saw_Adobe_marker;
    while (d.info.output_scanline < d.info.output_height) {
        std::size_t y = d.info.output_scanline;
        uint8_t* target = data + y * stride;
        JSAMPROW rows[1] = {cmyk ? d.row.data() : target};
        if (jpeg_read_scanlines(&d.info, rows, 1) != 1)
            return false;
        if (!cmyk)
            continue;
        auto* pixels = reinterpret_cast<uint32_t*>(target);
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = d.row.data() + std::size_t(x) * 4;
            uint32_t c = p[0], m = p[1], ye = p[2], k = p[3];
            if (!inverted)
                c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
            uint32_t r = c * k / 255, g = m * k / 255, b = ye * k / 255;
            pixels[x] = 0xff000000u | r << 16 | g << 8 | b;
        }
    }
    jpeg_finish_decompress(&d.info);
    cairo_surface_mark_dirty(d.surface.get());
    return true;
}

ImageCodec::Decoded decodeJPEG(const uint8_t* bytes, std::size_t length)
{
    auto d = std::make_unique<JpegDecoder>();
    if (!runJpegDecoder(*d, bytes, length))
        return {};
    auto width = std::size_t(cairo_image_surface_get_width(d->surface.get()));
    ImageCodec::Decoded decoded;
    decoded.image =
        Image::create(std::move(d->surface), ColorSpace::RGB, AlphaInfo::NoneSkipFirst, width * 4);
    decoded.exifOrientation = d->orientation;
    return decoded;
}

cairo_status_t writeChunk(void* closure, const unsigned char* data, unsigned int length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

// Made zeroed, like the decoder; the library grows `buffer` with malloc.
struct JpegEncoder
{
    jpeg_compress_struct info;
    JpegError error;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    ~JpegEncoder()
    {
        jpeg_destroy_compress(&info);
        std::free(buffer);
    }
};

bool runJpegEncoder(JpegEncoder& e, cairo_surface_t* surface, int quality)
{
    e.info.err = jpeg_std_error(&e.error.manager);
    e.error.manager.error_exit = jpegFail;
    e.error.manager.emit_message = jpegQuiet;
    if (setjmp(e.error.jump))
        return false;
    jpeg_create_compress(&e.info);
    jpeg_mem_dest(&e.info, &e.buffer, &e.size);
    e.info.image_width = JDIMENSION(cairo_image_surface_get_width(surface));
    e.info.image_height = JDIMENSION(cairo_image_surface_get_height(surface));
    e.info.input_components = 4;
    e.info.in_color_space = std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_set_defaults(&e.info);
    jpeg_set_quality(&e.info, quality, TRUE);
    jpeg_start_compress(&e.info, TRUE);
    uint8_t* data = cairo_image_surface_get_data(surface);
    std::size_t stride = std::size_t(cairo_image_surface_get_stride(surface));
    while (e.info.next_scanline < e.info.image_height) {
        JSAMPROW rows[1] = {data + std::size_t(e.info.next_scanline) * stride};
        jpeg_write_scanlines(&e.info, rows, 1);
    }
    jpeg_finish_compress(&e.info);
    return true;
}

} // namespace

ImageCodec::Decoded ImageCodec::decode(const uint8_t* bytes, std::size_t length)
{
    if (!bytes || length < 8)
        return {};
    if (std::memcmp(bytes, pngSignature, 8) == 0)
        return Decoded{decodePNG(bytes, length), 1};
    if (bytes[0] == 0xff && bytes[1] == 0xd8 && bytes[2] == 0xff)
        return decodeJPEG(bytes, length);
    return {};
}

std::vector<uint8_t> ImageCodec::encodePNG(const Image& image)
{
    std::vector<uint8_t> out;
    cairo_surface_t* surface = image.paintableSurface();
    cairo_surface_flush(surface);
    if (cairo_surface_write_to_png_stream(surface, writeChunk, &out) != CAIRO_STATUS_SUCCESS)
        out.clear();
    return out;
}

std::vector<uint8_t> ImageCodec::encodeJPEG(const Image& image, float quality)
{
    cairo_surface_t* surface = image.paintableSurface();
    cairo_surface_flush(surface);
    int q = std::isnan(quality) ? 0 : int(std::lround(std::clamp(quality, 0.0f, 1.0f) * 100));
    auto e = std::make_unique<JpegEncoder>();
    std::vector<uint8_t> out;
    if (runJpegEncoder(*e, surface, std::max(q, 1)) && e->buffer)
        out.assign(e->buffer, e->buffer + e->size);
    return out;
}

} // namespace cg
