#pragma once

#include "core/BaseNode.h"
#include "level/data/GameNodeTypeIds.h"

// A decoration that varies from one play to the next: at the first drawing pass that reaches it
// (visible or not), it decides once, at random, whether to show one of its templates, picked at
// random, in one of its states, picked at random. The object shown is a transient child: drawn
// with the node, never saved or copied with it. A copy decides anew.
class OnceSpawnerNode : public fw::BaseNode
{
public:
	FW_NODE_CLASS(OnceSpawnerNode, fw::BaseNode, NODE_TYPE_GAME_ONCE_SPAWNER, L"OnceSpawnerNode")
	static const fw::PropertyTable& getClassPropertyTable();
	static constexpr fw::s32 DEFAULT_SHOW_PERCENT = 50;

	OnceSpawnerNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	// ObjState and ObjTemplateIDs: names separated by ";" (trimmed, empty pieces dropped).
	void setObjState(const fw::core::stringc& names);
	fw::core::stringc getObjState() const;
	void setObjTemplateIDs(const fw::core::stringc& names);
	fw::core::stringc getObjTemplateIDs() const;
	// The chance, in percent, that anything is shown: 99 or more always, 1 or less never.
	fw::s32 getShowLevelPercent() const { return m_showPercent; }
	void setShowLevelPercent(fw::s32 percent) { m_showPercent = percent; }

	const fw::core::array<fw::s32>& getStateIds() const { return m_stateIds; }
	const fw::core::array<fw::s32>& getTemplateIds() const { return m_templateIds; }
	// The decision has not been taken yet.
	bool isSpawnPending() const { return m_spawnPending; }

protected:
	void onCollected() override;

private:
	void setObjStateProperty(const fw::PropertyHolder& value);
	fw::PropertyHolder getObjStateProperty() const;
	void setObjTemplateIDsProperty(const fw::PropertyHolder& value);
	fw::PropertyHolder getObjTemplateIDsProperty() const;

	bool m_spawnPending = true;
	fw::s32 m_showPercent = DEFAULT_SHOW_PERCENT;
	fw::core::array<fw::s32> m_stateIds;
	fw::core::array<fw::s32> m_templateIds;
};
