#pragma once

#include "core/BaseNode.h"
#include "core/CRefHolder.h"
#include "level/data/GameNodeTypeIds.h"
#include "level/scene/IGTrafficManager.h"

#include <vector2d.h>

class GLevelPath;

namespace fw
{
class CRandomGenerator;
}

// A node that travels a polyline at a constant speed, facing its way: the base of the street
// movers, birds, cars, pedestrians and text trails. It has no clock of its own: its owner calls
// update with the elapsed time. A route started with start ends in the state "Stop" and a
// CEventNodeStateEnded to the parent, so that a parent can wait for a walk to finish.
//
// Its z follows its y, so that movers lower on the screen draw in front of those above them.
class GPathMovableNode : public fw::BaseNode
{
public:
	FW_NODE_CLASS(GPathMovableNode, fw::BaseNode, NODE_TYPE_GAME_PATH_MOVABLE, L"GPathMovableNode")

	GPathMovableNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);
	// Leaves its traffic manager.
	~GPathMovableNode() override;

	// Starts the route at once, replacing any route in progress: the node stands on its first point
	// (the last one with reverse), enters "Start" and faces the first segment. endStateId (-1 for
	// none) is what the end report carries. Fewer than two points end the route at once, on the
	// point given if there is one.
	void start(const fw::core::array<fw::core::vector2df>& points, fw::s32 endStateId, bool reverse, bool loop);
	// Moves the node on by the distance of elapsed ms at its velocity, turning at each point
	// passed. At the end: the node on the last point, "Stop", the end report to the parent (whose
	// handler may start the mover again or destroy it). Nothing while at rest.
	void update(fw::u32 elapsedMs);
	// Ends the route where the node stands, in "Stop", without a report. Nothing while at rest.
	void stop();
	// Turns the node to face the motion: its state becomes the facing's name (see
	// directionStateName), set again on every call.
	virtual void setDirection(fw::f32 dx, fw::f32 dy);

	// Moves the registration to another traffic manager (or none); the one already held is kept.
	void setTrafficManager(IGTrafficManager* manager, bool priority);
	IGTrafficManager* getTrafficManager() const { return m_trafficManager.get(); }

	// Scene units per second; owners set it before start.
	fw::f32 getVelocity() const { return m_velocity; }
	void setVelocity(fw::f32 velocity) { m_velocity = velocity; }
	fw::s32 getEndStateId() const { return m_endStateId; }
	fw::s32 getDirectionStateId() const { return m_directionStateId; }
	bool isLooping() const { return m_loop; }
	// Distance travelled along the current segment.
	fw::f32 getProgress() const { return m_progress; }

	// Below two: arrived or stopped.
	fw::u32 getRemainingPointCount() const { return m_remainingPoints.size(); }
	// The current segment: the point most recently reached and the next one. Only while moving.
	const fw::core::vector2df& getSegmentStart() const { return m_remainingPoints.getLast(); }
	const fw::core::vector2df& getSegmentTarget() const { return m_remainingPoints[m_remainingPoints.size() - 2]; }
	// The current segment's vector (target minus start); zero while at rest.
	fw::core::vector2df getSegmentVector() const;

	static fw::s32 nameIdStart();
	static fw::s32 nameIdStop();

protected:
	// For facings of a class's own that choose their state differently.
	void setDirectionStateId(fw::s32 id) { m_directionStateId = id; }

private:
	void placeAt(const fw::core::vector2df& point);
	// The end of the route: on the point that is left, "Stop", the report to an existing parent.
	void finishRoute();

	fw::CRefHolder<IGTrafficManager> m_trafficManager;
	fw::f32 m_velocity = 100.f;
	fw::s32 m_endStateId = -1;
	// Last-first: the last element is the point most recently reached, the one before it the
	// target, the first the end of the route. Only the last is ever removed.
	fw::core::array<fw::core::vector2df> m_remainingPoints;
	// The whole route in the same order, for looping.
	fw::core::array<fw::core::vector2df> m_loopPoints;
	// One round of a looping route: the route and the way back to its start.
	fw::f32 m_loopLength = 0.f;
	bool m_loop = false;
	fw::f32 m_progress = 0.f;
	fw::s32 m_directionStateId = -1;
	// Counts the routes started and stopped, so that an update sees when a handler it called
	// replaced the route.
	fw::u32 m_routeGeneration = 0;
};

// Point index of the path, moved sideways at random by up to its spreads (the right-hand side of
// the direction of travel is positive), so that movers on one path do not follow one line. A
// point with no spread, or a path of one point, is used as it is; an index outside the path gives
// (0, 0).
fw::core::vector2df scatterPathPoint(const GLevelPath& path, fw::s32 index, fw::CRandomGenerator& random);
