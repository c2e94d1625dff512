#include "level/data/GLevelConfiguration.h"

#include "core/CPropertyContainer.h"
#include "core/IXMLReader.h"
#include "core/TextParsing.h"
#include "level/data/LevelXml.h"
#include "level/data/PropertyValues.h"

namespace
{
struct SOffer
{
	fw::f32 amount;
	fw::f32 price;
	fw::f32 deliveryTime;
};

const SOffer kMaterialsOffers[] = {
	{125.f, 12500.f, 5000.f},	{250.f, 22500.f, 6000.f},	 {500.f, 40000.f, 7000.f},
	{1000.f, 75000.f, 9000.f}, {2500.f, 150000.f, 10000.f}, {5000.f, 250000.f, 12000.f},
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
	while (reader->read())
	{
		if (levelxml::isElementEnd(reader, L"Level"))
			return true;
		if (levelxml::isElement(reader, L"Level") && reader->isEmptyElement())
			return true;
		if (levelxml::isElement(reader, L"Properties"))
		{
			const fw::CRefHolder<fw::CPropertyContainer> container = fw::adoptRef(new fw::CPropertyContainer(nullptr));
			container->readFromXml(reader, false, L"");
			readProperties(container.get());
		}
		else if (levelxml::isElement(reader, L"Objectives"))
			m_objectives->read(reader);
		else if (levelxml::isElement(reader, L"RandomEvents"))
			m_randomEvents->read(reader);
	}
	levelxml::logCutShort("Level");
	return false;
}

void GLevelConfiguration::readProperties(const fw::CPropertyContainer* properties)
{
	if (!properties)
		return;
	const propertyvalues::CReader p(properties);
	const fw::PropertyHolder name = p.get("Name");
	if (name)
		m_name = propertyvalues::toStringW(name);
	// An absent name counts as the empty text here, and so as level 0.
	m_levelNumber = leadingNumber(propertyvalues::toStringW(name));
	p.readStringW("Description", m_description);
	p.readInt("SettingIndex", m_settingIndex);
	if (fw::PropertyHolder value = p.get("UnlockLevels"))
		m_unlockLevels = levelxml::splitText(fw::getPropertyText(value));
	if (fw::PropertyHolder value = p.get("AvailableBuildingsForBuild"))
		m_availableBuildings = fw::split(fw::getPropertyText(value));
	p.readInt("LevelTime", m_levelTime);
	p.readInt("Score", m_score);
	p.readInt("ExpertScore", m_expertScore);
	p.readInt("DayLength", m_dayLength);
	p.readFloat("InitMoney", m_initMoney);
	p.readFloat("InitRating", m_initRating);
	p.readFloat("InitMaterialsCount", m_initMaterialsCount);
	p.readInt("InitWorkersCount", m_initWorkersCount);
	p.readFloat("IncomeBonus1", m_incomeBonus1);
	p.readFloat("IncomeBonus2", m_incomeBonus2);
	if (fw::PropertyHolder value = p.get("PyramidIncomeBonusPlaces"))
		m_pyramidPlaces = fw::split(fw::getPropertyText(value));
	p.readFloat("StationIncomeBonus1", m_stationBonus1);
	p.readFloat("StationIncomeBonus2", m_stationBonus2);
	if (fw::PropertyHolder value = p.get("StationIncomeBonus1BuildingTypes"))
		m_stationTypes1 = fw::split(fw::getPropertyText(value));
	if (fw::PropertyHolder value = p.get("StationIncomeBonus2BuildingTypes"))
		m_stationTypes2 = fw::split(fw::getPropertyText(value));
	p.readVector2d("BuildingsSellTime", m_sellTime);
	p.readVector2d("BuildingsBuyRequestTime", m_buyRequestTime);
	p.readVector2d("BuildingsBuyRequestTimeWaiting", m_buyRequestWaiting);
	p.readVector2d("BuildingsBuyRequestPriceMultiplier", m_buyRequestPriceFactor);
	appendOffers(m_materialsOffers, kMaterialsOffers);
	appendOffers(m_workersOffers, kWorkersOffers);
	p.readBool("IsRatingOn", m_ratingOn);
	p.readBool("IsClockOn", m_clockOn);
	p.readBool("IsBuildingLevelOn", m_buildingLevelOn);
	p.readBool("IsBuildingPlaceLuckinessOn", m_placeLuckinessOn);
	p.readBool("IsSellOn", m_sellOn);
	p.readBool("IsNotOwnedDecorationsDirty", m_notOwnedDecorationsDirty);
}

fw::s32 GLevelConfiguration::getRatingThreshold(fw::u32 index) const
{
	if (m_ratingThresholds.empty())
		return 0;
	return index < m_ratingThresholds.size() ? m_ratingThresholds[index] : m_ratingThresholds.getLast();
}
