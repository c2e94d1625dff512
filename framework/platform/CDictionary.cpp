#include "platform/CDictionary.h"

#include "core/IXMLReader.h"
#include "platform/CFileSystem.h"

#include <string>

namespace fw
{
namespace
{
// The engine's strings grow by exactly one character per character appended, which makes a text
// built a character at a time cost the square of its length. Texts are built here and handed
// over once.
class CTextBuilder
{
public:
	explicit CTextBuilder(u32 expectedLength) { m_text.reserve(expectedLength); }

	void append(wchar_t character) { m_text.push_back(character); }
	void append(const core::stringw& text) { m_text.append(text.c_str(), text.size()); }
	core::stringw take() const { return core::stringw(m_text.data(), (u32)m_text.size()); }

private:
	std::wstring m_text;
};

// One character per byte; bytes above 127 keep their value rather than turning negative.
core::stringw widen(const core::stringc& text)
{
	core::stringw wide;
	wide.reserve(text.size() + 1);
	for (u32 i = 0; i < text.size(); ++i)
		wide.append((wchar_t)(u8)text[i]);
	return wide;
}
} // namespace

CDictionary::CDictionary(CFileSystem* fileSystem) : m_fileSystem(fileSystem)
{
}

core::stringw CDictionary::getText(const core::stringc& key) const
{
	const auto found = m_entries.find(key);
	if (found != m_entries.end())
		return found->second;
	// A missing text shows on screen as its key.
	core::stringw marked(L"%");
	marked += widen(key);
	marked += L"%";
	return marked;
}

core::stringw CDictionary::format(const core::stringc& key, const core::stringw& argument1,
	const core::stringw& argument2, const core::stringw& argument3, const core::stringw& argument4) const
{
	const core::stringw text = getText(key);
	if (text.size() < 2)
		return text;
	const core::stringw* arguments[4] = {&argument1, &argument2, &argument3, &argument4};
	u32 used = 0;
	const u32 length = text.size();
	CTextBuilder result(length);
	for (u32 i = 0; i < length;)
	{
		if (used < 4 && i + 1 < length && text[i] == L'#' && text[i + 1] == L'p')
		{
			result.append(*arguments[used++]);
			i += 2;
		}
		else
		{
			result.append(text[i]);
			++i;
		}
	}
	return result.take();
}

core::stringw CDictionary::translate(const core::stringw& text) const
{
	if (text.size() < 2)
		return text;
	const u32 length = text.size();
	CTextBuilder result(length);
	for (u32 i = 0; i < length;)
	{
		if (text[i] != L'%' || i + 1 == length)
		{
			result.append(text[i]);
			++i;
			continue;
		}
		if (text[i + 1] == L'%')
		{
			result.append(L'%');
			i += 2;
			continue;
		}
		const s32 close = text.findNext(L'%', i + 1);
		if (close < 0)
			break;
		const core::stringc key(text.subString(i + 1, close - (s32)i - 1));
		result.append(getText(key));
		i = (u32)close + 1;
	}
	return result.take();
}

bool CDictionary::load(const io::path& fileName)
{
	IXMLReader* reader = m_fileSystem ? m_fileSystem->createXMLReader(fileName) : nullptr;
	if (!reader)
		return false;
	while (reader->read())
	{
		if (reader->getNodeType() != XML_NODE_ELEMENT || reader->isEmptyElement())
			continue;
		if (reader->getNodeName() == L"Dictionary")
			readEntryElements(reader);
		else if (reader->getNodeName() == L"texts")
			readPhraseElements(reader);
	}
	reader->drop();
	return true;
}

void CDictionary::readEntryElements(IXMLReader* reader)
{
	core::stringc key;
	bool pending = false;
	while (reader->read())
	{
		switch (reader->getNodeType())
		{
		case XML_NODE_ELEMENT:
			if (reader->getNodeName() == L"s")
			{
				key = core::stringc(reader->getAttributeValue(L"n"));
				pending = !key.empty();
				// No end tag follows an empty element: it defines an empty text now.
				if (pending && reader->isEmptyElement())
				{
					m_entries[key] = core::stringw();
					pending = false;
				}
			}
			break;
		case XML_NODE_TEXT:
			if (pending)
			{
				m_entries[key] = reader->getNodeData();
				pending = false;
			}
			break;
		case XML_NODE_ELEMENT_END:
			if (reader->getNodeName() == L"s" && pending)
			{
				m_entries[key] = core::stringw();
				pending = false;
			}
			else if (reader->getNodeName() == L"Dictionary")
			{
				return;
			}
			break;
		default:
			break;
		}
	}
}

void CDictionary::readPhraseElements(IXMLReader* reader)
{
	while (reader->read())
	{
		const EXmlNodeType type = reader->getNodeType();
		if (type == XML_NODE_ELEMENT && reader->getNodeName() == L"phrase")
			m_entries[core::stringc(reader->getAttributeValue(L"tag"))] = reader->getAttributeValue(L"text");
		else if (type == XML_NODE_ELEMENT_END && reader->getNodeName() == L"texts")
			return;
	}
}

void CDictionary::clear()
{
	m_entries.clear();
}
} // namespace fw
