#include "widgets/SliderNode.h"
#include "widgets/ValueRange.h"

#include "core/CEventInput.h"
#include "core/CNameTable.h"
#include "core/KeyCodes.h"
#include "core/PropertyAccessors.h"
#include "core/StateItem.h"
#include "widgets/CEventValueChanged.h"

namespace fw
{
namespace
{

const s32 KNOB_MOVING = 0;
const s32 KNOB_FILLING = 1;
const s32 KNOB_PAGED = 2;
// A paged knob never shrinks below a size the pointer can still catch.
const f32 MIN_PAGED_KNOB = 25.f;

struct SSliderNames
{
	s32 slidingArea, knob, nextButton, prevButton;
	SSliderNames()
	{
		CNameTable& names = CNameTableSingleton::Instance();
		slidingArea = names.intern("SlidingArea");
		knob = names.intern("Knob");
		nextButton = names.intern("NextButton");
		prevButton = names.intern("PrevButton");
	}
};

const SSliderNames& sliderNames()
{
	static const SSliderNames& table = *new SSliderNames;
	return table;
}

f32& along(core::vector3df& v, bool horizontal)
{
	return horizontal ? v.X : v.Y;
}
} // namespace

SliderNode::SliderNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	ControlNode(reference, parent, sceneManager)
{
}

SliderNode::~SliderNode() = default;

const PropertyTable& SliderNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable<SliderNode>(ControlNode::getClassPropertyTable(),
		{
			makeProperty<&SliderNode::setMinValue, &SliderNode::getMinValue>("MinValue")
				.stored()
				.readBy<&SliderNode::storeMinValue>()
				.copiedIn<&SliderNode::m_minValue>(),
			makeProperty<&SliderNode::setMaxValue, &SliderNode::getMaxValue>("MaxValue")
				.stored()
				.readBy<&SliderNode::storeMaxValue>()
				.copiedIn<&SliderNode::m_maxValue>(),
			makeProperty<&SliderNode::setValue, &SliderNode::getValue>("Value")
				.stored()
				.readBy<&SliderNode::storeValue>()
				.copiedIn<&SliderNode::m_value>(),
			makeProperty<&SliderNode::setDeltaValue, &SliderNode::getDeltaValue>("DeltaValue")
				.stored()
				.copiedIn<&SliderNode::m_deltaValue>(),
			makeProperty<&SliderNode::setKnobType, &SliderNode::getKnobType>("KnobType")
				.stored()
				.copiedIn<&SliderNode::m_knobType>(),
		});
	return table;
}

const EventMap& SliderNode::getClassEventMap()
{
	static const EventMap& map = *new EventMap(makeEventMap(ControlNode::getClassEventMap(),
		{
			eventMapEntry<&SliderNode::onNodePressedPreview>(),
			eventMapEntry<&SliderNode::onNodePressed>(),
		}));
	return map;
}

void SliderNode::setMinValue(f32 value)
{
	if (setRangeMinimum(m_minValue, m_maxValue, m_value, value))
		layoutKnob();
}

void SliderNode::setMaxValue(f32 value)
{
	if (setRangeMaximum(m_minValue, m_maxValue, m_value, value))
		layoutKnob();
}

void SliderNode::setValue(f32 value)
{
	m_value = clampToRange(value, m_minValue, m_maxValue);
	layoutKnob();
}

void SliderNode::setPageSize(f32 pageSize)
{
	m_pageSize = pageSize;
	layoutKnob();
}

void SliderNode::instantiateTemplate()
{
	if (!getSceneManager())
		return;
	const CRefHolder<SliderNode> self = holdForCall(this);
	ControlNode::instantiateTemplate();
	m_slidingArea.release();
	m_knob.release();
	m_nextButton.release();
	m_prevButton.release();
	if (ControlNode* root = getTemplateRoot())
	{
		const SSliderNames& names = sliderNames();
		m_slidingArea.assign(root->findChildByNameId(names.slidingArea, 1));
		m_knob.assign(root->findChildByNameId(names.knob, 1));
		m_nextButton.assign(root->findChildByNameId(names.nextButton, 1));
		m_prevButton.assign(root->findChildByNameId(names.prevButton, 1));
	}
	layoutKnob();
}

bool SliderNode::isHorizontal() const
{
	const core::vector3df& area = m_slidingArea->getBounds();
	return area.Y <= area.X;
}

f32 SliderNode::getInputMaximum() const
{
	if (!(m_pageSize > 0.f))
		return m_maxValue;
	const f32 lastView = m_maxValue - m_pageSize;
	return lastView > m_minValue ? lastView : m_minValue;
}

void SliderNode::setValueByInput(f32 value)
{
	const f32 maximum = getInputMaximum();
	setValue(value > maximum ? maximum : value);
}

f32 SliderNode::getPageFraction() const
{
	if (!(m_maxValue > m_minValue))
		return 0.f;
	const f32 share = m_pageSize / (m_maxValue - m_minValue);
	return share > 1.f ? 1.f : share;
}

void SliderNode::layoutKnob()
{
	if (!m_slidingArea || !m_knob)
		return;
	const bool horizontal = isHorizontal();
	// A file's value may lie anywhere: the knob still stays on its track.
	const f32 fraction =
		m_maxValue > m_minValue ? core::clamp((m_value - m_minValue) / (m_maxValue - m_minValue), 0.f, 1.f) : 0.f;
	const f32 page = getPageFraction();
	core::vector3df area = m_slidingArea->getBounds();
	core::vector3df areaAt = m_slidingArea->getPosition();
	const f32 length = along(area, horizontal);
	const f32 start = along(areaAt, horizontal);
	core::vector3df bounds = m_knob->getBounds();
	core::vector3df position = m_knob->getPosition();
	switch (m_knobType)
	{
	case KNOB_MOVING:
	{
		// The knob ends at the track's end from one page before MaxValue on.
		const f32 travel = page == 1.f ? 0.f : fraction / (1.f - page);
		along(position, horizontal) = start + (length - along(bounds, horizontal)) * (travel < 1.f ? travel : 1.f);
		break;
	}
	case KNOB_FILLING:
		along(bounds, horizontal) = length * fraction;
		along(position, horizontal) = start;
		break;
	case KNOB_PAGED:
	{
		const f32 size = page * length;
		along(bounds, horizontal) = size < MIN_PAGED_KNOB ? MIN_PAGED_KNOB : size;
		// A knob raised to its least size would otherwise overhang the track's end.
		const f32 last = start + length - along(bounds, horizontal);
		const f32 at = start + length * fraction;
		along(position, horizontal) = at > last && last >= start ? last : at;
		break;
	}
	default:
		return;
	}
	m_knob->setPosition(position);
	m_knob->setBounds(bounds);
}

void SliderNode::setValueFromPoint(const core::vector2df& point)
{
	if (!m_slidingArea || !m_knob)
		return;
	m_slidingArea->updateAbsoluteTransformation();
	core::matrix4 inverse;
	if (!m_slidingArea->getAbsoluteTransformation().getInverse(inverse))
		return;
	core::vector3df local(point.X, point.Y, 0.f);
	inverse.transformVect(local);
	const core::vector3df& area = m_slidingArea->getBounds();
	if (local.X < 0.f || local.X > area.X || local.Y < 0.f || local.Y > area.Y)
		return;
	const bool horizontal = isHorizontal();
	const f32 page = getPageFraction();
	const f32 q = horizontal ? local.X : local.Y;
	const f32 length = horizontal ? area.X : area.Y;
	const core::vector3df& knobBounds = m_knob->getBounds();
	const f32 knob = horizontal ? knobBounds.X : knobBounds.Y;
	const f32 range = m_maxValue - m_minValue;
	f32 candidate = m_value;
	if (m_knobType == KNOB_MOVING || m_knobType == KNOB_PAGED)
	{
		// The knob's centre follows the pointer; at the far end the knob ends at the track's end,
		// which with a page size is one page before MaxValue (the last view of a list).
		const f32 e = q - knob / 2.f;
		const f32 d = length - knob;
		f32 g;
		if (e <= 0.f)
			g = 0.f;
		else if (e >= d)
			g = 1.f - page;
		else if (d == 0.f)
			g = 0.f;
		else
			g = e * (1.f - page) / d;
		candidate = m_minValue + range * g;
	}
	else if (m_knobType == KNOB_FILLING)
	{
		if (length > 0.f)
			candidate = m_minValue + q / length * range;
		if (candidate < m_minValue)
			candidate = m_minValue;
		if (candidate + m_pageSize > m_maxValue)
			candidate = m_maxValue - m_pageSize;
	}
	setValueByInput(candidate);
}

void SliderNode::reportChange(f32 before)
{
	if (m_value == before)
		return;
	const CRefHolder<CEvent> changed = adoptRef<CEvent>(new CEventNodeValueChanged(this));
	postEventToParent(ROUTE_SELF_UP, changed.get());
}

bool SliderNode::onMouseDown(CEventInputMouseLeftDown* event)
{
	const CRefHolder<SliderNode> self = holdForCall(this);
	if (!ControlNode::onMouseDown(event))
		return false;
	const f32 before = m_value;
	setValueFromPoint(core::vector2df(static_cast<f32>(event->X), static_cast<f32>(event->Y)));
	reportChange(before);
	return true;
}

bool SliderNode::onMouseMove(CEventInputMouseMove* event)
{
	const CRefHolder<SliderNode> self = holdForCall(this);
	if (!ControlNode::onMouseMove(event))
		return false;
	if (isDown())
	{
		const f32 before = m_value;
		setValueFromPoint(core::vector2df(static_cast<f32>(event->X), static_cast<f32>(event->Y)));
		reportChange(before);
	}
	return true;
}

bool SliderNode::onKeyDown(CEventInputKeyDown* event)
{
	const CRefHolder<SliderNode> self = holdForCall(this);
	const f32 before = m_value;
	bool handled = false;
	if (event->Key == KEY_END)
	{
		setValue(getInputMaximum());
		handled = true;
	}
	else if (event->Key == KEY_HOME)
	{
		setValue(m_minValue);
		handled = true;
	}
	else if (m_slidingArea)
	{
		// Right and Up raise the value, Left and Down lower it, each along the slider's own axis.
		const bool horizontal = isHorizontal();
		const u32 raise = horizontal ? KEY_RIGHT : KEY_UP;
		const u32 lower = horizontal ? KEY_LEFT : KEY_DOWN;
		if (event->Key == lower && m_value > m_minValue)
		{
			setValueByInput(m_value - m_deltaValue);
			handled = true;
		}
		else if (event->Key == raise && m_value < getInputMaximum())
		{
			setValueByInput(m_value + m_deltaValue);
			handled = true;
		}
	}
	reportChange(before);
	return handled ? true : ControlNode::onKeyDown(event);
}

bool SliderNode::onKeyUp(CEventInputKeyUp* event)
{
	return ControlNode::onKeyUp(event);
}

bool SliderNode::onNodePressedPreview(CEventNodePressedPreview*)
{
	return false;
}

bool SliderNode::onNodePressed(CEventNodePressed* event)
{
	const BaseNode* pressed = event->getNode();
	const f32 before = m_value;
	if (pressed && pressed == m_prevButton.get())
		setValueByInput(m_value - m_deltaValue);
	else if (pressed && pressed == m_nextButton.get())
		setValueByInput(m_value + m_deltaValue);
	reportChange(before);
	return false;
}

bool SliderNode::routeDown(s32 mode, CEvent* event)
{
	if (ControlNode::routeDown(mode, event))
		return true;
	if (!event)
		return false;
	const CRefHolder<SliderNode> self = holdForCall(this);
	// Held: a handler may rebind the parts.
	const CRefHolder<BaseNode> prev(m_prevButton.get());
	const CRefHolder<BaseNode> next(m_nextButton.get());
	const CRefHolder<BaseNode> knob(m_knob.get());
	if (prev && prev->acceptsEvent(event) && prev->routeEvent(mode, event))
		return true;
	if (next && next->acceptsEvent(event) && next->routeEvent(mode, event))
		return true;
	if (knob && knob->acceptsEvent(event) && knob->routeEvent(mode, event))
	{
		// A knob that takes a drag or a press still leaves it to the slider's own handlers.
		return !(event->isOfType(CEventInputMouseMove::TypeId) || event->isOfType(CEventInputMouseLeftDown::TypeId));
	}
	return false;
}
} // namespace fw
