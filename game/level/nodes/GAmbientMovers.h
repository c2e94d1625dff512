#pragma once

#include "level/nodes/GPathMovableNode.h"
#include "level/scene/GNodeTimer.h"

// A path mover driven by its own timer, which joins the timer manager of its scene on the first
// drawing pass that reaches it (visible or not) and is tried again at every pass while the scene
// has none. Joining runs the class's start.
class GTimedPathMover : public GPathMovableNode, public GNodeTimer
{
public:
	GTimedPathMover(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager,
		fw::u32 interval);

protected:
	void onCollected() override;
	// What the mover does once its timer runs; nothing by default.
	virtual void onTimerJoined() {}
	// Leaves the tree from the mover's own tick, first stopping the states of body (when given).
	// Returns false, for the tick to answer.
	bool leaveTree(fw::BaseNode* body);
	// The direct child "Body", looked up when the node is initialised.
	fw::BaseNode* findBody() const;
};

// Flies in a straight line between random points of two different screen edges at 25 to 35 units
// a second, flapping (its Body enters the facing's "_Flap" state) every 4 to 6 seconds, and leaves
// the tree on arrival.
class GBirdNode : public GTimedPathMover
{
public:
	FW_NODE_CLASS(GBirdNode, GTimedPathMover, NODE_TYPE_GAME_BIRD, L"GBirdNode")
	static constexpr fw::u32 INTERVAL = 30;

	GBirdNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	void onInit() override;
	bool onTimer(fw::u32 elapsed) override;

	fw::BaseNode* getBody() const { return m_body.get(); }
	fw::u32 getFlapCountdown() const { return m_flapCountdown; }

protected:
	void onTimerJoined() override;

private:
	fw::u32 m_flapCountdown = 0;
	fw::CRefHolder<fw::BaseNode> m_body;
};

// Walks a random pedestrian path of the level scene three levels up (its scattered points, either
// way on a two-way path) in spells of walking and standing; while it stands its Body looks around,
// frozen in a random facing now and then. Leaves the tree at the path's end. Outside a level scene
// with paths it stands still.
class GPedestrianNode : public GTimedPathMover
{
public:
	FW_NODE_CLASS(GPedestrianNode, GTimedPathMover, NODE_TYPE_GAME_PEDESTRIAN, L"GPedestrianNode")
	static constexpr fw::u32 INTERVAL = 30;

	enum EPhase
	{
		PHASE_NONE = 0,
		PHASE_WALKING = 1,
		PHASE_STANDING = 2
	};

	GPedestrianNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	void onInit() override;
	bool onTimer(fw::u32 elapsed) override;
	// The base's values and, from another pedestrian, the three time ranges.
	void copyFrom(const fw::BaseNode* source, fw::ISceneManager* sceneManager) override;

	// Ranges of the spells, ms (first, second).
	const fw::core::vector2df& getWalkTimeRange() const { return m_walkTimeRange; }
	void setWalkTimeRange(const fw::core::vector2df& range) { m_walkTimeRange = range; }
	const fw::core::vector2df& getStandTimeRange() const { return m_standTimeRange; }
	void setStandTimeRange(const fw::core::vector2df& range) { m_standTimeRange = range; }
	const fw::core::vector2df& getLookTimeRange() const { return m_lookTimeRange; }
	void setLookTimeRange(const fw::core::vector2df& range) { m_lookTimeRange = range; }

	fw::BaseNode* getBody() const { return m_body.get(); }
	fw::s32 getPhase() const { return m_phase; }
	fw::s32 getPhaseTime() const { return m_phaseTime; }
	fw::s32 getLookTime() const { return m_lookTime; }

protected:
	void onTimerJoined() override;

private:
	fw::s32 drawTime(const fw::core::vector2df& range) const;

	fw::CRefHolder<fw::BaseNode> m_body;
	fw::core::vector2df m_walkTimeRange = fw::core::vector2df(10000.f, 30000.f);
	fw::core::vector2df m_standTimeRange = fw::core::vector2df(4000.f, 6000.f);
	fw::core::vector2df m_lookTimeRange = fw::core::vector2df(1000.f, 3000.f);
	fw::s32 m_phase = PHASE_NONE;
	fw::s32 m_phaseTime = 0;
	fw::s32 m_lookTime = 0;
};

// Flies a number along the route its owner starts, drawn above everything (z 3000), then plays
// "Die" and leaves the tree 2000 ms after arriving.
class GTextTrailNode : public GTimedPathMover
{
public:
	FW_NODE_CLASS(GTextTrailNode, GTimedPathMover, NODE_TYPE_GAME_TEXT_TRAIL, L"GTextTrailNode")
	static constexpr fw::u32 INTERVAL = 10;
	static constexpr fw::s32 DIE_TIME = 2000;
	static constexpr fw::f32 DEPTH = 3000.f;

	GTextTrailNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	bool onTimer(fw::u32 elapsed) override;
	// The text of the direct child "Text", when that is a text node.
	void setText(const fw::core::stringw& text);

	// -1 while flying; then the time left before the trail leaves.
	fw::s32 getWait() const { return m_wait; }

	static fw::s32 nameIdDie();

protected:
	void onTimerJoined() override;

private:
	fw::s32 m_wait = -1;
};
