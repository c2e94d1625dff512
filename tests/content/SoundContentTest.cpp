#include "ContentTestSupport.h"
#include "platform/SoundTestSupport.h"

#include "content/CSoundProcessor.h"
#include "core/CPropertyContainer.h"
#include "core/CPropertyDataFactory.h"
#include "core/CPropertyDataSound.h"
#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"
#include "platform/CEventDevice.h"
#include "platform/CNullAudioDriver.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundPack.h"
#include "platform/CVirtualFile.h"

#include <gtest/gtest.h>

namespace fw
{
namespace
{
using soundtest::CScriptedSound;

// Makes a scripted sound of every file it is given and records the names and thresholds.
class CScriptedAudioDriver : public CNullAudioDriver
{
public:
	CScriptedAudioDriver() : CNullAudioDriver(nullptr) {}

	ISound* createSound(io::IReadFile* file, const ContentReference& key) override
	{
		const std::string name = core::stringc(file->getFileName()).c_str();
		made.push_back(name + "@" + std::to_string(getStreamingThreshold()));
		return new CScriptedSound(name, nullptr, key);
	}
	using CNullAudioDriver::createSound;

	std::vector<std::string> made;
};

struct SSoundContent
{
	SSoundContent() :
		files(adoptRef(createFileSystem())),
		driver(adoptRef(new CScriptedAudioDriver)),
		factory(contenttest::makeTestFactory()),
		processors(adoptRef(new CContentProcessorsManager(nullptr, driver.get(), files.get(), factory.get()))),
		manager(adoptRef(new CContentManager(nullptr, files.get(), processors.get())))
	{
		folder.write("sounds/click.wav", "click");
		folder.write("music/theme.ogg", "theme");
		folder.write("sounds/SoundPack.xml",
			"<SoundPack><SoundCue Name=\"Click\" StreamingType=\"1\"><Sound Filename=\"click.wav\"/>"
			"<Sound Filename=\"none.wav\"/></SoundCue>"
			"<SoundCue Name=\"Theme\" Loop=\"true\"><Sound Filename=\"../music/theme.ogg\"/></SoundCue></SoundPack>");
		EXPECT_TRUE(files->addFileArchive(folder.path().c_str(), false, false));
	}

	test::CTempFolder folder;
	CRefHolder<CFileSystem> files;
	CRefHolder<CScriptedAudioDriver> driver;
	CRefHolder<CNodeFactory> factory;
	CRefHolder<CContentProcessorsManager> processors;
	CRefHolder<CContentManager> manager;
};

// A sound pack names its sounds relative to itself; the processors load them through the audio
// driver, and a pack is never saved.
TEST(SoundContent, PackLoadsItsSoundsThroughTheDriver)
{
	SSoundContent s;
	const CRefHolder<CSoundPack> pack = adoptRef(
		dynamic_cast<CSoundPack*>(s.manager->getContent(CONTENT_TYPE_SOUND_PACK, "sounds/SoundPack.xml", false)));
	ASSERT_TRUE(pack);
	const std::vector<std::string> made = {"sounds/click.wav@0", "music/theme.ogg@262144"};
	EXPECT_EQ(made, s.driver->made);
	ASSERT_EQ(2u, pack->getCueCount());
	EXPECT_EQ(1u, pack->getCue(0)->getSoundCount());
	EXPECT_EQ(1u, pack->getCue(1)->getSoundCount());
	// Shared: a second request is the same pack, read once.
	const CRefHolder<CContent> again =
		adoptRef(s.manager->getContent(CONTENT_TYPE_SOUND_PACK, "sounds/SoundPack.xml", false));
	EXPECT_EQ(pack.get(), again.get());
	EXPECT_EQ(2u, s.driver->made.size());

	// Saving a pack fails and leaves no file behind.
	EXPECT_FALSE(
		s.manager->saveContent(CONTENT_TYPE_SOUND_PACK, pack.get(), (s.folder / "saved.xml").c_str(), nullptr));
	EXPECT_FALSE(s.files->existFile((s.folder / "saved.xml").c_str(), false));
	EXPECT_FALSE(s.manager->saveContent(CONTENT_TYPE_SOUND, pack->getCue(0)->getSound(0),
		(s.folder / "saved.wav").c_str(), nullptr));

	// The sound processor follows the audio driver events; the cached sounds go with a released driver.
	CSoundProcessor* processor = static_cast<CSoundProcessor*>(s.processors->getProcessor(CONTENT_TYPE_SOUND));
	ASSERT_TRUE(processor);
	EXPECT_EQ(1, processor->getPriority());
	const CRefHolder<ISound> cached =
		adoptRef(dynamic_cast<ISound*>(s.manager->getContent(CONTENT_TYPE_SOUND, "sounds/click.wav", false)));
	ASSERT_TRUE(cached) << "a copy of the cached sound";
	const s32 held = s.driver->getReferenceCount();
	const CRefHolder<CEvent> released = adoptRef<CEvent>(new CEventDeviceAudioDriverReleased);
	s.processors->routeDown(1, released.get());
	s.manager->routeDown(1, released.get());
	EXPECT_EQ(nullptr, processor->getAudioDriver());
	EXPECT_EQ(held - 1, s.driver->getReferenceCount());
	const CRefHolder<CNullAudioDriver> next = adoptRef(createNullAudioDriver(nullptr));
	s.processors->routeDown(1, adoptRef(new CEventDeviceAudioDriverCreated(next.get())).get());
	EXPECT_EQ(next.get(), processor->getAudioDriver());
	EXPECT_FALSE(s.manager->getContent(CONTENT_TYPE_SOUND, "sounds/click.wav", false))
		<< "the cached sounds went with the old driver, and the null driver makes none";
}

// A "sound" value writes its sound's name relative to the file being written and reads it back
// relative to the file being read.
TEST(SoundContent, SoundValueRoundTripsItsRelativeName)
{
	SSoundContent s;
	s.manager->pushPath("scenes/Menu.oscn");
	const CRefHolder<IPropertyData> value =
		adoptRef(CPropertyDataFactory::getInstance().create(L"sound", s.manager.get()));
	ASSERT_TRUE(value);
	EXPECT_EQ(PDT_SOUND, value->getTypeId());
	EXPECT_EQ("", std::string(value->toString().c_str()));
	value->fromString("../sounds/click.wav");
	CPropertyDataSound* sound = static_cast<CPropertyDataSound*>(value.get());
	ASSERT_TRUE(sound->getSound());
	EXPECT_EQ("sounds/click.wav", std::string(sound->getSound()->getContentReference().getName().c_str()));
	EXPECT_EQ("../sounds/click.wav", std::string(value->toString().c_str()));

	// Through a container's XML, as a scene file carries it.
	const CRefHolder<CPropertyContainer> written = adoptRef(new CPropertyContainer(s.manager.get()));
	written->add("Click", value);
	const CRefHolder<CVirtualFile> file = adoptRef(new CVirtualFile("scenes/Menu.oscn", 0));
	{
		const CRefHolder<IXMLWriter> writer = adoptRef(s.files->createXMLWriter(file.get()));
		ASSERT_TRUE(written->writeToXml(writer.get(), true, L"Properties", true));
	}
	file->seek(0);
	std::string xml;
	for (char c : test::readRest(file.get()))
		if (c)
			xml += c;
	EXPECT_NE(std::string::npos, xml.find("Value=\"../sounds/click.wav\"")) << xml;
	file->seek(0);
	const CRefHolder<CPropertyContainer> read = adoptRef(new CPropertyContainer(s.manager.get()));
	{
		const CRefHolder<IXMLReader> reader = adoptRef(s.files->createXMLReader(file.get()));
		while (reader->read() && reader->getNodeType() != XML_NODE_ELEMENT)
		{
		}
		ASSERT_TRUE(read->readFromXml(reader.get(), true, L""));
	}
	const PropertyHolder back = read->get("Click");
	ASSERT_TRUE(back && back->isOfType(PDT_SOUND));
	EXPECT_EQ("../sounds/click.wav", std::string(back->toString().c_str()));
	s.manager->popPath();
	EXPECT_EQ("sounds/click.wav", std::string(back->toString().c_str())) << "relative to the root outside the file";

	// Copies share the sound; interpolation switches at the end; an unknown name clears it.
	const CRefHolder<IPropertyData> copy = adoptRef(value->clone());
	EXPECT_TRUE(copy->equals(value.get()));
	const CRefHolder<IPropertyData> none =
		adoptRef(CPropertyDataFactory::getInstance().create(L"sound", s.manager.get()));
	const CRefHolder<IPropertyData> out = adoptRef(none->clone());
	EXPECT_FALSE(none->interpolate(value.get(), out.get(), 0.5f));
	EXPECT_TRUE(none->interpolate(value.get(), out.get(), 1.f));
	EXPECT_TRUE(out->equals(value.get()));
	copy->fromString("sounds/missing.wav");
	EXPECT_FALSE(static_cast<CPropertyDataSound*>(copy.get())->getSound());
	EXPECT_EQ("", std::string(copy->toString().c_str()));
}
} // namespace
} // namespace fw
