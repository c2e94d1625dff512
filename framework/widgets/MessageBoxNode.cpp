#include "widgets/MessageBoxNode.h"

#include "core/CEventInput.h"
#include "core/CNameTable.h"
#include "core/NodeCasts.h"
#include "core/StateItem.h"
#include "widgets/ButtonNode.h"
#include "widgets/TextNode.h"

namespace fw
{
namespace
{
struct SBoxNames
{
	s32 titleText, bodyText, button, navBackFrom, navBackTo;
	SBoxNames()
	{
		CNameTable& names = CNameTableSingleton::Instance();
		titleText = names.intern("TitleText");
		bodyText = names.intern("BodyText");
		button = names.intern("Button");
		navBackFrom = names.intern("NavBackFrom");
		navBackTo = names.intern("NavBackTo");
	}
};

const SBoxNames& boxNames()
{
	static const SBoxNames& table = *new SBoxNames;
	return table;
}
} // namespace

MessageBoxNode::MessageBoxNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	SceneNode(reference, parent, sceneManager)
{
}

MessageBoxNode::~MessageBoxNode() = default;

void MessageBoxNode::setTitle(const core::stringw& title)
{
	m_title = title;
	if (m_titleText)
		m_titleText->setText(title);
}

void MessageBoxNode::setBody(const core::stringw& body)
{
	m_body = body;
	if (m_bodyText)
		m_bodyText->setText(body);
}

void MessageBoxNode::setButtons(const core::array<core::stringw>& texts)
{
	m_buttonTexts = texts;
	applyButtonTexts();
}

void MessageBoxNode::applyButtonTexts()
{
	for (u32 i = 0; i < m_buttons.size(); ++i)
		m_buttons[i]->setText(i < m_buttonTexts.size() ? m_buttonTexts[i] : core::stringw());
}

void MessageBoxNode::instantiateTemplate()
{
	if (!getSceneManager())
		return;
	const CRefHolder<MessageBoxNode> self = holdForCall(this);
	ControlNode::instantiateTemplate();
	m_titleText.release();
	m_bodyText.release();
	m_buttons.clear();
	if (ControlNode* root = getTemplateRoot())
	{
		const SBoxNames& names = boxNames();
		m_titleText.assign(nodeCast<TextNode>(root->findChildByNameId(names.titleText, 1)));
		m_bodyText.assign(nodeCast<TextNode>(root->findChildByNameId(names.bodyText, 1)));
		const core::array<BaseNode*>& children = root->getChildren();
		for (u32 i = 0; i < children.size(); ++i)
			if (children[i]->getNameId() == names.button)
				if (ButtonNode* button = nodeCast<ButtonNode>(children[i]))
					m_buttons.emplace_back(button);
	}
	if (m_titleText)
		m_titleText->setText(m_title);
	if (m_bodyText)
		m_bodyText->setText(m_body);
	applyButtonTexts();
}

const EventMap& MessageBoxNode::getClassEventMap()
{
	static const EventMap& map = *new EventMap(makeEventMap(SceneNode::getClassEventMap(),
		{
			eventMapEntry<&MessageBoxNode::onButtonPressed>(),
		}));
	return map;
}

bool MessageBoxNode::onButtonPressed(CEventNodePressed* event)
{
	for (u32 i = 0; i < m_buttons.size(); ++i)
		if (m_buttons[i].get() == event->getNode())
		{
			const CRefHolder<MessageBoxNode> self = holdForCall(this);
			m_resultIndex = static_cast<s32>(i);
			const SBoxNames& names = boxNames();
			goBack(0, names.navBackFrom, names.navBackTo);
			return true;
		}
	return false;
}

bool MessageBoxNode::routeDown(s32 mode, CEvent* event)
{
	if (ControlNode::routeDown(mode, event))
		return true;
	if (!event)
		return false;
	// Input for a disabled box stops above.
	if (!isEnabled() && event->isOfType(CEventInput::TypeId))
		return false;
	// Held: a button's handler may close the box, which drops its bindings.
	const std::vector<CRefHolder<ButtonNode>> buttons(m_buttons);
	for (const CRefHolder<ButtonNode>& button : buttons)
		if (button->routeEvent(mode, event))
			return true;
	return false;
}
} // namespace fw
