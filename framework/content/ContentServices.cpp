#include "content/ContentServices.h"

#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "core/CNodeFactory.h"
#include "platform/CDeviceStub.h"

namespace fw
{
namespace
{
CEventReceiver* makeProcessorsManager(CDeviceStub* device)
{
	return new CContentProcessorsManager(device->getVideoDriver(), device->getAudioDriver(), device->getFileSystem(),
		&CNodeFactorySingleton::Instance());
}

CEventReceiver* makeContentManager(CDeviceStub* device)
{
	return new CContentManager(device->getVideoDriver(), device->getFileSystem(),
		dynamic_cast<CContentProcessorsManager*>(device->getProcessorsManager()));
}
} // namespace

void registerContentServices()
{
	CDeviceStub::setProcessorsManagerMaker(&makeProcessorsManager);
	CDeviceStub::setContentManagerMaker(&makeContentManager);
}
} // namespace fw
