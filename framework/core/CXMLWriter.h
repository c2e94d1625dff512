#pragma once

#include "core/IXMLWriter.h"

#include <IWriteFile.h>

namespace fw
{
// Writes UTF-16LE XML into a file it holds a reference to; without a file it writes nothing.
class CXMLWriter : public IXMLWriter
{
public:
	explicit CXMLWriter(io::IWriteFile* file);
	~CXMLWriter() override;

	void writeXMLHeader() override;
	void writeElement(const wchar_t* name, bool empty, const core::array<core::stringw>& names,
		const core::array<core::stringw>& values) override;
	void writeElement(const wchar_t* name, bool empty = false, const wchar_t* attr1Name = nullptr,
		const wchar_t* attr1Value = nullptr, const wchar_t* attr2Name = nullptr, const wchar_t* attr2Value = nullptr,
		const wchar_t* attr3Name = nullptr, const wchar_t* attr3Value = nullptr, const wchar_t* attr4Name = nullptr,
		const wchar_t* attr4Value = nullptr, const wchar_t* attr5Name = nullptr,
		const wchar_t* attr5Value = nullptr) override;
	void writeComment(const wchar_t* comment) override;
	void writeClosingTag(const wchar_t* name) override;
	void writeText(const wchar_t* text) override;
	void writeLineBreak() override;

private:
	CXMLWriter(const CXMLWriter&) = delete;
	CXMLWriter& operator=(const CXMLWriter&) = delete;

	void writeRaw(const wchar_t* text);
	void writeEscaped(const wchar_t* text);
	void writeTabs();
	void writeAttribute(const wchar_t* name, const wchar_t* value);
	void endElement(bool empty);

	io::IWriteFile* m_file;
	s32 m_tabDepth = 0;
	bool m_textWrittenLast = false;
};
} // namespace fw
