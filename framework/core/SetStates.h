#pragma once

#include "core/StateItem.h"

#include <vector>

namespace fw
{
// One switch of a SetStates item.
struct SetStatesEntry
{
	s32 stateId = -1;
	// Names of direct children of the target that enter the state each alone; none: the target
	// carries the state down to its children.
	core::array<s32> children;
};

// Switches its target's children, or named children, into named states whenever it is positioned
// with apply. It has no time of its own.
class SetStates : public Base
{
public:
	FW_STATE_ITEM_CLASS(SetStates, Base, STATE_ITEM_TYPE_SET_STATES, L"SetStates")

	SetStates();
	~SetStates() override;

	void seek(u32 time, bool apply) override;
	u32 getCurrentTime() const override { return 0; }
	u32 getDuration() const override { return 0; }

	const std::vector<SetStatesEntry>& getEntries() const { return m_entries; }

protected:
	// The switches, one "State" element each.
	void readElements(IXMLReader* reader, IContentManager* contentManager, const core::stringw& elementName) override;
	void writeElements(IXMLWriter* writer, const core::stringw& elementName) const override;
	void copyFrom(const Base* source) override;

private:
	std::vector<SetStatesEntry> m_entries;
};
} // namespace fw
