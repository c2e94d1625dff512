#pragma once

// Writes straight (not premultiplied) RGBA pixels as a PNG with no time stamp or text chunks, so
// the same pixels always give the same bytes.

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tools
{
// Writes to an open file (fclose'd by the caller), or into bytes when file is null.
inline bool encodePng(FILE* file, std::vector<uint8_t>* bytes, int width, int height, const std::vector<uint8_t>& rgba)
{
	png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
	png_infop info = png ? png_create_info_struct(png) : nullptr;
	if (!png || !info || setjmp(png_jmpbuf(png)))
	{
		png_destroy_write_struct(&png, &info);
		return false;
	}
	if (file)
		png_init_io(png, file);
	else
		png_set_write_fn(
			png, bytes,
			[](png_structp writer, png_bytep data, png_size_t length)
			{
				std::vector<uint8_t>* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(writer));
				out->insert(out->end(), data, data + length);
			},
			nullptr);
	png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGBA,
		PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
	png_set_compression_level(png, 9);
	png_write_info(png, info);
	for (int y = 0; y < height; ++y)
		png_write_row(png, const_cast<png_bytep>(rgba.data() + static_cast<size_t>(y) * width * 4));
	png_write_end(png, nullptr);
	png_destroy_write_struct(&png, &info);
	return true;
}

inline bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba)
{
	FILE* file = std::fopen(path.c_str(), "wb");
	if (!file)
		return false;
	const bool written = encodePng(file, nullptr, width, height, rgba);
	return std::fclose(file) == 0 && written;
}

inline bool encodePng(int width, int height, const std::vector<uint8_t>& rgba, std::vector<uint8_t>& bytes)
{
	bytes.clear();
	return encodePng(nullptr, &bytes, width, height, rgba);
}
} // namespace tools
