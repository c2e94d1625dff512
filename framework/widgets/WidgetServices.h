#pragma once

namespace fw
{
// Adds the widgets' node classes to every node factory, together with the content services
// (registerContentServices). The program calls it once at start-up, before it makes the device.
// Calling it again changes nothing.
void registerWidgetServices();
} // namespace fw
