#include "sound/SoundDeviceSupport.h"

#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "core/CNameTable.h"
#include "core/CNodeFactory.h"
#include "core/IXMLReader.h"
#include "platform/CEncryptedArchiveWriter.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundPack.h"
#include "platform/CStreamedSound.h"
#include "platform/CWriteFile.h"

#include <gtest/gtest.h>

#include <map>

namespace fw
{
namespace
{
const bool nullBackend = [] { return setenv("ALSOFT_DRIVERS", "null", 1) == 0; }();

// The Sound elements of each cue, as the pack file writes them.
std::map<std::string, u32> soundsPerCue(CFileSystem* files, const std::string& pack)
{
	std::map<std::string, u32> cues;
	const CRefHolder<IXMLReader> reader = adoptRef(files->createXMLReader(pack.c_str()));
	EXPECT_TRUE(reader);
	std::string cue;
	while (reader && reader->read())
	{
		if (reader->getNodeType() != XML_NODE_ELEMENT)
			continue;
		if (reader->getNodeName() == L"SoundCue")
			cues[cue = core::stringc(reader->getAttributeValue(L"Name")).c_str()] = 0;
		else if (reader->getNodeName() == L"Sound")
			++cues[cue];
	}
	return cues;
}

// Every cue of the front end's sound pack finds every one of its synthesized sounds, in the staged
// asset folder and in an archive packed from it.
TEST(StagedSounds, EveryCueFindsItsSounds)
{
	ASSERT_TRUE(nullBackend);
	const std::string staged = QB_STAGED_ASSETS_DIR;
	const CRefHolder<CFileSystem> probe = adoptRef(createFileSystem());
	const std::map<std::string, u32> expected = soundsPerCue(probe.get(), staged + "/sounds/SoundPack.xml");
	const char* const names[] = {"ButtonClick", "ButtonOver", "MenuMusic", "MainMenuAmbient", "MainMenuCarOut",
		"MainMenuCarTo", "SoundVolumeChange", "AchievementUnlocked", "GameCar"};
	for (const char* name : names)
		EXPECT_TRUE(expected.count(name)) << name;

	test::CTempFolder scratch;
	const std::string archive = scratch / "assets.oca";
	{
		const CRefHolder<CWriteFile> out = adoptRef(CWriteFile::open(archive.c_str(), false));
		ASSERT_TRUE(out);
		ASSERT_TRUE(packFolderToEncryptedArchive(staged.c_str(), "", out.get(), nullptr) && out->flush());
	}

	for (const std::string& mount : {staged, archive})
	{
		SCOPED_TRACE(mount);
		const CRefHolder<CFileSystem> files = adoptRef(createFileSystem());
		ASSERT_TRUE(files->addFileArchive(mount.c_str(), false, false));
		const CRefHolder<COpenALAudioDriver> driver = adoptRef(createOpenALAudioDriver(files.get()));
		ASSERT_TRUE(driver);
		driver->setStreamingThreshold(131072);
		const CRefHolder<CContentProcessorsManager> processors = adoptRef(
			new CContentProcessorsManager(nullptr, driver.get(), files.get(), &CNodeFactorySingleton::Instance()));
		const CRefHolder<CContentManager> content =
			adoptRef(new CContentManager(nullptr, files.get(), processors.get()));
		const CRefHolder<CSoundPack> pack = adoptRef(
			dynamic_cast<CSoundPack*>(content->getContent(CONTENT_TYPE_SOUND_PACK, "sounds/SoundPack.xml", false)));
		ASSERT_TRUE(pack);
		ASSERT_EQ(expected.size(), pack->getCueCount());
		for (u32 i = 0; i < pack->getCueCount(); ++i)
		{
			const CSoundCue* cue = pack->getCue(i);
			const std::string name = CNameTableSingleton::Instance().lookup(cue->getNameId()).c_str();
			EXPECT_EQ(expected.at(name), cue->getSoundCount()) << name;
		}
		// The music streams; StreamingType 1 streams the ambience, 2 keeps the tick whole.
		const auto cue = [&](const char* name)
		{
			for (u32 i = 0; i < pack->getCueCount(); ++i)
				if (pack->getCue(i)->getNameId() == CNameTableSingleton::Instance().intern(name))
					return pack->getCue(i);
			return static_cast<CSoundCue*>(nullptr);
		};
		ASSERT_TRUE(cue("MenuMusic") && cue("MenuMusic")->getSoundCount() == 1);
		EXPECT_TRUE(dynamic_cast<CStreamedSound*>(cue("MenuMusic")->getSound(0)));
		EXPECT_GT(static_cast<CStreamedSound*>(cue("MenuMusic")->getSound(0))->getDecoder()->getDecodedSize(),
			131072u * 4);
		EXPECT_TRUE(dynamic_cast<CStreamedSound*>(cue("MainMenuAmbient")->getSound(0)));
		EXPECT_FALSE(dynamic_cast<CStreamedSound*>(cue("SoundVolumeChange")->getSound(0)));
		EXPECT_EQ(131072u, driver->getStreamingThreshold());
	}
}
} // namespace
} // namespace fw
