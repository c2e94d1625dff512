#include "LevelTestSupport.h"
#include "level/data/GRandomEvent.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using leveltest::ids;
using leveltest::readerOver;

namespace
{
struct SReceived
{
	fw::s32 time; // ms of simulated time when it arrived
	fw::s32 typeId;
	std::vector<fw::s32> buildingTypes;
	std::vector<fw::s32> placeNames;
	std::vector<fw::f32> values;
};

// Records every message offered to it, and what it passes on to its parent.
class CRecordingReceiver : public fw::CEventReceiver
{
public:
	explicit CRecordingReceiver(const fw::s32& clock) : m_clock(clock) {}

	bool onEvent(fw::CEvent* event) override
	{
		SReceived r{m_clock, event->getTypeId(), {}, {}, {}};
		if (event->isOfType(GAME_MESSAGE_RANDOM_EVENT))
		{
			auto* request = static_cast<GRandomEventMessage*>(event);
			r.buildingTypes = ids(request->buildingTypes);
			r.placeNames = ids(request->placeNames);
		}
		if (event->getTypeId() == GAME_MESSAGE_LETTER_REQUEST)
		{
			auto* letter = static_cast<GLetterRequestMessage*>(event);
			r.values = {letter->moneyMin, letter->moneyMax, letter->waitMin, letter->waitMax};
		}
		if (event->getTypeId() == GAME_MESSAGE_WEATHER_EFFECT_REQUEST)
		{
			auto* weather = static_cast<GWeatherEffectRequestMessage*>(event);
			r.values = {fw::f32(weather->minDuration), fw::f32(weather->maxDuration)};
		}
		received.push_back(r);
		return consume;
	}
	bool routeUp(fw::s32 mode, fw::CEvent* event) override
	{
		passedUp.push_back(std::make_pair(mode, event->getTypeId()));
		return false;
	}

	std::vector<SReceived> received;
	std::vector<std::pair<fw::s32, fw::s32>> passedUp;
	bool consume = true;

private:
	const fw::s32& m_clock;
};

class RandomEventTest : public testing::Test
{
protected:
	// The event of the one "Event" element.
	fw::CRefHolder<GRandomEvent> readEvent(const std::string& attributes)
	{
		fw::CRefHolder<fw::IXMLReader> reader = readerOver("<RandomEvents><Event " + attributes + "/></RandomEvents>");
		EXPECT_TRUE(leveltest::moveTo(reader.get(), L"RandomEvents"));
		fw::CRefHolder<GRandomEventList> list = fw::adoptRef(new GRandomEventList);
		list->read(reader.get());
		EXPECT_EQ(1u, list->size());
		return list->size() ? fw::CRefHolder<GRandomEvent>(list->get(0)) : fw::CRefHolder<GRandomEvent>();
	}

	// Steps the manager in 500 ms updates until the clock reaches the time.
	void runUntil(fw::CTimerManager* manager, fw::s32 until)
	{
		while (clock < until)
		{
			clock += 500;
			manager->update(500);
		}
	}

	std::vector<fw::s32> times() const
	{
		std::vector<fw::s32> out;
		for (const SReceived& r : receiver->received)
			out.push_back(r.time);
		return out;
	}

	fw::s32 clock = 0;
	fw::CRefHolder<fw::CTimerManager> manager = fw::adoptRef(new fw::CTimerManager);
	fw::CRefHolder<CRecordingReceiver> receiver = fw::adoptRef(new CRecordingReceiver(clock));
};

TEST_F(RandomEventTest, OneTimeEventFiresAtTheTenthCallbackAndEnds)
{
	fw::CRefHolder<GRandomEvent> event = readEvent(
		"Type=\"OneTimeSellBuildingRequest\" TimeRange=\"5000, 5000\" BuildingTypes=\"Hotel1; Hotel2\" PlaceNames=\"P1\"");
	event->start(receiver.get(), manager.get());
	EXPECT_EQ(500u, event->getInterval());
	runUntil(manager.get(), 4500);
	EXPECT_TRUE(receiver->received.empty());
	runUntil(manager.get(), 5000);
	ASSERT_EQ(1u, receiver->received.size());
	EXPECT_EQ(5000, receiver->received[0].time);
	EXPECT_EQ(GAME_MESSAGE_SELL_BUILDING_REQUEST, receiver->received[0].typeId);
	EXPECT_EQ(ids({"Hotel1", "Hotel2"}), receiver->received[0].buildingTypes);
	EXPECT_EQ(ids({"P1"}), receiver->received[0].placeNames);
	runUntil(manager.get(), 20000);
	EXPECT_EQ(1u, receiver->received.size());
	EXPECT_EQ(nullptr, event->getManager());
}

TEST_F(RandomEventTest, RegularEventWaitsForItsCountdownToPassBelowZero)
{
	fw::CRefHolder<GRandomEvent> event =
		readEvent("Type=\"RegularDirtyBuildingRequest\" FirstTimeRange=\"0, 0\" PeriodRange=\"3000, 3000\"");
	event->start(receiver.get(), manager.get());
	runUntil(manager.get(), 11000);
	EXPECT_EQ((std::vector<fw::s32>{3500, 7000, 10500}), times());
	EXPECT_EQ(GAME_MESSAGE_DIRTY_BUILDING_REQUEST, receiver->received[0].typeId);
	// Without LastTimeRange it never ends.
	runUntil(manager.get(), 60000);
	EXPECT_EQ(17u, receiver->received.size());
	EXPECT_EQ(manager.get(), event->getManager());
}

TEST_F(RandomEventTest, LifetimesEndRegularEvents)
{
	struct SCase
	{
		const char* lastTimeRange;
		std::vector<fw::s32> fired;
	};
	// A lifetime that reaches 0 exactly ends as one that passes below it.
	const std::vector<SCase> cases = {{"3000, 3000", {1500}}, {"2750, 2750", {1500}}, {"3600 3600", {1500, 3000}}};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.lastTimeRange);
		clock = 0;
		receiver->received.clear();
		fw::CRefHolder<GRandomEvent> event = readEvent(std::string("Type=\"RegularBrokenBuildingRequest\" "
																   "PeriodRange=\"1000, 1000\" LastTimeRange=\"") +
			c.lastTimeRange + "\"");
		event->start(receiver.get(), manager.get());
		runUntil(manager.get(), 30000);
		EXPECT_EQ(c.fired, times());
		EXPECT_EQ(nullptr, event->getManager());
	}
}

TEST_F(RandomEventTest, PausedEventsStandStill)
{
	fw::CRefHolder<GRandomEvent> event = readEvent("Type=\"OneTimeDirtyBuildingRequest\" TimeRange=\"2000, 2000\"");
	event->start(receiver.get(), manager.get());
	runUntil(manager.get(), 1000);
	event->paused = true;
	runUntil(manager.get(), 11000);
	EXPECT_TRUE(receiver->received.empty());
	event->paused = false;
	runUntil(manager.get(), 14000);
	EXPECT_EQ(std::vector<fw::s32>{12000}, times());
}

TEST_F(RandomEventTest, WithoutAReceiverOneTimeEventsEndAndRegularOnesKeepTheirRhythm)
{
	fw::CRefHolder<GRandomEvent> once = readEvent("Type=\"OneTimeCafeBuildingRequest\" TimeRange=\"1000, 1000\"");
	once->start(nullptr, manager.get());
	fw::CRefHolder<GRandomEvent> regular = readEvent("Type=\"RegularCafeBuildingRequest\" PeriodRange=\"3000, 3000\"");
	regular->start(nullptr, manager.get());
	auto* regularEvent = static_cast<GRegularEvent*>(regular.get());
	runUntil(manager.get(), 3000);
	EXPECT_EQ(nullptr, once->getManager());
	EXPECT_EQ(0, regularEvent->Countdown);
	runUntil(manager.get(), 3500);
	// It would have fired here: the next period is drawn.
	EXPECT_EQ(3000, regularEvent->Countdown);
	EXPECT_EQ(manager.get(), regular->getManager());
	EXPECT_TRUE(receiver->received.empty());
}

TEST_F(RandomEventTest, ARestartMovesTheTimerAndDrawsAgain)
{
	fw::CRefHolder<fw::CTimerManager> other = fw::adoptRef(new fw::CTimerManager);
	fw::CRefHolder<GRandomEvent> event = readEvent("Type=\"OneTimeBrokenBuildingRequest\" TimeRange=\"2000, 2000\"");
	event->start(receiver.get(), manager.get());
	runUntil(manager.get(), 1500);
	event->start(receiver.get(), other.get());
	EXPECT_EQ(other.get(), event->getManager());
	EXPECT_EQ(0u, manager->getTimerCount());
	runUntil(manager.get(), 5000);
	EXPECT_TRUE(receiver->received.empty());
	clock = 0;
	runUntil(other.get(), 2000);
	EXPECT_EQ(std::vector<fw::s32>{2000}, times());

	// Stopping forgets the receiver and leaves the manager.
	fw::CRefHolder<GRandomEvent> regular = readEvent("Type=\"RegularSellBuildingRequest\" PeriodRange=\"500, 500\"");
	regular->start(receiver.get(), other.get());
	regular->stop();
	EXPECT_EQ(nullptr, regular->getManager());
	runUntil(other.get(), 10000);
	EXPECT_EQ(1u, receiver->received.size());
}

TEST_F(RandomEventTest, MessagesCarryTheirRangesAndTravelUpWhenNotConsumed)
{
	receiver->consume = false;
	fw::CRefHolder<GRandomEvent> letter =
		readEvent("Type=\"RegularLetterRequest\" FirstTimeRange=\"500, 500\" PeriodRange=\"60000, 60000\""
				  " MoneyRange=\"500, 1500.5\" WaitTimeRange=\"10000;15000\" PlaceNames=\"P2\"");
	letter->start(receiver.get(), manager.get());
	fw::CRefHolder<GRandomEvent> weather =
		readEvent("Type=\"RegularWeatherEffectRequest\" FirstTimeRange=\"1000, 1000\" PeriodRange=\"60000, 60000\""
				  " DurationTimeRange=\"15000, 25000\" BuildingTypes=\"Hotel1\"");
	weather->start(receiver.get(), manager.get());
	runUntil(manager.get(), 1500);
	ASSERT_EQ(2u, receiver->received.size());
	EXPECT_EQ(GAME_MESSAGE_LETTER_REQUEST, receiver->received[0].typeId);
	EXPECT_EQ((std::vector<fw::f32>{500.f, 1500.5f, 10000.f, 15000.f}), receiver->received[0].values);
	EXPECT_EQ(ids({"P2"}), receiver->received[0].placeNames);
	EXPECT_EQ(GAME_MESSAGE_WEATHER_EFFECT_REQUEST, receiver->received[1].typeId);
	EXPECT_EQ((std::vector<fw::f32>{15000.f, 25000.f}), receiver->received[1].values);
	EXPECT_EQ((std::vector<std::pair<fw::s32, fw::s32>>{{3, 4115}, {3, 4118}}), receiver->passedUp);

	receiver->consume = true;
	fw::CRefHolder<GRandomEvent> once = readEvent("Type=\"OneTimeLetterRequest\" TimeRange=\"500, 500\"");
	once->start(receiver.get(), manager.get());
	runUntil(manager.get(), 2000);
	EXPECT_EQ(3u, receiver->received.size());
	EXPECT_EQ(2u, receiver->passedUp.size());
}

TEST_F(RandomEventTest, DrawsComeFromTheSeededGeneratorAndTheEventFiresAtTheNextStep)
{
	fw::CRandomGenerator& random = fw::CRandomGeneratorSingleton::Instance();
	random.seed(1234);
	// A copy of the generator's state foretells the event's draw.
	fw::CRandomGenerator replica(random);
	const fw::s32 drawn = replica.nextIntInRange(1000, 3000);
	fw::CRefHolder<GRandomEvent> event = readEvent("Type=\"OneTimeSellBuildingRequest\" TimeRange=\"1000, 3000\"");
	event->start(receiver.get(), manager.get());
	runUntil(manager.get(), 4000);
	const fw::s32 expected = (drawn + 499) / 500 * 500;
	EXPECT_EQ(std::vector<fw::s32>{expected}, times());
}

TEST(RandomEvents, KindsAreNamedExactly)
{
	const wchar_t* kinds[] = {L"OneTimeSellBuildingRequest", L"RegularSellBuildingRequest",
		L"OneTimeBrokenBuildingRequest", L"RegularBrokenBuildingRequest", L"OneTimeDirtyBuildingRequest",
		L"RegularDirtyBuildingRequest", L"OneTimeCafeBuildingRequest", L"RegularCafeBuildingRequest",
		L"OneTimeLetterRequest", L"RegularLetterRequest", L"RegularWeatherEffectRequest"};
	for (const wchar_t* kind : kinds)
	{
		GRandomEvent* event = createRandomEvent(kind);
		ASSERT_NE(nullptr, event) << fw::core::stringc(kind).c_str();
		EXPECT_EQ(1, event->getReferenceCount());
		event->drop();
	}
	EXPECT_EQ(nullptr, createRandomEvent(L"onetimesellbuildingrequest"));
	EXPECT_EQ(nullptr, createRandomEvent(L""));

	fw::CRefHolder<fw::IXMLReader> reader =
		readerOver("<RandomEvents><Event Type=\"Regularsellbuildingrequest\"/><Event/>"
				   "<Event Type=\"OneTimeSellBuildingRequest\"/></RandomEvents>");
	ASSERT_TRUE(leveltest::moveTo(reader.get(), L"RandomEvents"));
	fw::CRefHolder<GRandomEventList> list = fw::adoptRef(new GRandomEventList);
	list->read(reader.get());
	EXPECT_EQ(1u, list->size());
}
} // namespace
