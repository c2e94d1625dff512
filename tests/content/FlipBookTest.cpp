#include "content/AtlasTestSupport.h"

#include "core/CPropertyDataContent.h"
#include "core/CPropertyDataFactory.h"
#include "core/CXMLReader.h"
#include "core/KeyFrame.h"

using namespace fw;
using namespace fw::atlastest;
using nodetest::CAllTypesNode;

namespace
{
// Spark_0001 to Spark_0008, Gap_0001 and Gap_0003 (no 2), a picture without a number, and names
// whose numbers no four-digit sequence serves.
class FlipBooks : public AtlasContent
{
protected:
	FlipBooks()
	{
		addImage("atlases/Frames.png", 128, 8);
		std::string xml = "<AtlasTextureCollection><a f=\"Frames.png\" />";
		for (int k = 1; k <= 8; ++k)
			xml += "<t n=\"art/Spark_000" + std::to_string(k) + ".png\" r=\"" + std::to_string(k * 8) + ",0," +
				std::to_string(k * 8 + 8) + ",8\" />";
		for (const char* name : {"art/Gap_0001.png", "art/Gap_0003.png", "art/Plain.png", "art/Other.png",
				 "art/img20240101.png", "art/img20240102.png", "art/big_9998.png", "art/big_10001.png"})
			xml += std::string("<t n=\"") + name + "\" r=\"0,0,8,8\" />";
		fileSystem->files["atlases/Frames.xml"] = xml + "</AtlasTextureCollection>";
		collection = loadCollection("atlases/Frames.xml");
		EXPECT_TRUE(collection);
	}

	CRefHolder<CPropertyDataAtlasTexture> value(const char* name)
	{
		return adoptRef(new CPropertyDataAtlasTexture(cachedAtlasTexture(name)));
	}

	static std::string nameOf(const IAtlasTextureContent* texture)
	{
		return texture ? texture->getContentReference().getName().c_str() : "(none)";
	}

	CRefHolder<AtlasTextureCollection> collection;
};

TEST_F(FlipBooks, KeyFrameItemStepsThroughEveryFrameByName)
{
	const std::string animator =
		"<Animator Type=\"KeyFrame\"><Properties><atlasTexture Name=\"Picture\" Value=\"art/Spark_0001.png\" />"
		"</Properties><KeyFrame t=\"0\" Value0=\"art/Spark_0001.png\" />"
		"<KeyFrame t=\"80\" i=\"0\" Value0=\"art/Spark_0008.png\" /></Animator>";
	const CRefHolder<CXMLReader> reader = adoptRef(new CXMLReader(imagetest::memoryFile(animator, "a.xml").get()));
	while (reader->read() && reader->getNodeType() != XML_NODE_ELEMENT)
	{
	}
	const CRefHolder<KeyFrame> item = adoptRef(new KeyFrame);
	item->loadFromXml(reader.get(), manager(), L"Animator");
	ASSERT_EQ(2u, item->getKeys().size());
	const auto* first = static_cast<const CPropertyDataAtlasTexture*>(item->getKeys()[0].values[0].get());
	ASSERT_EQ(8u, first->getFrames().size()) << "the frames are looked up once, when the keys are read";

	const CRefHolder<CAllTypesNode> node = adoptRef(new CAllTypesNode(ContentReference(), nullptr, nullptr));
	item->setTarget(node.get());
	const int opens = fileSystem->opens;
	std::vector<std::string> shown;
	for (u32 time = 0; time <= 80; time += 10)
	{
		item->seek(time, true);
		shown.push_back(nameOf(node->getPicture()));
	}
	const std::string base = "art/Spark_000";
	EXPECT_EQ((std::vector<std::string>{base + "1.png", base + "1.png", base + "2.png", base + "3.png", base + "4.png",
				  base + "5.png", base + "6.png", base + "7.png", base + "8.png"}),
		shown);
	EXPECT_EQ(opens, fileSystem->opens);
}

TEST_F(FlipBooks, BackwardsSequenceListsEveryFrame)
{
	const CRefHolder<CPropertyDataAtlasTexture> from = value("art/Spark_0005.png");
	const CRefHolder<CPropertyDataAtlasTexture> to = value("art/Spark_0002.png");
	from->prepareInterpolation(to.get());
	std::vector<std::string> frames;
	for (const auto& frame : from->getFrames())
		frames.push_back(nameOf(frame.get()));
	EXPECT_EQ((std::vector<std::string>{"art/Spark_0005.png", "art/Spark_0004.png", "art/Spark_0003.png",
				  "art/Spark_0002.png"}),
		frames);

	const CRefHolder<CPropertyDataAtlasTexture> out = adoptRef(new CPropertyDataAtlasTexture(manager()));
	EXPECT_TRUE(from->interpolate(to.get(), out.get(), 0.5f));
	EXPECT_EQ("art/Spark_0004.png", nameOf(out->getAtlasTexture())) << "(2 - 5) x 0.5 truncates to -1";
	EXPECT_FALSE(from->interpolate(to.get(), out.get(), 0.5f)) << "unchanged";
	EXPECT_TRUE(from->interpolate(to.get(), out.get(), 1.f));
	EXPECT_EQ("art/Spark_0002.png", nameOf(out->getAtlasTexture()));
	EXPECT_TRUE(from->interpolate(to.get(), out.get(), 0.f));
	EXPECT_EQ("art/Spark_0005.png", nameOf(out->getAtlasTexture()));

	// A copy carries the prepared list.
	const CRefHolder<IPropertyData> copy = adoptRef(from->clone());
	EXPECT_TRUE(copy->equals(from.get()));
	EXPECT_EQ(4u, static_cast<CPropertyDataAtlasTexture*>(copy.get())->getFrames().size());
}

TEST_F(FlipBooks, MissingFramesAndNamesWithoutSequence)
{
	struct SCase
	{
		const char* from;
		const char* to;
		f32 t;
		const char* shown;
		size_t listed;
	};
	const SCase cases[] = {
		// Frame 2 is missing: nothing is shown.
		{"art/Gap_0001.png", "art/Gap_0003.png", 0.5f, "(none)", 3},
		{"art/Gap_0001.png", "art/Gap_0003.png", 0.9f, "(none)", 3},
		// Without numbers the value is discrete.
		{"art/Plain.png", "art/Other.png", 0.99f, "art/Plain.png", 0},
		{"art/Plain.png", "art/Other.png", 1.f, "art/Other.png", 0},
		{"art/Spark_0003.png", "art/Plain.png", 0.5f, "art/Spark_0003.png", 0},
		// Numbers beyond four digits step nothing and look nothing up.
		{"art/img20240101.png", "art/img20240102.png", 0.5f, "art/img20240101.png", 0},
		{"art/big_9998.png", "art/big_10001.png", 0.7f, "art/big_9998.png", 0},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(std::string(c.from) + " to " + c.to);
		const CRefHolder<CPropertyDataAtlasTexture> from = value(c.from);
		const CRefHolder<CPropertyDataAtlasTexture> to = value(c.to);
		ASSERT_TRUE(from->getAtlasTexture() && to->getAtlasTexture());
		const int opens = fileSystem->opens;
		from->prepareInterpolation(to.get());
		EXPECT_EQ(c.listed, from->getFrames().size());
		const CRefHolder<CPropertyDataAtlasTexture> out = adoptRef(new CPropertyDataAtlasTexture(manager()));
		from->interpolate(to.get(), out.get(), c.t);
		EXPECT_EQ(c.shown, nameOf(out->getAtlasTexture()));
		if (c.listed == 0)
		{
			EXPECT_EQ(opens, fileSystem->opens);
		}
	}
}

TEST_F(FlipBooks, NamesAreWrittenRelativeToTheFileAndReadRelativeToIt)
{
	const CRefHolder<CPropertyDataAtlasTexture> picture = value("art/Spark_0001.png");
	EXPECT_STREQ("art/Spark_0001.png", picture->toString().c_str());
	manager()->pushPath("scenes/menu/Main.oscn");
	EXPECT_STREQ("../../art/Spark_0001.png", picture->toString().c_str());

	// Read while a file in art/ is being loaded: relative to that file.
	manager()->popPath();
	manager()->pushPath("art/Scene.oscn");
	const CRefHolder<IPropertyData> read =
		adoptRef(CPropertyDataFactory::getInstance().create(L"atlasTexture", manager()));
	ASSERT_TRUE(read);
	read->fromString("Spark_0002.png");
	EXPECT_EQ("art/Spark_0002.png", nameOf(static_cast<CPropertyDataAtlasTexture*>(read.get())->getAtlasTexture()));
	// The empty text keeps what the value holds; so does a value without a manager.
	read->fromString("");
	EXPECT_EQ("art/Spark_0002.png", nameOf(static_cast<CPropertyDataAtlasTexture*>(read.get())->getAtlasTexture()));
	manager()->popPath();
	const CRefHolder<CPropertyDataAtlasTexture> unowned = adoptRef(new CPropertyDataAtlasTexture());
	unowned->fromString("art/Spark_0001.png");
	EXPECT_FALSE(unowned->getAtlasTexture());
	EXPECT_STREQ("", unowned->toString().c_str());

	// A font value with an empty name holds no font.
	const CRefHolder<IPropertyData> face = adoptRef(CPropertyDataFactory::getInstance().create(L"font", manager()));
	ASSERT_TRUE(face);
	EXPECT_EQ(PDT_FONT, face->getTypeId());
	face->fromString("");
	EXPECT_FALSE(static_cast<CPropertyDataFont*>(face.get())->getFont());
	EXPECT_EQ(manager(), static_cast<CPropertyDataFont*>(face.get())->getContentManager());

	// The container's adder holds the atlas texture itself.
	const CRefHolder<CPropertyContainer> container = adoptRef(new CPropertyContainer(manager()));
	container->addAtlasTexture("Picture", cachedAtlasTexture("art/Plain.png"));
	const PropertyHolder held = container->get("Picture");
	ASSERT_TRUE(held && held->getTypeId() == PDT_ATLAS_TEXTURE);
	EXPECT_EQ(cachedAtlasTexture("art/Plain.png"),
		static_cast<CPropertyDataAtlasTexture*>(held.get())->getAtlasTexture());
	EXPECT_EQ(manager(), static_cast<CPropertyDataAtlasTexture*>(held.get())->getContentManager());
}
} // namespace
