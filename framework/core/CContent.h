#pragma once

#include "core/CEventReceiver.h"
#include "core/ContentReference.h"

namespace fw
{
// A content type tag: four letters, the first in the lowest byte.
constexpr u32 makeContentType(c8 a, c8 b, c8 c, c8 d)
{
	return static_cast<u32>(static_cast<u8>(a)) | (static_cast<u32>(static_cast<u8>(b)) << 8) |
		(static_cast<u32>(static_cast<u8>(c)) << 16) | (static_cast<u32>(static_cast<u8>(d)) << 24);
}

// Scene files; every node answers it.
constexpr u32 CONTENT_TYPE_SCENE_NODE = makeContentType('s', 'n', 'o', 'd');
// Sounds and sound packs; the property values of the core name sounds by this tag too.
constexpr u32 CONTENT_TYPE_SOUND = makeContentType('i', 's', 'n', 'd');
constexpr u32 CONTENT_TYPE_SOUND_PACK = makeContentType('s', 'n', 'd', 'p');

// How the content manager hands out a cached object. With neither bit the cached object is a
// prototype and every request gets a copy made by cloneAsContent.
enum EContentFlags : u32
{
	CONTENT_SHARED = 1,    // the cached object itself, with one more reference
	CONTENT_NOT_CACHED = 2 // never cached; tested before CONTENT_SHARED
};

// The base of every object the content manager hands out, and of every node.
class CContent : public CEventReceiver
{
public:
	explicit CContent(const ContentReference& reference = ContentReference()) : m_contentReference(reference) {}

	// A new object that is a copy of this one (count 1 for the caller), or null.
	virtual CContent* cloneAsContent() const;
	virtual u32 getContentType() const = 0;

	u32 getContentFlags() const { return m_contentFlags; }
	void setContentFlags(u32 flags) { m_contentFlags = flags; }

	const ContentReference& getContentReference() const { return m_contentReference; }
	// The content manager that made this object; not referenced.
	IContentManager* getContentManager() const { return m_contentReference.owner; }

protected:
	u32 m_contentFlags = 0;
	ContentReference m_contentReference;
};
} // namespace fw
