#pragma once

namespace fw
{
// Lets the platform's image files (the window's icon) be decoded by the image manager. The program
// calls it once at start-up, before it makes the device. Calling it again changes nothing.
void registerContentServices();
} // namespace fw
