#include "widgets/ProgressBarNode.h"
#include "widgets/ValueRange.h"

#include "core/CNameTable.h"
#include "core/PropertyAccessors.h"
#include "core/StateItem.h"

namespace fw
{
namespace
{
const c8* const MIN_VALUE = "MinValue";
const c8* const MAX_VALUE = "MaxValue";
const c8* const VALUE = "Value";
const c8* const KNOB_TYPE = "KnobType";

const s32 KNOB_STRETCHED = 1;

struct SBarNames
{
	s32 slidingArea, knob;
	SBarNames()
	{
		CNameTable& names = CNameTableSingleton::Instance();
		slidingArea = names.intern("SlidingArea");
		knob = names.intern("Knob");
	}
};

const SBarNames& barNames()
{
	static const SBarNames& table = *new SBarNames;
	return table;
}
} // namespace

BaseProgressBarNode::BaseProgressBarNode(const ContentReference& reference, BaseNode* parent,
	ISceneManager* sceneManager) :
	ControlNode(reference, parent, sceneManager)
{
}

const PropertyTable& BaseProgressBarNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable(ControlNode::getClassPropertyTable(),
		{
			makeProperty<&BaseProgressBarNode::setMinValue, &BaseProgressBarNode::getMinValue>(MIN_VALUE)
				.stored(0.f)
				.readBy<&BaseProgressBarNode::storeMinValue>()
				.copiedIn<&BaseProgressBarNode::m_minValue>(),
			makeProperty<&BaseProgressBarNode::setMaxValue, &BaseProgressBarNode::getMaxValue>(MAX_VALUE)
				.stored(100.f)
				.readBy<&BaseProgressBarNode::storeMaxValue>()
				.copiedIn<&BaseProgressBarNode::m_maxValue>(),
			makeProperty<&BaseProgressBarNode::setValue, &BaseProgressBarNode::getValue>(VALUE)
				.stored(50.f)
				.readBy<&BaseProgressBarNode::storeValue>()
				.copiedIn<&BaseProgressBarNode::m_value>(),
		});
	return table;
}

void BaseProgressBarNode::setMinValue(f32 value)
{
	if (setRangeMinimum(m_minValue, m_maxValue, m_value, value))
		layoutKnob();
}

void BaseProgressBarNode::setMaxValue(f32 value)
{
	if (setRangeMaximum(m_minValue, m_maxValue, m_value, value))
		layoutKnob();
}

void BaseProgressBarNode::setValue(f32 value)
{
	m_value = clampToRange(value, m_minValue, m_maxValue);
	layoutKnob();
}

// ---------------------------------------------------------------------------------------------

ProgressBarNode::ProgressBarNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	BaseProgressBarNode(reference, parent, sceneManager)
{
}

ProgressBarNode::~ProgressBarNode() = default;

const PropertyTable& ProgressBarNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable<ProgressBarNode>(BaseProgressBarNode::getClassPropertyTable(),
		{
			makeProperty<&ProgressBarNode::setKnobType, &ProgressBarNode::getKnobType>(KNOB_TYPE).stored(),
		});
	return table;
}

void ProgressBarNode::instantiateTemplate()
{
	if (!getSceneManager())
		return;
	const CRefHolder<ProgressBarNode> self = holdForCall(this);
	ControlNode::instantiateTemplate();
	m_slidingArea.release();
	m_knob.release();
	if (ControlNode* root = getTemplateRoot())
	{
		const SBarNames& names = barNames();
		m_slidingArea.assign(root->findChildByNameId(names.slidingArea, 1));
		m_knob.assign(root->findChildByNameId(names.knob, 1));
	}
	layoutKnob();
}

void ProgressBarNode::layoutKnob()
{
	if (!m_slidingArea || !m_knob || m_knobType != KNOB_STRETCHED)
		return;
	const f32 min = getMinValue();
	const f32 max = getMaxValue();
	const f32 fraction = max > min ? (getValue() - min) / (max - min) : 0.f;
	const core::vector3df& area = m_slidingArea->getBounds();
	const core::vector3df& areaAt = m_slidingArea->getPosition();
	core::vector3df bounds = m_knob->getBounds();
	core::vector3df position = m_knob->getPosition();
	if (area.Y <= area.X)
	{
		bounds.X = area.X * fraction;
		position.X = areaAt.X;
	}
	else
	{
		bounds.Y = area.Y * fraction;
		position.Y = areaAt.Y;
	}
	m_knob->setBounds(bounds);
	m_knob->setPosition(position);
}
} // namespace fw
