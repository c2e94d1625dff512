#pragma once

#include "core/TypeIds.h"

#include "core/CEventNode.h"

namespace fw
{
class BaseNode;

// What happened in a list, queued for the list's parent: the list and the item.
class CEventListItem : public CEventNode
{
public:
	CEventListItem(BaseNode* list, s32 item) : m_list(list), m_item(item) {}

	BaseNode* getList() const { return m_list; }
	s32 getItem() const { return m_item; }

private:
	BaseNode* m_list;
	s32 m_item;
};

// The selection moved by keys or by code.
class CEventListSelectionChanged : public CEventListItem
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_LIST_SELECTION_CHANGED, CEventNode)
	using CEventListItem::CEventListItem;
};

// An element showing the item was pressed.
class CEventListItemPressed : public CEventListItem
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_LIST_ITEM_PRESSED, CEventNode)
	using CEventListItem::CEventListItem;
};

// The check box of an element showing the item was pressed; the item's new flag.
class CEventListItemChecked : public CEventListItem
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_LIST_ITEM_CHECKED, CEventNode)
	CEventListItemChecked(BaseNode* list, s32 item, bool checked) : CEventListItem(list, item), m_checked(checked) {}
	bool isChecked() const { return m_checked; }

private:
	bool m_checked;
};

// An element showing the item became hovered.
class CEventListItemHovered : public CEventListItem
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_LIST_ITEM_HOVERED, CEventNode)
	using CEventListItem::CEventListItem;
};
} // namespace fw
