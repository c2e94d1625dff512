#pragma once

namespace fw
{
// Installs the scene manager's maker into the device (CDeviceStub::setSceneManagerMaker), together
// with the content services (registerContentServices). The program calls it once at start-up,
// before it makes the device; CDeviceStub::createSceneManager then makes a scene manager that is
// attached to no timer manager yet. It also adds the widgets' node classes to every node factory.
// Calling it again changes nothing.
void registerWidgetServices();
} // namespace fw
