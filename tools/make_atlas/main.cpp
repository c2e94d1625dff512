// Renders the SVG drawings of one folder into atlas pages and their atlas collection:
//   make_atlas SVG_FOLDER NAME_PREFIX OUTPUT_ROOT COLLECTION
// or one drawing into one image of its full size, for content loaded as a whole image:
//   make_atlas --image SVG_FILE PNG_FILE
// Every SVG_FOLDER/X.svg becomes the atlas texture named NAME_PREFIX + X.png (a path from the
// asset root, as scene files name images), trimmed of its transparent border, which becomes the
// margins "b" and "a". The images are packed into OUTPUT_ROOT/atlases/COLLECTION_N.png (at most
// 1024 x 1024, gaps against filter bleed) and listed in OUTPUT_ROOT/atlases/COLLECTION.xml.
// The same drawings always give the same bytes.
//   make_atlas --image SVG_FILE OUTPUT_PNG
// renders one drawing on its own, untrimmed, as a plain image (pictures loaded before any atlas
// collection: logos, the cursor).

#include "../common/PngWriter.h"
#include "../common/ShelfPacker.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
const int MAX_PAGE_SIDE = 1024;
const int GAP = 2;

struct SImage
{
	std::string name;
	int frameWidth = 0;
	int frameHeight = 0;
	// The trimmed image, straight RGBA, and where it sat in the frame.
	int left = 0;
	int top = 0;
	int width = 0;
	int height = 0;
	std::vector<uint8_t> rgba;
};

bool fail(const std::string& message)
{
	std::fprintf(stderr, "make_atlas: error: %s\n", message.c_str());
	return false;
}

bool render(const fs::path& file, SImage& image)
{
	GError* error = nullptr;
	RsvgHandle* handle = rsvg_handle_new_from_file(file.c_str(), &error);
	if (!handle)
	{
		const std::string message = error ? error->message : "unreadable";
		g_clear_error(&error);
		return fail(file.string() + ": " + message);
	}
	gdouble width = 0;
	gdouble height = 0;
	if (!rsvg_handle_get_intrinsic_size_in_pixels(handle, &width, &height) || width < 1 || height < 1 ||
		width > MAX_PAGE_SIDE || height > MAX_PAGE_SIDE)
	{
		g_object_unref(handle);
		return fail(file.string() + ": needs width and height in pixels, 1 to 1024");
	}
	image.frameWidth = static_cast<int>(std::ceil(width));
	image.frameHeight = static_cast<int>(std::ceil(height));
	cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.frameWidth, image.frameHeight);
	cairo_t* cr = cairo_create(surface);
	const RsvgRectangle viewport = {0, 0, width, height};
	const bool drawn = rsvg_handle_render_document(handle, cr, &viewport, &error);
	cairo_destroy(cr);
	g_object_unref(handle);
	if (!drawn)
	{
		const std::string message = error ? error->message : "cannot be drawn";
		g_clear_error(&error);
		cairo_surface_destroy(surface);
		return fail(file.string() + ": " + message);
	}
	cairo_surface_flush(surface);
	const unsigned char* data = cairo_image_surface_get_data(surface);
	const int stride = cairo_image_surface_get_stride(surface);
	const auto pixel = [&](int x, int y) { return *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4); };

	int minX = image.frameWidth, minY = image.frameHeight, maxX = -1, maxY = -1;
	for (int y = 0; y < image.frameHeight; ++y)
		for (int x = 0; x < image.frameWidth; ++x)
			if (pixel(x, y) >> 24)
			{
				minX = std::min(minX, x);
				maxX = std::max(maxX, x);
				minY = std::min(minY, y);
				maxY = std::max(maxY, y);
			}
	if (maxX < 0)
	{
		// Nothing drawn: one transparent pixel keeps the frame's size through the margins.
		minX = minY = maxX = maxY = 0;
	}
	image.left = minX;
	image.top = minY;
	image.width = maxX - minX + 1;
	image.height = maxY - minY + 1;
	image.rgba.assign(static_cast<size_t>(image.width) * image.height * 4, 0);
	for (int y = 0; y < image.height; ++y)
		for (int x = 0; x < image.width; ++x)
		{
			const uint32_t argb = pixel(minX + x, minY + y);
			const uint32_t a = argb >> 24;
			uint8_t* out = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
			if (!a)
				continue;
			// Cairo keeps colours premultiplied; PNG wants them straight.
			const auto straight = [a](uint32_t c)
			{ return static_cast<uint8_t>(std::min<uint32_t>(255, (c * 255 + a / 2) / a)); };
			out[0] = straight((argb >> 16) & 0xFF);
			out[1] = straight((argb >> 8) & 0xFF);
			out[2] = straight(argb & 0xFF);
			out[3] = static_cast<uint8_t>(a);
		}
	cairo_surface_destroy(surface);
	return true;
}

bool writeText(const fs::path& path, const std::string& text)
{
	std::ofstream out(path, std::ios::binary | std::ios::trunc);
	out << text;
	out.close();
	return out.good() || fail("cannot write " + path.string());
}
} // namespace

// The drawing at its full frame size, the trimmed border transparent again.
int renderImage(const fs::path& source, const fs::path& target)
{
	SImage image;
	if (!render(source, image))
		return 1;
	std::vector<uint8_t> frame(static_cast<size_t>(image.frameWidth) * image.frameHeight * 4, 0);
	for (int y = 0; y < image.height; ++y)
		std::copy_n(&image.rgba[static_cast<size_t>(y) * image.width * 4], image.width * 4,
			&frame[(static_cast<size_t>(image.top + y) * image.frameWidth + image.left) * 4]);
	std::error_code error;
	fs::create_directories(target.parent_path(), error);
	if (!tools::writePng(target.string(), image.frameWidth, image.frameHeight, frame))
		return fail("cannot write " + target.string()), 1;
	return 0;
}

int main(int argc, char** argv)
{
	if (argc == 4 && std::string(argv[1]) == "--image")
		return renderImage(argv[2], argv[3]);
	if (argc != 5)
	{
		std::fprintf(stderr,
			"usage: %s SVG_FOLDER NAME_PREFIX OUTPUT_ROOT COLLECTION\n       %s --image SVG_FILE OUTPUT_PNG\n", argv[0],
			argv[0]);
		return 2;
	}
	const fs::path source = argv[1];
	const std::string prefix = argv[2];
	const fs::path atlases = fs::path(argv[3]) / "atlases";
	const std::string collection = argv[4];

	std::vector<fs::path> files;
	std::error_code error;
	for (const fs::directory_entry& entry : fs::directory_iterator(source, error))
		if (entry.is_regular_file() && entry.path().extension() == ".svg")
			files.push_back(entry.path());
	if (error)
		return fail(source.string() + ": " + error.message()), 1;
	if (files.empty())
		return fail(source.string() + " holds no SVG drawing"), 1;
	// Directory order is the file system's; names are not.
	std::sort(files.begin(), files.end());

	std::vector<SImage> images(files.size());
	std::vector<tools::SPackItem> items(files.size());
	for (size_t i = 0; i < files.size(); ++i)
	{
		images[i].name = prefix + files[i].stem().string() + ".png";
		if (!render(files[i], images[i]))
			return 1;
		items[i].width = images[i].width;
		items[i].height = images[i].height;
	}
	std::vector<tools::SPageSize> pageSizes;
	if (!tools::pack(items, MAX_PAGE_SIDE, GAP, pageSizes))
		return fail("a drawing does not fit a page"), 1;

	fs::create_directories(atlases, error);
	std::vector<std::vector<uint8_t>> pages(pageSizes.size());
	for (size_t p = 0; p < pages.size(); ++p)
		pages[p].assign(static_cast<size_t>(pageSizes[p].width) * pageSizes[p].height * 4, 0);
	for (size_t i = 0; i < images.size(); ++i)
	{
		const SImage& image = images[i];
		const tools::SPackItem& item = items[i];
		std::vector<uint8_t>& page = pages[static_cast<size_t>(item.page)];
		const int pageWidth = pageSizes[static_cast<size_t>(item.page)].width;
		for (int y = 0; y < image.height; ++y)
			std::copy_n(&image.rgba[static_cast<size_t>(y) * image.width * 4], image.width * 4,
				&page[(static_cast<size_t>(item.y + y) * pageWidth + item.x) * 4]);
	}

	std::ostringstream xml;
	xml << "<?xml version=\"1.0\"?>\n<AtlasTextureCollection>\n";
	for (size_t p = 0; p < pages.size(); ++p)
	{
		const std::string pageName = collection + "_" + std::to_string(p) + ".png";
		if (!tools::writePng((atlases / pageName).string(), pageSizes[p].width, pageSizes[p].height, pages[p]))
			return fail("cannot write " + pageName), 1;
		xml << "\t<a f=\"" << tools::xmlEscape(pageName) << "\" />\n";
	}
	for (size_t i = 0; i < images.size(); ++i)
	{
		const SImage& image = images[i];
		const tools::SPackItem& item = items[i];
		xml << "\t<t n=\"" << tools::xmlEscape(image.name) << "\" i=\"" << item.page << "\" r=\"" << item.x << ","
			<< item.y << "," << item.x + image.width << "," << item.y + image.height << "\" b=\"" << image.left << ","
			<< image.top << "\" a=\"" << image.frameWidth - image.left - image.width << ","
			<< image.frameHeight - image.top - image.height << "\" />\n";
	}
	xml << "</AtlasTextureCollection>\n";
	// Pages left over from a run that needed more.
	for (size_t p = pages.size();; ++p)
	{
		const fs::path stale = atlases / (collection + "_" + std::to_string(p) + ".png");
		if (!fs::remove(stale, error))
			break;
	}
	return writeText(atlases / (collection + ".xml"), xml.str()) ? 0 : 1;
}
