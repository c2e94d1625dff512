#pragma once

// Property values as the content library's own classes: an atlasTexture value gives its
// CAtlasTexture and a font value its FontBase, so that tables may use the setters and getters that
// take them. They are the library's only implementations of the core's content kinds.

#include "content/BitmapFont.h"
#include "content/CAtlasTexture.h"
#include "core/PropertyAccessors.h"

namespace fw
{
template <>
struct SPropertyValue<CAtlasTexture*>
{
	static CAtlasTexture* get(const PropertyHolder& value)
	{
		return static_cast<CAtlasTexture*>(SPropertyValue<IAtlasTextureContent*>::get(value));
	}
	static PropertyHolder make(CAtlasTexture* value) { return SPropertyValue<IAtlasTextureContent*>::make(value); }
};

template <>
struct SPropertyValue<FontBase*>
{
	static FontBase* get(const PropertyHolder& value)
	{
		return static_cast<FontBase*>(SPropertyValue<IFontContent*>::get(value));
	}
	static PropertyHolder make(FontBase* value) { return SPropertyValue<IFontContent*>::make(value); }
};
} // namespace fw
