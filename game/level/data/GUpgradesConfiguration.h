#pragma once

#include "core/CRefHolder.h"
#include "core/CoreTypes.h"
#include "level/data/GLevelModifier.h"

#include <map>

namespace fw
{
class IXMLReader;
}

// A building type's active feature that an upgrade allows.
struct GAllowedFeature
{
	fw::s32 building = -1;
	// Counted from 0.
	fw::s32 featureIndex = -1;
};

// An upgrade the player can buy in the shop.
class GUpgrade : public virtual fw::IReferenceCounted
{
public:
	GUpgrade() : LevelModifiers(fw::adoptRef(new GLevelModifierList)) {}

	// The reader stands on the opening "Upgrade" tag; reads up to its closing tag.
	void read(fw::IXMLReader* reader);

	fw::s32 Name = -1;
	fw::core::stringw Info;
	// 0 needs no purchase.
	fw::s32 Price = 0;
	fw::s32 Level = 0;
	fw::s32 ObligatoryLevel = -1;
	fw::core::array<fw::s32> AllowedBuildings;
	fw::core::array<GAllowedFeature> AllowedFeatures;
	// Always present.
	fw::CRefHolder<GLevelModifierList> LevelModifiers;
};

class GUpgradesConfiguration : public virtual fw::IReferenceCounted
{
public:
	// Replaces the contents; the first upgrade of a name wins. True when the closing root tag was
	// reached; what was read before the input ended stays.
	bool load(fw::IXMLReader* reader);
	// Borrowed; null for an unknown name.
	GUpgrade* getUpgrade(fw::s32 nameId) const;
	// In name-id order.
	const std::map<fw::s32, fw::CRefHolder<GUpgrade>>& getUpgrades() const { return m_upgrades; }

private:
	std::map<fw::s32, fw::CRefHolder<GUpgrade>> m_upgrades;
};
