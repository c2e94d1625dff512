#include "gameplay/GTutorialController.h"

#include "core/BaseNode.h"
#include "core/CEventControl.h"
#include "core/CEventInput.h"
#include "core/CEventNode.h"
#include "core/CNameTable.h"
#include "core/NodeCasts.h"
#include "core/SServices.h"
#include "level/data/GGameMessages.h"
#include "level/scene/LevelServices.h"
#include "platform/CDeviceStub.h"
#include "widgets/ButtonNode.h"
#include "widgets/SceneManager.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/TextNode.h"

namespace
{
const fw::f32 ARROWS_Z = 2000.f;
const fw::f32 WINDOW_Z = 1999.f;
const fw::f32 TEXT_Z = 1.f;
const fw::f32 SKIP_BUTTON_BELOW_TEXT = 85.f;

bool isPressOf(fw::CEvent* event, fw::s32 nameId)
{
	if (event->getTypeId() != fw::EVENT_TYPE_NODE_PRESSED)
		return false;
	const fw::BaseNode* node = static_cast<fw::CEventNodePressed*>(event)->getNode();
	return node && node->getNameId() == nameId;
}

void detach(fw::CRefHolder<fw::BaseNode>& node)
{
	if (!node)
		return;
	if (fw::BaseNode* parent = node->getParent())
		parent->removeChild(node.get());
	node = fw::CRefHolder<fw::BaseNode>();
}
} // namespace

GTutorialController::GTutorialController(fw::BaseNode* owner, fw::BaseNode* templateCollection) : m_owner(owner)
{
	setEventMask(fw::EVENT_CATEGORY_KEYBOARD | fw::EVENT_CATEGORY_MOUSE | fw::EVENT_CATEGORY_NODE);
	fw::TemplateCollectionNode* templates = fw::nodeCast<fw::TemplateCollectionNode>(templateCollection);
	if (!owner || !templates)
		return;
	m_arrowNode = fw::adoptRef(new fw::BaseNode(fw::ContentReference(nullptr, ""), owner, owner->getSceneManager()));
	m_arrowNode->setPosition(fw::core::vector3df(0.f, 0.f, ARROWS_Z));
	m_arrowTemplate = fw::CRefHolder<fw::BaseNode>(templates->getTemplate(fw::nameId("TutorialArrow")));
	fw::BaseNode* windowTemplate = templates->getTemplate(fw::nameId("TutorialWindow"));
	if (!windowTemplate)
		return;
	m_window = fw::CRefHolder<fw::BaseNode>(windowTemplate->clone(owner, owner->getSceneManager()));
	if (!m_window)
		return;
	// The copy takes the owner's scene manager as a node loaded with the scene would.
	const fw::CRefHolder<fw::CEventNodeAttached> attached =
		fw::adoptRef(new fw::CEventNodeAttached(owner->getSceneManager()));
	m_window->routeEvent(fw::ROUTE_SELF_DOWN, attached.get());
	m_window->setVisible(false);
	m_text = fw::nodeCast<fw::TextNode>(m_window->findChildByNameId(fw::nameId("Text"), 0));
	m_skipButton = fw::nodeCast<fw::ButtonNode>(m_window->findChildByNameId(fw::nameId("SkipTutorialButton"), 0));
	if (m_skipButton)
		m_skipHighlight = m_skipButton->findChildByNameId(fw::nameId("bg"), 0);
	m_hints = fw::adoptRef(new GTutorialHintList);
}

GTutorialController::~GTutorialController()
{
	removeNodes();
}

bool GTutorialController::load(fw::IXMLReader* reader, fw::CEventReceiver* levelReceiver)
{
	m_level = levelReceiver;
	return m_hints && readTutorial(m_hints.get(), reader);
}

void GTutorialController::start()
{
	m_currentHint = 0;
	if (!m_hints || !m_owner)
		return;
	if (fw::CDeviceStub* stub = device())
		stub->addEventReceiver(this, 0);
	showHintWindow();
}

void GTutorialController::stop()
{
	if (fw::CDeviceStub* stub = device())
		stub->removeEventReceiver(this);
	if (m_hints)
		m_currentHint = static_cast<fw::s32>(m_hints->Hints.size());
	update(0);
}

bool GTutorialController::hasCurrentHint() const
{
	return m_hints && m_currentHint >= 0 && static_cast<fw::u32>(m_currentHint) < m_hints->Hints.size();
}

GTutorialHint* GTutorialController::currentHint() const
{
	return hasCurrentHint() ? m_hints->Hints[static_cast<fw::u32>(m_currentHint)].get() : nullptr;
}

bool GTutorialController::update(fw::u32 ms)
{
	if (!hasCurrentHint())
	{
		removeNodes();
		return false;
	}
	if (m_updating)
		return true;
	m_updating = true;
	// The hint's actions may send requests whose answers come back here; the hint stays alive.
	const fw::CRefHolder<GTutorialHint> hint(currentHint());
	const fw::CRefHolder<GTutorialHintList> hints = m_hints;
	bool complete = false;
	for (fw::u32 i = 0; i < hint->Actions.size(); ++i)
	{
		const fw::CRefHolder<GTutorialAction> action = hint->Actions[i];
		action->update(ms);
		if (action->isComplete())
			complete = true;
	}
	if (!complete)
		complete = (hint->MessageBox && m_confirmed) || (m_skipTutorial && !hint->Tip) || (m_skipTips && hint->Tip);
	if (complete)
	{
		for (fw::u32 i = 0; i < hint->Actions.size(); ++i)
		{
			const fw::CRefHolder<GTutorialAction> action = hint->Actions[i];
			action->end();
		}
		++m_currentHint;
		showHintWindow();
	}
	m_updating = false;
	return true;
}

void GTutorialController::showHintWindow()
{
	if (!hasCurrentHint())
		return;
	while (hasCurrentHint())
	{
		const bool tip = currentHint()->Tip;
		if (!(tip ? m_skipTips : m_skipTutorial))
			break;
		++m_currentHint;
	}
	if (!hasCurrentHint())
		return;
	const fw::CRefHolder<GTutorialHint> hint(currentHint());
	m_confirmed = false;
	m_currentIsTip = hint->Tip;
	m_lastHeldBack = fw::CRefHolder<fw::CEvent>();
	hint->begin(m_level);
	if (m_window)
		showWindowFor(*hint);
	showArrowsFor(*hint);
}

void GTutorialController::showWindowFor(const GTutorialHint& hint)
{
	const bool wasVisible = m_window->isVisible();
	if (hint.Text.empty() && !hint.Linnet)
	{
		m_window->setVisible(false);
		return;
	}
	m_window->setPosition(fw::core::vector3df(hint.Position.X, hint.Position.Y, WINDOW_Z));
	m_window->setVisible(true);
	if (!wasVisible)
	{
		levelservices::playCue(m_owner, "TutorialWindow");
		m_window->enterState(fw::nameId("NavTo"), nullptr, -1);
	}
	if (!m_text)
		return;
	if (hint.Text.empty())
	{
		m_text->setVisible(false);
		if (m_skipButton)
			m_skipButton->setVisible(false);
		return;
	}
	m_text->setVisible(true);
	m_text->setPosition(fw::core::vector3df(hint.TextPosition.X, hint.TextPosition.Y, TEXT_Z));
	m_text->setState(fw::nameId(hint.TextBgType == 0 ? "Type1" : "Type2"), nullptr);
	m_text->setText(hint.Text);
	if (!m_skipButton)
		return;
	const fw::core::vector3df& at = m_skipButton->getPosition();
	m_skipButton->setPosition(fw::core::vector3df(at.X, hint.TextPosition.Y + SKIP_BUTTON_BELOW_TEXT, at.Z));
	m_skipButton->setVisible(true);
	m_skipButton->setText(hint.Tip ? L"%GamePlay_SkipTipsBtn%" : L"%GamePlay_SkipTutorialBtn%");
}

void GTutorialController::showArrowsFor(const GTutorialHint& hint)
{
	if (!m_arrowNode)
		return;
	m_arrowNode->removeAllChildren();
	if (!m_arrowTemplate)
		return;
	for (fw::u32 i = 0; i < hint.Arrows.size(); ++i)
	{
		fw::BaseNode* arrow = m_arrowTemplate->clone(m_arrowNode.get(), m_arrowNode->getSceneManager());
		if (!arrow)
			continue;
		arrow->setVisible(true);
		arrow->setPosition(hint.Arrows[i].Position);
		arrow->setRotation(hint.Arrows[i].Rotation);
	}
}

void GTutorialController::removeNodes()
{
	detach(m_arrowNode);
	if (m_window)
	{
		detach(m_window);
		m_text = nullptr;
		m_skipButton = nullptr;
		m_skipHighlight = nullptr;
	}
}

bool GTutorialController::onEvent(fw::CEvent* event)
{
	if (!event || !hasCurrentHint())
		return false;
	static const fw::s32 skipName = fw::nameId("SkipTutorialButton");
	static const fw::s32 buttonName = fw::nameId("Button");
	if (isPressOf(event, skipName))
		return m_window && !m_window->isVisible();
	if (m_skipButton && m_skipHighlight && event->getTypeId() == fw::EVENT_TYPE_INPUT_MOUSE_MOVE)
	{
		const fw::CEventInputMouse* move = static_cast<fw::CEventInputMouse*>(event);
		m_skipHighlight->setVisible(m_skipButton->hitTestSubtree(fw::core::vector3df(static_cast<fw::f32>(move->X),
										static_cast<fw::f32>(move->Y), 0.f)) != nullptr);
		return false;
	}
	const fw::CRefHolder<GTutorialHint> hint(currentHint());
	if (hint->MessageBox && isPressOf(event, buttonName))
	{
		m_confirmed = true;
		sendResume();
		return false;
	}
	return offerToActions(hint.get(), event);
}

bool GTutorialController::offerToActions(GTutorialHint* hint, fw::CEvent* event)
{
	bool consumed = false;
	bool heldBack = false;
	for (fw::u32 i = 0; i < hint->Actions.size(); ++i)
	{
		const fw::CRefHolder<GTutorialAction> action = hint->Actions[i];
		if (action->onEvent(event))
			consumed = true;
		if (action->takeHeldBack())
			heldBack = true;
	}
	if (heldBack && m_lastHeldBack.get() != event)
	{
		m_lastHeldBack = fw::CRefHolder<fw::CEvent>(event);
		levelservices::playCue(m_owner, "ButtonMissed");
	}
	return consumed;
}

void GTutorialController::sendResume()
{
	if (m_level)
		offerGameMessage(m_level, new GPauseRequestMessage(false));
}

fw::CDeviceStub* GTutorialController::device() const
{
	return m_owner ? m_owner->getServices().device : nullptr;
}
