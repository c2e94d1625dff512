#pragma once

#include "level/nodes/GAmbientMovers.h"

// Follows the route its owner starts, and leaves the tree at its end unless told to stay.
class GCarNode : public GTimedPathMover
{
public:
	FW_NODE_CLASS(GCarNode, GTimedPathMover, NODE_TYPE_GAME_CAR, L"GCarNode")
	static constexpr fw::u32 INTERVAL = 10;

	GCarNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	bool onTimer(fw::u32 elapsed) override;

	bool getRemoveAtEnd() const { return m_removeAtEnd; }
	void setRemoveAtEnd(bool remove) { m_removeAtEnd = remove; }

private:
	bool m_removeAtEnd = true;
};
