#pragma once

#include "content/CAtlasTexture.h"
#include "core/CContent.h"

namespace fw
{
class IXMLReader;
class IXMLWriter;

constexpr u32 CONTENT_TYPE_ATLAS_COLLECTION = makeContentType('a', 't', 'x', 'c');

// One named rectangle as the writer emits it.
struct SAtlasTextureRecord
{
	core::stringc name;
	s32 imageIndex = 0;
	// Left, top, right, bottom in pixels.
	s32 rect[4] = {0, 0, 0, 0};

	// By image, then by name.
	bool operator<(const SAtlasTextureRecord& other) const
	{
		return imageIndex != other.imageIndex ? imageIndex < other.imageIndex : name < other.name;
	}
};

// An XML list of atlas images and named rectangles in them ("atxc", never cached). Loading
// creates one atlas texture per rectangle and enters each into the content cache under its name.
class AtlasTextureCollection : public CContent
{
public:
	explicit AtlasTextureCollection(const ContentReference& key);
	~AtlasTextureCollection() override;

	u32 getContentType() const override { return CONTENT_TYPE_ATLAS_COLLECTION; }

	// Needs the key's owner to be a content manager; names resolve against its path stack.
	void loadXml(IXMLReader* reader);
	// The image list and the records; margins are not written.
	void writeXml(IXMLWriter* writer);

	const core::array<SAtlasTextureRecord>& getTextureRecords() const { return m_textureRecords; }
	void addTextureRecord(const SAtlasTextureRecord& record);
	const core::array<core::stringc>& getImageFiles() const { return m_imageFiles; }
	void addImageFile(const core::stringc& fileName) { m_imageFiles.push_back(fileName); }
	// Every atlas texture made by the last load, in file order; the cached one of a name may be
	// another object.
	const core::array<CAtlasTexture*>& getAtlasTextures() const { return m_atlasTextures; }

private:
	AtlasTextureCollection(const AtlasTextureCollection&) = delete;
	AtlasTextureCollection& operator=(const AtlasTextureCollection&) = delete;

	void readTexture(IXMLReader* reader);
	void dropAtlasTextures();

	core::array<SAtlasTextureRecord> m_textureRecords;
	bool m_recordsSorted = false;
	core::array<core::stringc> m_imageFiles;
	core::array<CAtlasTexture*> m_atlasTextures;
};
} // namespace fw
