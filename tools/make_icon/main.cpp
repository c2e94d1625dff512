// Renders one SVG drawing at several square sizes into a Windows icon file (".ico") whose images
// are PNG files, the program's window icon:
//   make_icon SVG_FILE OUTPUT_ICO SIZE...
// Each SIZE (1 to 256) is one image, in the order given. The same drawing always gives the same
// bytes.

#include "../common/PngWriter.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
const int MAX_SIZE = 256;
const size_t MAX_IMAGES = 16;

int fail(const std::string& message)
{
	std::fprintf(stderr, "make_icon: error: %s\n", message.c_str());
	return 1;
}

// The drawing scaled to fill side x side, as straight RGBA.
bool render(RsvgHandle* handle, int side, std::vector<uint8_t>& rgba, std::string& problem)
{
	cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side);
	cairo_t* cr = cairo_create(surface);
	const RsvgRectangle viewport = {0, 0, static_cast<double>(side), static_cast<double>(side)};
	GError* error = nullptr;
	const bool drawn = rsvg_handle_render_document(handle, cr, &viewport, &error);
	cairo_destroy(cr);
	if (!drawn)
	{
		problem = error ? error->message : "cannot be drawn";
		g_clear_error(&error);
		cairo_surface_destroy(surface);
		return false;
	}
	cairo_surface_flush(surface);
	const unsigned char* data = cairo_image_surface_get_data(surface);
	const int stride = cairo_image_surface_get_stride(surface);
	rgba.assign(static_cast<size_t>(side) * side * 4, 0);
	for (int y = 0; y < side; ++y)
		for (int x = 0; x < side; ++x)
		{
			const uint32_t argb = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
			const uint32_t a = argb >> 24;
			if (!a)
				continue;
			// Cairo keeps colours premultiplied; PNG wants them straight.
			const auto straight = [a](uint32_t c)
			{ return static_cast<uint8_t>(std::min<uint32_t>(255, (c * 255 + a / 2) / a)); };
			uint8_t* out = &rgba[(static_cast<size_t>(y) * side + x) * 4];
			out[0] = straight((argb >> 16) & 0xFF);
			out[1] = straight((argb >> 8) & 0xFF);
			out[2] = straight(argb & 0xFF);
			out[3] = static_cast<uint8_t>(a);
		}
	cairo_surface_destroy(surface);
	return true;
}

void put16(std::string& out, unsigned value)
{
	out += static_cast<char>(value & 0xFF);
	out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, unsigned value)
{
	put16(out, value & 0xFFFF);
	put16(out, value >> 16);
}
} // namespace

int main(int argc, char** argv)
{
	if (argc < 4)
	{
		std::fprintf(stderr, "usage: %s SVG_FILE OUTPUT_ICO SIZE...\n", argv[0]);
		return 2;
	}
	const fs::path source = argv[1];
	const fs::path target = argv[2];
	std::vector<int> sizes;
	for (int i = 3; i < argc; ++i)
	{
		char* end = nullptr;
		const long side = std::strtol(argv[i], &end, 10);
		if (!end || *end || side < 1 || side > MAX_SIZE)
			return fail(std::string("a size must be 1 to 256: ") + argv[i]);
		sizes.push_back(static_cast<int>(side));
	}
	if (sizes.size() > MAX_IMAGES)
		return fail("too many sizes");

	GError* error = nullptr;
	RsvgHandle* handle = rsvg_handle_new_from_file(source.c_str(), &error);
	if (!handle)
	{
		const std::string message = error ? error->message : "unreadable";
		g_clear_error(&error);
		return fail(source.string() + ": " + message);
	}
	std::vector<std::vector<uint8_t>> images;
	for (int side : sizes)
	{
		std::vector<uint8_t> rgba;
		std::string problem;
		images.emplace_back();
		if (!render(handle, side, rgba, problem) || !tools::encodePng(side, side, rgba, images.back()))
		{
			g_object_unref(handle);
			return fail(
				source.string() + " at " + std::to_string(side) + ": " + (problem.empty() ? "no PNG" : problem));
		}
	}
	g_object_unref(handle);

	// The directory: a header, one entry per image (0 stands for 256), then the PNG files.
	std::string icon;
	put16(icon, 0);
	put16(icon, 1);
	put16(icon, static_cast<unsigned>(sizes.size()));
	size_t offset = 6 + 16 * sizes.size();
	for (size_t i = 0; i < sizes.size(); ++i)
	{
		const unsigned side = static_cast<unsigned>(sizes[i] % 256);
		icon += static_cast<char>(side);
		icon += static_cast<char>(side);
		icon += '\0';
		icon += '\0';
		put16(icon, 1);
		put16(icon, 32);
		put32(icon, static_cast<unsigned>(images[i].size()));
		put32(icon, static_cast<unsigned>(offset));
		offset += images[i].size();
	}
	for (const std::vector<uint8_t>& image : images)
		icon.append(reinterpret_cast<const char*>(image.data()), image.size());

	std::error_code made;
	fs::create_directories(target.parent_path(), made);
	std::ofstream out(target, std::ios::binary | std::ios::trunc);
	out << icon;
	out.close();
	if (!out.good())
		return fail("cannot write " + target.string());
	return 0;
}
