#include "widgets/EditNode.h"

#include "content/BitmapFont.h"
#include "core/CEventInput.h"
#include "core/CNameTable.h"
#include "core/KeyCodes.h"
#include "core/NodeCasts.h"
#include "core/PropertyAccessors.h"
#include "core/StateItem.h"
#include "platform/CDeviceStub.h"
#include "widgets/CEventValueChanged.h"
#include "widgets/CharacterClasses.h"
#include "widgets/SceneManager.h"
#include "widgets/TextNode.h"

namespace fw
{
namespace
{

struct SEditNames
{
	s32 text, cursor;
	SEditNames()
	{
		CNameTable& names = CNameTableSingleton::Instance();
		text = names.intern("Text");
		cursor = names.intern("Cursor");
	}
};

const SEditNames& editNames()
{
	static const SEditNames& table = *new SEditNames;
	return table;
}

s32 lineLength(const TextNode* text, s32 line)
{
	const core::array<core::stringw>& lines = text->getLayout().getLines();
	return line >= 0 && line < static_cast<s32>(lines.size()) ? static_cast<s32>(lines[static_cast<u32>(line)].size())
															  : 0;
}

s32 lineCount(const TextNode* text)
{
	return static_cast<s32>(text->getLayout().getLines().size());
}
} // namespace

EditNode::EditNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	ControlNode(reference, parent, sceneManager)
{
}

EditNode::~EditNode() = default;

const PropertyTable& EditNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable<EditNode>(ControlNode::getClassPropertyTable(),
		{
			makeProperty<&EditNode::setText, &EditNode::getText>("Text").stored(),
			makeProperty<&EditNode::setMaxTextLength, &EditNode::getMaxTextLength>("MaxTextLength")
				.stored()
				.copiedIn<&EditNode::m_maxTextLength>(),
			makeProperty<&EditNode::setInputMask, &EditNode::getInputMask>("InputMask").stored(),
			makeProperty<&EditNode::setSingleLine, &EditNode::isSingleLine>("SingleLine")
				.stored()
				.copiedIn<&EditNode::m_singleLine>(),
		});
	return table;
}

bool EditNode::readRealTime(u32& now) const
{
	CDeviceStub* device = getServices().device;
	if (!device || !device->getTimer())
		return false;
	now = device->getTimer()->getRealTime();
	return true;
}

bool EditNode::isKeyLocked() const
{
	u32 now = 0;
	if (!m_textChangeTimed || !readRealTime(now))
		return false;
	// Compared as a difference: the clock's 32 bits wrap.
	return now - m_lastTextChange <= KEY_LOCK_INTERVAL;
}

void EditNode::setText(const core::stringw& text)
{
	m_text = text;
	if (!m_textChild)
		return;
	m_textChild->setText(text);
	m_caretLine = 0;
	m_caretColumn = -1;
	caretMoved();
	updateCaretPosition();
	m_textChangeTimed = readRealTime(m_lastTextChange);
}

void EditNode::setInputMask(const core::stringc& mask)
{
	m_inputMask = mask;
	if (mask.empty())
	{
		m_maskClasses = -1;
		return;
	}
	s32 classes = 0;
	for (u32 i = 0; i < mask.size(); ++i)
		switch (mask[i])
		{
		case '0':
			classes |= MASK_DIGITS;
			break;
		case 'A':
		case 'a':
			classes |= MASK_LETTERS;
			break;
		case 'S':
		case 's':
			classes |= MASK_BLANKS;
			break;
		case 'R':
		case 'r':
			classes |= MASK_LINE_BREAKS;
			break;
		case 'T':
		case 't':
			classes |= MASK_TABS;
			break;
		default:
			break;
		}
	m_maskClasses = classes;
}

bool EditNode::isCharAllowed(wchar_t c) const
{
	const bool lineBreak = c == 13 || c == 10;
	if (lineBreak && m_singleLine)
		return false;
	if (!isAllowedByMask(c))
		return false;
	// Line breaks are the layout's, not glyphs; every other character must show as itself.
	const FontBase* font = m_textChild ? m_textChild->getFont() : nullptr;
	return lineBreak || !font || font->hasGlyph(static_cast<u32>(c));
}

bool EditNode::isAllowedByMask(wchar_t c) const
{
	if (m_maskClasses == -1)
		return true;
	if ((m_maskClasses & MASK_LINE_BREAKS) && (c == 13 || c == 10))
		return true;
	if ((m_maskClasses & MASK_TABS) && c == L'\t')
		return true;
	// No mask letter selects punctuation; the class stays for masks set in code.
	return ((m_maskClasses & MASK_DIGITS) && isDigitChar(c)) || ((m_maskClasses & MASK_LETTERS) && isLetterChar(c)) ||
		((m_maskClasses & MASK_BLANKS) && isBlankChar(c)) ||
		((m_maskClasses & MASK_PUNCTUATION) && c > 32 && c < 127 && !isDigitChar(c) && !isLetterChar(c));
}

bool EditNode::isFull() const
{
	return m_maxTextLength != -1 && static_cast<s64>(m_text.size()) >= m_maxTextLength;
}

void EditNode::setFocused(bool focused)
{
	const CRefHolder<EditNode> self = holdForCall(this);
	ControlNode::setFocused(focused);
	if (m_cursorChild)
		m_cursorChild->setVisible(isFocused());
}

void EditNode::instantiateTemplate()
{
	if (!getSceneManager())
		return;
	const CRefHolder<EditNode> self = holdForCall(this);
	ControlNode::instantiateTemplate();
	m_textChild.release();
	m_cursorChild.release();
	if (ControlNode* root = getTemplateRoot())
	{
		const SEditNames& names = editNames();
		TextNode* text = nodeCast<TextNode>(root->findChildByNameId(names.text, 1));
		if (text)
		{
			m_textChild.assign(text);
			text->setTranslated(false);
			m_cursorChild.assign(text->findChildByNameId(names.cursor, 1));
		}
	}
	setText(m_text);
}

void EditNode::caretMoved()
{
	if (m_textChild)
		m_caretPosition = m_textChild->getTextPosition(m_caretLine, m_caretColumn + 1);
}

void EditNode::placeCaretAt(s32 position)
{
	m_caretPosition = position;
	if (m_textChild)
		m_textChild->getLineColumn(position, m_caretLine, m_caretColumn);
}

void EditNode::updateCaretPosition()
{
	if (!m_textChild || !m_cursorChild)
		return;
	// The caret stands at the right edge of its column's character; before the first character,
	// at the line's start.
	f32 x;
	if (m_caretColumn >= 0)
		x = m_textChild->getCharRect(static_cast<u32>(m_caretLine), static_cast<u32>(m_caretColumn)).LowerRightCorner.X;
	else if (lineLength(m_textChild.get(), m_caretLine) > 0)
		x = m_textChild->getCharRect(static_cast<u32>(m_caretLine), 0).UpperLeftCorner.X;
	else
		x = m_textChild->getLineX(m_caretLine);
	m_cursorChild->setPosition(core::vector3df(x, m_textChild->getLineY(m_caretLine), 0.f));
}

void EditNode::textEdited()
{
	m_text = m_textChild->getText();
	const CRefHolder<CEvent> changed = adoptRef<CEvent>(new CEventNodeValueChanged(this));
	postEventToParent(ROUTE_SELF_UP, changed.get());
}

bool EditNode::onKeyDown(CEventInputKeyDown* event)
{
	if (!m_textChild || isKeyLocked())
		return true;
	const CRefHolder<EditNode> self = holdForCall(this);
	TextNode* text = m_textChild.get();
	const s32 lastLine = lineCount(text) - 1;
	switch (event->Key)
	{
	case KEY_BACK:
	{
		if (m_caretPosition <= 0)
			return true;
		const u32 before = text->getText().size();
		text->eraseAt(m_caretPosition - 1);
		// A CR LF goes as one.
		placeCaretAt(m_caretPosition - static_cast<s32>(before - text->getText().size()));
		break;
	}
	case KEY_RETURN:
		if (isFull() || !isCharAllowed(L'\n'))
			return true;
		text->insertAt(L'\n', m_caretPosition);
		placeCaretAt(m_caretPosition + 1);
		break;
	case KEY_END:
		m_caretColumn = lineLength(text, m_caretLine) - 1;
		caretMoved();
		updateCaretPosition();
		return true;
	case KEY_HOME:
		m_caretColumn = -1;
		caretMoved();
		updateCaretPosition();
		return true;
	case KEY_LEFT:
		if (--m_caretColumn < 0)
		{
			if (m_caretColumn < -1 && m_caretLine > 0)
			{
				--m_caretLine;
				m_caretColumn = lineLength(text, m_caretLine) - 1;
			}
			else
				m_caretColumn = -1;
		}
		caretMoved();
		updateCaretPosition();
		return true;
	case KEY_RIGHT:
	{
		const s32 length = lineLength(text, m_caretLine);
		if (++m_caretColumn >= length)
		{
			m_caretColumn = length - 1;
			if (m_caretLine < lastLine)
			{
				++m_caretLine;
				m_caretColumn = -1;
			}
		}
		caretMoved();
		updateCaretPosition();
		return true;
	}
	case KEY_UP:
		if (m_caretLine <= 0)
			return ControlNode::onKeyDown(event);
		--m_caretLine;
		if (m_caretColumn > lineLength(text, m_caretLine) - 1)
			m_caretColumn = lineLength(text, m_caretLine) - 1;
		caretMoved();
		updateCaretPosition();
		return true;
	case KEY_DOWN:
		if (m_caretLine >= lastLine)
			return ControlNode::onKeyDown(event);
		++m_caretLine;
		if (m_caretColumn != -1 && m_caretColumn > lineLength(text, m_caretLine) - 1)
			m_caretColumn = lineLength(text, m_caretLine) - 1;
		caretMoved();
		updateCaretPosition();
		return true;
	case KEY_DELETE:
		text->eraseAt(m_caretPosition);
		placeCaretAt(m_caretPosition);
		break;
	default:
		if (event->Char == 0 || !isCharAllowed(event->Char))
			return ControlNode::onKeyDown(event);
		if (isFull())
			return true;
		text->insertAt(event->Char, m_caretPosition);
		placeCaretAt(m_caretPosition + 1);
		break;
	}
	updateCaretPosition();
	textEdited();
	return true;
}

bool EditNode::onKeyUp(CEventInputKeyUp* event)
{
	return ControlNode::onKeyUp(event);
}

bool EditNode::onMouseDown(CEventInputMouseLeftDown* event)
{
	const CRefHolder<EditNode> self = holdForCall(this);
	if (!ControlNode::onMouseDown(event))
		return false;
	if (m_textChild)
	{
		core::matrix4 inverse;
		if (m_textChild->getAbsoluteTransformation().getInverse(inverse))
		{
			core::vector3df local(static_cast<f32>(event->X), static_cast<f32>(event->Y), 0.f);
			inverse.transformVect(local);
			m_textChild->getCharIndexAt(core::vector2df(local.X, local.Y), m_caretLine, m_caretColumn);
			caretMoved();
			updateCaretPosition();
		}
	}
	return true;
}
} // namespace fw
