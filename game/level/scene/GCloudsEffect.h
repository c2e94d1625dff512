#pragma once

#include "core/CEventNode.h"
#include "core/CRefHolder.h"
#include "level/works/GBuildingWork.h"

#include <vector2d.h>

#include <vector>

namespace fw
{
class BaseNode;
class TemplateCollectionNode;
} // namespace fw

class GPathMovableNode;

// Clouds drifting over the level map from the top or right edge towards the lower left: three at
// once, a fourth at the first step and one more about every ten seconds of level time. The level
// keeps the effect among its works, so the clouds stand still while the level does not run. A
// cloud that reaches the far side leaves.
class GCloudsEffect : public GBuildingWork
{
public:
	static constexpr fw::u32 SPAWN_INTERVAL = 10000;
	static constexpr fw::u32 INITIAL_CLOUDS = 3;

	// The clouds are made under the cargos node from the collection's "Cloud1" to "Cloud3".
	GCloudsEffect(fw::BaseNode* cargosNode, fw::TemplateCollectionNode* templateCollection);
	// Takes the clouds still drifting off the map.
	~GCloudsEffect() override;

	FW_RECEIVER_EVENT_MAP

	fw::f32 getProgress() override { return 0.f; }
	// Moves the clouds and makes a new one when it is time; false without a template collection.
	bool update(fw::u32 stepMs) override;

	// One cloud at a random place of the top or right edge; nothing without a mover template.
	void spawnCloud();

	fw::u32 getCloudCount() const { return static_cast<fw::u32>(m_clouds.size()); }
	GPathMovableNode* getCloud(fw::u32 index) const { return m_clouds[index].get(); }
	fw::u32 getCountdown() const { return m_countdown; }

	static fw::s32 nameIdMovingTo();

private:
	GCloudsEffect(const GCloudsEffect&) = delete;
	GCloudsEffect& operator=(const GCloudsEffect&) = delete;

	// A cloud's route has ended: it leaves the map.
	bool onCloudArrived(fw::CEventNodeStateEnded* event);

	fw::CRefHolder<fw::BaseNode> m_cargosNode;
	fw::CRefHolder<fw::TemplateCollectionNode> m_templateCollection;
	// Held, so that a cloud taken off the map by others never leaves a dangling entry.
	std::vector<fw::CRefHolder<GPathMovableNode>> m_clouds;
	fw::u32 m_countdown = 0;
	// Reused for every cloud's route.
	fw::core::array<fw::core::vector2df> m_route;
};
