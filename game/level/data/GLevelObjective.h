#pragma once

#include "core/CRefHolder.h"
#include "core/CoreTypes.h"

#include <memory>
#include <vector>

namespace fw
{
class BaseNode;
class IXMLReader;
} // namespace fw
class GGameLevelScene;

// One objective of a level, read from an "Objective" element. The kinds test themselves against
// the running level; the list owns them.
class GLevelObjective
{
public:
	virtual ~GLevelObjective() = default;
	// Called when the level is set up.
	virtual void reset() {}
	virtual bool isComplete(GGameLevelScene* level) const;
	// Texts are translated through the dictionary of the node that shows them (none for null).
	virtual fw::core::stringw getDisplayName(const fw::BaseNode* node, bool full) const;
	virtual fw::core::stringw getProgressText(GGameLevelScene* level) const;
	virtual fw::core::stringw getHint() const { return fw::core::stringw(); }
	// The reader stands on the "Objective" element; only its attributes are read.
	virtual void read(fw::IXMLReader* reader) = 0;
};

// The attributes the kinds share; each kind reads the ones it has.
class GLevelObjectiveBase : public GLevelObjective
{
public:
	fw::core::stringw getDisplayName(const fw::BaseNode* node, bool full) const override;

	fw::core::stringw InfoStr;
	fw::f32 FloatValue = 0.f;
	fw::s32 IntValue = 0;
	fw::core::array<fw::s32> BuildingTypes;
	fw::core::array<fw::s32> PlaceNames;
};

class GMoneyObjective : public GLevelObjectiveBase
{
public:
	bool isComplete(GGameLevelScene* level) const override;
	fw::core::stringw getProgressText(GGameLevelScene* level) const override;
	void read(fw::IXMLReader* reader) override;
	fw::core::stringw getHint() const override { return L"%GamePlay_CompleteHintMoney%"; }
};

class GIncomeObjective : public GLevelObjectiveBase
{
public:
	bool isComplete(GGameLevelScene* level) const override;
	fw::core::stringw getProgressText(GGameLevelScene* level) const override;
	fw::core::stringw getDisplayName(const fw::BaseNode* node, bool full) const override;
	void read(fw::IXMLReader* reader) override;
	fw::core::stringw getHint() const override { return L"%GamePlay_CompleteHintIncome%"; }
};

class GWorkersObjective : public GLevelObjectiveBase
{
public:
	bool isComplete(GGameLevelScene* level) const override;
	fw::core::stringw getProgressText(GGameLevelScene* level) const override;
	fw::core::stringw getDisplayName(const fw::BaseNode* node, bool full) const override;
	void read(fw::IXMLReader* reader) override;
	fw::core::stringw getHint() const override { return L"%GamePlay_CompleteHintWorkers%"; }
};

class GGuestsCountObjective : public GLevelObjectiveBase
{
public:
	bool isComplete(GGameLevelScene* level) const override;
	fw::core::stringw getProgressText(GGameLevelScene* level) const override;
	fw::core::stringw getDisplayName(const fw::BaseNode* node, bool full) const override;
	void read(fw::IXMLReader* reader) override;
	fw::core::stringw getHint() const override { return L"%GamePlay_CompleteHintGuests%"; }
};

// -10000 marks MinIncomeBonus as not set.
constexpr fw::f32 OBJECTIVE_NO_MIN_INCOME_BONUS = -10000.f;

class GHaveTypedBuildingsCountObjective : public GLevelObjectiveBase
{
public:
	bool isComplete(GGameLevelScene* level) const override;
	fw::core::stringw getProgressText(GGameLevelScene* level) const override;
	fw::s32 count(const GGameLevelScene* level) const;
	void read(fw::IXMLReader* reader) override;
	fw::f32 MinIncomeBonus = OBJECTIVE_NO_MIN_INCOME_BONUS;
	fw::s32 MinServedGuests = 0;
	bool MustOwn = false;
};

class GHaveEachTypeBuildingsCountObjective : public GLevelObjectiveBase
{
public:
	bool isComplete(GGameLevelScene* level) const override;
	fw::core::stringw getProgressText(GGameLevelScene* level) const override;
	fw::s32 count(const GGameLevelScene* level) const;
	void read(fw::IXMLReader* reader) override;
	bool MustOwn = false;
};

class GTypedHistoryActionsCountObjective : public GLevelObjectiveBase
{
public:
	bool isComplete(GGameLevelScene* level) const override;
	fw::core::stringw getProgressText(GGameLevelScene* level) const override;
	fw::s32 count(const GGameLevelScene* level) const;
	void read(fw::IXMLReader* reader) override;
	fw::s32 Action = 0;
};

class GHaveConcurrentFeaturesObjective : public GLevelObjectiveBase
{
public:
	bool isComplete(GGameLevelScene* level) const override;
	fw::core::stringw getProgressText(GGameLevelScene* level) const override;
	fw::s32 count(const GGameLevelScene* level) const;
	void read(fw::IXMLReader* reader) override;
	void reset() override { m_latched = false; }
	// Paired with BuildingTypes entry by entry; both lists are cut to the shorter one.
	fw::core::array<fw::s32> FeatureIndices;

protected:
	// Once complete, complete until the level is set up again.
	mutable bool m_latched = false;
};

// A new objective of the kind named exactly by the text, or null for any other text.
GLevelObjective* createLevelObjective(const fw::core::stringw& type);

// The objectives of one level, in file order.
class GLevelObjectiveList : public virtual fw::IReferenceCounted
{
public:
	// The reader stands on the opening "Objectives" tag; reads up to its closing tag. Objectives of
	// unknown kinds are skipped.
	void read(fw::IXMLReader* reader);

	fw::u32 size() const { return static_cast<fw::u32>(m_objectives.size()); }
	GLevelObjective* get(fw::u32 index) const { return m_objectives[index].get(); }

private:
	std::vector<std::unique_ptr<GLevelObjective>> m_objectives;
};

// The integers of a text, whatever stands between them: "-" or a digit starts a number (read as a
// float and truncated, clamped to the int range), and the scan goes on after it.
fw::core::array<fw::s32> parseIntListW(const fw::core::stringw& text);
