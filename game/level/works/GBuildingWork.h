#pragma once

#include "core/CEventReceiver.h"
#include "core/CRefHolder.h"

#include <vector2d.h>

namespace fw
{
class BaseNode;
class BaseProgressBarNode;
class TemplateCollectionNode;
} // namespace fw

class GBuildingConfiguration;
class GBuildingNode;
class IGWorkSite;
class GGameMessage;
class GLevelPath;
class GPathMovableNode;
class IGTrafficManager;

// Anything the level advances once per step until it says it is over: the works on buildings and
// the level's own effects. The level holds each in its works list and drops it when update answers
// false. Works take game messages and node events; those that listen to nodes answer through an
// event map of their own.
//
// The helpers below are what every work on a building does alike: copy its nodes from the level's
// template collection, listen to the cargos node and the building, drive a bus along the delivery
// path, show a progress bar over the building and report to the level.
class GBuildingWork : public fw::CEventReceiver
{
public:
	// The level's own effects run on no building.
	GBuildingWork();
	GBuildingWork(IGWorkSite* level, GBuildingNode* building, GBuildingConfiguration* type);
	~GBuildingWork() override;

	// How far the work is, nominally 0 to 1.
	virtual fw::f32 getProgress() = 0;
	// Advances the work by one level step; false when it is over.
	virtual bool update(fw::u32 stepMs) = 0;
	// The player's abort; nothing by default.
	virtual void cancel() {}

	// The level the work runs in and the building it works on; null for the level's effects.
	IGWorkSite* getLevelScene() const { return m_level; }
	GBuildingNode* getBuilding() const { return m_building; }
	// The type the work was made for (the building's type then, or the one a construction builds).
	GBuildingConfiguration* getType() const { return m_type.get(); }
	// The bar shown over the building while the work runs; null without one.
	fw::BaseProgressBarNode* getProgressBar() const { return m_progressBar.get(); }

	// Speed of the vehicles of the construction, destroy, repair, cleaning and restoring works.
	static constexpr fw::f32 VEHICLE_VELOCITY = 140.f;

	// A copy of the collection's template under parent (made visible by the callers that want it),
	// or null when the template is missing or does not answer isOfType(requiredType) (-1: any).
	static fw::BaseNode* cloneWorkNode(fw::TemplateCollectionNode* templates, fw::s32 templateNameId,
		fw::BaseNode* parent, fw::s32 requiredType = -1);
	// Detaches a work node from its parent, which lets it go, and forgets it.
	template <class Node>
	static void removeWorkNode(fw::CRefHolder<Node>& node)
	{
		detachNode(node.get());
		node.release();
	}

	// The x and y of every point of the path, in path order; empty without a path.
	static void pathPoints(const GLevelPath* path, fw::core::array<fw::core::vector2df>& points);
	// A path a vehicle can drive: at least two points.
	static bool isUsablePath(const GLevelPath* path);

	// Hands the message to the level and, when no handler there consumes it, to the level's parent;
	// then drops the caller's reference.
	static void postToLevel(IGWorkSite* level, GGameMessage* message);

	// The level's build-time factor (1 without a configuration).
	static fw::f32 buildTimeFactor(const IGWorkSite* level);

	static fw::s32 nameIdMovingTo();
	static fw::s32 nameIdMovingFrom();

protected:
	// The level owns the works and destroys them before its nodes: plain pointers.
	IGWorkSite* m_level = nullptr;
	GBuildingNode* m_building = nullptr;
	// Held: the level may reload the buildings configuration while the work runs.
	fw::CRefHolder<GBuildingConfiguration> m_type;
	fw::CRefHolder<fw::BaseProgressBarNode> m_progressBar;

	// Reports to the work's level (postToLevel).
	void post(GGameMessage* message) { postToLevel(m_level, message); }

	// Joins the post-listeners of the cargos node and the building; the destructor leaves them.
	void listenTo(fw::BaseNode* cargosNode, fw::BaseNode* building);
	void stopListening();

	// Empties the building's work slot, unless another work has taken it meanwhile.
	void leaveWorkSlot(GBuildingNode* building);

	// A copy of "ProgressBarOverBuilding" added to the building, its look instantiated, visible,
	// ranging 0 to 1 at 0; null when the template is missing or not a progress bar.
	static fw::CRefHolder<fw::BaseProgressBarNode> makeProgressBarOverBuilding(fw::TemplateCollectionNode* templates,
		GBuildingNode* building);

	// A copy of "Bus" under the cargos node, visible, at velocity, started on the path's points
	// towards "MovingTo"; registered with the traffic manager with priority when one is given; the
	// "Bus" cue sounds when playCue. Null without a usable path or without the mover template.
	static fw::CRefHolder<GPathMovableNode> makeBus(fw::TemplateCollectionNode* templates, fw::BaseNode* cargosNode,
		const GLevelPath* path, fw::f32 velocity, IGTrafficManager* traffic, bool playCue);

private:
	static void detachNode(fw::BaseNode* node);

	fw::BaseNode* m_listenedCargos = nullptr;
	fw::BaseNode* m_listenedBuilding = nullptr;
};
