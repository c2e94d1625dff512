#pragma once

#include "core/CEventReceiver.h"
#include "core/CRefHolder.h"
#include "core/CTimer.h"
#include "level/data/GGameMessages.h"

#include <vector2d.h>

namespace fw
{
class IXMLReader;
class ITimerManager;
} // namespace fw

// An event of a level that sends its request to the level when its time comes. It counts down on
// a timer manager in steps of 500 ms; while paused, its callbacks change nothing.
class GRandomEvent : public fw::CTimer
{
public:
	static constexpr fw::u32 INTERVAL = 500;

	GRandomEvent() { setInterval(INTERVAL); }

	// False ends the event.
	bool onTimer(fw::u32 elapsed) override = 0;
	// Draws the first countdown, remembers the receiver (not held) and moves the timer to the manager.
	virtual void start(fw::CEventReceiver* receiver, fw::ITimerManager* manager) = 0;
	// Forgets the receiver and leaves the timer manager.
	virtual void stop();
	// The reader stands on the "Event" element; only its attributes are read.
	virtual void read(fw::IXMLReader* reader) = 0;

	bool paused = false;

protected:
	// Offers the message to the receiver, then to its parent; drops the message.
	void post(GGameMessage* message);

	fw::CEventReceiver* m_receiver = nullptr;
};

// A range of milliseconds, minimum first.
struct GTimeRange
{
	fw::s32 min = 0;
	fw::s32 max = 0;
	bool isZero() const { return min == 0 && max == 0; }
	// The minimum when both bounds are equal, else a draw in [min, max).
	fw::s32 draw() const;
};

// Fires once, after a time drawn from TimeRange.
class GOneTimeEvent : public GRandomEvent
{
public:
	bool onTimer(fw::u32 elapsed) override;
	void start(fw::CEventReceiver* receiver, fw::ITimerManager* manager) override;
	void read(fw::IXMLReader* reader) override;

	fw::s32 RemainingTime = 0;
	GTimeRange TimeRange;
	fw::core::array<fw::s32> BuildingTypes;
	fw::core::array<fw::s32> PlaceNames;

protected:
	virtual GGameMessage* createMessage() const = 0;
};

// Fires after a first countdown and then at every period, for a lifetime when LastTimeRange is set.
class GRegularEvent : public GRandomEvent
{
public:
	bool onTimer(fw::u32 elapsed) override;
	void start(fw::CEventReceiver* receiver, fw::ITimerManager* manager) override;
	void read(fw::IXMLReader* reader) override;

	fw::s32 Countdown = 0;
	// 0 is no end.
	fw::s32 Lifetime = 0;
	GTimeRange FirstTimeRange;
	GTimeRange LastTimeRange;
	GTimeRange PeriodRange;
	fw::core::array<fw::s32> BuildingTypes;
	fw::core::array<fw::s32> PlaceNames;

protected:
	virtual GGameMessage* createMessage() const = 0;
	// The regular kinds read the lists; the weather reads its durations instead.
	virtual void readOwnAttributes(fw::IXMLReader* reader);
};

// Kinds that post a request of message class M with the event's lists.
template <class Base, class M>
class GRequestEvent : public Base
{
protected:
	GGameMessage* createMessage() const override { return new M(this->BuildingTypes, this->PlaceNames); }
};

// The letter kinds also carry the money and wait ranges.
template <class Base>
class GLetterEvent : public Base
{
public:
	void read(fw::IXMLReader* reader) override;
	fw::core::vector2df MoneyRange{0.f, 0.f};
	fw::core::vector2df WaitTimeRange{0.f, 0.f};

protected:
	GGameMessage* createMessage() const override;
};

class GOneTimeSellBuildingRequest : public GRequestEvent<GOneTimeEvent, GSellBuildingRequestMessage>
{
};
class GRegularSellBuildingRequest : public GRequestEvent<GRegularEvent, GSellBuildingRequestMessage>
{
};
class GOneTimeBrokenBuildingRequest : public GRequestEvent<GOneTimeEvent, GBrokenBuildingRequestMessage>
{
};
class GRegularBrokenBuildingRequest : public GRequestEvent<GRegularEvent, GBrokenBuildingRequestMessage>
{
};
class GOneTimeDirtyBuildingRequest : public GRequestEvent<GOneTimeEvent, GDirtyBuildingRequestMessage>
{
};
class GRegularDirtyBuildingRequest : public GRequestEvent<GRegularEvent, GDirtyBuildingRequestMessage>
{
};
class GOneTimeCafeBuildingRequest : public GRequestEvent<GOneTimeEvent, GCafeBuildingRequestMessage>
{
};
class GRegularCafeBuildingRequest : public GRequestEvent<GRegularEvent, GCafeBuildingRequestMessage>
{
};
class GOneTimeLetterRequest : public GLetterEvent<GOneTimeEvent>
{
};
class GRegularLetterRequest : public GLetterEvent<GRegularEvent>
{
};

class GRegularWeatherEffectRequest : public GRegularEvent
{
public:
	GTimeRange DurationTimeRange;

protected:
	GGameMessage* createMessage() const override;
	void readOwnAttributes(fw::IXMLReader* reader) override;
};

// A new event of the kind named exactly by the text (count 1), or null for any other text.
GRandomEvent* createRandomEvent(const fw::core::stringw& type);

// The random events of one level, in file order.
class GRandomEventList : public virtual fw::IReferenceCounted
{
public:
	// The reader stands on the opening "RandomEvents" tag; reads up to its closing tag. Events of
	// unknown kinds are skipped.
	void read(fw::IXMLReader* reader);

	fw::u32 size() const { return m_events.size(); }
	GRandomEvent* get(fw::u32 index) const { return m_events[index].get(); }

private:
	fw::core::array<fw::CRefHolder<GRandomEvent>> m_events;
};
