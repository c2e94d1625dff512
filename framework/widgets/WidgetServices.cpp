#include "widgets/WidgetServices.h"

#include "content/ContentServices.h"
#include "platform/CDeviceStub.h"
#include "widgets/SceneManager.h"
#include "widgets/NineGridSpriteNode.h"
#include "widgets/ParticleSystemNode.h"
#include "widgets/SpawnerNode.h"
#include "widgets/SpriteNode.h"
#include "widgets/SoundNode.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/TextNode.h"
#include "core/CNodeFactory.h"

namespace fw
{
namespace
{
CEventReceiver* makeSceneManager(CDeviceStub* device)
{
	SceneManager* manager = new SceneManager;
	manager->setDevice(device);
	return manager;
}

void registerWidgetClasses(CNodeFactory& factory)
{
	registerNodeClass<TemplateCollectionNode>(factory);
	registerNodeClass<TextNode>(factory);
	registerNodeClass<SpriteNode>(factory);
	registerNodeClass<NineGridSpriteNode>(factory);
	registerNodeClass<SoundNode>(factory);
	registerNodeClass<ParticleSystemNode>(factory);
	registerNodeClass<SpawnerNode>(factory);
}
} // namespace

void registerWidgetServices()
{
	registerContentServices();
	CDeviceStub::setSceneManagerMaker(&makeSceneManager);
	CNodeFactory::addClassRegistrar(&registerWidgetClasses);
}
} // namespace fw
