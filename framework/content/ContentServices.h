#pragma once

namespace fw
{
// Installs the makers of the content processors manager and the content manager into the device
// (CDeviceStub::setProcessorsManagerMaker, setContentManagerMaker). The program calls it once at
// start-up, before it makes the device: the device makes its processors manager together with its
// video driver, from the driver, its file system and the node factory singleton;
// CDeviceStub::createContentManager then makes a content manager over the same services. The
// platform's image files (the window's icon) are decoded by the image manager.
// Calling it again changes nothing.
void registerContentServices();
} // namespace fw
