#include "widgets/WidgetServices.h"

#include "content/ContentServices.h"
#include "platform/CDeviceStub.h"
#include "widgets/SceneManager.h"

namespace fw
{
namespace
{
CEventReceiver* makeSceneManager(CDeviceStub*)
{
	return new SceneManager;
}
} // namespace

void registerWidgetServices()
{
	registerContentServices();
	CDeviceStub::setSceneManagerMaker(&makeSceneManager);
}
} // namespace fw
