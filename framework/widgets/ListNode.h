#pragma once

#include "content/CAtlasTexture.h"
#include "core/ControlNode.h"

#include <vector>

namespace fw
{
class CEventNodeValueChanged;
class SliderNode;

// One item of a list: what the element showing it gets.
struct ListItem
{
	// Text k goes to the element's k-th "Text" child, image k to its k-th "Image" child.
	core::array<core::stringw> texts;
	std::vector<CRefHolder<CAtlasTexture>> images;
	// The template of the element showing the item; -1: the element template's own.
	s32 templateName = -1;
	bool checked = false;
	bool enabled = true;
	CRefHolder<IReferenceCounted> object;
};

// A list control: items shown through a fixed set of elements cloned from the "Element" child of
// its template, scrolled by a top item. It lays the elements out as a vertical list (Orientation
// 0), a horizontal one (1), or a grid filled column by column (2) or row by row (3); it selects by
// arrow keys and presses, scrolls by its "PrevButton", "NextButton" and "Slider", wraps at the ends
// when Circular, and queues what happens for its parent: selection changed (61), item pressed (62),
// item checked (63, by the "CheckBox" child of an element), item hovered (64) and, when a press
// changed the selection, value changed (60).
//
// The elements live in a transient child of the list: shown and reached by events, never written
// or copied, since they are made again from the template.
class ListNode : public ControlNode
{
public:
	FW_NODE_CLASS(ListNode, ControlNode, NODE_TYPE_LIST, L"ListNode")
	static const PropertyTable& getClassPropertyTable();

	// A file's Bounds may ask for more elements than a screen can hold; the grid stops here.
	static constexpr s32 MAX_ELEMENTS = 1024;
	// An element has a few "Text" and "Image" children; larger slot numbers are refused.
	static constexpr u32 MAX_ITEM_SLOTS = 64;

	ListNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~ListNode() override;

	// Binds the template's parts, then builds and binds the elements; only under a scene manager.
	void instantiateTemplate() override;
	// Scrolls the selected item into view and focuses the element that shows it.
	void focusDefaultChild() override;
	bool onKeyDown(CEventInputKeyDown* event) override;
	// An element taking the focus takes it from the other elements: they are not the list's direct
	// children, which the control's own clearing reaches.
	bool onSetFocus(CEventNodeSetFocus* event) override;
	virtual bool onNodePressedPreview(CEventNodePressedPreview* event);
	virtual bool onNodePressed(CEventNodePressed* event);
	virtual bool onNodeHovered(CEventNodeHovered* event);
	virtual bool onValueChanged(CEventNodeValueChanged* event);

	static const EventMap& getClassEventMap();
	// After the control's children: the buttons, the slider (not keys) and the elements, these last
	// only when the control's own routing did not already offer the event to their container.
	bool routeDown(s32 mode, CEvent* event) override;

	// Items. An index at or beyond the count does nothing; the elements show changes at the next
	// rebind (updateElements), except for setItemCount and setStrings, which rebind.
	u32 getItemCount() const { return static_cast<u32>(m_items.size()); }
	void setItemCount(u32 count);
	void setItemText(u32 item, u32 slot, const core::stringw& text);
	void setItemImage(u32 item, u32 slot, CAtlasTexture* image);
	void setItemTemplateName(u32 item, s32 nameId);
	void setItemEnabled(u32 item, bool enabled);
	bool isItemEnabled(u32 item) const;
	bool isItemChecked(u32 item) const;
	void setItemObject(u32 item, IReferenceCounted* object);
	IReferenceCounted* getItemObject(u32 item) const;
	const ListItem* getItem(u32 item) const;
	// Text 0 of each item.
	void setStrings(const core::array<core::stringw>& strings);
	core::array<core::stringw> getStrings() const;
	// Binds every element to its item again.
	void updateElements();

	// Selection and scrolling.
	void setSelectedItem(s32 index, bool scrollIntoView);
	void setSelectedIndex(s32 index) { setSelectedItem(index, true); }
	s32 getSelectedIndex() const { return m_selectedItem; }
	void setTopItem(s32 index);
	s32 getTopItem() const { return m_topItem; }
	// Takes effect at the next rebind.
	void setCircular(bool circular) { m_circular = circular; }
	bool isCircular() const { return m_circular; }
	// 0 to 3; anything else is 0. Rebuilds the elements.
	void setOrientation(s32 orientation);
	s32 getOrientation() const { return m_orientation; }
	void setIsSelectWhileListingOn(bool on) { m_isSelectWhileListingOn = on; }
	bool getIsSelectWhileListingOn() const { return m_isSelectWhileListingOn; }

	// Layout.
	void computeGridSize();
	void buildElements();
	s32 getColumns() const { return m_columns; }
	s32 getRows() const { return m_rows; }
	u32 getElementCount() const;
	BaseNode* getElement(u32 index) const;
	// (0, 0, 0) outside the elements.
	core::vector3df getElementPosition(s32 index) const;
	BaseNode* getElementContainer() const { return m_elementContainer.get(); }

	// Indexes.
	s32 wrapIndex(s32 index) const;
	s32 clampTopItem(s32 index) const;
	// The element showing the item; -1 for none, and for a list that fits, possibly out of range.
	s32 itemToElement(s32 index) const;
	void updateSlider();

	BaseNode* getElementTemplate() const { return m_elementTemplate.get(); }
	BaseNode* getPrevButton() const { return m_prevButton.get(); }
	BaseNode* getNextButton() const { return m_nextButton.get(); }
	SliderNode* getSlider() const { return m_slider.get(); }

private:
	struct SLineMetrics
	{
		s32 visibleLines, itemsPerLine, lineCount;
	};
	SLineMetrics getLineMetrics() const;
	// Copies take the items with the Strings entry of the table, without a rebind; images and
	// objects are shared, each list holding its own reference.
	void copyItems(const ListNode& source);
	void indexTemplateChildren();
	// The element's number in the container; -1 when the node is no element.
	s32 elementIndexOf(const BaseNode* node) const;
	void postToParent(CEvent* event);

	std::vector<ListItem> m_items;
	s32 m_orientation = 0;
	bool m_circular = true;
	s32 m_selectedItem = 0;
	s32 m_topItem = 0;
	bool m_isSelectWhileListingOn = false;
	CRefHolder<BaseNode> m_elementContainer;
	s32 m_columns = 1;
	s32 m_rows = 1;
	CRefHolder<BaseNode> m_elementTemplate;
	std::vector<u32> m_imageSlots;
	std::vector<u32> m_textSlots;
	CRefHolder<BaseNode> m_prevButton;
	CRefHolder<BaseNode> m_nextButton;
	CRefHolder<SliderNode> m_slider;
};
} // namespace fw
