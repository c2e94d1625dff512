#pragma once

#include "core/IXMLReader.h"

#include <IReadFile.h>

#include <memory>
#include <vector>

namespace fw
{
// The pull reader over one file. The constructor converts the whole file to 16-bit code units
// (one per wchar_t): UTF-32 and UTF-16 of either byte order and UTF-8 by their byte-order marks,
// anything else byte by byte as 8-bit text. A file that cannot be read gives an empty reader.
class CXMLReader : public IXMLReader
{
public:
	explicit CXMLReader(io::IReadFile* file);
	~CXMLReader() override;

	bool read() override;
	bool isEmptyElement() const override;
	EXmlNodeType getNodeType() const override;
	const core::stringw& getNodeName() const override;
	const core::stringw& getNodeData() const override;
	s32 getAttributeCount() const override;
	const core::stringw& getAttributeName(s32 index) const override;
	const core::stringw& getAttributeValue(const core::stringw& name) const override;
	const core::stringw& getAttributeValue(s32 index) const override;
	s32 getAttributeValueAsInt(s32 index, s32 defaultValue = 0) const override;
	s32 getAttributeValueAsInt(const core::stringw& name, s32 defaultValue = 0) const override;
	f32 getAttributeValueAsFloat(s32 index, f32 defaultValue = 0.f) const override;
	f32 getAttributeValueAsFloat(const core::stringw& name, f32 defaultValue = 0.f) const override;
	const core::array<core::stringw>& getSpecialCharacters() const override;
	void addSpecialCharacter(const core::stringw& entry) override;

	// Larger files are refused: the text is held whole, four bytes per code unit.
	static constexpr long MAX_FILE_SIZE = 64L * 1024 * 1024;

private:
	// A piece of the decoded text, turned into a string only when it is asked for: loaders skip
	// most names and the indentation between tags, and look attributes up by name in place.
	struct SLazyText
	{
		wchar_t* begin = nullptr;
		wchar_t* end = nullptr;
		// Text and attribute values have their entities replaced; names are taken as they stand.
		bool entities = false;
		mutable bool ready = true;
		mutable core::stringw text;

		void set(wchar_t* from, wchar_t* to, bool replaceEntities)
		{
			begin = from;
			end = to;
			entities = replaceEntities;
			ready = false;
		}
		void clear()
		{
			begin = end = nullptr;
			ready = false;
		}
		const core::stringw& get() const;
		// As the engine's operator== compares a string with the text.
		bool equals(const core::stringw& other) const;
	};

	struct SAttribute
	{
		SLazyText name;
		SLazyText value;
	};

	CXMLReader(const CXMLReader&) = delete;
	CXMLReader& operator=(const CXMLReader&) = delete;

	// Zero units after the terminator, so that scans may read a few units past the end of the text.
	static constexpr u32 TEXT_PADDING = 4;
	// Room for count units and the terminator (set to zero, with the padding); false without memory.
	bool allocateText(u32 count);
	void convertText(const u8* data, long size);
	void decodeUtf8(const u8* data, long size);
	void parseText(wchar_t* start, wchar_t* end);
	void parseElementEnd();
	void parseDeclaration();
	void parseCData();
	void parseComment();
	void parseElement();
	const SAttribute* findAttribute(const core::stringw& name) const;

	std::unique_ptr<wchar_t[]> m_text; // zero-terminated
	wchar_t* m_textBegin = nullptr;
	u32 m_textSize = 0;
	wchar_t* m_pos = nullptr;
	EXmlNodeType m_nodeType = XML_NODE_NONE;
	SLazyText m_nodeName;
	bool m_emptyElement = false;
	// The attributes of the current element are the first m_attributeCount entries. Entries are
	// kept from element to element, so that their strings reuse their storage.
	std::vector<SAttribute> m_attributes;
	u32 m_attributeCount = 0;
};
} // namespace fw
