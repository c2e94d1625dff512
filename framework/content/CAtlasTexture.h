#pragma once

#include "content/CTextureContent.h"
#include "core/CRefHolder.h"
#include "core/IContentKinds.h"

#include <rect.h>
#include <vector2d.h>

namespace fw
{
// A rectangle of a texture with the margins that complete it to its full frame ("atex"): the
// framework's unit of image. Shared through the content manager's cache.
class CAtlasTexture : public IAtlasTextureContent
{
public:
	// Frame digits read from a name at most: more would not fit an s32 (and no sequence has them).
	static constexpr u32 MAX_FRAME_DIGITS = 9;

	// Takes a reference to the texture content (null allowed) and splits the key's name.
	CAtlasTexture(const ContentReference& key, CTextureContent* texture, const core::rect<f32>& uvRect,
		const core::vector2df& marginBefore, const core::vector2df& marginAfter);

	CContent* cloneAsContent() const override { return nullptr; }

	s32 getFrameNumber() const override { return m_frameNumber; }
	const core::stringc& getBaseName() const override { return m_baseName; }
	const core::stringc& getExtension() const override { return m_extension; }

	CTextureContent* getTexture() const { return m_texture.get(); }
	// Left, top, right, bottom in texture coordinates.
	const core::rect<f32>& getUVRect() const { return m_uvRect; }
	// Pixels from the frame's left and top edges to the image.
	const core::vector2df& getMarginBefore() const { return m_marginBefore; }
	// Pixels from the image to the frame's right and bottom edges.
	const core::vector2df& getMarginAfter() const { return m_marginAfter; }
	// The image in pixels: the rectangle's size times the texture's own size; zero without one.
	core::vector2df getImageSize() const;
	// Margin before + image + margin after, on each axis.
	core::vector2df getFrameSize() const;

	// The name rule: extension from the last '.' (not the first character) on, up to
	// MAX_FRAME_DIGITS digits before it as the frame number (-1 without, or with more), and the
	// rest before the digits as the base name.
	static void splitName(const core::stringc& name, core::stringc& baseName, core::stringc& extension,
		s32& frameNumber);

private:
	CRefHolder<CTextureContent> m_texture;
	core::rect<f32> m_uvRect;
	core::vector2df m_marginBefore;
	core::vector2df m_marginAfter;
	core::stringc m_baseName;
	core::stringc m_extension;
	s32 m_frameNumber = -1;
};
} // namespace fw
