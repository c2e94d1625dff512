#include "level/data/GRandomEvent.h"

#include "core/ITimerManager.h"
#include "core/IXMLReader.h"
#include "core/TextParsing.h"
#include "level/data/GGameMessages.h"
#include "level/data/GLevelPaths.h"
#include "level/data/LevelXml.h"
#include "level/data/RecordFields.h"
#include "platform/CRandomGenerator.h"

fw::s32 GTimeRange::draw() const
{
	return fw::CRandomGeneratorSingleton::Instance().nextIntInRange(min, max);
}

namespace
{
// Two integers, minimum first.
GTimeRange timeRangeAttribute(const fw::IXMLReader* reader, const wchar_t* name)
{
	const fw::core::vector2d<fw::s32> pair = parseIntPair(reader->getAttributeValue(name));
	GTimeRange range;
	range.min = pair.X;
	range.max = pair.Y;
	return range;
}
} // namespace

using recordfields::attributeField;
using recordfields::nameListAttribute;
using recordfields::readAttributes;

void GRandomEvent::stop()
{
	m_receiver = nullptr;
	setManager(nullptr);
}

void GRandomEvent::post(GGameMessage* message)
{
	offerGameMessage(m_receiver, message);
}

bool GOneTimeEvent::onTimer(fw::u32 elapsed)
{
	if (paused)
		return true;
	// Kept in 64 bits so that a huge step cannot wrap the countdown back above 0.
	const fw::s64 remaining = static_cast<fw::s64>(RemainingTime) - elapsed;
	RemainingTime = remaining < INT32_MIN ? INT32_MIN : static_cast<fw::s32>(remaining);
	if (RemainingTime > 0)
		return true;
	if (m_receiver)
		post(createMessage());
	return false;
}

void GOneTimeEvent::start(fw::CEventReceiver* receiver, fw::ITimerManager* manager)
{
	RemainingTime = TimeRange.draw();
	m_receiver = receiver;
	setManager(manager);
}

void GOneTimeEvent::read(fw::IXMLReader* reader)
{
	typedef GOneTimeEvent E;
	readAttributes<E>(*this,
		{
			attributeField<&E::TimeRange, timeRangeAttribute>(L"TimeRange"),
			attributeField<&E::BuildingTypes, nameListAttribute>(L"BuildingTypes"),
			attributeField<&E::PlaceNames, nameListAttribute>(L"PlaceNames"),
		},
		reader);
}

namespace
{
fw::s32 subtractStep(fw::s32 value, fw::u32 step)
{
	const fw::s64 result = static_cast<fw::s64>(value) - step;
	return result < INT32_MIN ? INT32_MIN : static_cast<fw::s32>(result);
}
} // namespace

bool GRegularEvent::onTimer(fw::u32 elapsed)
{
	if (paused)
		return true;
	if (Lifetime > 0)
	{
		Lifetime = subtractStep(Lifetime, elapsed);
		// 0 would mean "no end" from here on: a lifetime that reaches it exactly has run out too.
		if (Lifetime <= 0)
		{
			Lifetime = 1;
			return false;
		}
	}
	Countdown = subtractStep(Countdown, elapsed);
	if (Countdown >= 0)
		return true;
	if (m_receiver)
		post(createMessage());
	Countdown = PeriodRange.draw();
	return true;
}

void GRegularEvent::start(fw::CEventReceiver* receiver, fw::ITimerManager* manager)
{
	Countdown = FirstTimeRange.isZero() ? PeriodRange.draw() : FirstTimeRange.draw();
	if (!LastTimeRange.isZero())
		Lifetime = LastTimeRange.draw();
	m_receiver = receiver;
	setManager(manager);
}

void GRegularEvent::read(fw::IXMLReader* reader)
{
	typedef GRegularEvent E;
	readAttributes<E>(*this,
		{
			attributeField<&E::FirstTimeRange, timeRangeAttribute>(L"FirstTimeRange"),
			attributeField<&E::LastTimeRange, timeRangeAttribute>(L"LastTimeRange"),
			attributeField<&E::PeriodRange, timeRangeAttribute>(L"PeriodRange"),
		},
		reader);
	readOwnAttributes(reader);
}

void GRegularEvent::readOwnAttributes(fw::IXMLReader* reader)
{
	typedef GRegularEvent E;
	readAttributes<E>(*this,
		{
			attributeField<&E::BuildingTypes, nameListAttribute>(L"BuildingTypes"),
			attributeField<&E::PlaceNames, nameListAttribute>(L"PlaceNames"),
		},
		reader);
}

template <class Base>
void GLetterEvent<Base>::read(fw::IXMLReader* reader)
{
	typedef GLetterEvent<Base> E;
	Base::read(reader);
	readAttributes<E>(*this,
		{
			attributeField<&E::MoneyRange, recordfields::vector2dAttribute>(L"MoneyRange"),
			attributeField<&E::WaitTimeRange, recordfields::vector2dAttribute>(L"WaitTimeRange"),
		},
		reader);
}

template <class Base>
GGameMessage* GLetterEvent<Base>::createMessage() const
{
	GLetterRequestMessage* message = new GLetterRequestMessage(this->BuildingTypes, this->PlaceNames);
	message->moneyMin = MoneyRange.X;
	message->moneyMax = MoneyRange.Y;
	message->waitMin = WaitTimeRange.X;
	message->waitMax = WaitTimeRange.Y;
	return message;
}

template class GLetterEvent<GOneTimeEvent>;
template class GLetterEvent<GRegularEvent>;

GGameMessage* GRegularWeatherEffectRequest::createMessage() const
{
	return new GWeatherEffectRequestMessage(DurationTimeRange.min, DurationTimeRange.max);
}

void GRegularWeatherEffectRequest::readOwnAttributes(fw::IXMLReader* reader)
{
	typedef GRegularWeatherEffectRequest E;
	readAttributes<E>(*this, {attributeField<&E::DurationTimeRange, timeRangeAttribute>(L"DurationTimeRange")}, reader);
}

namespace
{
template <class T>
GRandomEvent* make()
{
	return new T;
}

struct SKind
{
	const wchar_t* name;
	GRandomEvent* (*create)();
};

const SKind kKinds[] = {
	{L"OneTimeSellBuildingRequest", &make<GOneTimeSellBuildingRequest>},
	{L"RegularSellBuildingRequest", &make<GRegularSellBuildingRequest>},
	{L"OneTimeBrokenBuildingRequest", &make<GOneTimeBrokenBuildingRequest>},
	{L"RegularBrokenBuildingRequest", &make<GRegularBrokenBuildingRequest>},
	{L"OneTimeDirtyBuildingRequest", &make<GOneTimeDirtyBuildingRequest>},
	{L"RegularDirtyBuildingRequest", &make<GRegularDirtyBuildingRequest>},
	{L"OneTimeCafeBuildingRequest", &make<GOneTimeCafeBuildingRequest>},
	{L"RegularCafeBuildingRequest", &make<GRegularCafeBuildingRequest>},
	{L"OneTimeLetterRequest", &make<GOneTimeLetterRequest>},
	{L"RegularLetterRequest", &make<GRegularLetterRequest>},
	{L"RegularWeatherEffectRequest", &make<GRegularWeatherEffectRequest>},
};
} // namespace

GRandomEvent* createRandomEvent(const fw::core::stringw& type)
{
	for (const SKind& kind : kKinds)
		if (type == kind.name)
			return kind.create();
	return nullptr;
}

void GRandomEventList::read(fw::IXMLReader* reader)
{
	m_events.clear();
	levelxml::walkKindList(reader, L"RandomEvents", L"Event", "Event", &createRandomEvent,
		[this](GRandomEvent* event) { m_events.push_back(fw::adoptRef(event)); });
}
