#pragma once

#include "core/CEventNode.h"
#include "core/CRefHolder.h"
#include "level/works/GBuildingWork.h"

namespace fw
{
class BaseProgressBarNode;
class TemplateCollectionNode;
} // namespace fw

class GBuildingConfiguration;
class GBuildingNode;
class IGWorkSite;
class GLevelPath;
class GPathMovableNode;

// The serving side of a service request: a short progress bar over the building that answers the
// request, for the type's serve work time. At its end the level hears GFeatureReadyMessage and
// frees the building. Cannot be cancelled.
class GServeWork : public GBuildingWork
{
public:
	GServeWork(IGWorkSite* level, GBuildingNode* building, fw::TemplateCollectionNode* templates);
	~GServeWork() override;

	fw::f32 getProgress() override;
	bool update(fw::u32 stepMs) override;

	fw::f32 getRemaining() const { return m_remaining; }

private:
	GServeWork(const GServeWork&) = delete;
	GServeWork& operator=(const GServeWork&) = delete;

	fw::f32 m_remaining;
};

// The requesting side of a service request (alert 5): a bus drives the delivery path to the
// requester, the service runs for the requester type's ServeTime under a progress bar, the level
// hears GServeDoneMessage, and the bus drives back. Without a bus the service starts at once.
// Cannot be cancelled.
class GServeProgressWork : public GBuildingWork
{
public:
	enum EPhase
	{
		// Unused: a missing bus counts as arrived.
		PHASE_WAITING = 0,
		PHASE_BUS_COMING = 1,
		PHASE_ARRIVED = 2,
		PHASE_SERVING = 3,
		PHASE_SERVED = 4,
		PHASE_BUS_LEAVING = 5,
		PHASE_BUS_BACK = 6,
		PHASE_OVER = 7
	};

	// The bus's speed; it keeps out of the street traffic.
	static constexpr fw::f32 BUS_VELOCITY = 180.f;

	GServeProgressWork(IGWorkSite* level, GBuildingNode* building, fw::BaseNode* cargosNode,
		fw::TemplateCollectionNode* templates, GLevelPath* path);
	~GServeProgressWork() override;

	FW_RECEIVER_EVENT_MAP

	// 1 when the type has no serve time.
	fw::f32 getProgress() override;
	bool update(fw::u32 stepMs) override;

	fw::s32 getPhase() const { return m_phase; }
	fw::f32 getRemaining() const { return m_remaining; }
	GPathMovableNode* getBus() const { return m_bus.get(); }

private:
	GServeProgressWork(const GServeProgressWork&) = delete;
	GServeProgressWork& operator=(const GServeProgressWork&) = delete;

	bool onStateEnded(fw::CEventNodeStateEnded* event);

	fw::CRefHolder<GPathMovableNode> m_bus;
	fw::CRefHolder<GLevelPath> m_path;
	fw::s32 m_phase = PHASE_ARRIVED;
	fw::f32 m_remaining;
};
