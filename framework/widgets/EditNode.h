#pragma once

#include "core/ControlNode.h"

namespace fw
{
class TextNode;

// A text-entry control. Its template holds a text node named "Text" that shows the text as typed
// (not through the dictionary) and may hold a "Cursor" child, the caret, shown while the field has
// the focus. Keys typed while it is focused insert, delete and move the caret; each change of the
// text is queued for the parent as a value-changed event. An input mask limits what may be typed
// to digits ("0"), letters ("A"), blanks ("S"), line breaks ("R") and tabs ("T"); a single-line
// field takes no line break whatever its mask, and no field takes a character its font cannot
// draw, so that what the player sees is what the field holds.
class EditNode : public ControlNode
{
public:
	FW_NODE_CLASS(EditNode, ControlNode, NODE_TYPE_EDIT, L"EditNode")
	static const PropertyTable& getClassPropertyTable();

	// The classes of maskClasses.
	enum E_MASK_CLASS
	{
		MASK_DIGITS = 1,
		MASK_LETTERS = 2,
		MASK_BLANKS = 4,
		MASK_PUNCTUATION = 8,
		MASK_LINE_BREAKS = 0x10,
		MASK_TABS = 0x20,
	};
	// Keys pressed this soon after the text was set are ignored.
	static constexpr u32 KEY_LOCK_INTERVAL = 100;

	EditNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~EditNode() override;

	// The caret shows exactly while the field has the focus, also when the focus did not change.
	void setFocused(bool focused) override;
	// Binds "Text" and its "Cursor" and puts the text into them; only under a scene manager.
	void instantiateTemplate() override;
	bool onMouseDown(CEventInputMouseLeftDown* event) override;
	bool onKeyDown(CEventInputKeyDown* event) override;
	bool onKeyUp(CEventInputKeyUp* event) override;

	// The caret goes before the first character; keys are locked for a moment.
	void setText(const core::stringw& text);
	const core::stringw& getText() const { return m_text; }
	// -1: no limit; no check against the current text.
	void setMaxTextLength(s32 length) { m_maxTextLength = length; }
	s32 getMaxTextLength() const { return m_maxTextLength; }
	void setInputMask(const core::stringc& mask);
	// As it was set.
	const core::stringc& getInputMask() const { return m_inputMask; }
	s32 getMaskClasses() const { return m_maskClasses; }
	void setSingleLine(bool singleLine) { m_singleLine = singleLine; }
	bool isSingleLine() const { return m_singleLine; }
	// By the mask, the single line and the text child's font (when there is one).
	bool isCharAllowed(wchar_t c) const;

	TextNode* getTextChild() const { return m_textChild.get(); }
	BaseNode* getCursorChild() const { return m_cursorChild.get(); }
	// The caret stands after this column of this laid-out line (-1: at the line's start).
	s32 getCaretLine() const { return m_caretLine; }
	s32 getCaretColumn() const { return m_caretColumn; }
	// The index in the text before which the caret stands.
	s32 getCaretPosition() const { return m_caretPosition; }

private:
	// The device's real time; false without a device.
	bool readRealTime(u32& now) const;
	bool isKeyLocked() const;
	bool isAllowedByMask(wchar_t c) const;
	// The text may not grow.
	bool isFull() const;
	// After a move by line and column: the text index follows.
	void caretMoved();
	// After an edit: line and column follow the text index.
	void placeCaretAt(s32 position);
	void updateCaretPosition();
	// Takes the text node's text and queues the change.
	void textEdited();

	CRefHolder<TextNode> m_textChild;
	CRefHolder<BaseNode> m_cursorChild;
	s32 m_caretLine = 0;
	s32 m_caretColumn = -1;
	// Where edits happen: a blank typed at the end of a centred line is trimmed from the view, yet
	// the next character goes after it.
	s32 m_caretPosition = 0;
	u32 m_lastTextChange = 0;
	bool m_textChangeTimed = false;
	core::stringw m_text;
	s32 m_maxTextLength = -1;
	core::stringc m_inputMask;
	s32 m_maskClasses = -1;
	bool m_singleLine = false;
};
} // namespace fw
