#include "DeviceTestSupport.h"

#include "platform/CNullAudioDriver.h"
#include "platform/CSoundManager.h"

#include <gtest/gtest.h>

namespace fw
{
namespace
{
// The device makes its sound manager as a receiver of priority 1 and tells it of the audio driver
// it makes (the null one in these tests).
TEST(DeviceSound, SoundManagerLearnsOfTheAudioDriver)
{
	devtest::CLogLines log;
	devtest::CSteppedClock clock;
	const CRefHolder<devtest::CTestDevice> device = adoptRef(new devtest::CTestDevice(&clock));
	CSoundManager* sounds = device->getSoundManager();
	ASSERT_TRUE(sounds);
	ASSERT_TRUE(device->getAudioDriver());
	EXPECT_EQ("Null audio device", std::string(device->getAudioDriver()->getDescription().c_str()));
	EXPECT_EQ(device->getAudioDriver(), sounds->getAudioDriver());
	EXPECT_TRUE(log.has(LOG_INFORMATION, "Using audio: Null audio device"));
	const core::array<CEventReceiver*> receivers = device->getEventReceivers();
	// A receiver of priority 0 goes before it, one of priority 2 after it.
	std::vector<std::string> trace;
	const CRefHolder<devtest::CRecorder> before = adoptRef(new devtest::CRecorder(trace, "before"));
	const CRefHolder<devtest::CRecorder> after = adoptRef(new devtest::CRecorder(trace, "after"));
	device->addEventReceiver(after.get(), 2);
	device->addEventReceiver(before.get(), 0);
	const core::array<CEventReceiver*> ordered = device->getEventReceivers();
	ASSERT_EQ(receivers.size() + 2, ordered.size());
	EXPECT_EQ(before.get(), ordered[ordered.size() - 3]);
	EXPECT_EQ(static_cast<CEventReceiver*>(sounds), ordered[ordered.size() - 2]);
	EXPECT_EQ(after.get(), ordered[ordered.size() - 1]);
	EXPECT_EQ(EVENT_CATEGORY_DEVICE | EVENT_CATEGORY_SYSTEM_FLOW, sounds->getEventMask());
}
} // namespace
} // namespace fw
