#include "content/AtlasTextureCollection.h"

#include "content/CContentManager.h"
#include "content/ContentNumbers.h"
#include "core/CLogger.h"
#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"
#include "core/TextParsing.h"

#include <algorithm>
#include <vector>

namespace fw
{
namespace
{
// "r": up to four numbers, each starting at '-' or a digit, anything else between them; each
// truncated toward zero after it is bounded.
void parsePixelRect(const core::stringw& text, s32 rect[4])
{
	const core::rect<f32> value = parseRect(text);
	rect[0] = boundedInteger(value.UpperLeftCorner.X);
	rect[1] = boundedInteger(value.UpperLeftCorner.Y);
	rect[2] = boundedInteger(value.LowerRightCorner.X);
	rect[3] = boundedInteger(value.LowerRightCorner.Y);
}

core::stringw decimal(s32 value)
{
	return core::stringw(value);
}
} // namespace

AtlasTextureCollection::AtlasTextureCollection(const ContentReference& key) : CContent(key)
{
	setContentFlags(CONTENT_NOT_CACHED);
}

AtlasTextureCollection::~AtlasTextureCollection()
{
	dropAtlasTextures();
}

void AtlasTextureCollection::dropAtlasTextures()
{
	core::array<CAtlasTexture*> textures;
	textures.swap(m_atlasTextures);
	for (u32 i = 0; i < textures.size(); ++i)
		textures[i]->drop();
}

void AtlasTextureCollection::addTextureRecord(const SAtlasTextureRecord& record)
{
	m_textureRecords.push_back(record);
	m_recordsSorted = false;
}

void AtlasTextureCollection::loadXml(IXMLReader* reader)
{
	m_textureRecords.clear();
	m_recordsSorted = false;
	m_imageFiles.clear();
	dropAtlasTextures();
	if (!reader || !dynamic_cast<CContentManager*>(getContentManager()))
		return;
	while (reader->read())
	{
		const EXmlNodeType type = reader->getNodeType();
		const core::stringw& name = reader->getNodeName();
		if (type == XML_NODE_ELEMENT && name == L"a")
			m_imageFiles.push_back(core::stringc(reader->getAttributeValue(L"f")));
		else if (type == XML_NODE_ELEMENT && name == L"t")
			readTexture(reader);
		else if (type == XML_NODE_ELEMENT_END && name == L"AtlasTextureCollection")
			break;
	}
}

void AtlasTextureCollection::readTexture(IXMLReader* reader)
{
	CContentManager* manager = static_cast<CContentManager*>(getContentManager());
	const core::stringc name(reader->getAttributeValue(L"n"));
	const s32 imageIndex = strtol10(reader->getAttributeValue(L"i").c_str());
	s32 rect[4];
	parsePixelRect(reader->getAttributeValue(L"r"), rect);
	const core::vector2df before = boundCoordinates(parseVector2d(reader->getAttributeValue(L"b")));
	const core::vector2df after = boundCoordinates(parseVector2d(reader->getAttributeValue(L"a")));
	if (name.empty() || static_cast<u32>(imageIndex) >= m_imageFiles.size())
		return;

	CContent* content = manager->getContent(CONTENT_TYPE_TEXTURE, m_imageFiles[static_cast<u32>(imageIndex)], true);
	CTextureContent* texture = dynamic_cast<CTextureContent*>(content);
	if (!texture)
	{
		if (content)
			content->drop();
		return;
	}
	if (rect[2] < rect[0] || rect[3] < rect[1])
	{
		const core::dimension2d<u32>& image = texture->getOriginalSize();
		rect[0] = 0;
		rect[1] = 0;
		rect[2] = static_cast<s32>(image.Width);
		rect[3] = static_cast<s32>(image.Height);
		logWarning("WARN: image has wrong rectangle", texture->getContentReference().getName().c_str());
	}
	// Divided by the texture's own size, the size the coordinates apply to: a texture padded to
	// powers of two is larger than its image.
	const core::vector2df upperLeft = texture->getTextureCoords(static_cast<f32>(rect[0]), static_cast<f32>(rect[1]));
	const core::vector2df lowerRight = texture->getTextureCoords(static_cast<f32>(rect[2]), static_cast<f32>(rect[3]));
	CAtlasTexture* atlasTexture = new CAtlasTexture(ContentReference(manager, name), texture,
		core::rect<f32>(upperLeft.X, upperLeft.Y, lowerRight.X, lowerRight.Y), before, after);
	if (manager->addContent(atlasTexture))
		logInfo("Added atlas texture", name.c_str());
	m_atlasTextures.push_back(atlasTexture);
	content->drop();
}

void AtlasTextureCollection::writeXml(IXMLWriter* writer)
{
	if (!writer)
		return;
	if (!m_recordsSorted && m_textureRecords.size() >= 2)
	{
		std::vector<SAtlasTextureRecord> sorted(m_textureRecords.pointer(),
			m_textureRecords.pointer() + m_textureRecords.size());
		std::stable_sort(sorted.begin(), sorted.end());
		for (u32 i = 0; i < m_textureRecords.size(); ++i)
			m_textureRecords[i] = sorted[i];
		m_recordsSorted = true;
	}
	writer->writeElement(L"AtlasTextureCollection");
	writer->writeLineBreak();
	for (u32 i = 0; i < m_imageFiles.size(); ++i)
	{
		writer->writeElement(L"a", true, L"Index", decimal(static_cast<s32>(i)).c_str(), L"f",
			core::stringw(m_imageFiles[i]).c_str());
		writer->writeLineBreak();
	}
	writer->writeLineBreak();
	for (u32 i = 0; i < m_textureRecords.size(); ++i)
	{
		const SAtlasTextureRecord& record = m_textureRecords[i];
		const core::stringw rect = decimal(record.rect[0]) + L"," + decimal(record.rect[1]) + L"," +
			decimal(record.rect[2]) + L"," + decimal(record.rect[3]);
		writer->writeElement(L"t", true, L"n", core::stringw(record.name).c_str(), L"i",
			decimal(record.imageIndex).c_str(), L"r", rect.c_str());
		writer->writeLineBreak();
	}
	writer->writeClosingTag(L"AtlasTextureCollection");
	writer->writeLineBreak();
}
} // namespace fw
