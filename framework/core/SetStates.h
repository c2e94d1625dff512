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
	static constexpr s32 TypeId = 3;

	SetStates();
	~SetStates() override;

	const wchar_t* getClassName() const override;
	s32 getTypeId() const override { return TypeId; }
	bool isOfType(s32 id) const override { return id == TypeId || Base::isOfType(id); }

	void seek(u32 time, bool apply) override;
	u32 getCurrentTime() const override { return 0; }
	u32 getDuration() const override { return 0; }
	void loadFromXml(IXMLReader* reader, IContentManager* contentManager, const core::stringw& elementName) override;
	void saveToXml(IXMLWriter* writer, const core::stringw& elementName) const override;
	Base* clone(BaseNode* node, ISceneManager* sceneManager) const override;

	const std::vector<SetStatesEntry>& getEntries() const { return m_entries; }

private:
	std::vector<SetStatesEntry> m_entries;
};
} // namespace fw
