// Icon files decoded through the image manager, as the device reads the window's icon.

#include "ImageTestSupport.h"
#include "content/ContentServices.h"
#include "platform/CIconFile.h"
#include "platform/CReadFile.h"
#include "platform/DeviceTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace fw;
using namespace fw::imagetest;

namespace
{
void put16(std::string& out, u32 value)
{
	out += static_cast<char>(value & 0xFF);
	out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, u32 value)
{
	put16(out, value & 0xFFFF);
	put16(out, value >> 16);
}

// One image of an icon file: its bytes as they stand in the file.
struct SEntry
{
	std::string data;
};

// A bitmap entry: header with the doubled height, palette, colour rows (bottom up, padded to four
// bytes) and the mask rows. colours holds one value per pixel, top row first: an ARGB colour for
// 24 and 32 bits, a palette index otherwise.
SEntry bitmapEntry(u32 width, u32 height, u32 bits, const std::vector<u32>& palette, const std::vector<u32>& colours,
	const std::vector<bool>& transparent, u32 compression = 0, bool withMask = true)
{
	SEntry entry;
	std::string& out = entry.data;
	put32(out, 40);
	put32(out, width);
	put32(out, height * 2);
	put16(out, 1);
	put16(out, bits);
	put32(out, compression);
	put32(out, 0);
	put32(out, 0);
	put32(out, 0);
	put32(out, static_cast<u32>(palette.size()));
	put32(out, 0);
	for (u32 colour : palette)
		put32(out, colour);
	const u32 stride = (width * bits + 31) / 32 * 4;
	for (u32 row = height; row-- > 0;)
	{
		std::string line;
		if (bits == 16)
			line.assign(stride, '\0');
		else if (bits >= 24)
		{
			for (u32 x = 0; x < width; ++x)
			{
				const u32 c = colours[row * width + x];
				line += static_cast<char>(c & 0xFF);
				line += static_cast<char>((c >> 8) & 0xFF);
				line += static_cast<char>((c >> 16) & 0xFF);
				if (bits == 32)
					line += static_cast<char>(c >> 24);
			}
		}
		else
		{
			line.assign(stride, '\0');
			for (u32 x = 0; x < width; ++x)
			{
				const u32 bit = x * bits;
				const u32 shift = 8 - bits - bit % 8;
				line[bit / 8] = static_cast<char>(line[bit / 8] | (colours[row * width + x] << shift));
			}
		}
		line.resize(stride, '\0');
		out += line;
	}
	if (withMask)
	{
		const u32 maskStride = (width + 31) / 32 * 4;
		for (u32 row = height; row-- > 0;)
		{
			std::string line(maskStride, '\0');
			for (u32 x = 0; x < width; ++x)
				if (row * width + x < transparent.size() && transparent[row * width + x])
					line[x / 8] = static_cast<char>(line[x / 8] | (0x80 >> (x % 8)));
			out += line;
		}
	}
	return entry;
}

SEntry pngEntry(u32 width, u32 height)
{
	SEntry entry;
	entry.data = encodeImage(makePatternImage(width, height).get(), "icon.png");
	return entry;
}

// The directory, then the images; sizes in the directory are taken from nothing (0 = 256).
std::string iconFile(const std::vector<SEntry>& entries, u16 type = 1)
{
	std::string out;
	put16(out, 0);
	put16(out, type);
	put16(out, static_cast<u32>(entries.size()));
	u32 offset = 6 + 16 * static_cast<u32>(entries.size());
	for (const SEntry& entry : entries)
	{
		out += std::string(4, '\0');
		put16(out, 1);
		put16(out, 32);
		put32(out, static_cast<u32>(entry.data.size()));
		put32(out, offset);
		offset += static_cast<u32>(entry.data.size());
	}
	for (const SEntry& entry : entries)
		out += entry.data;
	return out;
}

class IconFileTest : public testing::Test
{
protected:
	void SetUp() override { registerContentServices(); }

	bool read(const std::string& bytes, core::array<os::SIconImage>& images)
	{
		CRefHolder<io::IReadFile> file = memoryFile(bytes, "game.ico");
		return readIconFile(file.get(), images);
	}

	static std::vector<u32> pixels(const os::SIconImage& image)
	{
		return std::vector<u32>(image.Pixels.const_pointer(), image.Pixels.const_pointer() + image.Pixels.size());
	}
};
} // namespace

TEST_F(IconFileTest, BitmapImagesOfEveryDepthTakeTheirTransparencyFromAlphaOrMask)
{
	const u32 red = 0xFFFF0000;
	const u32 green = 0xFF00FF00;
	const u32 blue = 0xFF0000FF;
	struct SCase
	{
		const char* name;
		SEntry entry;
		std::vector<u32> expected; // top row first
	};
	const SCase cases[] = {
		// Alpha of its own: the mask does not count.
		{"32-bit", bitmapEntry(2, 2, 32, {}, {0x80FF0000, green, 0x00000000, blue}, {true, true, true, true}),
			{0x80FF0000, green, 0x00000000, blue}},
		// No alpha at all: the mask gives it.
		{"32-bit without alpha",
			bitmapEntry(2, 2, 32, {}, {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF}, {false, true, false, false}),
			{red, 0, blue, 0xFFFFFFFF}},
		{"24-bit",
			bitmapEntry(3, 2, 24, {}, {red, green, blue, blue, green, red}, {false, false, true, true, false, false}),
			{red, green, 0, 0, green, red}},
		{"8-bit",
			bitmapEntry(3, 2, 8, {0x000000FF, 0x0000FF00}, {0, 1, 0, 1, 1, 0},
				{false, false, false, false, false, true}),
			{blue, green, blue, green, green, 0}},
		{"4-bit", bitmapEntry(3, 1, 4, {0x00FF0000, 0x0000FF00, 0x000000FF}, {2, 1, 0}, {false, true, false}),
			{blue, 0, red}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		core::array<os::SIconImage> images;
		ASSERT_TRUE(read(iconFile({c.entry}), images));
		ASSERT_EQ(1u, images.size());
		EXPECT_EQ(c.expected, pixels(images[0]));
	}
}

TEST_F(IconFileTest, EverySizeLargestFirstPngImagesIncludedAndRepeatedSizesOnce)
{
	const SEntry small = bitmapEntry(2, 2, 32, {}, {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004}, {});
	const SEntry again = bitmapEntry(2, 2, 32, {}, {0xFF000009, 0xFF000009, 0xFF000009, 0xFF000009}, {});
	core::array<os::SIconImage> images;
	ASSERT_TRUE(read(iconFile({small, pngEntry(16, 8), again, pngEntry(4, 4)}), images));
	ASSERT_EQ(3u, images.size());
	EXPECT_EQ(core::dimension2d<s32>(16, 8), images[0].Size);
	EXPECT_EQ(core::dimension2d<s32>(4, 4), images[1].Size);
	EXPECT_EQ(core::dimension2d<s32>(2, 2), images[2].Size);
	// The PNG's pattern: red counts x, green y; the first column transparent.
	EXPECT_EQ(0x00000040u, images[0].Pixels[0]);
	EXPECT_EQ(0xFF050340u, images[0].Pixels[3 * 16 + 5]);
	EXPECT_EQ(0xFF000001u, images[2].Pixels[0]);
}

TEST_F(IconFileTest, FilesThatAreNoIconOrHoldNoUsableImageAreRefusedWithTheirReason)
{
	const SEntry good = bitmapEntry(1, 1, 32, {}, {0xFF102030}, {false});
	std::string pastEnd = iconFile({good});
	pastEnd.resize(pastEnd.size() - 1);
	std::string truncatedPng = iconFile({pngEntry(4, 4)});
	truncatedPng.resize(6 + 16 + 20);
	// A PNG entry that claims to be larger than icons may be.
	SEntry hugePng = pngEntry(4, 4);
	hugePng.data[16 + 2] = 1;
	struct SCase
	{
		std::string bytes;
		const char* reason;
	};
	const SCase cases[] = {
		{"", "it is too short"},
		{iconFile({good}, 2), "it is not an icon file"},
		{iconFile({}), "it holds no images or too many"},
		{iconFile({good}).substr(0, 12), "its directory runs past its end"},
		{pastEnd, "an image runs past the end of the file"},
		{truncatedPng, "an image runs past the end of the file"},
		{iconFile({hugePng}), "an image is larger than 256 x 256"},
		{iconFile({bitmapEntry(1, 1, 8, {0}, {0}, {false}, 1)}), "an image has a pixel format icons do not use"},
		{iconFile({bitmapEntry(1, 1, 16, {}, {0}, {false})}), "an image has a pixel format icons do not use"},
		{iconFile({bitmapEntry(300, 1, 32, {}, std::vector<u32>(300, 0xFF000000), std::vector<bool>(300))}),
			"an image has a size out of range"},
		{iconFile({bitmapEntry(2, 2, 24, {}, {0, 0, 0, 0}, {}, 0, false)}), "an image's mask runs past its end"},
		{iconFile({SEntry{std::string(40, 'x')}}), "an image is neither PNG nor a plain bitmap"},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.reason);
		devtest::CLogLines log;
		core::array<os::SIconImage> images;
		EXPECT_FALSE(read(c.bytes, images));
		EXPECT_TRUE(images.empty());
		ASSERT_EQ(1u, log.lines.size());
		EXPECT_EQ(std::string("The icon file game.ico cannot be used: ") + c.reason + ".", log.lines[0].text);
	}

	// One bad image among good ones costs only itself.
	devtest::CLogLines log;
	core::array<os::SIconImage> images;
	EXPECT_TRUE(read(iconFile({SEntry{std::string(40, 'x')}, good}), images));
	ASSERT_EQ(1u, images.size());
	EXPECT_EQ(0xFF102030u, images[0].Pixels[0]);
	ASSERT_EQ(1u, log.lines.size());
	EXPECT_EQ(LOG_INFORMATION, log.lines[0].level);
}

// The build draws the program's icon and stages it beside the program.
TEST_F(IconFileTest, TheStagedIconHoldsTheFourSizesADesktopAsksFor)
{
	CRefHolder<CReadFile> file = adoptRef(CReadFile::open(QB_STAGED_ICON));
	ASSERT_TRUE(file) << QB_STAGED_ICON << " was not staged";
	core::array<os::SIconImage> images;
	ASSERT_TRUE(readIconFile(file.get(), images));
	std::vector<s32> sides;
	for (u32 i = 0; i < images.size(); ++i)
	{
		const os::SIconImage& image = images[i];
		SCOPED_TRACE(image.Size.Width);
		sides.push_back(image.Size.Width);
		EXPECT_EQ(image.Size.Width, image.Size.Height);
		// A drawing: opaque in the middle, clear in the rounded corner.
		const u32 middle = image.Pixels[image.Size.Width / 2 * image.Size.Width + image.Size.Width / 2];
		EXPECT_EQ(0xFFu, middle >> 24);
		EXPECT_EQ(0u, image.Pixels[0] >> 24);
	}
	EXPECT_EQ((std::vector<s32>{256, 48, 32, 16}), sides);
}
