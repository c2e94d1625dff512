#pragma once

#include "core/CContent.h"

namespace fw
{
constexpr u32 CONTENT_TYPE_ATLAS_TEXTURE = makeContentType('a', 't', 'e', 'x');
constexpr u32 CONTENT_TYPE_FONT = makeContentType('f', 'o', 'n', 't');

// What the core knows of an atlas texture: its name split into the parts that make a numbered
// frame sequence. The content library implements it.
class IAtlasTextureContent : public CContent
{
public:
	explicit IAtlasTextureContent(const ContentReference& reference) : CContent(reference) {}

	u32 getContentType() const override { return CONTENT_TYPE_ATLAS_TEXTURE; }

	// The decimal digits right before the extension; -1 when there are none (or too many).
	virtual s32 getFrameNumber() const = 0;
	// The name before the frame digits.
	virtual const core::stringc& getBaseName() const = 0;
	// From the last '.' on; empty when there is none.
	virtual const core::stringc& getExtension() const = 0;
};

// A font as the core holds it: only its content reference is used here. The content library
// implements it.
class IFontContent : public CContent
{
public:
	explicit IFontContent(const ContentReference& reference) : CContent(reference) {}

	u32 getContentType() const override { return CONTENT_TYPE_FONT; }
};
} // namespace fw
