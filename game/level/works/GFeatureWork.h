#pragma once

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

// A switchable feature of a building of Type 3 or more, run as a work: it starts the feature and
// shows over the building how much of the active time has passed, until the feature stops. The
// building's own feature timer reports the end of a feature that ran; the work reports the end
// itself only for a feature that never started. Cannot be cancelled.
class GFeatureWork : public GBuildingWork
{
public:
	GFeatureWork(IGWorkSite* level, GBuildingNode* building, fw::BaseNode* cargosNode,
		fw::TemplateCollectionNode* templates, fw::s32 featureIndex);
	~GFeatureWork() override;

	// The share of the feature's active time already spent.
	fw::f32 getProgress() override;
	bool update(fw::u32 stepMs) override;

	fw::s32 getFeatureIndex() const { return m_featureIndex; }

private:
	GFeatureWork(const GFeatureWork&) = delete;
	GFeatureWork& operator=(const GFeatureWork&) = delete;

	fw::s32 m_featureIndex;
	// Once seen active, the building's timer reports the feature's end.
	bool m_featureStarted = false;
};
