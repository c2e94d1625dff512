#pragma once

#include "content/CAtlasTexture.h"
#include "core/ControlNode.h"

namespace fw
{
class SpriteNode;
class TextNode;

// A push button: a control that shows a caption and a picture through the "Text" and "Image"
// children of its template. Input, looks and the pressed report are the control's; screens know a
// button by the type test.
class ButtonNode : public ControlNode
{
public:
	FW_NODE_CLASS(ButtonNode, ControlNode, NODE_TYPE_BUTTON, L"ButtonNode")
	static const PropertyTable& getClassPropertyTable();

	ButtonNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~ButtonNode() override;

	// Rebinds "Text" and "Image" and gives them the caption and the picture; only under a scene
	// manager.
	void instantiateTemplate() override;

	void setText(const core::stringw& text);
	const core::stringw& getText() const { return m_text; }
	// Given to the image child also when it is the picture already held.
	void setImage(CAtlasTexture* image);
	CAtlasTexture* getImage() const { return m_image.get(); }

	// The bound children; null when the template has none of that name and class.
	TextNode* getTextChild() const { return m_textChild.get(); }
	SpriteNode* getImageChild() const { return m_imageChild.get(); }

private:
	core::stringw m_text;
	CRefHolder<CAtlasTexture> m_image;
	CRefHolder<TextNode> m_textChild;
	CRefHolder<SpriteNode> m_imageChild;
};

// A button that sends the active scene back to the previous one when pressed; the press goes on
// up to the scene like any other.
class BackButtonNode : public ButtonNode
{
public:
	FW_NODE_CLASS(BackButtonNode, ButtonNode, NODE_TYPE_BACK_BUTTON, L"BackButtonNode")

	BackButtonNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);

	static const EventMap& getClassEventMap();

	// Never consumed.
	virtual bool onNodePressed(CEventNodePressed* event);
};
} // namespace fw
