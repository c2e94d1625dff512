#pragma once

// The staged asset folder read through a content manager on a window's driver, as the game reads
// it: for the window tests that draw the game's own art, fonts and scenes.

#include "WindowTestSupport.h"

#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "core/CNodeFactory.h"
#include "platform/CFileSystem.h"
#include "platform/CTimerManager.h"
#include "widgets/SceneManager.h"

#include <initializer_list>
#include <string>

namespace fw
{
namespace wintest
{
// Whether an X server takes connections (the window tests run under xvfb-run).
inline ::testing::AssertionResult haveDisplay()
{
	Display* display = XOpenDisplay(nullptr);
	if (!display)
		return ::testing::AssertionFailure() << "no X display: run the window tests under xvfb-run";
	XCloseDisplay(display);
	return ::testing::AssertionSuccess();
}

// A fixture's content: the file system with the staged assets mounted, a node factory, the
// processors and the content manager, all on one driver.
class CStagedContent
{
protected:
	// Mounts the staged assets and then the further folders, and builds the rest on the driver.
	::testing::AssertionResult openStagedContent(video::IVideoDriver* driver,
		std::initializer_list<std::string> furtherFolders = {})
	{
		fileSystem = adoptRef(createFileSystem());
		if (!fileSystem->addFileArchive(QB_STAGED_ASSETS, false, false))
			return ::testing::AssertionFailure() << "the staged assets can't be mounted: " << QB_STAGED_ASSETS;
		for (const std::string& folder : furtherFolders)
			if (!fileSystem->addFileArchive(folder.c_str(), false, false))
				return ::testing::AssertionFailure() << "can't be mounted: " << folder;
		factory = adoptRef(new CNodeFactory);
		processors = adoptRef(new CContentProcessorsManager(driver, fileSystem.get(), factory.get()));
		manager = adoptRef(new CContentManager(driver, fileSystem.get(), processors.get()));
		return ::testing::AssertionSuccess();
	}

	// Lets the content go, before the driver that made its textures.
	void closeStagedContent()
	{
		manager.release();
		processors.release();
		factory.release();
		fileSystem.release();
	}

	// Content of the type as the game asks for it; null when missing or of another class.
	template <class T>
	CRefHolder<T> request(u32 type, const char* name)
	{
		CContent* content = manager->getContent(type, name, false);
		T* typed = dynamic_cast<T*>(content);
		if (!typed && content)
			content->drop();
		return adoptRef(typed);
	}

	CRefHolder<CFileSystem> fileSystem;
	CRefHolder<CNodeFactory> factory;
	CRefHolder<CContentProcessorsManager> processors;
	CRefHolder<CContentManager> manager;
};
// A scene manager wired to the device as the game wires it: it takes the device's input, its queue
// runs on a timer manager the device updates, and each scene gets a timer manager of the device's.
inline void openDeviceScenes(CWindowDevice* device, TemplateCollectionNode* templates, CRefHolder<SceneManager>& scenes,
	CRefHolder<CTimerManager>& timers)
{
	scenes = adoptRef(new SceneManager);
	scenes->setServices(device->getServices());
	scenes->setSortingEnabled(true);
	timers = adoptRef(device->createTimerManager());
	device->addEventReceiver(timers.get(), 2);
	device->addEventReceiver(scenes.get(), 2);
	scenes->setTimerManager(timers.get());
	scenes->setTemplateCollection(templates);
}

// Leaves the active scene, unwires both from the device and lets them go.
inline void closeDeviceScenes(CWindowDevice* device, CRefHolder<SceneManager>& scenes,
	CRefHolder<CTimerManager>& timers)
{
	if (scenes)
	{
		scenes->setActiveScene(nullptr);
		scenes->processMessageQueue();
		scenes->setTimerManager(nullptr);
		device->removeEventReceiver(scenes.get());
		device->removeEventReceiver(timers.get());
	}
	scenes.release();
	timers.release();
}

// One frame of the scene manager over the background, read back before it is shown; kept as a
// picture for a look by a person under QB_SNAPSHOT_DIR.
inline std::vector<video::SColor> drawScenes(video::IVideoDriver* driver, SceneManager* scenes,
	video::SColor background, s32 width, s32 height, const std::string& snapshot)
{
	EXPECT_TRUE(driver->beginScene(true, true, background));
	scenes->drawAll(driver);
	std::vector<video::SColor> frame = readFrame(width, height);
	keepSnapshot(driver, frame, width, height, snapshot);
	driver->endScene();
	return frame;
}
} // namespace wintest
} // namespace fw
