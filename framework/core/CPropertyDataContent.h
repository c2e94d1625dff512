#pragma once

// The property values that hold content of the content manager: an atlas texture (which also
// steps through a numbered frame sequence) and a font. Files store the content's name.

#include "core/IContentKinds.h"
#include "core/IPropertyData.h"

#include <vector>

namespace fw
{
class IContentManager;

class CPropertyDataAtlasTexture : public IPropertyData
{
public:
	// Frame numbers a sequence may use: four digits in the frame name.
	static constexpr s32 MAX_FRAME_NUMBER = 9999;

	// The manager resolves names read from text; not referenced (null allowed).
	explicit CPropertyDataAtlasTexture(IContentManager* contentManager = nullptr) : m_contentManager(contentManager) {}
	// Takes a reference; the manager becomes the one that owns the atlas texture.
	explicit CPropertyDataAtlasTexture(IAtlasTextureContent* atlasTexture);

	FW_PROPERTY_DATA_IDENTITY()
	IPropertyData* clone() const override;
	// The name relative to the file being written; empty without an atlas texture.
	core::stringc toString() const override;
	// Asks the manager for "atex" relative to the file being read; nothing without a manager or
	// for the empty text.
	void fromString(const core::stringc& text) override;
	bool equals(const IPropertyData* other) const override;
	// Below 1, between two numbered frames, the frame stepped by t; otherwise discrete.
	bool interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const override;
	// Looks up every frame from this value's number to the target's, once per segment.
	void prepareInterpolation(const IPropertyData* target) override;

	IAtlasTextureContent* getAtlasTexture() const { return m_atlasTexture.get(); }
	void setAtlasTexture(IAtlasTextureContent* atlasTexture);
	IContentManager* getContentManager() const { return m_contentManager; }
	const std::vector<CRefHolder<IAtlasTextureContent>>& getFrames() const { return m_frames; }

private:
	std::vector<CRefHolder<IAtlasTextureContent>> m_frames;
	CRefHolder<IAtlasTextureContent> m_atlasTexture;
	IContentManager* m_contentManager;
};

class CPropertyDataFont : public IPropertyData
{
public:
	explicit CPropertyDataFont(IContentManager* contentManager = nullptr) : m_contentManager(contentManager) {}
	explicit CPropertyDataFont(IFontContent* font);

	FW_PROPERTY_DATA_IDENTITY()
	IPropertyData* clone() const override;
	core::stringc toString() const override;
	// With a manager, the font of that name (or none, also for the empty text).
	void fromString(const core::stringc& text) override;
	bool equals(const IPropertyData* other) const override;
	// Discrete: the target's font from t = 1 on.
	bool interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const override;

	IFontContent* getFont() const { return m_font.get(); }
	void setFont(IFontContent* font);
	IContentManager* getContentManager() const { return m_contentManager; }

private:
	CRefHolder<IFontContent> m_font;
	IContentManager* m_contentManager;
};

// A new atlasTexture value holding a reference to the atlas texture (null allowed).
PropertyHolder createPropertyDataAtlasTexture(IAtlasTextureContent* atlasTexture);
// A new font value holding a reference to the font (null allowed).
PropertyHolder createPropertyDataFont(IFontContent* font);

// The frame of the atlas texture's sequence with that number, as the atlas texture's own content
// manager has it (count 1 for the caller), or null.
IAtlasTextureContent* findAtlasTextureFrame(const IAtlasTextureContent* atlasTexture, s32 frameNumber);
} // namespace fw
