#include "widgets/CheckBoxNode.h"

#include "core/CNameTable.h"
#include "core/PropertyAccessors.h"
#include "core/StateItem.h"
#include "widgets/CEventValueChanged.h"

#include <map>

namespace fw
{
namespace
{
const c8* const IS_CHECKED = "IsChecked";

struct SCheckLooks
{
	s32 focusCheckHover, focusCheck, normalCheckHover, normalCheck, focusCheckDisable, normalCheckDisable, focusHover,
		focus, normalHover, normal, focusDisable, normalDisable, focusCheckKillHover, normalCheckKillHover,
		focusKillHover, normalKillHover, press;
	std::map<s32, s32> fallback;

	SCheckLooks()
	{
		CNameTable& names = CNameTableSingleton::Instance();
		focusCheckHover = names.intern("FocusCheckHover");
		focusCheck = names.intern("FocusCheck");
		normalCheckHover = names.intern("NormalCheckHover");
		normalCheck = names.intern("NormalCheck");
		focusCheckDisable = names.intern("FocusCheckDisable");
		normalCheckDisable = names.intern("NormalCheckDisable");
		focusHover = names.intern("FocusHover");
		focus = names.intern("Focus");
		normalHover = names.intern("NormalHover");
		normal = names.intern("Normal");
		focusDisable = names.intern("FocusDisable");
		normalDisable = names.intern("NormalDisable");
		focusCheckKillHover = names.intern("FocusCheckKillHover");
		normalCheckKillHover = names.intern("NormalCheckKillHover");
		focusKillHover = names.intern("FocusKillHover");
		normalKillHover = names.intern("NormalKillHover");
		press = names.intern("Press");
		fallback = {{focusCheck, normalCheck}, {normalCheckDisable, normalCheck}, {focusCheckDisable, focusCheck},
			{normalCheckHover, normalCheck}, {normalCheckKillHover, normalCheck}, {focusCheckHover, normalCheckHover},
			{focusCheckKillHover, focusCheck}};
	}
};

const SCheckLooks& checkLooks()
{
	static const SCheckLooks& table = *new SCheckLooks;
	return table;
}
} // namespace

s32 checkBoxStateFallback(s32 stateId)
{
	const SCheckLooks& table = checkLooks();
	const auto found = table.fallback.find(stateId);
	return found == table.fallback.end() ? controlStateFallback(stateId) : found->second;
}

CheckBoxNode::CheckBoxNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	ButtonNode(reference, parent, sceneManager)
{
	setIsFocusOnHover(true);
}

const PropertyTable& CheckBoxNode::getClassPropertyTable()
{
	// Copies take the flag as it is; the look follows at the next refresh.
	static const PropertyTable& table = makePropertyTable<CheckBoxNode>(ButtonNode::getClassPropertyTable(),
		{
			makeProperty<&CheckBoxNode::setChecked, &CheckBoxNode::isChecked>(IS_CHECKED)
				.stored()
				.copiedIn<&CheckBoxNode::m_checked>(),
		});
	return table;
}

void CheckBoxNode::setChecked(bool checked)
{
	m_checked = checked;
	updateCheckLook();
}

bool CheckBoxNode::click()
{
	const CRefHolder<CheckBoxNode> self = holdForCall(this);
	if (!ControlNode::click())
		return false;
	m_checked = !m_checked;
	updateCheckLook();
	const CRefHolder<CEvent> changed = adoptRef<CEvent>(new CEventNodeValueChanged(this));
	postEventToParent(ROUTE_SELF_UP, changed.get());
	return true;
}

void CheckBoxNode::instantiateTemplate()
{
	if (!getSceneManager())
		return;
	const CRefHolder<CheckBoxNode> self = holdForCall(this);
	ButtonNode::instantiateTemplate();
	updateCheckLook();
}

void CheckBoxNode::askCheckLook(s32 lookId)
{
	setState(lookId, &checkBoxStateFallback);
}

void CheckBoxNode::startPressLook()
{
	askCheckLook(checkLooks().press);
}

void CheckBoxNode::updateCheckLook()
{
	const SCheckLooks& l = checkLooks();
	const bool focused = isFocused();
	const bool hovered = isHovered();
	s32 look;
	if (!isEnabled())
	{
		if (m_checked)
			look = focused ? l.focusCheckDisable : l.normalCheckDisable;
		else
			look = focused ? l.focusDisable : l.normalDisable;
	}
	else if (m_checked)
		look = focused ? (hovered ? l.focusCheckHover : l.focusCheck) : (hovered ? l.normalCheckHover : l.normalCheck);
	else
		look = focused ? (hovered ? l.focusHover : l.focus) : (hovered ? l.normalHover : l.normal);
	askCheckLook(look);
}

void CheckBoxNode::updateHoverLook()
{
	if (!isEnabled())
		return;
	const SCheckLooks& l = checkLooks();
	const bool focused = isFocused();
	s32 look;
	if (isHovered())
		look =
			m_checked ? (focused ? l.focusCheckHover : l.normalCheckHover) : (focused ? l.focusHover : l.normalHover);
	else
		look = m_checked ? (focused ? l.focusCheckKillHover : l.normalCheckKillHover)
						 : (focused ? l.focusKillHover : l.normalKillHover);
	askCheckLook(look);
}

void CheckBoxNode::updateFocusLook()
{
	updateCheckLook();
}
} // namespace fw
