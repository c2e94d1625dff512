#pragma once

#include "core/SceneNode.h"

namespace fw
{
class ButtonNode;
class TextNode;

// A small scene over another that asks a question: a title, a body and a row of buttons laid out
// by a template, whose direct children "TitleText" and "BodyText" (texts) and "Button" (buttons,
// in child order) it fills. Made only by SceneManager::showMessageBox; a press of one of its
// buttons keeps the button's index and goes back to the owner, which learns the index from the
// message-box result once the box's closing transition has played.
class MessageBoxNode : public SceneNode
{
public:
	FW_NODE_CLASS(MessageBoxNode, SceneNode, NODE_TYPE_MESSAGE_BOX, L"MessageBoxNode")

	MessageBoxNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~MessageBoxNode() override;

	// Builds the template and binds the texts and buttons anew; only under a scene manager.
	void instantiateTemplate() override;
	// The control's routing first; then input the box's own children left goes to the buttons.
	bool routeDown(s32 mode, CEvent* event) override;
	static const EventMap& getClassEventMap();
	// A press of one of the box's buttons: consumed, and the box goes back to its owner.
	virtual bool onButtonPressed(CEventNodePressed* event);

	void setTitle(const core::stringw& title);
	const core::stringw& getTitle() const { return m_title; }
	void setBody(const core::stringw& body);
	const core::stringw& getBody() const { return m_body; }
	// Texts past the last button are kept and not shown; buttons past the last text show none.
	void setButtons(const core::array<core::stringw>& texts);
	const core::array<core::stringw>& getButtonTexts() const { return m_buttonTexts; }

	// The index of the button pressed last; 0 when none was.
	s32 getResultIndex() const { return m_resultIndex; }
	TextNode* getTitleText() const { return m_titleText.get(); }
	TextNode* getBodyText() const { return m_bodyText.get(); }
	u32 getButtonCount() const { return static_cast<u32>(m_buttons.size()); }
	ButtonNode* getButton(u32 index) const { return index < m_buttons.size() ? m_buttons[index].get() : nullptr; }

private:
	void applyButtonTexts();

	s32 m_resultIndex = 0;
	core::stringw m_title;
	core::stringw m_body;
	core::array<core::stringw> m_buttonTexts;
	CRefHolder<TextNode> m_titleText;
	CRefHolder<TextNode> m_bodyText;
	std::vector<CRefHolder<ButtonNode>> m_buttons;
};
} // namespace fw
