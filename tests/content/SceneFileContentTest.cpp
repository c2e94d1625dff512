#include "ContentTestSupport.h"
#include "video/VideoTestSupport.h"

#include "../../game/app/AssetKey.h"

#include "content/CSceneNodeProcessor.h"
#include "content/ContentServices.h"
#include "core/CPropertyContainer.h"
#include "core/PropertyAccessors.h"
#include "core/SceneNode.h"
#include "platform/CDeviceLinux.h"
#include "platform/CEncryptedArchiveWriter.h"
#include "platform/IFileArchive.h"

#include <unistd.h>

#include <set>

using namespace fw;
using namespace fw::contenttest;
using nodetest::CAllTypesNode;
using nodetest::CSpriteNode;

namespace
{
// The class and name of every node, children in brackets.
std::string describe(const BaseNode* node)
{
	std::string text = core::stringc(node->getTypeName()).c_str() + std::string(" ") + node->getName().c_str();
	const core::array<BaseNode*>& children = node->getChildren();
	if (children.empty())
		return text;
	text += "[";
	for (u32 i = 0; i < children.size(); ++i)
		text += (i ? " " : "") + describe(children[i]);
	return text + "]";
}

const char* const MAIN_TREE = "SceneNode Main[AllTypesNode Everything[TestSpriteNode Icon] "
							  "AllTypesNode Panel[TestSpriteNode Button BaseNode Back] TestSpriteNode Marker "
							  "AllTypesNode Panel[TestSpriteNode Button BaseNode Back] ControlNode Play]";

void collectNodes(const BaseNode* node, std::set<const BaseNode*>& nodes)
{
	nodes.insert(node);
	for (u32 i = 0; i < node->getChildren().size(); ++i)
		collectNodes(node->getChildren()[i], nodes);
}

CPropertyContainer* deeperOf(const CAllTypesNode* node)
{
	return node && node->getExtra() ? SPropertyValue<CPropertyContainer*>::get(node->getExtra()->get("Deeper"))
									: nullptr;
}

std::string currentFolder()
{
	char buffer[4096];
	return getcwd(buffer, sizeof(buffer)) ? buffer : "";
}

// Runs the test in an empty working folder, so that every name is served by the mounted archive
// and none by the disk.
class CEmptyWorkingFolder
{
public:
	CEmptyWorkingFolder() : m_previous(currentFolder()) { EXPECT_EQ(0, chdir(m_folder.path().c_str())); }
	~CEmptyWorkingFolder() { EXPECT_EQ(0, chdir(m_previous.c_str())); }

	const test::CTempFolder& folder() const { return m_folder; }

private:
	test::CTempFolder m_folder;
	std::string m_previous;
};

enum class ESource
{
	Folder,
	Archive
};

// The content manager over the fixture assets, mounted as a folder or packed into an encrypted
// archive with the game's key.
class SceneFiles : public ::testing::TestWithParam<ESource>
{
protected:
	SceneFiles() :
		m_fileSystem(adoptRef(createFileSystem())), m_driver(makeDriver()), m_setup(m_fileSystem.get(), m_driver.get())
	{
		const CRefHolder<CPropertyContainer> settings = adoptRef(new CPropertyContainer(nullptr));
		settings->setString("AssetsCryptKey", GAME_ASSET_KEY);
		m_fileSystem->setSettings(settings.get());
		if (GetParam() == ESource::Folder)
		{
			IFileArchive* folder = m_fileSystem->addFileArchive(assetFolder().c_str(), false, false);
			EXPECT_TRUE(folder && folder->getArchiveType() == "mount");
		}
		else
		{
			const CRefHolder<CVirtualFile> packed = adoptRef(new CVirtualFile("assets.oca", 0));
			u32 count = 0;
			EXPECT_TRUE(packFolderToEncryptedArchive(assetFolder().c_str(), GAME_ASSET_KEY, packed.get(), &count));
			EXPECT_EQ(8u, count);
			packed->seek(0);
			IFileArchive* archive = m_fileSystem->addFileArchive(packed.get(), false, false);
			EXPECT_TRUE(archive && archive->getArchiveType() == "oca");
		}
	}

	CContentManager* manager() { return m_setup.manager.get(); }

	// Saves the node through the content manager under an asset name, into the working folder,
	// and answers the file's bytes. Names of content are written relative to that name.
	std::string saveAndRead(BaseNode* node, const std::string& assetName)
	{
		const std::string path = m_working.folder().write(assetName, "");
		EXPECT_TRUE(manager()->saveContent(CONTENT_TYPE_SCENE_NODE, node, assetName.c_str(), nullptr));
		return test::readDiskFile(path);
	}

	// The pictures and fonts that node values name need textures.
	static CRefHolder<test::CRecordingVideoDriver> makeDriver()
	{
		CRefHolder<test::CRecordingVideoDriver> driver = test::makeRecordingDriver();
		driver->makeTextures = true;
		return driver;
	}

	CEmptyWorkingFolder m_working;
	CRefHolder<CFileSystem> m_fileSystem;
	CRefHolder<test::CRecordingVideoDriver> m_driver;
	SContentSetup m_setup;
};

TEST_P(SceneFiles, FixtureLoadsWithItsIncludes)
{
	SLogCapture log;
	const CRefHolder<BaseNode> main = requestScene(manager(), "scenes/Main.oscn");
	ASSERT_TRUE(main) << log.all();
	EXPECT_EQ(MAIN_TREE, describe(main.get()));
	EXPECT_EQ(1u, manager()->getPathStackSize());

	// One value of every registered type arrived.
	EXPECT_EQ(core::vector3df(10.f, 20.f, 0.f), main->getPosition());
	EXPECT_EQ(core::vector3df(0.f, 0.f, 30.f), main->getRotation());
	EXPECT_EQ(core::vector3df(2.f, 2.f, 1.f), main->getScale());
	EXPECT_EQ(core::vector3df(800.f, 600.f, 0.f), main->getBounds());
	EXPECT_EQ(core::vector2df(400.f, 300.f), main->getPivotPoint());
	EXPECT_EQ(0x80ff4020u, main->getTintColor().color);
	EXPECT_FALSE(main->getCanBeHit());
	const CAllTypesNode* everything = nodeCast<CAllTypesNode>(main->getChildren()[0]);
	ASSERT_TRUE(everything);
	EXPECT_TRUE(everything->getChildrenClipped());
	EXPECT_EQ(-42, everything->getCount());
	EXPECT_FLOAT_EQ(-3.75f, everything->getSpeed());
	EXPECT_FLOAT_EQ(0.75f, everything->getGlow().b);
	EXPECT_EQ(core::rect<f32>(0.f, -8.f, 32.f, 16.f), everything->getArea());
	EXPECT_STREQ("a&b<c>d\"e'f", everything->getTag().c_str());
	EXPECT_EQ(core::stringw(L"Caf\u00e9 \u20ac5"), everything->getCaption());
	ASSERT_EQ(3u, everything->getLines().size());
	EXPECT_EQ(core::stringw(L"third & last"), everything->getLines()[2]);
	ASSERT_TRUE(everything->getExtra());
	EXPECT_EQ(3, everything->getExtra()->getInt("Level"));
	// Content values resolve relative to the file that names them.
	ASSERT_TRUE(everything->getPicture());
	EXPECT_STREQ("scenes/images/Badge_0001.png", everything->getPicture()->getContentReference().getName().c_str());
	EXPECT_EQ(1, everything->getPicture()->getFrameNumber());
	ASSERT_TRUE(everything->getFace());
	EXPECT_STREQ("scenes/fonts/Tiny.ofnt", everything->getFace()->getContentReference().getName().c_str());
	ASSERT_TRUE(deeperOf(everything));
	EXPECT_GE(deeperOf(everything)->indexOf("On"), 0);
	const CAllTypesNode* panel = nodeCast<CAllTypesNode>(main->getChildren()[1]);
	ASSERT_TRUE(panel);
	EXPECT_EQ(3, panel->getCount());
	EXPECT_EQ(everything->getPicture(), panel->getPicture()) << "named from scenes/parts/ as ../images/";
	const CSpriteNode* button = nodeCast<CSpriteNode>(panel->getChildren()[0]);
	ASSERT_TRUE(button);
	EXPECT_EQ(3, button->getKey());
	EXPECT_EQ(core::vector3df(40.f, 20.f, 0.f), panel->getChildren()[1]->getBounds());
	const SceneNode* scene = nodeCast<SceneNode>(main.get());
	ASSERT_TRUE(scene);
	EXPECT_EQ(CNameTableSingleton::Instance().intern("Play"), scene->getDefaultFocusObjectName());
	const ControlNode* play = nodeCast<ControlNode>(main->getChildren()[4]);
	ASSERT_TRUE(play);
	EXPECT_EQ(CNameTableSingleton::Instance().intern("Panel"), play->getNavDownObjectName());
	EXPECT_EQ(CNameTableSingleton::Instance().intern("Button"), play->getTemplateName());
	EXPECT_FALSE(play->isEnabled());
	EXPECT_FALSE(play->getWantFocus());
	EXPECT_TRUE(play->getIsFocusOnHover());
	EXPECT_FALSE(play->getHoverTrack());

	// Each file read once; the panel named twice is copied from its prototype.
	for (const char* name :
		{"scenes/Main.oscn", "scenes/parts/Panel.oscn", "scenes/parts/Button.oscn", "scenes/common/Back.oscn"})
		EXPECT_EQ(1u, log.countContaining(std::string("Loaded scene node | ") + name)) << name << "\n" << log.all();
	for (const auto& line : log.lines)
		EXPECT_EQ(LOG_INFORMATION, line.level) << line.text;
}

TEST_P(SceneFiles, SavesBackByteIdentical)
{
	// "File" children are written out in place: the file with includes saves as its expansion.
	const CRefHolder<BaseNode> main = requestScene(manager(), "scenes/Main.oscn");
	ASSERT_TRUE(main);
	const std::string expanded = fixtureText("scenes/MainExpanded.oscn");
	ASSERT_FALSE(expanded.empty());
	EXPECT_TRUE(saveAndRead(main.get(), "scenes/Saved.oscn") == expanded);

	// Files without includes come back byte for byte.
	for (const char* name : {"scenes/MainExpanded.oscn", "scenes/parts/Button.oscn", "scenes/common/Back.oscn"})
	{
		SCOPED_TRACE(name);
		const CRefHolder<BaseNode> node = requestScene(manager(), name);
		ASSERT_TRUE(node);
		const std::string original = fixtureText(name);
		ASSERT_FALSE(original.empty());
		// Beside the original, so that relative names come out the same.
		const std::string folder = std::string(name).substr(0, std::string(name).rfind('/') + 1);
		const std::string saved = saveAndRead(node.get(), folder + "Saved.oscn");
		EXPECT_TRUE(saved == original) << nodetest::narrowText(std::vector<u8>(saved.begin(), saved.end()));
	}
	EXPECT_EQ(1u, manager()->getPathStackSize());
}

INSTANTIATE_TEST_SUITE_P(FromMountedFolderAndArchive, SceneFiles, ::testing::Values(ESource::Folder, ESource::Archive),
	[](const ::testing::TestParamInfo<ESource>& info)
	{ return info.param == ESource::Folder ? std::string("Folder") : std::string("EncryptedArchive"); });

class ScenePrototypes : public SceneFiles
{
};

TEST_P(ScenePrototypes, EveryRequestReceivesAFreshCloneOfOnePrototype)
{
	SLogCapture log;
	const CRefHolder<BaseNode> first = requestScene(manager(), "scenes/Main.oscn");
	const CRefHolder<BaseNode> second = requestScene(manager(), "scenes/Main.oscn");
	ASSERT_TRUE(first && second);
	EXPECT_EQ(1u, log.countContaining("Loaded scene node | scenes/Main.oscn"));
	EXPECT_EQ(1u, log.countContaining("Loaded scene node | scenes/parts/Panel.oscn"));

	const BaseNode* prototype = dynamic_cast<BaseNode*>(
		manager()->findContent(CONTENT_TYPE_SCENE_NODE, ContentReference(manager(), "scenes/Main.oscn")));
	ASSERT_TRUE(prototype);
	EXPECT_EQ(1, prototype->getReferenceCount()) << "only the cache holds the prototype";
	EXPECT_EQ(0u, prototype->getContentFlags());
	EXPECT_EQ(MAIN_TREE, describe(prototype));
	for (const BaseNode* copy : {first.get(), second.get()})
	{
		EXPECT_EQ(1, copy->getReferenceCount());
		EXPECT_EQ(nullptr, copy->getParent());
		EXPECT_EQ(manager(), copy->getContentManager());
		EXPECT_STREQ("scenes/Main.oscn", copy->getContentReference().getName().c_str());
	}
	// The included files are cached too, under the names they resolve to.
	EXPECT_TRUE(
		manager()->findContent(CONTENT_TYPE_SCENE_NODE, ContentReference(manager(), "scenes/parts/Panel.oscn")));
	EXPECT_TRUE(
		manager()->findContent(CONTENT_TYPE_SCENE_NODE, ContentReference(manager(), "scenes/common/Back.oscn")));
}

TEST_P(ScenePrototypes, CloneSharesNoMutableStateWithItsPrototype)
{
	const CRefHolder<BaseNode> changed = requestScene(manager(), "scenes/Main.oscn");
	const CRefHolder<BaseNode> untouched = requestScene(manager(), "scenes/Main.oscn");
	ASSERT_TRUE(changed && untouched);
	const BaseNode* prototype = dynamic_cast<BaseNode*>(
		manager()->findContent(CONTENT_TYPE_SCENE_NODE, ContentReference(manager(), "scenes/Main.oscn")));
	ASSERT_TRUE(prototype);
	const std::string before = nodetest::savedText(prototype);

	std::set<const BaseNode*> prototypeNodes, changedNodes, untouchedNodes;
	collectNodes(prototype, prototypeNodes);
	collectNodes(changed.get(), changedNodes);
	collectNodes(untouched.get(), untouchedNodes);
	EXPECT_EQ(prototypeNodes.size(), changedNodes.size());
	for (const BaseNode* node : changedNodes)
	{
		EXPECT_EQ(0u, prototypeNodes.count(node));
		EXPECT_EQ(0u, untouchedNodes.count(node));
	}

	CAllTypesNode* everything = nodeCast<CAllTypesNode>(changed->getChildren()[0]);
	const CAllTypesNode* prototypeEverything = nodeCast<CAllTypesNode>(prototype->getChildren()[0]);
	ASSERT_TRUE(everything && prototypeEverything);
	EXPECT_NE(prototypeEverything->getExtra(), everything->getExtra());
	ASSERT_TRUE(deeperOf(everything));
	EXPECT_NE(deeperOf(prototypeEverything), deeperOf(everything));

	// Change everything that can be changed in one copy.
	changed->setName("Changed");
	changed->setPosition(core::vector3df(1.f, 2.f, 3.f));
	changed->setTintColor(video::SColor(0xFF000000));
	everything->setCount(7);
	everything->setCaption(L"other");
	core::array<core::stringw> lines = everything->getLines();
	lines.push_back(L"added");
	everything->setLines(lines);
	everything->getExtra()->setInt("Level", 99);
	deeperOf(everything)->setBool("On", true);
	everything->getChildren()[0]->setName("Renamed");
	changed->getChildren()[1]->removeAllChildren();
	changed->removeChild(changed->getChildren()[2]);
	const CRefHolder<BaseNode> extra = adoptRef(new BaseNode(ContentReference(), changed.get(), nullptr));

	EXPECT_EQ(before, nodetest::savedText(prototype));
	EXPECT_EQ(before, nodetest::savedText(untouched.get()));

	// Nor does a copy depend on its prototype staying alive.
	manager()->clear();
	EXPECT_EQ(before, nodetest::savedText(untouched.get()));
}

INSTANTIATE_TEST_SUITE_P(FromMountedFolder, ScenePrototypes, ::testing::Values(ESource::Folder));

// Scene files that are not what they should be, read through the content manager.
TEST(SceneFileContent, BrokenAndSelfIncludingFilesLoadWhatTheyCan)
{
	const CRefHolder<CMemoryFileSystem> fileSystem = adoptRef(new CMemoryFileSystem);
	fileSystem->files["empty.oscn"] = "";
	fileSystem->files["text.oscn"] = "not a scene at all";
	fileSystem->files["unknown.oscn"] = "<SceneNode Type=\"NoSuchNode\"><SceneNode Type=\"BaseNode\" /></SceneNode>";
	fileSystem->files["scenes/Self.oscn"] =
		"<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Self\" /></Properties>"
		"<SceneNode File=\"./Self.oscn\" /><SceneNode File=\"Missing.oscn\" />"
		"<SceneNode Type=\"TestSpriteNode\"><Properties><string Name=\"Name\" Value=\"After\" /></Properties>"
		"</SceneNode></SceneNode>";
	fileSystem->files["scenes/A.oscn"] =
		"<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"A\" /></Properties>"
		"<SceneNode File=\"b/B.oscn\" /></SceneNode>";
	fileSystem->files["scenes/b/B.oscn"] =
		"<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"B\" /></Properties>"
		"<SceneNode File=\"../A.oscn\" /></SceneNode>";
	SContentSetup setup(fileSystem.get());
	CContentManager* manager = setup.manager.get();

	for (const char* name : {"empty.oscn", "text.oscn", "unknown.oscn"})
	{
		SCOPED_TRACE(name);
		SLogCapture log;
		EXPECT_FALSE(requestScene(manager, name));
		EXPECT_EQ(nullptr, manager->findContent(CONTENT_TYPE_SCENE_NODE, ContentReference(manager, name)));
		EXPECT_EQ(1u, log.countContaining("Loaded scene node"));
		EXPECT_EQ(1u, manager->getPathStackSize());
	}

	SLogCapture log;
	const CRefHolder<BaseNode> self = requestScene(manager, "scenes/Self.oscn");
	ASSERT_TRUE(self) << log.all();
	EXPECT_EQ("BaseNode Self[TestSpriteNode After]", describe(self.get()));
	EXPECT_EQ(1u, log.countContaining("includes itself")) << log.all();
	EXPECT_EQ(1u, log.countContaining("Missing.oscn could not be loaded")) << log.all();

	const CRefHolder<BaseNode> cycle = requestScene(manager, "scenes/A.oscn");
	ASSERT_TRUE(cycle);
	EXPECT_EQ("BaseNode A[BaseNode B]", describe(cycle.get()));
	EXPECT_EQ(2u, log.countContaining("includes itself"));
	EXPECT_EQ(1u, manager->getPathStackSize());
}

TEST(SceneFileContent, SavingAnythingButANodeIsRefused)
{
	test::CTempFolder folder;
	const std::string target = folder.write("keep.oscn", "kept");
	const CRefHolder<CFileSystem> fileSystem = adoptRef(createFileSystem());
	SContentSetup setup(fileSystem.get());
	const CRefHolder<CTestContent> notANode =
		adoptRef(new CTestContent(ContentReference(), CONTENT_TYPE_SCENE_NODE, 0, "text"));
	EXPECT_FALSE(setup.manager->saveContent(CONTENT_TYPE_SCENE_NODE, notANode.get(), target.c_str(), nullptr));
	EXPECT_FALSE(setup.manager->saveContent(CONTENT_TYPE_SCENE_NODE, nullptr, target.c_str(), nullptr));
	EXPECT_EQ("kept", test::readDiskFile(target));
}

// The program's way: the managers made on the device's services, the processors handed to the
// device, which gives them its driver events first.
TEST(SceneFileContent, ManagersMadeOnTheDeviceFollowItsDriver)
{
	registerContentServices();
	registerContentServices();
	nodetest::registerTestClasses(CNodeFactorySingleton::Instance());

	const CRefHolder<CDeviceStub> device = adoptRef(createDevice(SDeviceCreationParameters()));
	ASSERT_TRUE(device && device->getVideoDriver());
	const CRefHolder<CContentProcessorsManager> held = adoptRef(new CContentProcessorsManager(device->getVideoDriver(),
		device->getAudioDriver(), device->getFileSystem(), &CNodeFactorySingleton::Instance()));
	CContentProcessorsManager* processors = held.get();
	device->setProcessorsManager(processors);
	const CRefHolder<CContentManager> content =
		adoptRef(new CContentManager(device->getVideoDriver(), device->getFileSystem(), processors));
	CContentManager* manager = content.get();
	EXPECT_TRUE(device->addEventReceiver(manager, 1));

	ASSERT_TRUE(device->getFileSystem()->addFileArchive(assetFolder().c_str(), false, false));
	const CRefHolder<BaseNode> button = requestScene(manager, "scenes/parts/Button.oscn");
	ASSERT_TRUE(button);
	EXPECT_EQ("TestSpriteNode Button", describe(button.get()));

	// A new driver reaches both managers and the scene-node processor.
	ASSERT_TRUE(device->reinitialize(SDeviceCreationParameters()));
	video::IVideoDriver* driver = device->getVideoDriver();
	ASSERT_TRUE(driver);
	EXPECT_EQ(driver, processors->getVideoDriver());
	EXPECT_EQ(driver, manager->getVideoDriver());
	EXPECT_EQ(driver,
		static_cast<CSceneNodeProcessor*>(processors->getProcessor(CONTENT_TYPE_SCENE_NODE))->getVideoDriver());
	device->removeEventReceiver(manager);
}
} // namespace
