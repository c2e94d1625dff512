#pragma once

#include "core/ControlNode.h"

namespace fw
{
// A control that holds a value within a range, keeps the three numbers consistent when they are
// set, and asks its subclass to show them. Not made on its own: its clone is null.
class BaseProgressBarNode : public ControlNode
{
public:
	FW_ABSTRACT_NODE_CLASS(BaseProgressBarNode, ControlNode, NODE_TYPE_BASE_PROGRESS_BAR, L"BaseProgressBarNode")
	static const PropertyTable& getClassPropertyTable();

	BaseProgressBarNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);

	// Only a value below MaxValue is taken; Value is raised to it.
	void setMinValue(f32 value);
	f32 getMinValue() const { return m_minValue; }
	// Only a value above MinValue is taken; Value is lowered to it.
	void setMaxValue(f32 value);
	f32 getMaxValue() const { return m_maxValue; }
	// Raised to MinValue, then lowered to MaxValue.
	void setValue(f32 value);
	f32 getValue() const { return m_value; }

	// Shows the range and the value; called on every change of them. Nothing here.
	virtual void layoutKnob() {}

private:
	// Scene files store what they hold, unchecked and without a layout.
	void storeMinValue(f32 value) { m_minValue = value; }
	void storeMaxValue(f32 value) { m_maxValue = value; }
	void storeValue(f32 value) { m_value = value; }

	f32 m_minValue = 0.f;
	f32 m_maxValue = 100.f;
	f32 m_value = 50.f;
};

// A progress bar that shows its value with the "Knob" child of its template along the
// "SlidingArea" child: with KnobType 1 the knob is stretched along the area's longer side to the
// value's share of it; any other KnobType leaves the knob alone. The two are meant to be siblings.
class ProgressBarNode : public BaseProgressBarNode
{
public:
	FW_NODE_CLASS(ProgressBarNode, BaseProgressBarNode, NODE_TYPE_PROGRESS_BAR, L"ProgressBarNode")
	static const PropertyTable& getClassPropertyTable();

	ProgressBarNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~ProgressBarNode() override;

	// Rebinds the sliding area and the knob, then lays the knob out; only under a scene manager.
	void instantiateTemplate() override;
	void layoutKnob() override;

	// Takes effect at the next change or binding.
	void setKnobType(s32 knobType) { m_knobType = knobType; }
	s32 getKnobType() const { return m_knobType; }

	BaseNode* getSlidingArea() const { return m_slidingArea.get(); }
	BaseNode* getKnob() const { return m_knob.get(); }

private:
	CRefHolder<BaseNode> m_slidingArea;
	CRefHolder<BaseNode> m_knob;
	s32 m_knobType = 0;
};
} // namespace fw
