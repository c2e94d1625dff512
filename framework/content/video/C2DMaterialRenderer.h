#pragma once

#include "core/CoreTypes.h"

#include <IMaterialRenderer.h>
#include <IVideoDriver.h>

namespace fw
{
namespace video2d
{
// One of the two 2D material renderers, added to a driver after the engine's own. Both blend with
// (source alpha, 1 - source alpha) and take alpha as texture alpha x vertex alpha; colour is
// texture x vertex (modulate) or texture + vertex (add). Only the OpenGL driver has states to set;
// on other drivers the renderer only fills the slot.
//
// The driver holds the only reference, so the renderer dies with the driver: its destructor tells
// the video layer that the driver is gone.
class C2DMaterialRenderer : public video::IMaterialRenderer
{
public:
	// materialType: MATERIAL_2D_MODULATE or MATERIAL_2D_ADD. The driver is not referenced.
	C2DMaterialRenderer(u32 materialType, video::IVideoDriver* driver);
	~C2DMaterialRenderer() override;

	void OnSetMaterial(const video::SMaterial& material, const video::SMaterial& lastMaterial,
		bool resetAllRenderstates, video::IMaterialRendererServices* services) override;
	void OnUnsetMaterial() override;
	// The engine keeps depth writes off for transparent materials; here the material's own
	// depth-write flag decides.
	bool isTransparent() const override { return false; }

	u32 getMaterialType() const { return m_materialType; }

private:
	u32 m_materialType;
	video::IVideoDriver* m_driver;
	bool m_openGL;
};
} // namespace video2d
} // namespace fw
