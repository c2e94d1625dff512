#include "app/GDebugStatsScene.h"

#include "app/GGame.h"
#include "content/BitmapFont.h"
#include "content/CContentManager.h"
#include "core/CNodeFactory.h"
#include "core/IContentManager.h"
#include "core/NodeCasts.h"
#include "platform/CDeviceStub.h"
#include "widgets/CEventScene.h"
#include "widgets/TextNode.h"

using namespace fw;

const c8* const GDebugStatsScene::FONT_FILE = "scenes/fonts/sans_14_crisp.ofnt";

GDebugStatsScene::GDebugStatsScene(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	GBaseSceneNode(reference, parent, sceneManager)
{
	// Every update of the timer manager, not every 30 ms.
	setInterval(0);
}

GDebugStatsScene::~GDebugStatsScene() = default;

bool GDebugStatsScene::onSceneSwitchStarted(CEventSceneTransitionStart* event)
{
	GBaseSceneNode::onSceneSwitchStarted(event);
	if (event->getTo() != this)
		return true;
	if (m_text)
	{
		removeChild(m_text.get());
		m_text.release();
	}
	CRefHolder<BaseNode> node = adoptRef(
		CNodeFactorySingleton::Instance().create(TextNode::TypeName, ContentReference(getContentManager(), "")));
	TextNode* text = nodeCast<TextNode>(node.get());
	if (!text)
		return true;
	m_text.assign(text);
	addChild(text);
	text->setPivotPoint(core::vector2df(0.f, 0.f));
	text->setPosition(core::vector3df(0.f, 0.f, 0.f));
	text->setText(L"");
	IContentManager* content = getContentManager();
	if (!content)
		content = need(getServices().content, "content manager");
	if (content)
	{
		CRefHolder<CContent> font = adoptRef(content->getContent(CONTENT_TYPE_FONT, FONT_FILE, true));
		text->setFont(dynamic_cast<FontBase*>(font.get()));
	}
	return true;
}

core::stringw GDebugStatsScene::formatStats(s32 framesPerSecond, s32 lastStep, u32 primitivesDrawn)
{
	// One string kept for every refresh: the overlay runs on every update.
	static core::stringw text;
	text = L"fps: ";
	text += core::stringw(framesPerSecond);
	text += L"\nms:";
	text += core::stringw(lastStep);
	text += L"\n";
	text += core::stringw(static_cast<s32>(primitivesDrawn / 2));
	return text;
}

void GDebugStatsScene::updateText()
{
	CDeviceStub* device = need(getServices().device, "device");
	video::IVideoDriver* driver = device ? device->getVideoDriver() : nullptr;
	if (!m_text || !driver)
		return;
	const GGame* game = getGame();
	m_text->setText(formatStats(driver->getFPS(), game ? game->getLastStep() : 0, driver->getPrimitiveCountDrawn()));
}

bool GDebugStatsScene::onTimer(u32 step)
{
	GBaseSceneNode::onTimer(step);
	updateText();
	return true;
}
