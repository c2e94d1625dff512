#pragma once

// Atlas images and a small monospaced font in memory, on a driver that makes textures with
// pixels, for the sprite, nine-grid and text tests.

#include "content/AtlasTestSupport.h"

#include "content/video/CQuadBatch.h"
#include "widgets/NineGridSpriteNode.h"
#include "widgets/SpriteNode.h"
#include "widgets/TextNode.h"
#include "widgets/WidgetServices.h"

#include <string>

namespace fw
{
namespace displaytest
{
// Letters on page 0 (256 x 32), digits on page 1 (60 x 30, padded to 64 x 32). Every letter and
// digit is an 8 x 12 image with 1 pixel before and after it and 2 above: an advance of 10; the
// space advances 10 with no image; line height 20. '#' names page -1, '%' page 7.
inline std::string monoFont()
{
	std::string xml = "<?xml version=\"1.0\"?>\n<Font Type=\"Bitmap\">\n"
					  "<Texture Filename=\"Mono_0.png\" />\n<Texture Filename=\"Mono_1.png\" />\n";
	for (char c = 'a'; c <= 'z'; ++c)
	{
		const int x = (c - 'a') * 9 + 1;
		xml += std::string("<c c=\"") + c + "\" r=\"" + std::to_string(x) + ",1," + std::to_string(x + 8) +
			",13\" b=\"1,2\" a=\"1,6\" />\n";
	}
	for (char c = '0'; c <= '9'; ++c)
	{
		const int x = (c - '0') * 5 + 1;
		xml += std::string("<c c=\"") + c + "\" r=\"" + std::to_string(x) + ",1," + std::to_string(x + 8) +
			",13\" b=\"1,2\" a=\"1,6\" i=\"1\" />\n";
	}
	xml += "<c c=\" \" r=\"0,0,0,0\" b=\"0,0\" a=\"10,20\" />\n"
		   "<c c=\"#\" r=\"1,1,9,13\" b=\"1,2\" a=\"1,6\" i=\"-1\" />\n"
		   "<c c=\"%\" r=\"1,1,9,13\" b=\"1,2\" a=\"1,6\" i=\"7\" />\n"
		   "<k c=\"xy\" k=\"-2\" />\n"
		   "</Font>\n";
	return xml;
}

// A card image: a 64 x 32 region at (32, 16) of a 128 x 64 page, its left half opaque and its
// right half clear; a 32 x 32 panel at (0, 0).
inline std::string cardCollection()
{
	return "<?xml version=\"1.0\"?>\n<AtlasTextureCollection>\n<a f=\"Cards_0.png\" />\n"
		   "<t n=\"Card.png\" r=\"32,16,96,48\" />\n"
		   "<t n=\"Framed.png\" r=\"32,16,96,48\" b=\"4,4\" a=\"4,4\" />\n"
		   "<t n=\"Panel.png\" r=\"0,0,32,32\" />\n"
		   "</AtlasTextureCollection>\n";
}

class DisplayContent : public atlastest::AtlasContent
{
protected:
	DisplayContent()
	{
		registerWidgetServices();
		addImage("fonts/Mono_0.png", 256, 32);
		addImage("fonts/Mono_1.png", 60, 30);
		fileSystem->files["fonts/Mono.ofnt"] = monoFont();
		CRefHolder<CImage> cards =
			adoptRef(new CImage(ContentReference(), video::ECF_A8R8G8B8, core::dimension2du(128, 64)));
		for (u32 y = 0; y < 64; ++y)
			for (u32 x = 0; x < 128; ++x)
				cards->setPixel(x, y, video::SColor(x < 64 ? 255 : 0, x, y, 0x80));
		fileSystem->files["atlases/Cards_0.png"] = imagetest::encodeImage(cards.get(), "image.png");
		fileSystem->files["atlases/Cards.xml"] = cardCollection();
		collection = loadCollection("atlases/Cards.xml");
	}

	CRefHolder<CAtlasTexture> card() { return atlasTexture("Card.png"); }

	CRefHolder<AtlasTextureCollection> collection;
};
} // namespace displaytest
} // namespace fw
