#pragma once

#include "core/CoreTypes.h"

namespace fw
{
// Writes UTF-16LE XML: byte-order mark, CR LF line breaks, one tab per level.
class IXMLWriter : public virtual IReferenceCounted
{
public:
	// Byte-order mark, the declaration and a line break.
	virtual void writeXMLHeader() = 0;
	// Attributes paired by index up to the shorter array.
	virtual void writeElement(const wchar_t* name, bool empty, const core::array<core::stringw>& names,
		const core::array<core::stringw>& values) = 0;
	// Up to five attributes; a pair with a null name or value is left out.
	virtual void writeElement(const wchar_t* name, bool empty = false, const wchar_t* attr1Name = nullptr,
		const wchar_t* attr1Value = nullptr, const wchar_t* attr2Name = nullptr, const wchar_t* attr2Value = nullptr,
		const wchar_t* attr3Name = nullptr, const wchar_t* attr3Value = nullptr, const wchar_t* attr4Name = nullptr,
		const wchar_t* attr4Value = nullptr, const wchar_t* attr5Name = nullptr,
		const wchar_t* attr5Value = nullptr) = 0;
	virtual void writeComment(const wchar_t* comment) = 0;
	virtual void writeClosingTag(const wchar_t* name) = 0;
	virtual void writeText(const wchar_t* text) = 0;
	virtual void writeLineBreak() = 0;
};
} // namespace fw
