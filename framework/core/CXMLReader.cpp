#include "core/CXMLReader.h"

#include "core/CLogger.h"
#include "core/TextParsing.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace fw
{
namespace
{
// Built with the first reader and never destroyed, so readers alive during exit still find it.
core::array<core::stringw>& entityList()
{
	static core::array<core::stringw>* list = []
	{
		auto* entries = new core::array<core::stringw>;
		entries->push_back(L"&amp;");
		entries->push_back(L"<lt;");
		entries->push_back(L">gt;");
		entries->push_back(L"\"quot;");
		entries->push_back(L"'apos;");
		entries->push_back(L"\r#xD;");
		entries->push_back(L"\n#xA;");
		return entries;
	}();
	return *list;
}

bool isWhiteSpace(wchar_t c)
{
	return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r';
}

// Copies [begin, end) into the string, reusing its storage: the text is cut with a zero for the
// copy and mended right after.
void assignRange(core::stringw& out, wchar_t* begin, wchar_t* end)
{
	if (end <= begin)
	{
		out = L"";
		return;
	}
	const wchar_t saved = *end;
	*end = 0;
	out = static_cast<const wchar_t*>(begin);
	*end = saved;
}

static_assert(sizeof(wchar_t) == 4, "the decoded text holds one 32-bit wchar_t per code unit");

// Byte-wide and 16-bit little-endian text widen to wchar_t sixteen bytes at a time where the
// processor has SSE2 (every x86-64 does): decoding is most of the time a reader spends on a file.
void widenBytes(const u8* in, wchar_t* out, u32 count)
{
	u32 i = 0;
#if defined(__SSE2__)
	const __m128i zero = _mm_setzero_si128();
	for (; i + 16 <= count; i += 16)
	{
		const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
		const __m128i low = _mm_unpacklo_epi8(bytes, zero);
		const __m128i high = _mm_unpackhi_epi8(bytes, zero);
		__m128i* to = reinterpret_cast<__m128i*>(out + i);
		_mm_storeu_si128(to, _mm_unpacklo_epi16(low, zero));
		_mm_storeu_si128(to + 1, _mm_unpackhi_epi16(low, zero));
		_mm_storeu_si128(to + 2, _mm_unpacklo_epi16(high, zero));
		_mm_storeu_si128(to + 3, _mm_unpackhi_epi16(high, zero));
	}
#endif
	for (; i < count; ++i)
		out[i] = in[i];
}

void widenUtf16Le(const u8* in, wchar_t* out, u32 count)
{
	u32 i = 0;
#if defined(__SSE2__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
	const __m128i zero = _mm_setzero_si128();
	for (; i + 8 <= count; i += 8)
	{
		const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i));
		__m128i* to = reinterpret_cast<__m128i*>(out + i);
		_mm_storeu_si128(to, _mm_unpacklo_epi16(units, zero));
		_mm_storeu_si128(to + 1, _mm_unpackhi_epi16(units, zero));
	}
#endif
	for (; i < count; ++i)
		out[i] = static_cast<wchar_t>((in[2 * i + 1] << 8) | in[2 * i]);
}

// The closing quote of an attribute value, or the end of the text; notes an "&" on the way. Four
// units at a time with SSE2: the text is padded, so that reading on from its last unit stays inside.
wchar_t* findValueEnd(wchar_t* p, wchar_t quote, bool& ampersand)
{
#if defined(__SSE2__)
	const __m128i quotes = _mm_set1_epi32(quote);
	const __m128i ampersands = _mm_set1_epi32(L'&');
	const __m128i zero = _mm_setzero_si128();
	for (;; p += 4)
	{
		const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
		const int stops = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi32(units, quotes), _mm_cmpeq_epi32(units, zero)));
		const int amps = _mm_movemask_epi8(_mm_cmpeq_epi32(units, ampersands));
		if (stops)
		{
			const int first = __builtin_ctz(static_cast<unsigned>(stops));
			if (amps & ((1 << first) - 1))
				ampersand = true;
			return p + first / 4;
		}
		if (amps)
			ampersand = true;
	}
#else
	for (; *p && *p != quote; ++p)
		if (*p == L'&')
			ampersand = true;
	return p;
#endif
}

void appendRange(core::stringw& out, const wchar_t* begin, const wchar_t* end)
{
	for (; begin < end; ++begin)
		out.append(*begin);
}
} // namespace

CXMLReader::CXMLReader(io::IReadFile* file)
{
	entityList();
	if (!file)
		return;

	const long size = file->getSize();
	if (size <= 0)
		return;
	if (size > MAX_FILE_SIZE)
	{
		logFormat(LOG_ERROR, "XML file %s has %ld bytes, more than the %ld a reader accepts",
			file->getFileName().c_str(), size, MAX_FILE_SIZE);
		return;
	}

	// Four zero bytes after the data terminate the text in every encoding.
	std::unique_ptr<u8[]> data(new (std::nothrow) u8[static_cast<size_t>(size) + 4]);
	if (!data)
	{
		logError("Not enough memory to read XML file", file->getFileName().c_str());
		return;
	}
	if (file->read(data.get(), static_cast<u32>(size)) != size)
	{
		logError("Could not read XML file", file->getFileName().c_str());
		return;
	}
	std::memset(data.get() + size, 0, 4);

	convertText(data.get(), size);
	if (!m_text)
	{
		logError("Not enough memory to convert XML file", file->getFileName().c_str());
		return;
	}
	m_pos = m_textBegin;
}

CXMLReader::~CXMLReader() = default;

void CXMLReader::convertText(const u8* d, long size)
{
	enum
	{
		UTF32_BE,
		UTF32_LE,
		UTF16_BE,
		UTF16_LE
	} wide;

	if (size > 3 && d[0] == 0x00 && d[1] == 0x00 && d[2] == 0xFE && d[3] == 0xFF)
		wide = UTF32_BE;
	else if (size > 3 && d[0] == 0xFF && d[1] == 0xFE && d[2] == 0x00 && d[3] == 0x00)
		wide = UTF32_LE;
	else if (size > 1 && d[0] == 0xFE && d[1] == 0xFF)
		wide = UTF16_BE;
	else if (size > 1 && d[0] == 0xFF && d[1] == 0xFE)
		wide = UTF16_LE;
	else if (size > 2 && d[0] == 0xEF && d[1] == 0xBB && d[2] == 0xBF)
	{
		decodeUtf8(d + 3, size - 3);
		return;
	}
	else
	{
		// No mark: 8-bit text, one code unit per byte, no code page.
		const u32 count = static_cast<u32>(size);
		if (!allocateText(count))
			return;
		widenBytes(d, m_text.get(), count);
		m_text[count] = 0;
		m_textBegin = m_text.get();
		m_textSize = count;
		return;
	}

	const bool utf32 = wide == UTF32_BE || wide == UTF32_LE;
	const u32 unit = utf32 ? 4 : 2;
	// A trailing partial unit is ignored.
	const u32 count = static_cast<u32>((size - unit) / unit);
	if (!allocateText(count))
		return;
	wchar_t* out = m_text.get();
	const u8* p = d + unit;
	switch (wide)
	{
	case UTF32_BE:
		// UTF-32 keeps only the low 16 bits of each character.
		for (u32 i = 0; i < count; ++i)
			out[i] = static_cast<wchar_t>((p[4 * i + 2] << 8) | p[4 * i + 3]);
		break;
	case UTF32_LE:
		for (u32 i = 0; i < count; ++i)
			out[i] = static_cast<wchar_t>((p[4 * i + 1] << 8) | p[4 * i]);
		break;
	case UTF16_LE:
		widenUtf16Le(p, out, count);
		break;
	case UTF16_BE:
		for (u32 i = 0; i < count; ++i)
			out[i] = static_cast<wchar_t>((p[2 * i] << 8) | p[2 * i + 1]);
		break;
	}
	out[count] = 0;
	m_textBegin = out;
	m_textSize = count;
}

bool CXMLReader::allocateText(u32 count)
{
	m_text.reset(new (std::nothrow) wchar_t[count + 1 + TEXT_PADDING]);
	if (!m_text)
		return false;
	std::fill(m_text.get() + count, m_text.get() + count + 1 + TEXT_PADDING, 0);
	return true;
}

void CXMLReader::decodeUtf8(const u8* d, long size)
{
	long end = 0;
	while (end < size && d[end])
		++end;

	u32 count = 0;
	for (long i = 0; i < end; ++i)
		if (d[i] < 0x80 || d[i] >= 0xC0)
			++count;

	if (!allocateText(count))
		return;

	// Bytes after a lead byte are taken as its continuation without checking their marker bits;
	// a sequence cut off by the end of the data gives "?".
	u32 out = 0;
	long i = 0;
	while (i < end && out < count)
	{
		const u8 lead = d[i];
		if (lead < 0x80)
		{
			m_text[out++] = lead;
			++i;
		}
		else if (lead < 0xC0)
			++i;
		else if (lead < 0xE0)
		{
			m_text[out++] = i + 1 < end ? static_cast<wchar_t>(((lead & 0x1F) << 6) | (d[i + 1] & 0x3F)) : L'?';
			i += 2;
		}
		else if (lead < 0xF0)
		{
			m_text[out++] = i + 2 < end
				? static_cast<wchar_t>(((lead & 0x0F) << 12) | ((d[i + 1] & 0x3F) << 6) | (d[i + 2] & 0x3F))
				: L'?';
			i += 3;
		}
		else if (lead < 0xF8)
		{
			// Outside 16 bits; no surrogate pairs are made.
			m_text[out++] = L'?';
			i += 4;
		}
		else
		{
			m_text[out++] = L'?';
			++i;
		}
	}
	std::fill(m_text.get() + out, m_text.get() + count + 1, 0);
	m_textBegin = m_text.get();
	m_textSize = out;
}

bool CXMLReader::read()
{
	if (!m_pos || !*m_pos || m_pos >= m_textBegin + m_textSize)
		return false;

	wchar_t* start = m_pos;
	wchar_t* p = m_pos;
	while (*p && *p != L'<')
		++p;
	if (!*p)
	{
		// Text after the last tag is not a node; the document ends here.
		m_pos = p;
		return false;
	}

	if (p != start)
	{
		bool dropped = p - start < 3;
		for (const wchar_t* c = start; dropped && c < p; ++c)
			dropped = isWhiteSpace(*c);
		if (!dropped)
		{
			parseText(start, p);
			return true;
		}
		m_pos = p;
	}

	++m_pos;
	switch (*m_pos)
	{
	case L'/':
		parseElementEnd();
		break;
	case L'?':
		parseDeclaration();
		break;
	case L'!':
		if (m_pos[1] == L'[')
			parseCData();
		else
			parseComment();
		break;
	default:
		parseElement();
		break;
	}
	return true;
}

void CXMLReader::parseText(wchar_t* start, wchar_t* end)
{
	m_nodeType = XML_NODE_TEXT;
	m_nodeName.set(start, end, true);
	m_pos = end;
}

void CXMLReader::parseElementEnd()
{
	m_nodeType = XML_NODE_ELEMENT_END;
	m_emptyElement = false;
	m_attributeCount = 0;

	wchar_t* begin = m_pos + 1;
	wchar_t* p = begin;
	while (*p && *p != L'>')
		++p;
	m_nodeName.set(begin, p, false);
	m_pos = *p ? p + 1 : p;
}

void CXMLReader::parseDeclaration()
{
	m_nodeType = XML_NODE_DECLARATION;
	while (*m_pos && *m_pos != L'>')
		++m_pos;
	if (*m_pos)
		++m_pos;
}

void CXMLReader::parseCData()
{
	m_nodeType = XML_NODE_CDATA;
	// "![CDATA[" is passed over without being compared.
	for (int i = 0; i < 8 && *m_pos; ++i)
		++m_pos;

	wchar_t* begin = m_pos;
	wchar_t* p = begin;
	while (*p && !(p[0] == L']' && p[1] == L']' && p[2] == L'>'))
		++p;
	if (!*p)
	{
		m_nodeName.clear();
		m_pos = p;
		return;
	}
	m_nodeName.set(begin, p, false);
	m_pos = p + 3;
}

void CXMLReader::parseComment()
{
	m_nodeType = XML_NODE_COMMENT;
	// Nested <...> pairs stay inside the comment; an unmatched ">" ends it.
	wchar_t* after = m_pos + 1;
	wchar_t* p = after;
	int depth = 1;
	while (*p)
	{
		if (*p == L'>')
		{
			if (--depth == 0)
				break;
		}
		else if (*p == L'<')
			++depth;
		++p;
	}

	if (!*p)
	{
		// Unterminated: the rest of the text after "<!--".
		m_nodeName.set(p - after > 2 ? after + 2 : p, p, false);
		m_pos = p;
		return;
	}

	// Between "<!--" and the three characters that close it (normally "-->").
	const ptrdiff_t from = 2;
	const ptrdiff_t to = (p + 1 - after) - 3;
	if (to > from)
		m_nodeName.set(after + from, after + to, false);
	else
		m_nodeName.clear();
	m_pos = p + 1;
}

void CXMLReader::parseElement()
{
	m_nodeType = XML_NODE_ELEMENT;
	m_emptyElement = false;
	m_attributeCount = 0;

	wchar_t* startName = m_pos;
	wchar_t* p = m_pos;
	while (*p && *p != L'>' && !isWhiteSpace(*p))
		++p;
	wchar_t* endName = p;

	while (*p && *p != L'>')
	{
		if (isWhiteSpace(*p))
		{
			++p;
			continue;
		}
		if (*p == L'/')
		{
			m_emptyElement = true;
			++p;
			break;
		}

		wchar_t* nameBegin = p;
		while (*p && !isWhiteSpace(*p) && *p != L'=')
			++p;
		wchar_t* nameEnd = p;
		if (*p)
			++p;
		while (*p && *p != L'"' && *p != L'\'')
			++p;
		if (!*p)
			break;
		const wchar_t quote = *p++;
		wchar_t* valueBegin = p;
		bool entities = false;
		p = findValueEnd(p, quote, entities);
		if (!*p)
			break;

		if (m_attributeCount == m_attributes.size())
			m_attributes.emplace_back();
		SAttribute& attribute = m_attributes[m_attributeCount++];
		attribute.name.set(nameBegin, nameEnd, false);
		attribute.value.set(valueBegin, p, entities);
		++p;
	}

	if (endName > startName && endName[-1] == L'/')
	{
		m_emptyElement = true;
		--endName;
	}
	m_nodeName.set(startName, endName, false);

	while (*p && *p != L'>')
		++p;
	m_pos = *p ? p + 1 : p;
}

const core::stringw& CXMLReader::SLazyText::get() const
{
	if (ready)
		return text;
	ready = true;
	if (!entities)
	{
		assignRange(text, begin, end);
		return text;
	}
	const wchar_t* amp = begin;
	while (amp < end && *amp != L'&')
		++amp;
	if (amp == end)
	{
		assignRange(text, begin, end);
		return text;
	}

	core::stringw& out = text;
	const core::array<core::stringw>& list = entityList();
	out = L"";
	out.reserve(static_cast<u32>(end - begin) + 1);
	const wchar_t* done = begin;
	// An "&" among the last two characters cannot start an entity.
	while (end - amp > 2)
	{
		const ptrdiff_t remaining = end - amp - 1;
		const core::stringw* match = nullptr;
		for (u32 i = 0; i < list.size(); ++i)
		{
			const ptrdiff_t nameLength = static_cast<ptrdiff_t>(list[i].size()) - 1;
			if (nameLength < 1 || nameLength > remaining)
				continue;
			if (std::wmemcmp(list[i].c_str() + 1, amp + 1, static_cast<size_t>(nameLength)) == 0)
			{
				match = &list[i];
				break;
			}
		}

		if (match)
		{
			appendRange(out, done, amp);
			out.append((*match)[0]);
			done = amp + match->size();
		}
		else
		{
			appendRange(out, done, amp + 1);
			done = amp + 1;
		}

		amp = done;
		while (amp < end && *amp != L'&')
			++amp;
	}
	appendRange(out, done, end);
	return text;
}

bool CXMLReader::SLazyText::equals(const core::stringw& other) const
{
	if (ready)
		return text == other;
	// The text holds no zero; the engine stops at the first zero of either and then compares lengths.
	const wchar_t* x = other.c_str();
	const ptrdiff_t length = end > begin ? end - begin : 0;
	for (ptrdiff_t i = 0; i < length && x[i]; ++i)
		if (begin[i] != x[i])
			return false;
	return static_cast<ptrdiff_t>(other.size()) == length;
}

bool CXMLReader::isEmptyElement() const
{
	return m_emptyElement;
}

EXmlNodeType CXMLReader::getNodeType() const
{
	return m_nodeType;
}

const core::stringw& CXMLReader::getNodeName() const
{
	return m_nodeName.get();
}

const core::stringw& CXMLReader::getNodeData() const
{
	return m_nodeName.get();
}

s32 CXMLReader::getAttributeCount() const
{
	return static_cast<s32>(m_attributeCount);
}

const core::stringw& CXMLReader::getAttributeName(s32 index) const
{
	if (index < 0 || index >= getAttributeCount())
		return getEmptyStringW();
	return m_attributes[static_cast<u32>(index)].name.get();
}

const CXMLReader::SAttribute* CXMLReader::findAttribute(const core::stringw& name) const
{
	if (name.size() == 0)
		return nullptr;
	for (u32 i = 0; i < m_attributeCount; ++i)
		if (m_attributes[i].name.equals(name))
			return &m_attributes[i];
	return nullptr;
}

const core::stringw& CXMLReader::getAttributeValue(const core::stringw& name) const
{
	const SAttribute* attribute = findAttribute(name);
	return attribute ? attribute->value.get() : getEmptyStringW();
}

const core::stringw& CXMLReader::getAttributeValue(s32 index) const
{
	if (index < 0 || index >= getAttributeCount())
		return getEmptyStringW();
	return m_attributes[static_cast<u32>(index)].value.get();
}

f32 CXMLReader::getAttributeValueAsFloat(s32 index, f32 defaultValue) const
{
	if (index < 0 || index >= getAttributeCount())
		return defaultValue;
	f32 value = 0.f;
	fast_atof_move(m_attributes[static_cast<u32>(index)].value.get().c_str(), value);
	return value;
}

f32 CXMLReader::getAttributeValueAsFloat(const core::stringw& name, f32 defaultValue) const
{
	const SAttribute* attribute = findAttribute(name);
	if (!attribute)
		return defaultValue;
	f32 value = 0.f;
	fast_atof_move(attribute->value.get().c_str(), value);
	return value;
}

s32 CXMLReader::getAttributeValueAsInt(s32 index, s32 defaultValue) const
{
	return truncateToInt(getAttributeValueAsFloat(index, static_cast<f32>(defaultValue)));
}

s32 CXMLReader::getAttributeValueAsInt(const core::stringw& name, s32 defaultValue) const
{
	return truncateToInt(getAttributeValueAsFloat(name, static_cast<f32>(defaultValue)));
}

const core::array<core::stringw>& CXMLReader::getSpecialCharacters() const
{
	return entityList();
}

void CXMLReader::addSpecialCharacter(const core::stringw& entry)
{
	entityList().push_back(entry);
}
} // namespace fw
