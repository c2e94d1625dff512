#pragma once

#include "level/works/GProgressBarWork.h"

// Cleans a dirty building; it takes as long as a repair.
class GCleaningWork : public GProgressBarWork
{
public:
	GCleaningWork(IGWorkSite* level, GBuildingNode* building, fw::BaseNode* cargosNode,
		fw::TemplateCollectionNode* templates, GLevelPath* path, fw::f32 materials, fw::s32 workers);

	// Then reports the cleaning.
	void onFinish() override;
	// Then the building is dirty again.
	void onCancel() override;
};
