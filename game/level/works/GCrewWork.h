#pragma once

#include "core/CEventNode.h"
#include "core/CRefHolder.h"
#include "level/works/GBuildingWork.h"

class GBuildingConfiguration;

// A job a crew does on an existing building: destroying, repairing, cleaning or restoring it. A bus
// brings the workers along the building's delivery path (without a path they are there at once),
// the job runs while a progress bar stands over the building, the bus drives off, and at the end
// the work reports to the level and hands the workers back. This class runs that outline once for
// all of them; each job supplies its start, its clock and its cancel.
class GCrewWork : public GBuildingWork
{
public:
	enum EPhase
	{
		// Never entered: a missing bus counts as delivered.
		PHASE_WAITING_FOR_BUS = 0,
		PHASE_BUS_COMING = 1,
		PHASE_CREW_ARRIVED = 2,
		PHASE_JOB_STARTED = 3,
		PHASE_JOB_RUNNING = 4,
		PHASE_BUS_LEAVING = 5,
		PHASE_BUS_GONE = 6,
		PHASE_OVER = 7
	};

	~GCrewWork() override;

	FW_RECEIVER_EVENT_MAP

	// Moves the bus, takes the outline one phase on and runs the job's clock from the crew's
	// arrival; false once the job has ended or was cancelled.
	bool update(fw::u32 stepMs) final;

	fw::s32 getPhase() const { return m_phase; }
	GPathMovableNode* getBus() const { return m_bus.get(); }
	fw::f32 getMaterials() const { return m_materials; }
	fw::s32 getWorkers() const { return m_workers; }

protected:
	// What sounds at once when there is no bus to wait for.
	enum EArrivalSound
	{
		ARRIVAL_WORK_SOUND_IF_SELECTED,
		ARRIVAL_WORK_SOUND,
		ARRIVAL_DESTROYING_CUE
	};

	// Listens to the cargos node and the building, sends the bus when the path is usable and the
	// template exists (the crew is there at once otherwise) and shows the progress bar. A work
	// without a building is over at once.
	GCrewWork(IGWorkSite* level, GBuildingNode* building, fw::BaseNode* cargosNode,
		fw::TemplateCollectionNode* templates, GLevelPath* path, fw::f32 materials, fw::s32 workers,
		EArrivalSound arrivalSound);

	// The crew is at the building: phase 2 to 3.
	virtual void startJob() = 0;
	// Each step from the crew's arrival to the job's end (phases 2 to 6).
	virtual void runClock(fw::u32 stepMs) = 0;

	// Phase 7 and the progress bar taken away.
	void endJob();
	void showProgress();
	void postResourcesReturned(fw::f32 materials);
	// The state name followed by the level's setting index.
	fw::s32 settingStateId(const char* prefix) const;
	bool isBuildingSelected() const;

	fw::s32 m_phase = PHASE_WAITING_FOR_BUS;

private:
	GCrewWork(const GCrewWork&) = delete;
	GCrewWork& operator=(const GCrewWork&) = delete;

	// The bus's route or its leaving state has ended.
	bool onBusStateEnded(fw::CEventNodeStateEnded* event);

	fw::BaseNode* m_cargosNode;
	fw::CRefHolder<GPathMovableNode> m_bus;
	fw::CRefHolder<GLevelPath> m_path;
	fw::f32 m_materials;
	fw::s32 m_workers;
};
