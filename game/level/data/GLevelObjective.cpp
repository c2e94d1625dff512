#include "level/data/GLevelObjective.h"

#include "core/IXMLReader.h"
#include "core/TextParsing.h"
#include "level/data/LevelXml.h"

bool GLevelObjective::isComplete(GGameLevelScene*) const
{
	// The kinds answer once they are evaluated against a level scene.
	return false;
}

fw::core::stringw GLevelObjective::getDisplayName(const fw::BaseNode*, bool) const
{
	return fw::core::stringw();
}

fw::core::stringw GLevelObjective::getProgressText(GGameLevelScene*) const
{
	return fw::core::stringw();
}

fw::core::stringw GLevelObjectiveBase::getDisplayName(const fw::BaseNode*, bool) const
{
	return InfoStr;
}

namespace
{
bool readMustOwn(const fw::IXMLReader* reader)
{
	// Only the exact text turns it on.
	return reader->getAttributeValue(L"MustOwn") == L"true";
}
} // namespace

void GMoneyObjective::read(fw::IXMLReader* reader)
{
	FloatValue = reader->getAttributeValueAsFloat(L"Value", 0.f);
	InfoStr = reader->getAttributeValue(L"InfoStr");
}

void GIncomeObjective::read(fw::IXMLReader* reader)
{
	FloatValue = reader->getAttributeValueAsFloat(L"Value", 0.f);
}

void GWorkersObjective::read(fw::IXMLReader* reader)
{
	IntValue = reader->getAttributeValueAsInt(L"Value", 0);
}

void GGuestsCountObjective::read(fw::IXMLReader* reader)
{
	IntValue = reader->getAttributeValueAsInt(L"Value", 0);
}

void GHaveTypedBuildingsCountObjective::read(fw::IXMLReader* reader)
{
	BuildingTypes = levelxml::nameListAttribute(reader, L"BuildingTypes");
	PlaceNames = levelxml::nameListAttribute(reader, L"PlaceNames");
	InfoStr = reader->getAttributeValue(L"InfoStr");
	IntValue = reader->getAttributeValueAsInt(L"Value", 0);
	MinIncomeBonus = reader->getAttributeValueAsFloat(L"MinIncomeBonus", OBJECTIVE_NO_MIN_INCOME_BONUS);
	MinServedGuests = reader->getAttributeValueAsInt(L"MinServedGuests", 0);
	MustOwn = readMustOwn(reader);
}

void GHaveEachTypeBuildingsCountObjective::read(fw::IXMLReader* reader)
{
	BuildingTypes = levelxml::nameListAttribute(reader, L"BuildingTypes");
	InfoStr = reader->getAttributeValue(L"InfoStr");
	IntValue = reader->getAttributeValueAsInt(L"Value", 0);
	MustOwn = readMustOwn(reader);
}

void GTypedHistoryActionsCountObjective::read(fw::IXMLReader* reader)
{
	BuildingTypes = levelxml::nameListAttribute(reader, L"BuildingTypes");
	PlaceNames = levelxml::nameListAttribute(reader, L"PlaceNames");
	InfoStr = reader->getAttributeValue(L"InfoStr");
	IntValue = reader->getAttributeValueAsInt(L"Value", 0);
	Action = reader->getAttributeValueAsInt(L"Action", 0);
}

void GHaveConcurrentFeaturesObjective::read(fw::IXMLReader* reader)
{
	BuildingTypes = levelxml::nameListAttribute(reader, L"BuildingTypes");
	FeatureIndices = parseIntListW(reader->getAttributeValue(L"FeatureIndices"));
	InfoStr = reader->getAttributeValue(L"InfoStr");
	const fw::u32 pairs = fw::core::min_(BuildingTypes.size(), FeatureIndices.size());
	BuildingTypes.set_used(pairs);
	FeatureIndices.set_used(pairs);
}

namespace
{
template <class T>
GLevelObjective* make()
{
	return new T;
}

struct SKind
{
	const wchar_t* name;
	GLevelObjective* (*create)();
};

const SKind kKinds[] = {
	{L"Money", &make<GMoneyObjective>},
	{L"Income", &make<GIncomeObjective>},
	{L"Workers", &make<GWorkersObjective>},
	{L"GuestsCount", &make<GGuestsCountObjective>},
	{L"HaveTypedBuildingsCount", &make<GHaveTypedBuildingsCountObjective>},
	{L"HaveEachTypeBuildingsCount", &make<GHaveEachTypeBuildingsCountObjective>},
	{L"TypedHistoryActionsCount", &make<GTypedHistoryActionsCountObjective>},
	{L"HaveConcurrentFeatures", &make<GHaveConcurrentFeaturesObjective>},
};
} // namespace

GLevelObjective* createLevelObjective(const fw::core::stringw& type)
{
	for (const SKind& kind : kKinds)
		if (type == kind.name)
			return kind.create();
	return nullptr;
}

void GLevelObjectiveList::read(fw::IXMLReader* reader)
{
	m_objectives.clear();
	if (reader->isEmptyElement())
		return;
	while (reader->read())
	{
		if (levelxml::isElementEnd(reader, L"Objectives"))
			return;
		if (!levelxml::isElement(reader, L"Objective"))
			continue;
		std::unique_ptr<GLevelObjective> objective(createLevelObjective(reader->getAttributeValue(L"Type")));
		if (!objective)
		{
			levelxml::logUnknownKind("Objective", reader->getAttributeValue(L"Type"));
			continue;
		}
		objective->read(reader);
		m_objectives.push_back(std::move(objective));
	}
}

fw::core::array<fw::s32> parseIntListW(const fw::core::stringw& text)
{
	fw::core::array<fw::s32> values;
	const wchar_t* p = text.c_str();
	while (*p)
	{
		if (*p != L'-' && (*p < L'0' || *p > L'9'))
		{
			++p;
			continue;
		}
		fw::f32 value = 0.f;
		// A number always moves past its first character, so a lone "-" reads 0 and the scan goes on.
		p = fw::fast_atof_move(p, value);
		values.push_back(fw::truncateToInt(value));
	}
	return values;
}
