#include "content/video/C2DMaterialRenderer.h"

#include "content/video/CVideoDriver2D.h"
#include "content/video/SMaterial.h"

#include <IMaterialRendererServices.h>

#include <GL/gl.h>

namespace fw
{
namespace video2d
{
C2DMaterialRenderer::C2DMaterialRenderer(u32 materialType, video::IVideoDriver* driver) :
	m_materialType(materialType), m_driver(driver), m_openGL(driver && driver->getDriverType() == video::EDT_OPENGL)
{
}

C2DMaterialRenderer::~C2DMaterialRenderer()
{
	CVideoDriver2D::onRendererDestroyed(m_driver, this);
}

void C2DMaterialRenderer::OnSetMaterial(const video::SMaterial& material, const video::SMaterial& lastMaterial,
	bool resetAllRenderstates, video::IMaterialRendererServices* services)
{
	if (services)
		services->setBasicRenderStates(material, lastMaterial, resetAllRenderstates);
	if (!m_openGL)
		return;

	// The engine leaves a renderer's states alone until it unsets it for another material type or
	// resets every state (after its own 2D drawing): from one 2D material to another of the same
	// type, typically a texture change between two flushes of the quad batch, they still stand.
	if (!resetAllRenderstates && lastMaterial.MaterialType == material.MaterialType)
		return;
	glEnable(GL_BLEND);
	glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	glActiveTexture(GL_TEXTURE0);
	if (m_materialType == MATERIAL_2D_ADD)
	{
		glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
		glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_ADD);
		glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
		glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
		glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PRIMARY_COLOR);
		glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_COLOR);
		glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_MODULATE);
		glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);
		glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
		glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_ALPHA, GL_PRIMARY_COLOR);
		glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_ALPHA, GL_SRC_ALPHA);
	}
	else
		glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void C2DMaterialRenderer::OnUnsetMaterial()
{
	if (!m_openGL)
		return;
	// What the engine's own renderers expect to find.
	glDisable(GL_BLEND);
	glActiveTexture(GL_TEXTURE0);
	glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}
} // namespace video2d
} // namespace fw
