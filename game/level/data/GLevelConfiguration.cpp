#include "level/data/GLevelConfiguration.h"

#include "core/CPropertyContainer.h"
#include "core/IXMLReader.h"
#include "core/TextParsing.h"
#include "level/data/LevelXml.h"
#include "level/data/PropertyValues.h"
#include "level/data/RecordFields.h"

namespace
{
struct SOffer
{
	fw::f32 amount;
	fw::f32 price;
	fw::f32 deliveryTime;
};

const SOffer kMaterialsOffers[] = {
	{125.f, 12500.f, 5000.f},
	{250.f, 22500.f, 6000.f},
	{500.f, 40000.f, 7000.f},
	{1000.f, 75000.f, 9000.f},
	{2500.f, 150000.f, 10000.f},
	{5000.f, 250000.f, 12000.f},
};

const SOffer kWorkersOffers[] = {
	{1.f, 50000.f, 5000.f},
	{2.f, 90000.f, 7000.f},
	{3.f, 125000.f, 10000.f},
	{4.f, 150000.f, 12000.f},
};

template <size_t N>
void appendOffers(fw::core::array<fw::CRefHolder<GPurchaseOffer>>& list, const SOffer (&offers)[N])
{
	for (const SOffer& offer : offers)
		list.push_back(fw::adoptRef(new GPurchaseOffer(offer.amount, offer.price, offer.deliveryTime)));
}

// The number a name starts with (optional sign, decimal digits); 0 when it starts with none.
fw::s32 leadingNumber(const fw::core::stringw& name)
{
	return fw::strtol10(name.c_str());
}
} // namespace

GLevelConfiguration::GLevelConfiguration() :
	m_objectives(fw::adoptRef(new GLevelObjectiveList)), m_randomEvents(fw::adoptRef(new GRandomEventList))
{
	m_ratingThresholds.push_back(0);
	m_ratingThresholds.push_back(50);
}

GLevelConfiguration::~GLevelConfiguration() = default;

bool GLevelConfiguration::read(fw::IXMLReader* reader)
{
	if (!reader)
		return false;
	if (levelxml::walkElement(reader, L"Level", levelxml::WALK_DOCUMENT,
			{
				{L"Properties",
					[this](fw::IXMLReader* at)
					{
						const fw::CRefHolder<fw::CPropertyContainer> container =
							fw::adoptRef(new fw::CPropertyContainer(nullptr));
						container->readFromXml(at, false, L"");
						readProperties(container.get());
					}},
				{L"Objectives", [this](fw::IXMLReader* at) { m_objectives->read(at); }},
				{L"RandomEvents", [this](fw::IXMLReader* at) { m_randomEvents->read(at); }},
			}))
		return true;
	levelxml::logCutShort("Level");
	return false;
}

void GLevelConfiguration::readProperties(const fw::CPropertyContainer* properties)
{
	if (!properties)
		return;
	using namespace propertyvalues;
	using namespace recordfields;
	typedef GLevelConfiguration L;
	const fw::PropertyHolder name = properties->get("Name");
	if (name)
		m_name = toStringW(name);
	// An absent name counts as the empty text here, and so as level 0.
	m_levelNumber = leadingNumber(toStringW(name));
	readFields<L>(*this,
		{
			field<&L::m_description, toStringW>("Description"),
			field<&L::m_settingIndex, toInt>("SettingIndex"),
			field<&L::m_unlockLevels, toTextList>("UnlockLevels"),
			field<&L::m_availableBuildings, toNameList>("AvailableBuildingsForBuild"),
			field<&L::m_levelTime, toInt>("LevelTime"),
			field<&L::m_score, toInt>("Score"),
			field<&L::m_expertScore, toInt>("ExpertScore"),
			field<&L::m_dayLength, toInt>("DayLength"),
			field<&L::m_initMoney, toFloat>("InitMoney"),
			field<&L::m_initRating, toFloat>("InitRating"),
			field<&L::m_initMaterialsCount, toFloat>("InitMaterialsCount"),
			field<&L::m_initWorkersCount, toInt>("InitWorkersCount"),
			field<&L::m_incomeBonus1, toFloat>("IncomeBonus1"),
			field<&L::m_incomeBonus2, toFloat>("IncomeBonus2"),
			field<&L::m_pyramidPlaces, toNameList>("PyramidIncomeBonusPlaces"),
			field<&L::m_stationBonus1, toFloat>("StationIncomeBonus1"),
			field<&L::m_stationBonus2, toFloat>("StationIncomeBonus2"),
			field<&L::m_stationTypes1, toNameList>("StationIncomeBonus1BuildingTypes"),
			field<&L::m_stationTypes2, toNameList>("StationIncomeBonus2BuildingTypes"),
			field<&L::m_sellTime, toVector2d>("BuildingsSellTime"),
			field<&L::m_buyRequestTime, toVector2d>("BuildingsBuyRequestTime"),
			field<&L::m_buyRequestWaiting, toVector2d>("BuildingsBuyRequestTimeWaiting"),
			field<&L::m_buyRequestPriceFactor, toVector2d>("BuildingsBuyRequestPriceMultiplier"),
			field<&L::m_ratingOn, toBool>("IsRatingOn"),
			field<&L::m_clockOn, toBool>("IsClockOn"),
			field<&L::m_buildingLevelOn, toBool>("IsBuildingLevelOn"),
			field<&L::m_placeLuckinessOn, toBool>("IsBuildingPlaceLuckinessOn"),
			field<&L::m_sellOn, toBool>("IsSellOn"),
			field<&L::m_notOwnedDecorationsDirty, toBool>("IsNotOwnedDecorationsDirty"),
		},
		properties);
	appendOffers(m_materialsOffers, kMaterialsOffers);
	appendOffers(m_workersOffers, kWorkersOffers);
}

fw::s32 GLevelConfiguration::getRatingThreshold(fw::u32 index) const
{
	if (m_ratingThresholds.empty())
		return 0;
	return index < m_ratingThresholds.size() ? m_ratingThresholds[index] : m_ratingThresholds.getLast();
}
