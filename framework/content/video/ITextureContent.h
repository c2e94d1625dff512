#pragma once

#include "core/CoreTypes.h"

#include <ITexture.h>

namespace fw
{
namespace video2d
{
// What a material layer points at: the framework's texture content, never a device texture. The
// layer draws with whatever device texture the content holds when the material is applied, so
// materials keep working when the video driver is re-created.
class ITextureContent
{
public:
	// Null while the content has no device texture (between a driver's release and a rebuild).
	virtual video::ITexture* getEngineTexture() const = 0;

protected:
	~ITextureContent() = default;
};
} // namespace video2d
} // namespace fw
