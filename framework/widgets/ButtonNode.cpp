#include "widgets/ButtonNode.h"

#include "content/ContentPropertyValues.h"
#include "core/CNameTable.h"
#include "core/ISceneManager.h"
#include "core/NodeCasts.h"
#include "core/SceneNode.h"
#include "core/StateItem.h"
#include "widgets/SpriteNode.h"
#include "widgets/TextNode.h"

namespace fw
{
namespace
{
const c8* const TEXT = "Text";
const c8* const IMAGE = "Image";

struct SButtonNames
{
	s32 text, image, navBackFrom, navBackTo;
	SButtonNames()
	{
		CNameTable& names = CNameTableSingleton::Instance();
		text = names.intern(TEXT);
		image = names.intern(IMAGE);
		navBackFrom = names.intern("NavBackFrom");
		navBackTo = names.intern("NavBackTo");
	}
};

const SButtonNames& buttonNames()
{
	static const SButtonNames& table = *new SButtonNames;
	return table;
}
} // namespace

ButtonNode::ButtonNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	ControlNode(reference, parent, sceneManager)
{
	setIsFocusOnHover(true);
}

ButtonNode::~ButtonNode() = default;

const PropertyTable& ButtonNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable<ButtonNode>(ControlNode::getClassPropertyTable(),
		{
			makeProperty<&ButtonNode::setText, &ButtonNode::getText>(TEXT).stored(),
			makeProperty<&ButtonNode::setImage, &ButtonNode::getImage>(IMAGE).stored(),
		});
	return table;
}

void ButtonNode::setText(const core::stringw& text)
{
	m_text = text;
	if (m_textChild)
		m_textChild->setText(text);
}

void ButtonNode::setImage(CAtlasTexture* image)
{
	if (image != m_image.get())
		m_image.assign(image);
	if (m_imageChild)
		m_imageChild->setAtlasTexture(m_image.get());
}

void ButtonNode::instantiateTemplate()
{
	if (!getSceneManager())
		return;
	const CRefHolder<ButtonNode> self = holdForCall(this);
	ControlNode::instantiateTemplate();
	m_textChild.release();
	m_imageChild.release();
	if (ControlNode* root = getTemplateRoot())
	{
		const SButtonNames& names = buttonNames();
		m_textChild.assign(nodeCast<TextNode>(root->findChildByNameId(names.text, 1)));
		m_imageChild.assign(nodeCast<SpriteNode>(root->findChildByNameId(names.image, 1)));
	}
	if (m_textChild)
		m_textChild->setText(m_text);
	setImage(m_image.get());
}

// ---------------------------------------------------------------------------------------------

BackButtonNode::BackButtonNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	ButtonNode(reference, parent, sceneManager)
{
}

const EventMap& BackButtonNode::getClassEventMap()
{
	static const EventMap& map = *new EventMap(makeEventMap(ButtonNode::getClassEventMap(),
		{
			eventMapEntry<&BackButtonNode::onNodePressed>(),
		}));
	return map;
}

bool BackButtonNode::onNodePressed(CEventNodePressed*)
{
	ISceneManager* manager = getSceneManager();
	SceneNode* active = manager ? manager->getActiveScene() : nullptr;
	if (active)
	{
		const CRefHolder<SceneNode> held(active);
		const SButtonNames& names = buttonNames();
		active->goBack(0, names.navBackFrom, names.navBackTo);
	}
	return false;
}
} // namespace fw
