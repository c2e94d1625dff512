#include "level/data/GLevelModifier.h"

#include "core/IXMLReader.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/LevelXml.h"
#include "level/data/RecordFields.h"

void GLevelModifierValues::reset()
{
	MaterialDeliveryTimeM = 1.f;
	WorkerDeliveryTimeM = 1.f;
	MaterialPriceM = 1.f;
	WorkerPriceM = 1.f;
	WorkersCostA = 0.f;
	BuildTimeM = 1.f;
	CanReceiveMoneyLetters = false;
	CanBuildingsBroke = true;
	PyramidIncomeBonus = 0.f;
	StationIncomeBonus1 = 0.f;
	StationIncomeBonus2 = 0.f;
	AquaParkIncomeBonus = 0.f;
	PRIncomeBonus = 0.f;
	BuyNotForSaleBuildingPriceBonus = 0.f;
	BuyBuildingPriceDiscount = 0.f;
	OwnedBuildingPriceBonus = 0.f;
	GuestsCountM = 1.f;
}

void GLevelModifier::read(fw::IXMLReader* reader)
{
	using namespace recordfields;
	readAttributes<GLevelModifier>(*this, {attributeField<&GLevelModifier::Value, floatAttribute>(L"Value")}, reader);
}

namespace
{
template <fw::f32 GLevelModifierValues::*Field>
class GMultiplyModifier : public GLevelModifier
{
public:
	void apply(GLevelConfiguration* configuration) override { configuration->getModifierValues().*Field *= Value; }
};

template <fw::f32 GLevelModifierValues::*Field>
class GAddModifier : public GLevelModifier
{
public:
	void apply(GLevelConfiguration* configuration) override { configuration->getModifierValues().*Field += Value; }
};

// Permissions are set, not combined: the one applied last decides.
template <bool GLevelModifierValues::*Field>
class GPermissionModifier : public GLevelModifier
{
public:
	void apply(GLevelConfiguration* configuration) override { configuration->getModifierValues().*Field = Value > 0.f; }
};

template <class T>
GLevelModifier* make()
{
	return new T;
}

typedef GLevelModifierValues V;

struct SKind
{
	const wchar_t* name;
	GLevelModifier* (*create)();
};

const SKind kKinds[] = {
	{L"MaterialDeliveryTimeM", &make<GMultiplyModifier<&V::MaterialDeliveryTimeM>>},
	{L"WorkerDeliveryTimeM", &make<GMultiplyModifier<&V::WorkerDeliveryTimeM>>},
	{L"MaterialPriceM", &make<GMultiplyModifier<&V::MaterialPriceM>>},
	{L"WorkerPriceM", &make<GMultiplyModifier<&V::WorkerPriceM>>},
	{L"WorkersCostA", &make<GAddModifier<&V::WorkersCostA>>},
	{L"BuildTimeM", &make<GMultiplyModifier<&V::BuildTimeM>>},
	{L"CanReceiveMoneyLetters", &make<GPermissionModifier<&V::CanReceiveMoneyLetters>>},
	{L"CanBuildingsBroke", &make<GPermissionModifier<&V::CanBuildingsBroke>>},
	{L"PyramidIncomeBonus", &make<GAddModifier<&V::PyramidIncomeBonus>>},
	{L"StationIncomeBonus1", &make<GAddModifier<&V::StationIncomeBonus1>>},
	{L"StationIncomeBonus2", &make<GAddModifier<&V::StationIncomeBonus2>>},
	{L"AquaParkIncomeBonus", &make<GAddModifier<&V::AquaParkIncomeBonus>>},
	{L"PRIncomeBonus", &make<GAddModifier<&V::PRIncomeBonus>>},
	{L"BuyNotForSaleBuildingPriceBonus", &make<GAddModifier<&V::BuyNotForSaleBuildingPriceBonus>>},
	{L"BuyBuildingPriceDiscount", &make<GAddModifier<&V::BuyBuildingPriceDiscount>>},
	{L"OwnedBuildingPriceBonus", &make<GAddModifier<&V::OwnedBuildingPriceBonus>>},
	{L"GuestsCountM", &make<GMultiplyModifier<&V::GuestsCountM>>},
};
} // namespace

GLevelModifier* createLevelModifier(const fw::core::stringw& type)
{
	for (const SKind& kind : kKinds)
		if (type == kind.name)
			return kind.create();
	return nullptr;
}

void GLevelModifierList::read(fw::IXMLReader* reader)
{
	m_modifiers.clear();
	levelxml::walkKindList(reader, L"LevelModifiers", L"Modifier", "Modifier", &createLevelModifier,
		[this](GLevelModifier* modifier) { m_modifiers.push_back(fw::adoptRef(modifier)); });
}

void GLevelModifierList::applyAll(GLevelConfiguration* configuration) const
{
	for (fw::u32 i = 0; i < m_modifiers.size(); ++i)
		m_modifiers[i]->apply(configuration);
}
