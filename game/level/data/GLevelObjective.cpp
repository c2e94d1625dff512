#include "level/data/GLevelObjective.h"

#include "core/IXMLReader.h"
#include "core/TextParsing.h"
#include "level/data/LevelXml.h"
#include "level/data/RecordFields.h"

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

using recordfields::attributeField;
using recordfields::readAttributes;
namespace rf = recordfields;

void GMoneyObjective::read(fw::IXMLReader* reader)
{
	typedef GMoneyObjective O;
	readAttributes<O>(*this,
		{
			attributeField<&O::FloatValue, rf::floatAttribute>(L"Value"),
			attributeField<&O::InfoStr, rf::textAttribute>(L"InfoStr"),
		},
		reader);
}

void GIncomeObjective::read(fw::IXMLReader* reader)
{
	typedef GIncomeObjective O;
	readAttributes<O>(*this, {attributeField<&O::FloatValue, rf::floatAttribute>(L"Value")}, reader);
}

void GWorkersObjective::read(fw::IXMLReader* reader)
{
	typedef GWorkersObjective O;
	readAttributes<O>(*this, {attributeField<&O::IntValue, rf::intAttribute>(L"Value")}, reader);
}

void GGuestsCountObjective::read(fw::IXMLReader* reader)
{
	typedef GGuestsCountObjective O;
	readAttributes<O>(*this, {attributeField<&O::IntValue, rf::intAttribute>(L"Value")}, reader);
}

void GHaveTypedBuildingsCountObjective::read(fw::IXMLReader* reader)
{
	typedef GHaveTypedBuildingsCountObjective O;
	readAttributes<O>(*this,
		{
			attributeField<&O::BuildingTypes, rf::nameListAttribute>(L"BuildingTypes"),
			attributeField<&O::PlaceNames, rf::nameListAttribute>(L"PlaceNames"),
			attributeField<&O::InfoStr, rf::textAttribute>(L"InfoStr"),
			attributeField<&O::IntValue, rf::intAttribute>(L"Value"),
			attributeField<&O::MinIncomeBonus, rf::floatAttribute>(L"MinIncomeBonus"),
			attributeField<&O::MinServedGuests, rf::intAttribute>(L"MinServedGuests"),
			attributeField<&O::MustOwn, rf::trueAttribute>(L"MustOwn"),
		},
		reader);
}

void GHaveEachTypeBuildingsCountObjective::read(fw::IXMLReader* reader)
{
	typedef GHaveEachTypeBuildingsCountObjective O;
	readAttributes<O>(*this,
		{
			attributeField<&O::BuildingTypes, rf::nameListAttribute>(L"BuildingTypes"),
			attributeField<&O::InfoStr, rf::textAttribute>(L"InfoStr"),
			attributeField<&O::IntValue, rf::intAttribute>(L"Value"),
			attributeField<&O::MustOwn, rf::trueAttribute>(L"MustOwn"),
		},
		reader);
}

void GTypedHistoryActionsCountObjective::read(fw::IXMLReader* reader)
{
	typedef GTypedHistoryActionsCountObjective O;
	readAttributes<O>(*this,
		{
			attributeField<&O::BuildingTypes, rf::nameListAttribute>(L"BuildingTypes"),
			attributeField<&O::PlaceNames, rf::nameListAttribute>(L"PlaceNames"),
			attributeField<&O::InfoStr, rf::textAttribute>(L"InfoStr"),
			attributeField<&O::IntValue, rf::intAttribute>(L"Value"),
			attributeField<&O::Action, rf::intAttribute>(L"Action"),
		},
		reader);
}

namespace
{
fw::core::array<fw::s32> intListAttribute(const fw::IXMLReader* reader, const wchar_t* name)
{
	return parseIntListW(reader->getAttributeValue(name));
}
} // namespace

void GHaveConcurrentFeaturesObjective::read(fw::IXMLReader* reader)
{
	typedef GHaveConcurrentFeaturesObjective O;
	readAttributes<O>(*this,
		{
			attributeField<&O::BuildingTypes, rf::nameListAttribute>(L"BuildingTypes"),
			attributeField<&O::FeatureIndices, intListAttribute>(L"FeatureIndices"),
			attributeField<&O::InfoStr, rf::textAttribute>(L"InfoStr"),
		},
		reader);
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
	levelxml::walkKindList(reader, L"Objectives", L"Objective", "Objective", &createLevelObjective,
		[this](GLevelObjective* objective) { m_objectives.emplace_back(objective); });
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
