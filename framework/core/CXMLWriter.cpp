#include "core/CXMLWriter.h"

#include <vector>

namespace fw
{
namespace
{
// Same seven characters as the reader's entity list, so written values read back unchanged.
struct SEscape
{
	wchar_t character;
	const wchar_t* text;
};

const SEscape ESCAPES[] = {
	{L'&', L"&amp;"},
	{L'<', L"&lt;"},
	{L'>', L"&gt;"},
	{L'"', L"&quot;"},
	{L'\'', L"&apos;"},
	{L'\r', L"&#xD;"},
	{L'\n', L"&#xA;"},
};

void appendUnit(std::vector<u8>& bytes, wchar_t c)
{
	bytes.push_back(static_cast<u8>(c & 0xFF));
	bytes.push_back(static_cast<u8>((c >> 8) & 0xFF));
}

void appendText(std::vector<u8>& bytes, const wchar_t* text)
{
	for (; *text; ++text)
		appendUnit(bytes, *text);
}
} // namespace

CXMLWriter::CXMLWriter(io::IWriteFile* file) : m_file(file)
{
	if (m_file)
		m_file->grab();
}

CXMLWriter::~CXMLWriter()
{
	if (m_file)
		m_file->drop();
}

void CXMLWriter::writeRaw(const wchar_t* text)
{
	std::vector<u8> bytes;
	appendText(bytes, text);
	if (!bytes.empty())
		m_file->write(bytes.data(), static_cast<u32>(bytes.size()));
}

void CXMLWriter::writeEscaped(const wchar_t* text)
{
	std::vector<u8> bytes;
	for (; *text; ++text)
	{
		const SEscape* escape = nullptr;
		for (const SEscape& e : ESCAPES)
		{
			if (e.character == *text)
			{
				escape = &e;
				break;
			}
		}
		if (escape)
			appendText(bytes, escape->text);
		else
			appendUnit(bytes, *text);
	}
	if (!bytes.empty())
		m_file->write(bytes.data(), static_cast<u32>(bytes.size()));
	m_textWrittenLast = true;
}

void CXMLWriter::writeTabs()
{
	for (s32 i = 0; i < m_tabDepth; ++i)
		writeRaw(L"\t");
}

void CXMLWriter::writeAttribute(const wchar_t* name, const wchar_t* value)
{
	writeRaw(L" ");
	writeRaw(name);
	writeRaw(L"=\"");
	writeEscaped(value);
	writeRaw(L"\"");
}

void CXMLWriter::endElement(bool empty)
{
	if (empty)
		writeRaw(L" />");
	else
	{
		writeRaw(L">");
		++m_tabDepth;
	}
	m_textWrittenLast = false;
}

void CXMLWriter::writeXMLHeader()
{
	if (!m_file)
		return;
	const u8 mark[2] = {0xFF, 0xFE};
	m_file->write(mark, 2);
	writeRaw(L"<?xml version=\"1.0\"?>");
	writeLineBreak();
	m_textWrittenLast = false;
}

void CXMLWriter::writeElement(const wchar_t* name, bool empty, const core::array<core::stringw>& names,
	const core::array<core::stringw>& values)
{
	if (!m_file || !name)
		return;
	writeTabs();
	writeRaw(L"<");
	writeRaw(name);
	const u32 count = names.size() < values.size() ? names.size() : values.size();
	for (u32 i = 0; i < count; ++i)
		writeAttribute(names[i].c_str(), values[i].c_str());
	endElement(empty);
}

void CXMLWriter::writeElement(const wchar_t* name, bool empty, const wchar_t* attr1Name, const wchar_t* attr1Value,
	const wchar_t* attr2Name, const wchar_t* attr2Value, const wchar_t* attr3Name, const wchar_t* attr3Value,
	const wchar_t* attr4Name, const wchar_t* attr4Value, const wchar_t* attr5Name, const wchar_t* attr5Value)
{
	if (!m_file || !name)
		return;
	writeTabs();
	writeRaw(L"<");
	writeRaw(name);
	const wchar_t* const pairs[5][2] = {{attr1Name, attr1Value}, {attr2Name, attr2Value}, {attr3Name, attr3Value},
		{attr4Name, attr4Value}, {attr5Name, attr5Value}};
	for (const auto& pair : pairs)
		if (pair[0] && pair[1])
			writeAttribute(pair[0], pair[1]);
	endElement(empty);
}

void CXMLWriter::writeComment(const wchar_t* comment)
{
	if (!m_file || !comment)
		return;
	writeRaw(L"<!--");
	writeEscaped(comment);
	writeRaw(L"-->");
}

void CXMLWriter::writeClosingTag(const wchar_t* name)
{
	if (!m_file || !name)
		return;
	--m_tabDepth;
	if (!m_textWrittenLast)
		writeTabs();
	writeRaw(L"</");
	writeRaw(name);
	writeRaw(L">");
	m_textWrittenLast = false;
}

void CXMLWriter::writeText(const wchar_t* text)
{
	if (!m_file || !text)
		return;
	writeEscaped(text);
}

void CXMLWriter::writeLineBreak()
{
	if (!m_file)
		return;
	writeRaw(L"\r\n");
}
} // namespace fw
