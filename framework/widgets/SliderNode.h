#pragma once

#include "core/ControlNode.h"

namespace fw
{
class CEventInputKeyDown;
class CEventInputKeyUp;
class CEventInputMouseLeftDown;
class CEventInputMouseMove;

// A control holding a value within a range that the player changes by clicking or dragging along
// the "SlidingArea" child of its template, by its "PrevButton" and "NextButton" and by keys. The
// "Knob" child shows the value: moved along the area (KnobType 0), stretched from its start (1),
// or moved and sized by the page size (2), the span one view of a scrolled list covers. Changes
// made by input are queued for the parent as value-changed events; setters queue none. With a page
// size, input stops one page before MaxValue, where the knob reaches the track's end.
class SliderNode : public ControlNode
{
public:
	FW_NODE_CLASS(SliderNode, ControlNode, NODE_TYPE_SLIDER, L"SliderNode")
	static const PropertyTable& getClassPropertyTable();

	SliderNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~SliderNode() override;

	// Rebinds the area, the knob and the buttons, then lays the knob out; only under a scene manager.
	void instantiateTemplate() override;

	bool onMouseMove(CEventInputMouseMove* event) override;
	bool onMouseDown(CEventInputMouseLeftDown* event) override;
	bool onKeyDown(CEventInputKeyDown* event) override;
	bool onKeyUp(CEventInputKeyUp* event) override;
	// Never consumed.
	virtual bool onNodePressedPreview(CEventNodePressedPreview* event);
	// The buttons step the value; never consumed, so that the press goes on up.
	virtual bool onNodePressed(CEventNodePressed* event);

	static const EventMap& getClassEventMap();
	// After the control's children, the buttons and the knob; the knob's taking of a move or a
	// press still lets the slider see it.
	bool routeDown(s32 mode, CEvent* event) override;

	// Only a value below MaxValue is taken; Value is raised to it.
	void setMinValue(f32 value);
	f32 getMinValue() const { return m_minValue; }
	// Only a value above MinValue is taken; Value is lowered to it.
	void setMaxValue(f32 value);
	f32 getMaxValue() const { return m_maxValue; }
	// Raised to MinValue, then lowered to MaxValue.
	void setValue(f32 value);
	f32 getValue() const { return m_value; }
	void setPageSize(f32 pageSize);
	f32 getPageSize() const { return m_pageSize; }
	void setDeltaValue(f32 delta) { m_deltaValue = delta; }
	f32 getDeltaValue() const { return m_deltaValue; }
	// Takes effect at the next change or binding.
	void setKnobType(s32 knobType) { m_knobType = knobType; }
	s32 getKnobType() const { return m_knobType; }

	// Places or sizes the knob along the area's longer side.
	void layoutKnob();
	// The value under a point in window pixels; a point off the area changes nothing.
	void setValueFromPoint(const core::vector2df& point);

	BaseNode* getSlidingArea() const { return m_slidingArea.get(); }
	BaseNode* getKnob() const { return m_knob.get(); }
	BaseNode* getPrevButton() const { return m_prevButton.get(); }
	BaseNode* getNextButton() const { return m_nextButton.get(); }

private:
	// Scene files store what they hold, unchecked and without a layout.
	void storeMinValue(f32 value) { m_minValue = value; }
	void storeMaxValue(f32 value) { m_maxValue = value; }
	void storeValue(f32 value) { m_value = value; }
	// The highest value input gives: MaxValue, or with a page size the start of the last view, so
	// that a scrolled list is never asked to start beyond its last full view.
	f32 getInputMaximum() const;
	// Lowered to the input maximum, then through setValue.
	void setValueByInput(f32 value);
	// The share of the range one view covers, at most 1; 0 for an empty range.
	f32 getPageFraction() const;
	bool isHorizontal() const;
	// Queues the value-changed event when the value differs from the one before the input.
	void reportChange(f32 before);

	CRefHolder<BaseNode> m_slidingArea;
	CRefHolder<BaseNode> m_knob;
	CRefHolder<BaseNode> m_nextButton;
	CRefHolder<BaseNode> m_prevButton;
	f32 m_minValue = 0.f;
	f32 m_maxValue = 100.f;
	f32 m_value = 50.f;
	f32 m_pageSize = 0.f;
	f32 m_deltaValue = 5.f;
	s32 m_knobType = 0;
};
} // namespace fw
