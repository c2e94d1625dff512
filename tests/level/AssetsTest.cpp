// The game's own data in assets/: every XML file is readable as the reader decodes it, and every
// configuration loads whole, with every kind recognised and every name it uses defined.
#include "LevelTestSupport.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GComicsConfiguration.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/GLevelPaths.h"
#include "level/data/GLevelScores.h"
#include "level/data/GParticleDescription.h"
#include "level/data/GUpgradesConfiguration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
const fs::path kAssets(QB_ASSETS_DIR);

std::string readBytes(const fs::path& path)
{
	std::ifstream in(path, std::ios::binary);
	EXPECT_TRUE(in.good()) << path;
	return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

fw::CRefHolder<fw::IXMLReader> readerOverFile(const fs::path& relative)
{
	return leveltest::readerOver(readBytes(kAssets / relative));
}

bool hasByteOrderMark(const std::string& bytes)
{
	return bytes.rfind("\xEF\xBB\xBF", 0) == 0 || bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0;
}

std::vector<fs::path> xmlFiles()
{
	std::vector<fs::path> files;
	for (const auto& entry : fs::recursive_directory_iterator(kAssets))
	{
		const std::string extension = entry.path().extension().string();
		if (entry.is_regular_file() && (extension == ".xml" || extension == ".oscn"))
			files.push_back(entry.path());
	}
	std::sort(files.begin(), files.end());
	return files;
}

std::string nameOf(fw::s32 nameId)
{
	return fw::CNameTableSingleton::Instance().lookup(nameId).c_str();
}

TEST(Assets, XmlFilesBeyondAsciiStartWithAByteOrderMark)
{
	const std::vector<fs::path> files = xmlFiles();
	ASSERT_FALSE(files.empty());
	for (const fs::path& file : files)
	{
		const std::string bytes = readBytes(file);
		const bool ascii =
			std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
		EXPECT_TRUE(ascii || hasByteOrderMark(bytes)) << fs::relative(file, kAssets) << " holds text beyond ASCII";
	}
}

// The Type attribute of every element of that name in every XML file.
std::map<std::string, std::set<std::wstring>> typesByElement()
{
	std::map<std::string, std::set<std::wstring>> types;
	for (const fs::path& file : xmlFiles())
	{
		fw::CRefHolder<fw::IXMLReader> reader = leveltest::readerOver(readBytes(file));
		while (reader->read())
			if (reader->getNodeType() == fw::XML_NODE_ELEMENT)
			{
				const fw::core::stringc element(reader->getNodeName());
				const fw::core::stringw& type = reader->getAttributeValue(L"Type");
				types[element.c_str()].insert(std::wstring(type.c_str(), type.size()));
			}
	}
	return types;
}

TEST(Assets, EveryKindIsRecognisedAndEveryObjectiveAndEventKindIsUsed)
{
	auto types = typesByElement();
	for (const std::wstring& type : types["Modifier"])
	{
		GLevelModifier* modifier = createLevelModifier(type.c_str());
		EXPECT_NE(nullptr, modifier) << fw::core::stringc(type.c_str()).c_str();
		if (modifier)
			modifier->drop();
	}
	for (const std::wstring& type : types["Objective"])
		EXPECT_NE(nullptr, std::unique_ptr<GLevelObjective>(createLevelObjective(type.c_str())))
			<< fw::core::stringc(type.c_str()).c_str();
	for (const std::wstring& type : types["Event"])
	{
		GRandomEvent* event = createRandomEvent(type.c_str());
		EXPECT_NE(nullptr, event) << fw::core::stringc(type.c_str()).c_str();
		if (event)
			event->drop();
	}
	EXPECT_EQ((std::set<std::wstring>{L"BoostIncome", L"BoostServeArea"}), types["Feature"]);
	EXPECT_EQ(8u, types["Objective"].size());
	EXPECT_EQ(11u, types["Event"].size());
}

// The class of each template of a template collection file, by the template's name.
std::map<std::string, std::string> templateClasses(const fs::path& relative)
{
	std::map<std::string, std::string> classes;
	fw::CRefHolder<fw::IXMLReader> reader = readerOverFile(relative);
	int depth = 0;
	std::string type;
	while (reader->read())
	{
		if (reader->getNodeType() == fw::XML_NODE_ELEMENT_END)
			--depth;
		if (reader->getNodeType() != fw::XML_NODE_ELEMENT)
			continue;
		const std::string element = fw::core::stringc(reader->getNodeName()).c_str();
		if (depth == 1 && element == "SceneNode")
			type = fw::core::stringc(reader->getAttributeValue(L"Type")).c_str();
		// The template's own Name, in its Properties.
		if (depth == 3 && element == "string" && reader->getAttributeValue(L"Name") == L"Name")
			classes[fw::core::stringc(reader->getAttributeValue(L"Value")).c_str()] = type;
		if (!reader->isEmptyElement())
			++depth;
	}
	return classes;
}

class AssetsConfiguration : public testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(buildings.load(readerOverFile("levels/common/BuildingsConfiguration.xml").get()));
		ASSERT_TRUE(upgrades.load(readerOverFile("levels/common/UpgradesConfiguration.xml").get()));
		ASSERT_TRUE(scores.load(readerOverFile("levels/common/LevelScores.xml").get()));
		ASSERT_TRUE(comics.load(readerOverFile("scenes/ComicsConfiguration.xml").get()));
		for (const auto& entry : fs::directory_iterator(kAssets / "levels"))
			if (entry.is_directory() && entry.path().filename() != "common")
				levelFolders.insert(entry.path().filename().string());
	}

	void expectBuildingType(fw::s32 nameId, const std::string& where) const
	{
		EXPECT_NE(nullptr, buildings.getBuilding(nameId))
			<< where << " names the unknown building type \"" << nameOf(nameId) << "\"";
	}

	void expectBuildingTypes(const fw::core::array<fw::s32>& nameIds, const std::string& where) const
	{
		for (fw::u32 i = 0; i < nameIds.size(); ++i)
			expectBuildingType(nameIds[i], where);
	}

	GBuildingsConfiguration buildings;
	GUpgradesConfiguration upgrades;
	GLevelScores scores;
	GComicsConfiguration comics;
	std::set<std::string> levelFolders;
};

TEST_F(AssetsConfiguration, BuildingTypesAndUpgradesNameOnlyWhatExists)
{
	std::set<fw::s32> kinds;
	for (const auto& entry : buildings.getBuildings())
	{
		const GBuildingConfiguration& b = *entry.second;
		EXPECT_NE(-1, b.Name);
		if (b.NextLevelName != -1)
		{
			expectBuildingType(b.NextLevelName, nameOf(b.Name));
			EXPECT_EQ(b.Level + 1, buildings.getBuilding(b.NextLevelName)->Level) << nameOf(b.Name);
		}
		kinds.insert(b.Type);
	}
	EXPECT_NE(nullptr, buildings.getBuilding(leveltest::id("BuildingPlace")));
	EXPECT_TRUE(kinds.count(3) && kinds.count(7));

	bool free = false;
	bool paid = false;
	for (const auto& entry : upgrades.getUpgrades())
	{
		const GUpgrade& upgrade = *entry.second;
		const std::string where = "upgrade " + nameOf(upgrade.Name);
		EXPECT_NE(-1, upgrade.Name);
		(upgrade.Price == 0 ? free : paid) = true;
		expectBuildingTypes(upgrade.AllowedBuildings, where);
		for (fw::u32 i = 0; i < upgrade.AllowedFeatures.size(); ++i)
		{
			const GBuildingConfiguration* type = buildings.getBuilding(upgrade.AllowedFeatures[i].building);
			ASSERT_NE(nullptr, type) << where;
			// Feature 0 needs no upgrade.
			EXPECT_GE(upgrade.AllowedFeatures[i].featureIndex, 1) << where;
			EXPECT_LT(upgrade.AllowedFeatures[i].featureIndex, fw::s32(type->ActiveFeatures.size())) << where;
		}
	}
	EXPECT_TRUE(free && paid);
}

TEST_F(AssetsConfiguration, LevelsLoadWholeAndNameOnlyWhatExists)
{
	ASSERT_GE(levelFolders.size(), 2u);
	std::map<std::string, std::string> levelTemplates = templateClasses("levels/common/TemplateCollection.oscn");
	for (const char* cloud : {"Cloud1", "Cloud2", "Cloud3"})
		EXPECT_EQ("GPathMovableNode", levelTemplates[cloud]) << cloud;
	bool snowy = false;
	std::set<fw::s32> levelNumbers;
	for (const std::string& folder : levelFolders)
	{
		SCOPED_TRACE(folder);
		fw::CRefHolder<GLevelConfiguration> level = fw::adoptRef(new GLevelConfiguration);
		ASSERT_TRUE(level->read(readerOverFile("levels/" + folder + "/LevelConfiguration.xml").get()));
		fw::CRefHolder<GLevelPaths> paths = fw::adoptRef(new GLevelPaths);
		ASSERT_TRUE(paths->load(readerOverFile("levels/" + folder + "/LevelPaths.xml").get()));

		// The folder is the scores key: "level" followed by the level's name.
		const std::string key = "level" + leveltest::narrow(level->getName());
		EXPECT_EQ(folder, key);
		EXPECT_TRUE(scores.hasScore(key.c_str()));
		levelNumbers.insert(level->getLevelNumber());
		snowy = snowy || level->getSettingIndex() == 4;
		for (fw::u32 i = 0; i < level->getUnlockLevels().size(); ++i)
			EXPECT_TRUE(levelFolders.count(level->getUnlockLevels()[i].c_str())) << level->getUnlockLevels()[i].c_str();

		const fw::core::array<fw::s32> groups = paths->getGroupIds();
		const std::set<fw::s32> places(groups.const_pointer(), groups.const_pointer() + groups.size());
		EXPECT_TRUE(places.count(leveltest::id("NeutralCar")));
		// The street traffic's cars are car templates of the levels' collection.
		const fw::core::array<GLevelPath*> neutral = paths->getPaths(leveltest::id("NeutralCar"));
		for (fw::u32 i = 0; i < neutral.size(); ++i)
			for (fw::u32 k = 0; k < neutral[i]->cars.size(); ++k)
				EXPECT_EQ("GCarNode", levelTemplates[nameOf(neutral[i]->cars[k])]) << nameOf(neutral[i]->cars[k]);
		EXPECT_FALSE(paths->getPedestrianPaths().empty());
		auto expectPlaces = [&](const fw::core::array<fw::s32>& names, const std::string& where)
		{
			for (fw::u32 i = 0; i < names.size(); ++i)
				EXPECT_TRUE(places.count(names[i]))
					<< where << " names the unknown place \"" << nameOf(names[i]) << "\"";
		};

		expectBuildingTypes(level->getAvailableBuildings(), "AvailableBuildingsForBuild");
		expectBuildingTypes(level->getStationIncomeBonus1BuildingTypes(), "StationIncomeBonus1BuildingTypes");
		expectBuildingTypes(level->getStationIncomeBonus2BuildingTypes(), "StationIncomeBonus2BuildingTypes");
		expectPlaces(level->getPyramidIncomeBonusPlaces(), "PyramidIncomeBonusPlaces");

		GLevelObjectiveList* objectives = level->getObjectives();
		EXPECT_GT(objectives->size(), 0u);
		for (fw::u32 i = 0; i < objectives->size(); ++i)
		{
			auto* objective = dynamic_cast<GLevelObjectiveBase*>(objectives->get(i));
			ASSERT_NE(nullptr, objective);
			expectBuildingTypes(objective->BuildingTypes, "an objective");
			expectPlaces(objective->PlaceNames, "an objective");
			if (auto* features = dynamic_cast<GHaveConcurrentFeaturesObjective*>(objective))
				for (fw::u32 f = 0; f < features->FeatureIndices.size(); ++f)
				{
					const GBuildingConfiguration* type = buildings.getBuilding(features->BuildingTypes[f]);
					ASSERT_NE(nullptr, type);
					EXPECT_LT(features->FeatureIndices[f], fw::s32(type->ActiveFeatures.size()));
				}
		}

		GRandomEventList* events = level->getRandomEvents();
		EXPECT_GT(events->size(), 0u);
		for (fw::u32 i = 0; i < events->size(); ++i)
		{
			if (auto* once = dynamic_cast<GOneTimeEvent*>(events->get(i)))
			{
				expectBuildingTypes(once->BuildingTypes, "an event");
				expectPlaces(once->PlaceNames, "an event");
				EXPECT_LE(once->TimeRange.min, once->TimeRange.max);
			}
			else if (auto* regular = dynamic_cast<GRegularEvent*>(events->get(i)))
			{
				expectBuildingTypes(regular->BuildingTypes, "an event");
				expectPlaces(regular->PlaceNames, "an event");
				EXPECT_LE(regular->PeriodRange.min, regular->PeriodRange.max);
				EXPECT_GT(regular->PeriodRange.min, 0);
			}
		}
	}
	EXPECT_TRUE(snowy);
	for (const auto& entry : comics.getEntries())
		EXPECT_TRUE(levelNumbers.count(entry.first)) << "comics after the unknown level " << entry.first;
	for (const auto& entry : scores.getScores())
		EXPECT_TRUE(levelFolders.count(entry.first.c_str())) << "scores of the unknown level " << entry.first.c_str();
}
} // namespace

namespace
{
// The weather descriptions the level loads by name, and the drawings its particles show.
TEST(Assets, WeatherDescriptionsDescribeFallingParticles)
{
	for (const char* name : {"levels/common/Effects/Rain.xml", "levels/common/Effects/Snow.xml"})
	{
		SCOPED_TRACE(name);
		GWeatherParticlesDescription description;
		description.PPS = -1;
		description.read(readerOverFile(name).get());
		EXPECT_GT(description.PPS, 0);
		EXPECT_GT(description.ParticleLifetimeRange.X, 0.f);
		EXPECT_LE(description.ParticleLifetimeRange.X, description.ParticleLifetimeRange.Y);
		EXPECT_GT(description.ParticleVelRange.X, 0.f);
		// Drops start above the screen's top edge and head below its bottom edge.
		EXPECT_LE(description.EmitRectangleYSize.X, 0.f);
		EXPECT_GT(description.CenterPoint.Y, 768.f);
		EXPECT_FALSE(description.ColorA.empty());
		EXPECT_TRUE(fs::is_regular_file(kAssets / "images/particles" / (fs::path(name).stem().string() + ".svg")));
	}
}
} // namespace
