#include "gfx/JpegPNG.h"

#include "archive/Error.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <png.h>
#include <string>

namespace qz {

namespace {

constexpr std::string_view PNGSignature = "\x89PNG\r\n\x1a\n";

void CheckSize(int64_t width, int64_t height, const char* where) {
    if (width <= 0 || height <= 0 || width > MaxPictureSide || height > MaxPictureSide)
        throw Error(std::string(where) + " picture size " + std::to_string(width) + " x " +
                    std::to_string(height) + " is not supported");
}

// The colour type byte of the IHDR chunk, which always follows the signature.
bool PNGColourTypeHasAlpha(std::string_view bytes) {
    return bytes.size() > 25 && bytes.substr(0, 8) == PNGSignature &&
           (static_cast<uint8_t>(bytes[25]) & PNG_COLOR_MASK_ALPHA) != 0;
}

// Reads the whole PNG in the given simplified-API format; the image is released on every path.
std::vector<uint8_t> ReadPNG(std::string_view bytes, png_uint_32 format, int32_t& width,
                             int32_t& height) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        throw Error(std::string("[DecodePNG] ") + image.message);
    if (image.width == 0 || image.height == 0 || image.width > uint32_t(MaxPictureSide) ||
        image.height > uint32_t(MaxPictureSide)) {
        png_image_free(&image);
        CheckSize(image.width, image.height, "[DecodePNG]");
    }
    image.format = format;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        std::string message = image.message;
        png_image_free(&image);
        throw Error("[DecodePNG] " + message);
    }
    width = int32_t(image.width);
    height = int32_t(image.height);
    return pixels;
}

TMemoryStream WritePNG(int32_t width, int32_t height, png_uint_32 format, const uint8_t* pixels) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = format;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, nullptr))
        throw Error(std::string("[EncodePNG] ") + image.message);
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, nullptr))
        throw Error(std::string("[EncodePNG] ") + image.message);
    TMemoryStream stream;
    stream.Write(out.data(), size);
    stream.SetPosition(0);
    return stream;
}

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to
// the setjmp of the routine that started the work, which then raises the error.
struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr info) {
    auto* error = reinterpret_cast<TJpegError*>(info->err);
    info->err->format_message(info, error->Message);
    std::longjmp(error->Jump, 1);
}

// Corrupt data is only a warning to libjpeg, which would go on with made-up pixels; the game
// treats it as a failed decode like any other.
void JpegEmitMessage(j_common_ptr info, int level) {
    if (level < 0)
        JpegErrorExit(info);
}

void JpegQuietMessage(j_common_ptr) {}

// Plain C-style work between setjmp and the jump: no object with a destructor lives here.
bool DecodeJPEGRaw(std::string_view bytes, std::vector<uint8_t>& pixels, int32_t& width,
                   int32_t& height, TJpegError& error) {
    jpeg_decompress_struct info;
    info.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = JpegErrorExit;
    error.Manager.output_message = JpegQuietMessage;
    error.Manager.emit_message = JpegEmitMessage;
    error.Message[0] = 0;
    if (setjmp(error.Jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    if (info.image_width == 0 || info.image_height == 0 ||
        info.image_width > JDIMENSION(MaxPictureSide) ||
        info.image_height > JDIMENSION(MaxPictureSide)) {
        std::snprintf(error.Message, sizeof error.Message, "picture size %u x %u is not supported",
                      unsigned(info.image_width), unsigned(info.image_height));
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    width = int32_t(info.output_width);
    height = int32_t(info.output_height);
    pixels.resize(size_t(width) * size_t(height) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + size_t(info.output_scanline) * size_t(width) * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool EncodeJPEGRaw(const TRGBImage& image, int quality, unsigned char*& out, unsigned long& size,
                   TJpegError& error) {
    jpeg_compress_struct info;
    info.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = JpegErrorExit;
    error.Manager.output_message = JpegQuietMessage;
    error.Message[0] = 0;
    if (setjmp(error.Jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(image.Width);
    info.image_height = JDIMENSION(image.Height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(image.Pixel(0, int32_t(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

TRGBImage DecodeColour(std::string_view bytes) {
    if (bytes.substr(0, 8) == PNGSignature)
        return DecodePNG(bytes);
    return DecodeJPEG(bytes);
}

} // namespace

TRGBImage TRGBImage::Blank(int32_t width, int32_t height, std::optional<uint8_t> alphaFill) {
    TRGBImage image;
    if (width <= 0 || height <= 0)
        return image;
    CheckSize(width, height, "[TRGBImage.Blank]");
    image.Width = width;
    image.Height = height;
    image.Pixels.assign(size_t(width) * size_t(height) * 3, 0);
    if (alphaFill)
        image.Alpha.assign(size_t(width) * size_t(height), *alphaFill);
    return image;
}

TRGBImage DecodePNG(std::string_view bytes) {
    TRGBImage image;
    const bool hasAlpha = PNGColourTypeHasAlpha(bytes);
    std::vector<uint8_t> rgba = ReadPNG(bytes, PNG_FORMAT_RGBA, image.Width, image.Height);
    const size_t count = size_t(image.Width) * size_t(image.Height);
    image.Pixels.resize(count * 3);
    if (hasAlpha)
        image.Alpha.resize(count);
    for (size_t i = 0; i < count; ++i) {
        std::memcpy(&image.Pixels[i * 3], &rgba[i * 4], 3);
        if (hasAlpha)
            image.Alpha[i] = rgba[i * 4 + 3];
    }
    return image;
}

std::vector<uint8_t> DecodeGreyPNG(std::string_view bytes, int32_t& width, int32_t& height) {
    return ReadPNG(bytes, PNG_FORMAT_GRAY, width, height);
}

TRGBImage DecodeJPEG(std::string_view bytes) {
    TRGBImage image;
    TJpegError error;
    if (!DecodeJPEGRaw(bytes, image.Pixels, image.Width, image.Height, error))
        throw Error(std::string("[DecodeJPEG] ") + error.Message);
    return image;
}

TMemoryStream EncodePNG(const TRGBImage& image) {
    CheckSize(image.Width, image.Height, "[EncodePNG]");
    if (!image.HasAlpha())
        return WritePNG(image.Width, image.Height, PNG_FORMAT_RGB, image.Pixels.data());
    const size_t count = size_t(image.Width) * size_t(image.Height);
    std::vector<uint8_t> rgba(count * 4);
    for (size_t i = 0; i < count; ++i) {
        std::memcpy(&rgba[i * 4], &image.Pixels[i * 3], 3);
        rgba[i * 4 + 3] = image.Alpha[i];
    }
    return WritePNG(image.Width, image.Height, PNG_FORMAT_RGBA, rgba.data());
}

TMemoryStream EncodeGreyPNG(int32_t width, int32_t height, const std::vector<uint8_t>& grey) {
    CheckSize(width, height, "[EncodePNG]");
    return WritePNG(width, height, PNG_FORMAT_GRAY, grey.data());
}

TMemoryStream EncodeJPEG(const TRGBImage& image, int quality) {
    CheckSize(image.Width, image.Height, "[EncodeJPEG]");
    unsigned char* out = nullptr;
    unsigned long size = 0;
    TJpegError error;
    const bool ok = EncodeJPEGRaw(image, quality, out, size, error);
    TMemoryStream stream;
    if (ok)
        stream.Write(out, size);
    std::free(out);
    if (!ok)
        throw Error(std::string("[EncodeJPEG] ") + error.Message);
    stream.SetPosition(0);
    return stream;
}

std::optional<TMemoryStream> PNGToJPEG(std::string_view png, int quality) {
    try {
        return EncodeJPEG(DecodePNG(png), quality);
    } catch (const Error&) {
        return std::nullopt;
    }
}

std::optional<TMemoryStream> JPEGToPNG(std::string_view jpeg) {
    try {
        return EncodePNG(DecodeJPEG(jpeg));
    } catch (const Error&) {
        return std::nullopt;
    }
}

std::optional<TMemoryStream> PNGAlphaToGrey(std::string_view png) {
    try {
        const TRGBImage image = DecodePNG(png);
        std::vector<uint8_t> grey = image.Alpha;
        if (grey.empty())
            grey.assign(size_t(image.Width) * size_t(image.Height), 0);
        return EncodeGreyPNG(image.Width, image.Height, grey);
    } catch (const Error&) {
        return std::nullopt;
    }
}

std::optional<TMemoryStream> MergeColourAndAlpha(std::string_view colour, std::string_view grey) {
    try {
        TRGBImage image = DecodeColour(colour);
        int32_t width = 0;
        int32_t height = 0;
        std::vector<uint8_t> alpha = DecodeGreyPNG(grey, width, height);
        if (width != image.Width || height != image.Height)
            return std::nullopt;
        image.Alpha = std::move(alpha);
        return EncodePNG(image);
    } catch (const Error&) {
        return std::nullopt;
    }
}

} // namespace qz
