#include "content/ImageTestSupport.h"
#include "support/Fixtures.h"
#include "video/VideoTestSupport.h"

#include "content/CImageLoader.h"
#include "content/CImageWriter.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <utility>
#include <vector>

namespace fw
{
namespace
{
using imagetest::decodeImage;
using imagetest::encodeImage;
using imagetest::makePatternImage;
using test::SVideoLogCapture;

TEST(CImageTest, FormatDecidesThePixelSizeAndThePitch)
{
	struct SCase
	{
		video::ECOLOR_FORMAT format;
		u32 bits;
	};
	const SCase cases[] = {
		{video::ECF_A1R5G5B5, 16},
		{video::ECF_R5G6B5, 16},
		{video::ECF_R8G8B8, 24},
		{video::ECF_A8R8G8B8, 32},
	};
	for (const SCase& c : cases)
	{
		const CRefHolder<CImage> image = adoptRef(new CImage(ContentReference(), c.format, core::dimension2du(7, 3)));
		EXPECT_EQ(c.bits, image->getBitsPerPixel()) << c.format;
		EXPECT_EQ(c.bits / 8, image->getBytesPerPixel()) << c.format;
		EXPECT_EQ(7 * c.bits / 8, image->getPitch()) << c.format;
		EXPECT_EQ(7, image->getWidth());
		EXPECT_EQ(3, image->getHeight());
		EXPECT_EQ(CONTENT_TYPE_IMAGE, image->getContentType());
		EXPECT_EQ(u32(CONTENT_SHARED), image->getContentFlags());
		EXPECT_EQ(nullptr, image->cloneAsContent());
	}
}

TEST(CImageTest, SizesBeyondTheLimitsAndUnknownFormatsGiveAnEmptyImage)
{
	SVideoLogCapture log;
	struct SCase
	{
		video::ECOLOR_FORMAT format;
		core::dimension2du size;
		const char* logged;
	};
	const SCase cases[] = {
		{video::ECF_A8R8G8B8, {MAX_IMAGE_SIDE + 1, 1}, "16385 x 1 pixels"},
		{video::ECF_A8R8G8B8, {1, 0x80000000u}, "1 x 2147483648 pixels"},
		// Each side within bounds, the memory not: 16384 x 16384 x 4 bytes is 1 GiB.
		{video::ECF_A8R8G8B8, {MAX_IMAGE_SIDE, MAX_IMAGE_SIDE}, "16384 x 16384 pixels"},
		{video::ECF_R16F, {4, 4}, "colour format"},
	};
	for (const SCase& c : cases)
	{
		const CRefHolder<CImage> image = adoptRef(new CImage(ContentReference(), c.format, c.size));
		EXPECT_TRUE(image->isEmpty()) << c.logged;
		EXPECT_EQ(0, image->getWidth()) << c.logged;
		EXPECT_EQ(0u, image->getPitch()) << c.logged;
		EXPECT_EQ(1u, log.countContaining(c.logged)) << c.logged;
	}
	// Pixel operations on an empty image do nothing.
	const CRefHolder<CImage> empty =
		adoptRef(new CImage(ContentReference(), video::ECF_A8R8G8B8, core::dimension2du(0, 5)));
	empty->setPixel(0, 0, video::SColor(0xFFFFFFFF));
	empty->fill(video::SColor(0xFFFFFFFF));
	EXPECT_EQ(0u, empty->getPixel(0, 0).color);
	EXPECT_EQ(nullptr, empty->getEngineImage());
}

TEST(CImageTest, MemoryIsTakenAsItIsOrCopied)
{
	u8* pixels = new u8[2 * 2 * 4];
	for (u32 i = 0; i < 16; ++i)
		pixels[i] = static_cast<u8>(i);
	{
		const CRefHolder<CImage> copied = adoptRef(
			new CImage(ContentReference(), video::ECF_A8R8G8B8, core::dimension2du(2, 2), pixels, false, true));
		EXPECT_NE(pixels, copied->getData());
		EXPECT_EQ(0, std::memcmp(pixels, copied->getData(), 16));
	}
	const CRefHolder<CImage> taken =
		adoptRef(new CImage(ContentReference(), video::ECF_A8R8G8B8, core::dimension2du(2, 2), pixels, true, true));
	EXPECT_EQ(pixels, taken->getData());
	EXPECT_EQ(video::SColor(0x0F0E0D0C), taken->getPixel(1, 1));
}

TEST(CImageTest, ImageFromASourceHoldsItsPixelsInItsOwnFormat)
{
	const CRefHolder<CImage> source = makePatternImage(5, 4);
	const CRefHolder<CImage> same = adoptRef(new CImage(ContentReference(), video::ECF_A8R8G8B8, source.get()));
	const CRefHolder<CImage> rgb = adoptRef(new CImage(ContentReference(), video::ECF_R8G8B8, source.get()));
	const CRefHolder<CImage> packed = adoptRef(new CImage(ContentReference(), video::ECF_A1R5G5B5, source.get()));
	ASSERT_EQ(core::dimension2du(5, 4), rgb->getDimension());
	EXPECT_EQ(15u, rgb->getPitch());
	for (u32 y = 0; y < 4; ++y)
		for (u32 x = 0; x < 5; ++x)
		{
			const video::SColor original = source->getPixel(x, y);
			EXPECT_EQ(original, same->getPixel(x, y));
			const video::SColor converted = rgb->getPixel(x, y);
			EXPECT_EQ(original.getRed(), converted.getRed());
			EXPECT_EQ(original.getGreen(), converted.getGreen());
			EXPECT_EQ(0xFFu, converted.getAlpha());
			EXPECT_EQ(original.getAlpha() >= 0x80, packed->getPixel(x, y).getAlpha() == 0xFF);
		}
	const CRefHolder<CImage> none =
		adoptRef(new CImage(ContentReference(), video::ECF_A8R8G8B8, static_cast<const CImage*>(nullptr)));
	EXPECT_TRUE(none->isEmpty());
	EXPECT_EQ(core::dimension2du(0, 0), none->getDimension());
}

class CopyToUnscaledTest : public ::testing::Test
{
protected:
	static constexpr u8 UNTOUCHED = 0xAB;
	std::vector<u8> block(u32 bytes) { return std::vector<u8>(bytes, UNTOUCHED); }

	CRefHolder<CImage> image = makePatternImage(100, 60);
};

TEST_F(CopyToUnscaledTest, IntoALargerBlockCopiesRowsAndLeavesTheRest)
{
	std::vector<u8> target = block(128 * 64 * 4);
	image->copyToUnscaled(target.data(), 128, 64, video::ECF_A8R8G8B8, 512);
	const u8* pixels = static_cast<const u8*>(image->getData());
	for (u32 y = 0; y < 64; ++y)
	{
		if (y < 60)
		{
			EXPECT_EQ(0, std::memcmp(pixels + y * 400, target.data() + y * 512, 400)) << y;
		}
		for (u32 x = (y < 60 ? 400 : 0); x < 512; ++x)
			ASSERT_EQ(UNTOUCHED, target[y * 512 + x]) << x << "," << y;
	}

	// A pitch of 0 is the block's row; the same pixels land in the same places.
	std::vector<u8> packed = block(128 * 64 * 4);
	image->copyToUnscaled(packed.data(), 128, 64, video::ECF_A8R8G8B8, 0);
	EXPECT_EQ(target, packed);

	// Same pitch as the image: one block copy.
	std::vector<u8> exact = block(100 * 60 * 4);
	image->copyToUnscaled(exact.data(), 100, 60, video::ECF_A8R8G8B8, 400);
	EXPECT_EQ(0, std::memcmp(pixels, exact.data(), exact.size()));
}

TEST_F(CopyToUnscaledTest, BlocksTooSmallOrPitchesTooShortAreLeftAlone)
{
	struct SCase
	{
		const char* name;
		u32 width;
		u32 height;
		video::ECOLOR_FORMAT format;
		u32 pitch;
	};
	const SCase cases[] = {
		{"narrower", 64, 64, video::ECF_A8R8G8B8, 0},
		{"lower", 128, 59, video::ECF_A8R8G8B8, 0},
		{"empty", 0, 64, video::ECF_A8R8G8B8, 0},
		{"pitch shorter than a row", 128, 64, video::ECF_A8R8G8B8, 400},
		{"pitch shorter than the block's row", 128, 64, video::ECF_A8R8G8B8, 508},
		{"unknown format", 128, 64, video::ECF_R16F, 0},
	};
	for (const SCase& c : cases)
	{
		std::vector<u8> target = block(128 * 64 * 4);
		image->copyToUnscaled(target.data(), c.width, c.height, c.format, c.pitch);
		EXPECT_EQ(block(128 * 64 * 4), target) << c.name;
	}
	image->copyToUnscaled(nullptr, 128, 64, video::ECF_A8R8G8B8, 0);
}

TEST_F(CopyToUnscaledTest, IntoAnotherFormatConvertsEveryPixel)
{
	std::vector<u8> target = block(128 * 64 * 2);
	image->copyToUnscaled(target.data(), 128, 64, video::ECF_R5G6B5, 0);
	for (u32 y = 0; y < 60; y += 7)
		for (u32 x = 0; x < 100; x += 9)
		{
			u16 pixel;
			std::memcpy(&pixel, target.data() + y * 256 + x * 2, 2);
			const video::SColor original = image->getPixel(x, y);
			EXPECT_EQ(original.getRed() >> 3, u32(pixel >> 11)) << x << "," << y;
			EXPECT_EQ(original.getGreen() >> 2, u32((pixel >> 5) & 0x3F)) << x << "," << y;
			EXPECT_EQ(original.getBlue() >> 3, u32(pixel & 0x1F)) << x << "," << y;
		}
	EXPECT_EQ(UNTOUCHED, target[0 * 256 + 100 * 2]);
	EXPECT_EQ(UNTOUCHED, target[60 * 256]);
}

TEST(CImageManagerTest, LoadersAndWritersStandInTheirOrder)
{
	CImageManager& manager = CImageManager::Instance();
	ASSERT_EQ(7u, manager.getLoaderCount());
	const EImageFileFormat formats[] = {IMAGE_FILE_BMP, IMAGE_FILE_JPEG, IMAGE_FILE_TGA, IMAGE_FILE_PCX, IMAGE_FILE_PNG,
		IMAGE_FILE_WAL, IMAGE_FILE_PPM};
	const char* names[] = {"a.bmp", "a.jpg", "a.tga", "a.pcx", "a.png", "a.wal", "a.pgm"};
	for (u32 i = 0; i < 7; ++i)
	{
		EXPECT_EQ(formats[i], manager.getLoader(i)->getFormat());
		for (u32 j = 0; j < 7; ++j)
			EXPECT_EQ(i == j, manager.getLoader(i)->isALoadableFileExtension(names[j])) << i << " " << names[j];
	}
	EXPECT_FALSE(manager.getLoader(1)->isALoadableFileExtension("a.jpeg"));
	EXPECT_TRUE(manager.getLoader(6)->isALoadableFileExtension("a.PBM"));
	EXPECT_FALSE(manager.getLoader(4)->isALoadableFileExtension("png"));
	EXPECT_FALSE(manager.getLoader(4)->isALoadableFileExtension("a.png.txt"));

	ASSERT_EQ(6u, manager.getWriterCount());
	const char* writerNames[] = {"a.bmp", "a.jpeg", "a.tga", "a.pcx", "a.png", "a.ppm"};
	for (u32 i = 0; i < 6; ++i)
		for (u32 j = 0; j < 6; ++j)
			EXPECT_EQ(i == j, manager.getWriter(i)->isAWriteableFileExtension(writerNames[j])) << i << " " << j;
	EXPECT_TRUE(manager.getWriter(1)->isAWriteableFileExtension("x.JPG"));
}

TEST(CImageManagerTest, ImagesWrittenAreReadBackByNameOrByContent)
{
	const CRefHolder<CImage> image = makePatternImage(6, 5);
	const std::string png = encodeImage(image.get(), "x.png");
	ASSERT_GT(png.size(), 8u);
	EXPECT_EQ("\x89PNG", png.substr(0, 4));

	// The extension is compared without letter case; a wrong extension falls back to the content
	// test; a WAL name is never taken for WAL content, the content test finds the PNG.
	for (const char* name : {"IMAGE.PNG", "x.jpg", "x.wal", "noextension"})
	{
		const CRefHolder<CImage> read = decodeImage(png, name);
		ASSERT_TRUE(read) << name;
		ASSERT_EQ(core::dimension2du(6, 5), read->getDimension()) << name;
		for (u32 y = 0; y < 5; ++y)
			for (u32 x = 0; x < 6; ++x)
				EXPECT_EQ(image->getPixel(x, y), read->getPixel(x, y)) << name << " " << x << "," << y;
	}

	for (const char* name : {"x.bmp", "x.tga", "x.ppm"})
	{
		const CRefHolder<CImage> read = decodeImage(encodeImage(image.get(), name), name);
		ASSERT_TRUE(read) << name;
		EXPECT_EQ(core::dimension2du(6, 5), read->getDimension()) << name;
		// These writers store no alpha.
		for (u32 y = 0; y < 5; ++y)
			for (u32 x = 0; x < 6; ++x)
				EXPECT_EQ(image->getPixel(x, y).color & 0xFFFFFF, read->getPixel(x, y).color & 0xFFFFFF)
					<< name << " " << x << "," << y;
	}
	EXPECT_FALSE(decodeImage("not an image at all, not even close", "x.png"));
}

TEST(CImageManagerTest, WritingChoosesByExtensionWithQualityOneHundredByDefault)
{
	SVideoLogCapture log;
	const CRefHolder<CImage> image = makePatternImage(32, 32);
	const u32 best = 100;
	const u32 poor = 5;
	const std::string byDefault = encodeImage(image.get(), "x.jpg");
	ASSERT_GT(byDefault.size(), 2u);
	EXPECT_EQ("\xFF\xD8", byDefault.substr(0, 2));
	EXPECT_EQ(byDefault, encodeImage(image.get(), "x.jpg", &best));
	EXPECT_LT(encodeImage(image.get(), "x.jpeg", &poor).size(), byDefault.size());

	bool written = true;
	encodeImage(image.get(), "x.pcx", nullptr, &written);
	EXPECT_FALSE(written);
	EXPECT_EQ(1u, log.countContaining("PCX writer not yet implemented. Image not written."));
	encodeImage(image.get(), "x.gif", nullptr, &written);
	EXPECT_FALSE(written);
}

std::string littleEndian(u32 value, u32 bytes)
{
	std::string text;
	for (u32 i = 0; i < bytes; ++i)
		text.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
	return text;
}

std::string bigEndian(u32 value, u32 bytes)
{
	std::string text;
	for (u32 i = bytes; i-- > 0;)
		text.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
	return text;
}

std::string padded(std::string text, size_t size)
{
	text.resize(size, '\0');
	return text;
}

TEST(CImageManagerTest, DeclaredSizesBeyondTheLimitsAreRefusedBeforeDecoding)
{
	const u32 side = 20000;
	struct SCase
	{
		const char* name;
		std::string bytes;
	};
	const SCase cases[] = {
		{"x.bmp",
			padded("BM" + std::string(12, '\0') + littleEndian(40, 4) + littleEndian(side, 4) + littleEndian(side, 4) +
					littleEndian(1, 2) + littleEndian(32, 2),
				64)},
		{"x.jpg",
			std::string("\xFF\xD8\xFF\xE0", 4) + bigEndian(4, 2) + "JF" + std::string("\xFF\xC0", 2) +
				bigEndian(17, 2) + std::string(1, 8) + bigEndian(side, 2) + bigEndian(side, 2) + std::string(12, '\0')},
		{"x.tga",
			padded(std::string(2, '\0') + std::string(1, 2) + std::string(9, '\0') + littleEndian(side, 2) +
					littleEndian(side, 2) + std::string(1, 32),
				64)},
		{"x.pcx",
			padded(std::string("\x0A\x05\x01\x08", 4) + littleEndian(0, 4) + littleEndian(side - 1, 2) +
					littleEndian(side - 1, 2),
				128)},
		{"x.png",
			std::string("\x89PNG\r\n\x1A\n", 8) + bigEndian(13, 4) + "IHDR" + bigEndian(side, 4) + bigEndian(side, 4) +
				std::string("\x08\x06\0\0\0", 5) + std::string(4, '\0')},
		{"x.wal", padded(std::string(32, 'n') + littleEndian(side, 4) + littleEndian(side, 4), 200)},
		{"x.ppm", "P6\n# a comment\n20000 20000\n255\n" + std::string(64, '\0')},
	};
	for (const SCase& c : cases)
	{
		SVideoLogCapture log;
		EXPECT_FALSE(decodeImage(c.bytes, c.name)) << c.name;
		EXPECT_GE(log.countContaining("20000 x 20000 pixels"), 1u) << c.name;
	}

	// Headers that make no sense are refused without a size.
	const SCase broken[] = {
		{"x.bmp",
			padded("BM" + std::string(12, '\0') + littleEndian(40, 4) + littleEndian(0xFFFFFFF0u, 4) +
					littleEndian(4, 4),
				64)},
		{"x.pcx",
			padded(std::string("\x0A\x05\x01\x08", 4) + littleEndian(10, 2) + littleEndian(0, 2) + littleEndian(2, 2) +
					littleEndian(2, 2),
				128)},
		{"x.ppm", "P6 123456789012345 2 255\n"},
		{"x.jpg", std::string("\xFF\xD8\xFF\xDA\x00\x02", 6)},
	};
	for (const SCase& c : broken)
		EXPECT_FALSE(decodeImage(c.bytes, c.name)) << c.name;
}

// An uncompressed BMP: 40-byte info header, the palette, then the rows as given.
std::string bmpFile(u32 bitsPerPixel, u32 width, u32 height, u32 paletteEntries, const std::string& rows)
{
	const u32 dataOffset = 54 + 4 * paletteEntries;
	return "BM" + littleEndian(dataOffset + static_cast<u32>(rows.size()), 4) + littleEndian(0, 4) +
		littleEndian(dataOffset, 4) + littleEndian(40, 4) + littleEndian(width, 4) + littleEndian(height, 4) +
		littleEndian(1, 2) + littleEndian(bitsPerPixel, 2) + std::string(24, '\0') +
		std::string(4 * paletteEntries, '\x40') + rows;
}

// An uncompressed 8-bit colour-mapped TGA with a 24-bit map of the given length.
std::string tgaFile(bool colorMap, u32 mapEntries, u32 width, u32 height, const std::string& pixels)
{
	return std::string(1, '\0') + std::string(1, colorMap ? 1 : 0) + std::string(1, 1) + littleEndian(0, 2) +
		littleEndian(mapEntries, 2) + std::string(1, 24) + littleEndian(0, 4) + littleEndian(width, 2) +
		littleEndian(height, 2) + std::string(1, 8) + std::string(1, '\0') + std::string(3 * mapEntries, '\x40') +
		pixels;
}

TEST(CImageManagerTest, DecodersAreGivenOnlyLayoutsTheyReadSafely)
{
	struct SCase
	{
		const char* name;
		std::string bytes;
		bool loads;
	};
	const SCase cases[] = {
		{"x.bmp", bmpFile(8, 2, 2, 256, std::string("\xFF\x00\0\0\x01\x02\0\0", 8)), true},
		{"x.bmp", bmpFile(8, 2, 2, 4, std::string("\x03\x00\0\0\x01\x02\0\0", 8)), true},
		{"x.bmp", bmpFile(8, 2, 2, 4, std::string("\x04\x00\0\0\x01\x02\0\0", 8)), false},
		{"x.bmp", bmpFile(8, 2, 2, 0, std::string(8, '\0')), false},
		{"x.bmp", bmpFile(4, 3, 1, 16, std::string("\xF1\xE0\0\0", 4)), true},
		{"x.bmp", bmpFile(4, 3, 1, 2, std::string("\x10\x20\0\0", 4)), false},
		// Padding is not looked up: only the three pixels' nibbles count.
		{"x.bmp", bmpFile(4, 3, 1, 2, std::string("\x10\x0F\xFF\xFF", 4)), true},
		// 16 bits, 3 pixels a row (6 bytes and 2 of padding): the decoder reads 10 bytes a row.
		{"x.bmp", bmpFile(16, 3, 3, 0, std::string(24, '\0')), false},
		{"x.bmp", bmpFile(16, 3, 3, 0, std::string(26, '\0')), true},
		{"x.tga", tgaFile(true, 4, 2, 2, std::string("\x00\x01\x02\x03", 4)), true},
		{"x.tga", tgaFile(true, 4, 2, 2, std::string("\x00\x01\x02\x04", 4)), false},
		{"x.tga", tgaFile(false, 0, 2, 2, std::string(4, '\0')), false},
		{"x.tga", tgaFile(true, 4, 2, 2, std::string(3, '\0')), false},
		// Bitmaps go through a one-byte buffer in the decoder, whatever their size.
		{"x.pbm", "P1\n4 4\n1 0 1 0\n0 1 0 1\n1 0 1 0\n0 1 0 1\n", false},
		{"x.pbm", "P4\n16 2\n" + std::string(4, '\xAA'), false},
		{"x.pgm", "P5\n2 2\n255\n" + std::string(4, '\x80'), true},
		// WAL: 2 x 2 indices at the first mip-map offset (100), all of them in the file or none loads.
		{"x.wal",
			padded(std::string(32, 'n') + littleEndian(2, 4) + littleEndian(2, 4) + littleEndian(100, 4), 100) +
				std::string(4, '\x07'),
			true},
		{"x.wal",
			padded(std::string(32, 'n') + littleEndian(2, 4) + littleEndian(2, 4) + littleEndian(100, 4), 100) +
				std::string(3, '\x07'),
			false},
	};
	for (const SCase& c : cases)
	{
		SVideoLogCapture log;
		const CRefHolder<CImage> image = decodeImage(c.bytes, c.name);
		EXPECT_EQ(c.loads, image.get() != nullptr) << c.name << " case " << (&c - cases);
		if (!c.loads)
		{
			EXPECT_GE(log.countContaining("Refused image file"), 1u) << c.name << " case " << (&c - cases);
		}
	}

	// JPEG: the engine's source reads past its buffer when the data ends before the end marker or a
	// segment runs past the end of the file.
	const std::string jpeg = encodeImage(makePatternImage(24, 16).get(), "x.jpg");
	ASSERT_GT(jpeg.size(), 200u);
	EXPECT_TRUE(decodeImage(jpeg, "x.jpg"));
	EXPECT_TRUE(decodeImage(jpeg + "trailing bytes", "x.jpg"));
	const std::string longComment = jpeg.substr(0, 2) + std::string("\xFF\xFE\x10\x00", 4) + jpeg.substr(2);
	// The decoder counts a row's bytes in 16 bits: a later frame of 21,846 three-byte pixels
	// makes 65,538.
	const std::string wideSecondFrame = jpeg.substr(0, jpeg.size() - 2) +
		std::string("\xFF\xC0\x00\x11\x08\x00\x01\x55\x56\x03\x01\x11\x00\x02\x11\x00\x03\x11\x00", 19) +
		std::string("\xFF\xD9", 2);
	// Cut after the frame header, the file is refused with a reason; cut before it, or with a
	// segment that hides the frame header, it is no JPEG at all.
	const std::pair<std::string, bool> refused[] = {{jpeg.substr(0, jpeg.size() - 2), true},
		{jpeg.substr(0, jpeg.size() / 2), true}, {jpeg.substr(0, 100), false}, {longComment, false},
		{jpeg.substr(0, jpeg.size() - 2) + std::string("\xFF\xFE\x10\x00", 4) + "a comment", true},
		{wideSecondFrame, true}};
	for (const auto& bytes : refused)
	{
		SVideoLogCapture log;
		EXPECT_FALSE(decodeImage(bytes.first, "x.jpg")) << bytes.first.size();
		EXPECT_EQ(bytes.second, log.countContaining("Refused image file") > 0) << bytes.first.size();
	}
}
std::string readFixture(const std::string& name)
{
	const std::string path = std::string(QB_FIXTURES_DIR) + "/images/colours/" + name;
	std::ifstream in(path, std::ios::binary);
	EXPECT_TRUE(in) << path;
	return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The pictures of the colour fixtures (made by tests/fixtures/images/colours/make-fixtures.sh),
// 5 x 2 pixels, top row first.
enum EPicture
{
	PICTURE_COLOUR,
	PICTURE_GREY,
	// Red and blue.
	PICTURE_TWO_COLOURS,
	PICTURE_BLACK_AND_WHITE
};

video::SColor pictureColour(EPicture picture, bool withAlpha, u32 i)
{
	static const u32 colours[10] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x102030, 0x000000, 0x204080, 0xC08040,
		0x10E0A0, 0x808080};
	static const u32 greys[10] = {0, 64, 128, 255, 32, 16, 96, 200, 240, 8};
	static const bool firstOfTwo[10] = {true, false, true, true, false, false, false, true, false, true};
	static const u32 alphas[5] = {0x00, 0x40, 0x80, 0xC0, 0xFF};
	u32 rgb = 0;
	switch (picture)
	{
	case PICTURE_COLOUR:
		rgb = colours[i];
		break;
	case PICTURE_GREY:
		rgb = greys[i] * 0x010101u;
		break;
	case PICTURE_TWO_COLOURS:
		rgb = firstOfTwo[i] ? 0xFF0000 : 0x0000FF;
		break;
	case PICTURE_BLACK_AND_WHITE:
		rgb = firstOfTwo[i] ? 0x000000 : 0xFFFFFF;
		break;
	}
	return video::SColor((withAlpha ? alphas[i % 5] : 0xFF) << 24 | rgb);
}

// Files written by netpbm and ImageMagick (and, for the kinds they do not write, exact bytes),
// whose colours other decoders read as listed: every pixel comes out in the file's own colour and
// place. The tolerance is for what the file cannot hold exactly: 5 bits a channel, 15 steps a
// sample, JPEG's loss.
TEST(CImageManagerTest, FilesMadeByStandardToolsLoadWithTheirOwnColours)
{
	struct SCase
	{
		const char* file;
		EPicture picture;
		bool withAlpha;
		u32 tolerance;
	};
	const SCase cases[] = {
		{"ppm-text.ppm", PICTURE_COLOUR, false, 0},
		{"ppm-binary.ppm", PICTURE_COLOUR, false, 0},
		{"ppm-max15.ppm", PICTURE_COLOUR, false, 9},
		{"pgm-text.pgm", PICTURE_GREY, false, 0},
		{"pgm-binary.pgm", PICTURE_GREY, false, 0},
		{"pgm-max15.pgm", PICTURE_GREY, false, 9},
		{"bmp-1bit.bmp", PICTURE_TWO_COLOURS, false, 0},
		{"bmp-1bit-white-black.bmp", PICTURE_BLACK_AND_WHITE, false, 0},
		{"bmp-4bit.bmp", PICTURE_COLOUR, false, 0},
		{"bmp-4bit-long-header.bmp", PICTURE_COLOUR, false, 0},
		{"bmp-8bit.bmp", PICTURE_COLOUR, false, 0},
		{"bmp-16bit.bmp", PICTURE_COLOUR, false, 7},
		{"bmp-24bit.bmp", PICTURE_COLOUR, false, 0},
		{"bmp-32bit.bmp", PICTURE_COLOUR, false, 0},
		{"tga-16bit.tga", PICTURE_COLOUR, false, 7},
		{"tga-24bit.tga", PICTURE_COLOUR, false, 0},
		{"tga-24bit-rle.tga", PICTURE_COLOUR, false, 0},
		{"tga-32bit-alpha-top-down.tga", PICTURE_COLOUR, true, 0},
		{"tga-mapped.tga", PICTURE_COLOUR, false, 0},
		{"tga-grey.tga", PICTURE_GREY, false, 0},
		{"pcx-8bit.pcx", PICTURE_COLOUR, false, 0},
		{"pcx-24bit.pcx", PICTURE_COLOUR, false, 0},
		{"png-grey.png", PICTURE_GREY, false, 0},
		{"png-palette.png", PICTURE_COLOUR, false, 0},
		{"png-alpha.png", PICTURE_COLOUR, true, 0},
		{"png-grey-alpha.png", PICTURE_GREY, true, 0},
		{"png-16bit.png", PICTURE_COLOUR, false, 0},
		{"jpeg-grey.jpg", PICTURE_GREY, false, 6},
		{"jpeg-colour.jpg", PICTURE_COLOUR, false, 6},
	};
	const auto near = [](u32 a, u32 b, u32 tolerance) { return (a > b ? a - b : b - a) <= tolerance; };
	for (const SCase& c : cases)
	{
		SVideoLogCapture log;
		const CRefHolder<CImage> image = decodeImage(readFixture(c.file), c.file);
		ASSERT_TRUE(image) << c.file;
		ASSERT_EQ(core::dimension2du(5, 2), image->getDimension()) << c.file;
		for (u32 i = 0; i < 10; ++i)
		{
			const video::SColor expected = pictureColour(c.picture, c.withAlpha, i);
			const video::SColor loaded = image->getPixel(i % 5, i / 5);
			EXPECT_TRUE(near(expected.getRed(), loaded.getRed(), c.tolerance) &&
				near(expected.getGreen(), loaded.getGreen(), c.tolerance) &&
				near(expected.getBlue(), loaded.getBlue(), c.tolerance) && expected.getAlpha() == loaded.getAlpha())
				<< c.file << " pixel " << i % 5 << "," << i / 5 << ": expected " << std::hex << expected.color
				<< ", loaded " << loaded.color;
		}
		EXPECT_EQ(0u, log.countContaining("Refused")) << c.file;
	}
}

// Kinds the engine's decoders give no image for, or would read wrong, are refused with a line that
// says why.
TEST(CImageManagerTest, KindsTheDecodersCannotReadAreRefusedSayingWhy)
{
	const std::pair<const char*, const char*> cases[] = {
		{"ppm-16bit.ppm", "16-bit samples"},
		{"pgm-16bit.pgm", "16-bit samples"},
		{"bmp-masks-565.bmp", "colour masks"},
		{"bmp-masks-555.bmp", "colour masks"},
		{"bmp-masks-alpha.bmp", "colour masks"},
		{"bmp-os2.bmp", "OS/2 bitmap header"},
		{"tga-mapped-rle.tga", "run-length coded colour-mapped or grey pixels"},
		{"jpeg-cmyk.jpg", "four colour channels (CMYK)"},
	};
	for (const auto& c : cases)
	{
		SVideoLogCapture log;
		EXPECT_FALSE(decodeImage(readFixture(c.first), c.first)) << c.first;
		EXPECT_GE(log.countContaining(c.second), 1u) << c.first;
		EXPECT_EQ(1u, log.countContaining((std::string("Refused image file ") + c.first).c_str())) << c.first;
	}
}
} // namespace
} // namespace fw

namespace fw
{
namespace
{
// Inputs the image fuzzer found, in its form: the first byte picks the extension, the rest is the
// file. Each once made the engine's decoder read or write outside its buffers, allocate gigabytes, or
// spin on a file that had ended.
TEST(CImageManagerTest, HostileFilesFoundByFuzzingAreRefused)
{
	static const char* const names[] = {"f.png", "f.jpg", "f.tga", "f.bmp", "f.pcx", "f.ppm", "f.wal", "f.bin"};
	for (int i = 1; i <= 15; ++i)
	{
		const std::string path = test::fixturePath("images/hostile/found" + std::to_string(i) + ".bin");
		std::ifstream in(path, std::ios::binary);
		ASSERT_TRUE(in) << path;
		const std::string input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
		ASSERT_FALSE(input.empty());
		SVideoLogCapture quiet;
		EXPECT_FALSE(imagetest::decodeImage(input.substr(1), names[static_cast<u8>(input[0]) % 8])) << path;
	}
}
} // namespace
} // namespace fw
