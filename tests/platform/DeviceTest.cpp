#include "DeviceTestSupport.h"

#include "core/CPropertyContainer.h"
#include "platform/CEngineDeviceSingleton.h"
#include "platform/CFileSystem.h"
#include "platform/CMainLoop.h"
#include "platform/CSoundManager.h"
#include "platform/CTimerManager.h"
#include "platform/DeviceSettings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

using namespace fw;
using namespace fw::devtest;

namespace
{
typedef std::vector<std::string> Trace;

class DeviceTest : public testing::Test
{
protected:
	void SetUp() override
	{
		clock = adoptRef(new CSteppedClock);
		device = adoptRef(new CTestDevice(clock.get()));
		// The receivers here are the test's own; the device's sound manager has its own test.
		device->removeEventReceiver(device->getSoundManager());
	}

	CRecorder* addRecorder(const std::string& name, s32 priority, u32 mask = ~0u)
	{
		CRefHolder<CRecorder> recorder = adoptRef(new CRecorder(trace, name, mask));
		EXPECT_TRUE(device->addEventReceiver(recorder.get(), priority));
		return recorder.get(); // the device holds it
	}

	std::vector<std::string> receiverNames() const
	{
		std::vector<std::string> names;
		const core::array<CEventReceiver*> receivers = device->getEventReceivers();
		for (u32 i = 0; i < receivers.size(); ++i)
			names.push_back(static_cast<CRecorder*>(receivers[i])->getName());
		return names;
	}

	static CRefHolder<CEvent> drawEvent() { return CRefHolder<CEvent>::adopted(new CEventSystemFlowDraw); }

	CRefHolder<CSteppedClock> clock;
	CRefHolder<CTestDevice> device;
	Trace trace;
};
} // namespace

TEST_F(DeviceTest, ReceiversInPriorityOrderFilteredByMask)
{
	addRecorder("late", 2);
	addRecorder("early", -1);
	addRecorder("keys", 0, EVENT_CATEGORY_KEYBOARD);
	EXPECT_FALSE(device->postEvent(drawEvent().get()));
	EXPECT_EQ(Trace({"early:d", "late:d"}), trace);

	// The first that takes the event ends the walk.
	trace.clear();
	static_cast<CRecorder*>(device->getEventReceivers()[0])->answer = true;
	EXPECT_TRUE(device->postEvent(drawEvent().get()));
	EXPECT_EQ(Trace({"early:d"}), trace);
}

TEST_F(DeviceTest, EqualPrioritiesEndWhereTheHeapSortLeavesThem)
{
	const std::pair<const char*, s32> additions[] = {{"A", 1}, {"B", -1}, {"C", 0}, {"D", 1}, {"E", 2}, {"F", 2},
		{"G", 2}, {"H", 2}};
	for (int i = 0; i < 7; ++i)
		addRecorder(additions[i].first, additions[i].second);
	EXPECT_EQ(std::vector<std::string>({"B", "C", "A", "D", "E", "G", "F"}), receiverNames());
	addRecorder(additions[7].first, additions[7].second);
	EXPECT_EQ(std::vector<std::string>({"B", "C", "A", "D", "G", "F", "E", "H"}), receiverNames());
}

TEST_F(DeviceTest, AddRefusesNullAndDuplicatesAndHoldsAReference)
{
	CRefHolder<CRecorder> recorder = adoptRef(new CRecorder(trace));
	EXPECT_FALSE(device->addEventReceiver(nullptr, 0));
	EXPECT_TRUE(device->addEventReceiver(recorder.get(), 0));
	EXPECT_FALSE(device->addEventReceiver(recorder.get(), 5));
	EXPECT_EQ(1u, device->getEventReceivers().size());
	EXPECT_EQ(2, recorder->getReferenceCount());

	device->removeEventReceiver(recorder.get());
	device->removeEventReceiver(recorder.get()); // no longer there: ignored
	EXPECT_EQ(0u, device->getEventReceivers().size());
	EXPECT_EQ(1, recorder->getReferenceCount());

	// The device lets go of its receivers when it goes.
	device->addEventReceiver(recorder.get(), 0);
	device.release();
	EXPECT_EQ(1, recorder->getReferenceCount());
}

TEST_F(DeviceTest, ChangesDuringADispatchWaitForItsEnd)
{
	CRecorder* first = addRecorder("first", 0);
	CRecorder* second = addRecorder("second", 1);
	CRefHolder<CRecorder> newcomer = adoptRef(new CRecorder(trace, "new"));
	first->action = [&](CEvent*)
	{
		EXPECT_TRUE(device->addEventReceiver(newcomer.get(), -5));
		device->removeEventReceiver(second);
		device->removeEventReceiver(first);
	};
	device->postEvent(drawEvent().get());
	// The newcomer does not see this event; the removed one later in the list still does.
	EXPECT_EQ(Trace({"first:d", "second:d"}), trace);

	trace.clear();
	device->postEvent(drawEvent().get());
	EXPECT_EQ(Trace({"new:d"}), trace);
}

TEST_F(DeviceTest, ReAddingDuringADispatchCancelsTheRemovalAndNeverDoubles)
{
	CRecorder* actor = addRecorder("actor", 0);
	CRecorder* kept = addRecorder("kept", 1);
	CRefHolder<CRecorder> twice = adoptRef(new CRecorder(trace, "twice"));
	CRefHolder<CRecorder> withdrawn = adoptRef(new CRecorder(trace, "withdrawn"));
	actor->action = [&](CEvent*)
	{
		// Removed and added again, with a new priority: it stays, once.
		device->removeEventReceiver(kept);
		EXPECT_TRUE(device->addEventReceiver(kept, -1));
		EXPECT_FALSE(device->addEventReceiver(kept, -1));
		// Added twice in one dispatch: one entry.
		EXPECT_TRUE(device->addEventReceiver(twice.get(), 3));
		EXPECT_FALSE(device->addEventReceiver(twice.get(), 3));
		// Added and removed in one dispatch: never registered, and its reference is back.
		EXPECT_TRUE(device->addEventReceiver(withdrawn.get(), 4));
		device->removeEventReceiver(withdrawn.get());
	};
	device->postEvent(drawEvent().get());
	EXPECT_EQ(Trace({"actor:d", "kept:d"}), trace);
	EXPECT_EQ(std::vector<std::string>({"kept", "actor", "twice"}), receiverNames());
	EXPECT_EQ(1, withdrawn->getReferenceCount());
	EXPECT_EQ(2, twice->getReferenceCount());
}

TEST_F(DeviceTest, NestedDispatchKeepsTheOuterWalkIntact)
{
	CRecorder* poster = addRecorder("poster", 0);
	CRecorder* leaver = addRecorder("leaver", 1);
	addRecorder("last", 2);
	bool posted = false;
	poster->action = [&](CEvent* event)
	{
		if (posted || event->getTypeId() != CEventSystemFlowDraw::TypeId)
			return;
		posted = true;
		device->postEvent(adoptRef(new CEventSystemFlowUpdate(10)).get());
	};
	leaver->action = [&](CEvent* event)
	{
		if (event->getTypeId() == CEventSystemFlowUpdate::TypeId)
			device->removeEventReceiver(leaver);
	};
	device->postEvent(drawEvent().get());
	// The removal made in the inner dispatch waits for the outer one: nobody is skipped.
	EXPECT_EQ(Trace({"poster:d", "poster:u10", "leaver:u10", "last:u10", "leaver:d", "last:d"}), trace);
	EXPECT_EQ(std::vector<std::string>({"poster", "last"}), receiverNames());
}

TEST_F(DeviceTest, ReceiverReleasedByItsOwnerDuringADispatchLivesToItsEnd)
{
	CRecorder* actor = addRecorder("actor", 0);
	CRecorder* doomed = new CRecorder(trace, "doomed");
	device->addEventReceiver(doomed, 1);
	actor->action = [&](CEvent*)
	{
		device->removeEventReceiver(doomed);
		doomed->drop(); // the owner's reference
	};
	device->postEvent(drawEvent().get());
	EXPECT_EQ(Trace({"actor:d", "doomed:d"}), trace);
	EXPECT_EQ(std::vector<std::string>({"actor"}), receiverNames());
}

TEST_F(DeviceTest, SettingsHoldTheSixDefaults)
{
	CPropertyContainer* settings = device->getSettings();
	ASSERT_NE(nullptr, settings);
	const std::pair<const char*, const char*> expected[] = {{"PublisherName", "Parrowind"},
		{"TitleName", "Ostrel Sample"}, {"TitleCaption", "Ostrel Sample"}, {"ProfilesCryptKey", ""},
		{"AssetsCryptKey", ""}, {"AssetsFolder", "assets"}};
	ASSERT_EQ(6u, settings->getItemCount());
	for (s32 i = 0; i < 6; ++i)
	{
		EXPECT_STREQ(expected[i].first, settings->getNameAt(i).c_str());
		EXPECT_STREQ(expected[i].second, settings->getString(expected[i].first).c_str());
		EXPECT_EQ(PDT_STRINGW, settings->getValueAt(i)->getTypeId());
	}
	EXPECT_STREQ(SETTING_ASSETS_CRYPT_KEY, "AssetsCryptKey");
	settings->setStringW(SETTING_TITLE_CAPTION, L"Quillbrook");
	EXPECT_STREQ("Quillbrook", device->getSettings()->getString(SETTING_TITLE_CAPTION).c_str());
}

TEST(Device, DriverChoices)
{
	struct SCase
	{
		s32 type;
		bool made;
		std::vector<SLogLine> lines;
	};
	// No window can be made here: only the null driver, asked for, serves.
	const std::string noOpenGL = "Could not create OpenGL driver.";
	const std::string noDirect3D = "Direct3D is not available: the OpenGL driver is used instead.";
	const SCase cases[] = {
		{0, true, {}},
		{1, false, {{LOG_INFORMATION, noDirect3D}, {LOG_ERROR, noOpenGL}}},
		{2, false, {{LOG_INFORMATION, noDirect3D}, {LOG_ERROR, noOpenGL}}},
		{3, false, {{LOG_ERROR, noOpenGL}}},
		{4, false, {{LOG_ERROR, "Unable to create video driver of unknown type."}}},
		{-1, false, {{LOG_ERROR, "Unable to create video driver of unknown type."}}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(testing::Message() << "driver type " << c.type);
		CLogLines log;
		SDeviceCreationParameters params;
		params.VideoDriver = c.type;
		CRefHolder<CSteppedClock> clock = adoptRef(new CSteppedClock);
		testing::internal::CaptureStdout();
		testing::internal::CaptureStderr();
		CRefHolder<CDeviceStub> device = adoptRef(createDevice(params, clock.get()));
		// The engine says nothing of its own.
		EXPECT_EQ("", testing::internal::GetCapturedStdout());
		EXPECT_EQ("", testing::internal::GetCapturedStderr());

		ASSERT_EQ(c.made, device.get() != nullptr);
		if (c.made)
		{
			ASSERT_NE(nullptr, device->getVideoDriver());
			EXPECT_EQ(video::EDT_NULL, device->getVideoDriver()->getDriverType());
			EXPECT_TRUE(device->isWindowActive());
			EXPECT_EQ(c.type, device->getCreationParameters().VideoDriver);
		}
		for (const SLogLine& line : c.lines)
			EXPECT_TRUE(log.has(line.level, line.text)) << line.text;
		EXPECT_TRUE(log.has(LOG_INFORMATION, "Irrlicht Engine version 1.4.2"));
		EXPECT_EQ(!c.made, log.has(LOG_INFORMATION, "closeDevice() was called"));
	}
}

TEST(Device, EngineVersionMismatchIsLogged)
{
	CLogLines log;
	SDeviceCreationParameters params;
	params.EngineVersion = "1.3";
	CRefHolder<CSteppedClock> clock = adoptRef(new CSteppedClock);
	CRefHolder<CDeviceStub> device = adoptRef(createDevice(params, clock.get()));
	EXPECT_TRUE(log.has(LOG_WARNING,
		"Warning: The library version of the Irrlicht Engine (1.4.2) does not match the version the "
		"application was compiled with (1.3). This may cause problems."));
	EXPECT_EQ("1.4.2", std::string(device->getCreationParameters().EngineVersion.c_str()));
}

TEST_F(DeviceTest, ReinitializeReleasesThenCreatesAndKeepsTheClock)
{
	addRecorder("all", 0);
	clock->now += 1234;
	device->getTimer()->tick();
	const u32 before = device->getTimer()->getTime();
	video::IVideoDriver* oldDriver = device->getVideoDriver();

	SDeviceCreationParameters params;
	params.WindowSize = core::dimension2d<s32>(1024, 768);
	params.EngineVersion = "other";
	CRefHolder<CRecorder> watcher = adoptRef(new CRecorder(trace, "watch"));
	watcher->action = [&](CEvent* event)
	{
		if (event->getTypeId() == CEventDeviceVideoDriverCreated::TypeId)
		{
			EXPECT_EQ(device->getVideoDriver(), static_cast<CEventDeviceVideoDriverCreated*>(event)->getDriver());
		}
		if (event->getTypeId() == CEventDeviceVideoDriverReleased::TypeId)
		{
			EXPECT_EQ(oldDriver, device->getVideoDriver()); // still there while receivers let go
		}
	};
	device->addEventReceiver(watcher.get(), 1);

	EXPECT_TRUE(device->reinitialize(params));
	EXPECT_EQ(Trace({"all:e9", "watch:e9", "all:e10", "watch:e10"}), trace);
	ASSERT_NE(nullptr, device->getVideoDriver());
	EXPECT_EQ(1024, device->getCreationParameters().WindowSize.Width);
	EXPECT_EQ("1.4.2", std::string(device->getCreationParameters().EngineVersion.c_str()));

	clock->now += 10;
	device->getTimer()->tick();
	EXPECT_EQ(before + 10, device->getTimer()->getTime());
}

namespace
{
struct SChildOutcome
{
	bool finished = false;
	std::string output;
};

// Runs the body in a child process that writes its findings to the pipe it gets; gives up on a
// child that has not ended within the deadline (a hang is what such tests look for).
SChildOutcome runInChild(const std::function<void(int)>& body, int deadlineMilliseconds)
{
	SChildOutcome outcome;
	int pipeEnds[2];
	if (pipe(pipeEnds) != 0)
		return outcome;
	const pid_t child = fork();
	if (child == 0)
	{
		close(pipeEnds[0]);
		body(pipeEnds[1]);
		_exit(0);
	}
	close(pipeEnds[1]);
	const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadlineMilliseconds);
	for (;;)
	{
		const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
		pollfd entry = {pipeEnds[0], POLLIN, 0};
		if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) <= 0)
		{
			kill(child, SIGKILL);
			break;
		}
		char buffer[512];
		const ssize_t count = read(pipeEnds[0], buffer, sizeof(buffer));
		if (count <= 0)
		{
			outcome.finished = true;
			break;
		}
		outcome.output.append(buffer, static_cast<size_t>(count));
	}
	close(pipeEnds[0]);
	int status = 0;
	waitpid(child, &status, 0);
	outcome.finished = outcome.finished && WIFEXITED(status) && WEXITSTATUS(status) == 0;
	return outcome;
}
} // namespace

TEST(Device, WithoutADisplayOpenGLFailsAndSaysWhichDisplay)
{
	struct SCase
	{
		const char* display; // null: unset
		const char* line;
	};
	const SCase cases[] = {
		{nullptr, "Can't open the X display: DISPLAY is not set, so no window can be made."},
		{":987", "Can't open the X display \":987\": no window can be made."},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.display ? c.display : "unset");
		const SChildOutcome outcome = runInChild(
			[&](int out)
			{
				if (c.display)
					setenv("DISPLAY", c.display, 1);
				else
					unsetenv("DISPLAY");
				// The real desktop window, not the stand-in these tests use.
				CDeviceLinux::setWindowMaker(nullptr);
				std::string report;
				{
					CLogLines log;
					SDeviceCreationParameters params;
					params.VideoDriver = DEVICE_DRIVER_OPENGL;
					CRefHolder<CDeviceStub> device = adoptRef(createDevice(params));
					report = device ? "made\n" : "none\n";
					for (const SLogLine& line : log.lines)
						if (line.level == LOG_ERROR)
							report += line.text + "\n";
				}
				if (write(out, report.data(), report.size()) != static_cast<ssize_t>(report.size()))
					_exit(1);
			},
			10000);
		ASSERT_TRUE(outcome.finished) << "no answer: " << outcome.output;
		EXPECT_EQ(std::string("none\n") + c.line + "\nCould not create OpenGL driver.\n", outcome.output);
	}
}

TEST_F(DeviceTest, FailedReinitializeLeavesNoDriverAndNoDraws)
{
	struct SCase
	{
		s32 type;
		const char* line;
	};
	// OpenGL without a window (none can be made here) fails rather than running unseen.
	const SCase cases[] = {
		{9, "Unable to create video driver of unknown type."},
		{DEVICE_DRIVER_OPENGL, "Could not create OpenGL driver."},
	};
	addRecorder("r", 0);
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.line);
		trace.clear();
		SDeviceCreationParameters params;
		params.VideoDriver = c.type;
		{
			CLogLines log;
			EXPECT_FALSE(device->reinitialize(params));
			EXPECT_TRUE(log.has(LOG_ERROR, c.line));
		}
		EXPECT_EQ(nullptr, device->getVideoDriver());
		EXPECT_EQ(Trace({"r:e9"}), trace);

		// The loop keeps updating but draws nothing.
		trace.clear();
		device->setFrameInterval(10);
		device->setUpdateStep(10);
		// The clock as it stands now: the previous case's pass ended by waiting for the next frame.
		device->getTimer()->tick();
		device->setLastTick(device->getTimer()->getTime());
		device->setRunning(true);
		clock->now += 10;
		CMainLoop(device.get()).runPass();
		EXPECT_EQ(Trace({"r:u10"}), trace);

		params.VideoDriver = 0;
		EXPECT_TRUE(device->reinitialize(params));
		EXPECT_NE(nullptr, device->getVideoDriver());
	}
}

TEST_F(DeviceTest, SleepWithPauseTimerDoesNotCount)
{
	device->getTimer()->setTime(100);
	device->sleep(40, true);
	device->getTimer()->tick();
	EXPECT_EQ(100u, device->getTimer()->getTime());
	device->sleep(40, false);
	device->getTimer()->tick();
	EXPECT_EQ(140u, device->getTimer()->getTime());
	EXPECT_EQ(std::vector<u32>({40, 40}), clock->sleeps);
	EXPECT_FALSE(device->getTimer()->isStopped());
}

TEST_F(DeviceTest, RunAndCloseDevice)
{
	EXPECT_FALSE(device->isRunning());
	CDeviceStub* stub = device.get();
	EXPECT_TRUE(stub->CDeviceStub::run());
	EXPECT_TRUE(device->isRunning());
	CLogLines log;
	device->closeDevice();
	EXPECT_FALSE(device->isRunning());
	EXPECT_TRUE(log.has(LOG_INFORMATION, "closeDevice() was called"));
}

// The processors manager is made above the device and handed to it: the device holds it and
// gives it every device event before any other receiver.
TEST(Device, TheProcessorsManagerItIsGivenHearsFirst)
{
	Trace trace;
	CRefHolder<CSteppedClock> clock = adoptRef(new CSteppedClock);
	CRefHolder<CDeviceStub> device = adoptRef(createDevice(SDeviceCreationParameters(), clock.get()));
	EXPECT_EQ(nullptr, device->getProcessorsManager());
	CRefHolder<CTimerManager> timers = adoptRef(device->createTimerManager());
	ASSERT_TRUE(timers);
	EXPECT_EQ(1, timers->getReferenceCount());

	const CRefHolder<CRecorder> late = adoptRef(new CRecorder(trace, "late"));
	device->addEventReceiver(late.get(), -5);
	const CRefHolder<CRecorder> first = adoptRef(new CRecorder(trace, "first"));
	const CRefHolder<CRecorder> second = adoptRef(new CRecorder(trace, "second"));
	device->setProcessorsManager(first.get());
	EXPECT_EQ(first.get(), device->getProcessorsManager());
	device->postEvent(CRefHolder<CEvent>::adopted(new CEventSystemFlowDraw).get());
	EXPECT_EQ(Trace({"late:d", "first:d"}), trace) << "priority -1, after a receiver that asked for less";

	// Another one replaces it, null lets it go; the same one again changes nothing.
	device->setProcessorsManager(second.get());
	device->setProcessorsManager(second.get());
	EXPECT_EQ(1, first->getReferenceCount());
	EXPECT_EQ(3, second->getReferenceCount()) << "held and registered";
	trace.clear();
	device->postEvent(CRefHolder<CEvent>::adopted(new CEventSystemFlowDraw).get());
	EXPECT_EQ(Trace({"late:d", "second:d"}), trace);
	device->setProcessorsManager(nullptr);
	EXPECT_EQ(nullptr, device->getProcessorsManager());
	EXPECT_EQ(1, second->getReferenceCount());
	device->removeEventReceiver(late.get());
}

TEST(Device, ServicesNameTheDeviceOwnParts)
{
	CRefHolder<CSteppedClock> clock = adoptRef(new CSteppedClock);
	CRefHolder<CDeviceStub> device = adoptRef(createDevice(SDeviceCreationParameters(), clock.get()));
	const SServices services = device->getServices();
	EXPECT_EQ(device.get(), services.device);
	EXPECT_EQ(device->getSoundManager(), services.sound);
	EXPECT_EQ(device->getDictionary(), services.dictionary);
	EXPECT_EQ(device->getCursorControl(), services.cursor);
	EXPECT_EQ(nullptr, services.timers);
	EXPECT_EQ(nullptr, services.profiles);
	EXPECT_EQ(nullptr, services.random);
	EXPECT_EQ(nullptr, services.content);
}

namespace
{
int s_attempts = 0;
CDeviceStub* failTwiceThenCreate()
{
	if (++s_attempts <= 2)
		return nullptr;
	CRefHolder<CSteppedClock> clock = adoptRef(new CSteppedClock);
	return createDevice(SDeviceCreationParameters(), clock.get());
}

CEngineDeviceSlot* s_reentrantSlot = nullptr;
CDeviceStub* askWhileCreating()
{
	++s_attempts;
	if (s_reentrantSlot)
		s_reentrantSlot->getDevice();
	return nullptr;
}
} // namespace

TEST(EngineDeviceSingleton, OneDeviceWithTheNullDriver)
{
	CDeviceStub* device = CEngineDeviceSingleton::Instance().getDevice();
	ASSERT_NE(nullptr, device);
	EXPECT_EQ(device, CEngineDeviceSingleton::Instance().getDevice());
	ASSERT_NE(nullptr, device->getVideoDriver());
	EXPECT_EQ(video::EDT_NULL, device->getVideoDriver()->getDriverType());
	EXPECT_EQ(DEVICE_DRIVER_NULL, device->getCreationParameters().VideoDriver);
	EXPECT_EQ(800, device->getCreationParameters().WindowSize.Width);
	EXPECT_EQ(600, device->getCreationParameters().WindowSize.Height);
	EXPECT_EQ(16, device->getCreationParameters().ColorBits);
	EXPECT_EQ(16, device->getCreationParameters().DepthBits);
}

TEST(EngineDeviceSingleton, SlotRetriesWhileCreationFails)
{
	s_attempts = 0;
	CEngineDeviceSlot slot(&failTwiceThenCreate);
	EXPECT_EQ(1, s_attempts);
	EXPECT_EQ(nullptr, slot.getDevice());
	CDeviceStub* device = slot.getDevice();
	EXPECT_EQ(3, s_attempts);
	ASSERT_NE(nullptr, device);
	EXPECT_EQ(device, slot.getDevice());
	EXPECT_EQ(3, s_attempts);
	EXPECT_EQ(1, device->getReferenceCount()); // the slot's, dropped with the slot
}

TEST(EngineDeviceSingleton, AskingDuringCreationThrows)
{
	s_attempts = 0;
	CEngineDeviceSlot slot(nullptr);
	EXPECT_EQ(nullptr, slot.getDevice());
	CEngineDeviceSlot reentrant(&askWhileCreating); // first attempt: no slot to ask yet
	s_reentrantSlot = &reentrant;
	EXPECT_THROW(reentrant.getDevice(), std::logic_error);
	s_reentrantSlot = nullptr;
	EXPECT_EQ(nullptr, reentrant.getDevice()); // and it can try again
	EXPECT_EQ(3, s_attempts);
}

namespace fw
{
namespace
{
TEST(DeviceServices, OwnsAFileSystemThatReadsTheLiveSettingsAndADictionary)
{
	devtest::CSteppedClock clock;
	auto device = adoptRef(new devtest::CTestDevice(&clock));
	ASSERT_NE(nullptr, device->getFileSystem());
	ASSERT_NE(nullptr, device->getDictionary());
	// Settings changed after the device exists are the ones the file system uses: without a
	// publisher there is no data folder, rather than one at the root of the disk.
	device->getSettings()->set("PublisherName", createPropertyDataStringW(L""));
	EXPECT_TRUE(device->getFileSystem()->getUserDataFolder().empty());
	const core::stringc name = device->getFileSystem()->createUniqueName(".", "shot");
	EXPECT_EQ(10u, name.size());
}
} // namespace
} // namespace fw
