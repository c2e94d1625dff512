#include "widgets/WidgetServices.h"

#include "content/ContentServices.h"
#include "platform/CDeviceStub.h"
#include "widgets/SceneManager.h"
#include "widgets/SoundNode.h"
#include "widgets/TemplateCollectionNode.h"
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
	registerNodeClass<SoundNode>(factory);
}
} // namespace

void registerWidgetServices()
{
	registerContentServices();
	CDeviceStub::setSceneManagerMaker(&makeSceneManager);
	CNodeFactory::addClassRegistrar(&registerWidgetClasses);
}
} // namespace fw
