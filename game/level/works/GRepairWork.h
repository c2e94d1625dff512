#pragma once

#include "level/works/GProgressBarWork.h"

// Mends a broken building in the type's RepairTime.
class GRepairWork : public GProgressBarWork
{
public:
	GRepairWork(IGWorkSite* level, GBuildingNode* building, fw::BaseNode* cargosNode,
		fw::TemplateCollectionNode* templates, GLevelPath* path, fw::f32 materials, fw::s32 workers);

	// Then reports the repair.
	void onFinish() override;
	// Then the building is broken again.
	void onCancel() override;
};
