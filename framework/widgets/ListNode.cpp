#include "widgets/ListNode.h"

#include "core/CEventInput.h"
#include "core/CLogger.h"
#include "core/CNameTable.h"
#include "core/KeyCodes.h"
#include "core/NodeCasts.h"
#include "core/PropertyAccessors.h"
#include "core/StateItem.h"
#include "widgets/CEventList.h"
#include "widgets/CEventValueChanged.h"
#include "widgets/CheckBoxNode.h"
#include "widgets/SliderNode.h"
#include "widgets/SpriteNode.h"
#include "widgets/TextNode.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace fw
{
namespace
{
// The line a slider's value may name: far beyond any list, still an s32.
const s32 MAX_LINE = 1 << 30;

struct SListNames
{
	s32 element, prevButton, nextButton, slider, text, image, checkBox, focus;
	SListNames()
	{
		CNameTable& names = CNameTableSingleton::Instance();
		element = names.intern("Element");
		prevButton = names.intern("PrevButton");
		nextButton = names.intern("NextButton");
		slider = names.intern("Slider");
		text = names.intern("Text");
		image = names.intern("Image");
		checkBox = names.intern("CheckBox");
		focus = names.intern("Focus");
	}
};

const SListNames& listNames()
{
	static const SListNames& table = *new SListNames;
	return table;
}

// How many templates fit across a side: at least one, also for a template without size.
s32 fitCount(f32 side, f32 templateSide)
{
	if (!(templateSide > 0.f))
		return 1;
	const f32 count = side / templateSide;
	if (!(count >= 1.f))
		return 1;
	return count < static_cast<f32>(ListNode::MAX_ELEMENTS) ? static_cast<s32>(count) : ListNode::MAX_ELEMENTS;
}
} // namespace

ListNode::ListNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	ControlNode(reference, parent, sceneManager)
{
	setIsFocusOnHover(true);
	m_elementContainer = adoptRef(new BaseNode(ContentReference(), this, sceneManager));
	m_elementContainer->setTransient(true);
}

ListNode::~ListNode() = default;

void ListNode::copyItems(const ListNode& source)
{
	m_items = source.m_items;
}

const PropertyTable& ListNode::getClassPropertyTable()
{
	// Read after the switches: the orientation builds the elements, and the selection comes before
	// the strings make the items, so that a list read from a file starts at its first item.
	static const PropertyTable& table = makePropertyTable<ListNode>(ControlNode::getClassPropertyTable(),
		{
			makeProperty<&ListNode::setSelectedIndex, &ListNode::getSelectedIndex>("SelectedItem")
				.stored()
				.copiedIn<&ListNode::m_selectedItem>()
				.readLast(),
			makeProperty<&ListNode::setTopItem, &ListNode::getTopItem>("TopItem")
				.stored()
				.copiedIn<&ListNode::m_topItem>()
				.readLast(),
			makeProperty<&ListNode::setCircular, &ListNode::isCircular>("Circular")
				.stored()
				.copiedIn<&ListNode::m_circular>(),
			makeProperty<&ListNode::setOrientation, &ListNode::getOrientation>("Orientation")
				.stored()
				.copiedIn<&ListNode::m_orientation>(),
			makeProperty<&ListNode::setIsSelectWhileListingOn, &ListNode::getIsSelectWhileListingOn>(
				"IsSelectWhileListingOn")
				.stored()
				.copiedIn<&ListNode::m_isSelectWhileListingOn>(),
			makeProperty<&ListNode::setStrings, &ListNode::getStrings>("Strings")
				.stored()
				.copiedBy<&ListNode::copyItems>()
				.readLast(),
		});
	return table;
}

const EventMap& ListNode::getClassEventMap()
{
	static const EventMap& map = *new EventMap(makeEventMap(ControlNode::getClassEventMap(),
		{
			eventMapEntry<&ListNode::onNodePressedPreview>(),
			eventMapEntry<&ListNode::onNodePressed>(),
			eventMapEntry<&ListNode::onNodeHovered>(),
			eventMapEntry<&ListNode::onValueChanged>(),
		}));
	return map;
}

void ListNode::postToParent(CEvent* event)
{
	const CRefHolder<CEvent> held = adoptRef(event);
	postEventToParent(ROUTE_SELF_UP, held.get());
}

// ---------------------------------------------------------------------------------------------
// Items

void ListNode::setItemCount(u32 count)
{
	if (m_items.size() != count)
		m_items.resize(count);
	m_topItem = clampTopItem(m_topItem);
	if (m_items.size() <= getElementCount())
		m_topItem = 0;
	updateElements();
	setSelectedItem(m_selectedItem, false);
	updateSlider();
}

void ListNode::setItemText(u32 item, u32 slot, const core::stringw& text)
{
	if (item >= m_items.size())
		return;
	if (slot >= MAX_ITEM_SLOTS)
	{
		logFormat(LOG_WARNING, "ListNode \"%s\": text slot %u of item %u refused; an item has at most %u",
			getName().c_str(), slot, item, MAX_ITEM_SLOTS);
		return;
	}
	core::array<core::stringw>& texts = m_items[item].texts;
	while (texts.size() <= slot)
		texts.push_back(core::stringw());
	texts[slot] = text;
}

void ListNode::setItemImage(u32 item, u32 slot, CAtlasTexture* image)
{
	if (item >= m_items.size())
		return;
	if (slot >= MAX_ITEM_SLOTS)
	{
		logFormat(LOG_WARNING, "ListNode \"%s\": image slot %u of item %u refused; an item has at most %u",
			getName().c_str(), slot, item, MAX_ITEM_SLOTS);
		return;
	}
	std::vector<CRefHolder<CAtlasTexture>>& images = m_items[item].images;
	if (images.size() <= slot)
		images.resize(slot + 1);
	images[slot].assign(image);
}

void ListNode::setItemTemplateName(u32 item, s32 nameId)
{
	if (item < m_items.size())
		m_items[item].templateName = nameId;
}

void ListNode::setItemEnabled(u32 item, bool enabled)
{
	if (item < m_items.size())
		m_items[item].enabled = enabled;
}

bool ListNode::isItemEnabled(u32 item) const
{
	return item < m_items.size() && m_items[item].enabled;
}

bool ListNode::isItemChecked(u32 item) const
{
	return item < m_items.size() && m_items[item].checked;
}

void ListNode::setItemObject(u32 item, IReferenceCounted* object)
{
	if (item < m_items.size())
		m_items[item].object.assign(object);
}

IReferenceCounted* ListNode::getItemObject(u32 item) const
{
	return item < m_items.size() ? m_items[item].object.get() : nullptr;
}

const ListItem* ListNode::getItem(u32 item) const
{
	return item < m_items.size() ? &m_items[item] : nullptr;
}

void ListNode::setStrings(const core::array<core::stringw>& strings)
{
	setItemCount(strings.size());
	for (u32 i = 0; i < strings.size(); ++i)
		setItemText(i, 0, strings[i]);
	updateElements();
}

core::array<core::stringw> ListNode::getStrings() const
{
	core::array<core::stringw> strings;
	strings.reallocate(static_cast<u32>(m_items.size()));
	for (const ListItem& item : m_items)
		strings.push_back(item.texts.empty() ? core::stringw() : item.texts[0]);
	return strings;
}

// ---------------------------------------------------------------------------------------------
// Layout

ListNode::SLineMetrics ListNode::getLineMetrics() const
{
	SLineMetrics metrics{1, 1, 0};
	switch (m_orientation)
	{
	case 0:
		metrics.visibleLines = m_rows;
		break;
	case 1:
		metrics.visibleLines = m_columns;
		break;
	case 2:
		metrics.itemsPerLine = m_rows;
		metrics.visibleLines = m_columns;
		break;
	case 3:
		metrics.itemsPerLine = m_columns;
		metrics.visibleLines = m_rows;
		break;
	default:
		break;
	}
	const s32 count = static_cast<s32>(m_items.size());
	metrics.lineCount = metrics.itemsPerLine > 0 ? (count + metrics.itemsPerLine - 1) / metrics.itemsPerLine : 0;
	return metrics;
}

void ListNode::computeGridSize()
{
	if (m_elementTemplate)
	{
		const core::vector3df& size = m_elementTemplate->getBounds();
		const core::vector3df& bounds = getBounds();
		m_columns = fitCount(bounds.X, size.X);
		m_rows = fitCount(bounds.Y, size.Y);
	}
	if (m_orientation == 0)
		m_columns = 1;
	else if (m_orientation == 1)
		m_rows = 1;
	if (static_cast<s64>(m_rows) * m_columns > MAX_ELEMENTS)
	{
		logFormat(LOG_WARNING, "ListNode \"%s\": %d rows by %d columns of elements; at most %d are made",
			getName().c_str(), m_rows, m_columns, MAX_ELEMENTS);
		if (m_columns > MAX_ELEMENTS)
			m_columns = MAX_ELEMENTS;
		m_rows = MAX_ELEMENTS / m_columns;
	}
}

void ListNode::buildElements()
{
	const CRefHolder<ListNode> self = holdForCall(this);
	computeGridSize();
	m_elementContainer->removeAllChildren();
	if (!m_elementTemplate)
		return;
	const core::vector3df& size = m_elementTemplate->getBounds();
	const s32 count = m_rows * m_columns;
	for (s32 i = 0; i < count; ++i)
	{
		BaseNode* element = m_elementTemplate->clone(m_elementContainer.get(), m_elementTemplate->getSceneManager());
		if (!element)
			return;
		c8 name[24];
		std::snprintf(name, sizeof(name), "Element%d", i);
		element->setName(name);
		s32 column = 0;
		s32 row = 0;
		switch (m_orientation)
		{
		case 0:
			row = i;
			break;
		case 1:
			column = i;
			break;
		case 2:
			column = i / m_rows;
			row = i % m_rows;
			break;
		case 3:
			row = i / m_columns;
			column = i % m_columns;
			break;
		default:
			continue;
		}
		element->setPosition(core::vector3df(static_cast<f32>(column) * size.X, static_cast<f32>(row) * size.Y, 0.f));
		element->setVisible(true);
	}
}

u32 ListNode::getElementCount() const
{
	return m_elementContainer->getChildren().size();
}

BaseNode* ListNode::getElement(u32 index) const
{
	const core::array<BaseNode*>& elements = m_elementContainer->getChildren();
	return index < elements.size() ? elements[index] : nullptr;
}

core::vector3df ListNode::getElementPosition(s32 index) const
{
	const BaseNode* element = index >= 0 ? getElement(static_cast<u32>(index)) : nullptr;
	return element ? element->getPosition() : core::vector3df(0.f, 0.f, 0.f);
}

s32 ListNode::elementIndexOf(const BaseNode* node) const
{
	if (!node)
		return -1;
	const core::array<BaseNode*>& elements = m_elementContainer->getChildren();
	for (u32 i = 0; i < elements.size(); ++i)
		if (elements[i] == node)
			return static_cast<s32>(i);
	return -1;
}

void ListNode::setOrientation(s32 orientation)
{
	m_orientation = static_cast<u32>(orientation) <= 3 ? orientation : 0;
	buildElements();
}

// ---------------------------------------------------------------------------------------------
// Indexes

s32 ListNode::wrapIndex(s32 index) const
{
	const s32 count = static_cast<s32>(m_items.size());
	if (count <= 0)
		return 0;
	if (index >= 0 && index < count)
		return index;
	if (index >= count)
		return m_circular ? index % count : count - 1;
	return m_circular ? (index % count + count) % count : 0;
}

s32 ListNode::clampTopItem(s32 index) const
{
	if (m_circular)
		return wrapIndex(index);
	const SLineMetrics metrics = getLineMetrics();
	s32 greatest = (metrics.lineCount - metrics.visibleLines) * metrics.itemsPerLine;
	if (greatest < 0)
		greatest = 0;
	if (m_items.empty() || m_rows * m_columns <= 0 || index < 0)
		return 0;
	return index < greatest ? index : greatest;
}

s32 ListNode::itemToElement(s32 index) const
{
	const s32 count = static_cast<s32>(m_items.size());
	if (count == 0)
		return -1;
	const s32 top = m_topItem;
	const s32 elements = static_cast<s32>(getElementCount());
	if (top + elements < count)
		return index - top;
	const s32 wrapped = (top + elements) % count;
	if (index >= top && index < count)
		return index - top;
	if (index >= 0 && index < wrapped)
		return elements - wrapped + index;
	return -1;
}

// ---------------------------------------------------------------------------------------------
// Binding, selecting and scrolling

void ListNode::updateElements()
{
	const CRefHolder<ListNode> self = holdForCall(this);
	const SListNames& names = listNames();
	const s32 count = static_cast<s32>(m_items.size());
	const s32 selected = itemToElement(m_selectedItem);
	const s32 ownTemplate = nodeCast<ControlNode>(m_elementTemplate.get())
		? static_cast<ControlNode*>(m_elementTemplate.get())->getTemplateName()
		: -1;
	// Held: binding runs handlers that may change the container.
	std::vector<CRefHolder<BaseNode>> elements;
	for (u32 i = 0; i < getElementCount(); ++i)
		elements.emplace_back(getElement(i));
	for (size_t i = 0; i < elements.size(); ++i)
	{
		BaseNode* element = elements[i].get();
		s32 c = m_topItem + static_cast<s32>(i);
		bool shown = true;
		if (c >= count)
		{
			if (m_circular && count > static_cast<s32>(elements.size()))
				c %= count;
			else
				shown = false;
		}
		element->setVisible(shown);
		if (!shown)
			continue;
		const ListItem& item = m_items[static_cast<u32>(c)];
		ControlNode* control = nodeCast<ControlNode>(element);
		if (control)
			control->setTemplateName(item.templateName != -1 ? item.templateName : ownTemplate);
		const core::array<BaseNode*>& children = element->getChildren();
		for (size_t j = 0; j < m_textSlots.size(); ++j)
		{
			const u32 at = m_textSlots[j];
			if (TextNode* text = at < children.size() ? nodeCast<TextNode>(children[at]) : nullptr)
				text->setText(j < item.texts.size() ? item.texts[static_cast<u32>(j)] : core::stringw());
		}
		for (size_t j = 0; j < m_imageSlots.size(); ++j)
		{
			const u32 at = m_imageSlots[j];
			if (SpriteNode* sprite = at < children.size() ? nodeCast<SpriteNode>(children[at]) : nullptr)
				sprite->setAtlasTexture(j < item.images.size() ? item.images[j].get() : nullptr);
		}
		if (control)
			control->setEnabled(item.enabled);
		if (static_cast<s32>(i) == selected)
			element->setState(names.focus, nullptr);
		if (CheckBoxNode* box = nodeCast<CheckBoxNode>(element->findChildByNameId(names.checkBox, 1)))
			box->setChecked(item.checked);
	}
	updateSlider();
}

void ListNode::setSelectedItem(s32 index, bool scrollIntoView)
{
	const CRefHolder<ListNode> self = holdForCall(this);
	const s32 old = m_selectedItem;
	m_selectedItem = wrapIndex(index);
	const s32 element = itemToElement(m_selectedItem);
	if (element < 0 || element >= static_cast<s32>(getElementCount()))
	{
		if (ControlNode* focused = getFocusedChild())
		{
			const CRefHolder<ControlNode> held(focused);
			focused->setFocused(false);
		}
		if (scrollIntoView)
			setTopItem(m_selectedItem);
	}
	else if (isFocused())
	{
		ControlNode* control = nodeCast<ControlNode>(getElement(static_cast<u32>(element)));
		if (control && !control->isFocused())
		{
			const CRefHolder<ControlNode> held(control);
			control->setFocused(true);
		}
	}
	if (m_selectedItem != old)
		postToParent(new CEventListSelectionChanged(this, m_selectedItem));
}

void ListNode::setTopItem(s32 index)
{
	const CRefHolder<ListNode> self = holdForCall(this);
	m_topItem = clampTopItem(index);
	if (m_items.size() <= getElementCount())
		m_topItem = 0;
	updateElements();
	setSelectedItem(m_selectedItem, false);
	updateSlider();
}

void ListNode::updateSlider()
{
	if (!m_slider)
		return;
	const SLineMetrics metrics = getLineMetrics();
	if (metrics.visibleLines == 0 || metrics.itemsPerLine == 0 || metrics.lineCount == 0)
		return;
	m_slider->setMinValue(0.f);
	m_slider->setMaxValue(static_cast<f32>(metrics.lineCount));
	m_slider->setValue(static_cast<f32>(m_topItem / metrics.itemsPerLine));
	m_slider->setPageSize(static_cast<f32>(metrics.visibleLines));
}

// ---------------------------------------------------------------------------------------------
// Template

void ListNode::instantiateTemplate()
{
	if (!getSceneManager())
		return;
	const CRefHolder<ListNode> self = holdForCall(this);
	ControlNode::instantiateTemplate();
	m_elementTemplate.release();
	m_prevButton.release();
	m_nextButton.release();
	m_slider.release();
	if (ControlNode* root = getTemplateRoot())
	{
		const SListNames& names = listNames();
		m_elementTemplate.assign(root->findChildByNameId(names.element, 1));
		// Only the model of the elements: never shown itself.
		if (m_elementTemplate)
			m_elementTemplate->setVisible(false);
		m_prevButton.assign(root->findChildByNameId(names.prevButton, 1));
		m_nextButton.assign(root->findChildByNameId(names.nextButton, 1));
		m_slider.assign(nodeCast<SliderNode>(root->findChildByNameId(names.slider, 1)));
	}
	indexTemplateChildren();
	buildElements();
	updateElements();
}

void ListNode::indexTemplateChildren()
{
	m_textSlots.clear();
	m_imageSlots.clear();
	if (!m_elementTemplate)
		return;
	const SListNames& names = listNames();
	const core::array<BaseNode*>& children = m_elementTemplate->getChildren();
	for (u32 i = 0; i < children.size(); ++i)
	{
		if (children[i]->getNameId() == names.text && nodeCast<TextNode>(children[i]))
			m_textSlots.push_back(i);
		else if (children[i]->getNameId() == names.image && nodeCast<SpriteNode>(children[i]))
			m_imageSlots.push_back(i);
	}
}

void ListNode::focusDefaultChild()
{
	setSelectedItem(m_selectedItem, true);
}

// ---------------------------------------------------------------------------------------------
// Input

bool ListNode::onKeyDown(CEventInputKeyDown* event)
{
	const CRefHolder<ListNode> self = holdForCall(this);
	s32 step = 0;
	const u32 key = event->Key;
	switch (m_orientation)
	{
	case 0:
		step = key == KEY_UP ? -1 : key == KEY_DOWN ? 1 : 0;
		break;
	case 1:
		step = key == KEY_LEFT ? -1 : key == KEY_RIGHT ? 1 : 0;
		break;
	case 2:
		step = key == KEY_UP ? -1 : key == KEY_DOWN ? 1 : key == KEY_LEFT ? -m_rows : key == KEY_RIGHT ? m_rows : 0;
		break;
	case 3:
		step = key == KEY_LEFT ? -1
			: key == KEY_RIGHT ? 1
			: key == KEY_UP    ? -m_columns
			: key == KEY_DOWN  ? m_columns
							   : 0;
		break;
	default:
		break;
	}
	if (step != 0)
	{
		const s32 target = wrapIndex(m_selectedItem + step);
		if (target != m_selectedItem)
		{
			setSelectedItem(target, true);
			return true;
		}
	}
	return ControlNode::onKeyDown(event);
}

bool ListNode::onSetFocus(CEventNodeSetFocus* event)
{
	const CRefHolder<ListNode> self = holdForCall(this);
	const bool taken = ControlNode::onSetFocus(event);
	const s32 focused = elementIndexOf(event->getTarget());
	if (focused < 0)
		return taken;
	std::vector<CRefHolder<ControlNode>> others;
	for (u32 i = 0; i < getElementCount(); ++i)
		if (ControlNode* element = nodeCast<ControlNode>(getElement(i)))
			if (static_cast<s32>(i) != focused && element->isFocused())
				others.emplace_back(element);
	for (const CRefHolder<ControlNode>& element : others)
		element->setFocused(false);
	return taken;
}

bool ListNode::onNodePressed(CEventNodePressed* event)
{
	const CRefHolder<ListNode> self = holdForCall(this);
	const s32 old = m_selectedItem;
	const s32 perLine = m_orientation == 2 ? m_rows : m_orientation == 3 ? m_columns : 1;
	const s32 count = static_cast<s32>(m_items.size());
	BaseNode* pressed = event->getNode();
	bool consumed = false;
	if (pressed && (pressed == m_prevButton.get() || pressed == m_nextButton.get()))
	{
		const s32 top = clampTopItem(m_topItem + (pressed == m_prevButton.get() ? -perLine : perLine));
		setTopItem(top);
		if (m_isSelectWhileListingOn)
			setSelectedItem(top, false);
		consumed = true;
	}
	else if (const s32 element = elementIndexOf(pressed); element >= 0)
	{
		const s32 item = wrapIndex(m_topItem + element);
		if (item < count)
		{
			// Directly: a press reports the item, not a selection change, and rebinds nothing.
			m_selectedItem = item;
			postToParent(new CEventListItemPressed(this, item));
		}
		consumed = true;
	}
	else if (pressed && pressed->getNameId() == listNames().checkBox && nodeCast<CheckBoxNode>(pressed) &&
		elementIndexOf(pressed->getParent()) >= 0)
	{
		const s32 item = wrapIndex(m_topItem + elementIndexOf(pressed->getParent()));
		if (item < count)
		{
			// The box has toggled itself already.
			const bool checked = static_cast<CheckBoxNode*>(pressed)->isChecked();
			m_items[static_cast<u32>(item)].checked = checked;
			postToParent(new CEventListItemChecked(this, item, checked));
		}
		consumed = true;
	}
	if (m_selectedItem != old)
		postToParent(new CEventNodeValueChanged(this));
	return consumed;
}

bool ListNode::onNodePressedPreview(CEventNodePressedPreview* event)
{
	// The buttons' previews go on to the screen, as any button's.
	return elementIndexOf(event->getNode()) >= 0;
}

bool ListNode::onNodeHovered(CEventNodeHovered* event)
{
	const s32 element = elementIndexOf(event->getTarget());
	if (element < 0)
		return false;
	const s32 item = wrapIndex(m_topItem + element);
	if (item < static_cast<s32>(m_items.size()))
		postToParent(new CEventListItemHovered(this, item));
	return true;
}

bool ListNode::onValueChanged(CEventNodeValueChanged* event)
{
	if (!m_slider || event->getNode() != m_slider.get())
		return false;
	const CRefHolder<ListNode> self = holdForCall(this);
	// A slider's range may come from a file: its value is brought within the lines before it counts.
	const f32 value = m_slider->getValue();
	const s32 line = value >= 0.f ? (value < static_cast<f32>(MAX_LINE) ? static_cast<s32>(value) : MAX_LINE) : 0;
	const s32 top = static_cast<s32>(
		std::min<s64>(static_cast<s64>(line) * getLineMetrics().itemsPerLine, std::numeric_limits<s32>::max()));
	setTopItem(top);
	if (m_isSelectWhileListingOn)
		setSelectedItem(top, false);
	return true;
}

bool ListNode::routeDown(s32 mode, CEvent* event)
{
	if (!event)
		return false;
	const CRefHolder<ListNode> self = holdForCall(this);
	// The control's routing reaches the container unless the list is disabled (for input) or the
	// container declines the event: then the list offers it to the elements itself, once.
	const bool input = event->isOfType(CEventInput::TypeId);
	const bool containerOffered =
		(isEnabled() || !input) && m_elementContainer->getParent() == this && m_elementContainer->acceptsEvent(event);
	if (ControlNode::routeDown(mode, event))
		return true;
	const CRefHolder<BaseNode> prev(m_prevButton.get());
	const CRefHolder<BaseNode> next(m_nextButton.get());
	const CRefHolder<SliderNode> slider(m_slider.get());
	if (prev && prev->acceptsEvent(event) && prev->routeEvent(mode, event))
		return true;
	if (next && next->acceptsEvent(event) && next->routeEvent(mode, event))
		return true;
	if (slider && !event->isOfType(CEventInputKeyboard::TypeId) && slider->acceptsEvent(event) &&
		slider->routeEvent(mode, event))
		return true;
	if (containerOffered)
		return false;
	std::vector<CRefHolder<BaseNode>> elements;
	for (u32 i = 0; i < getElementCount(); ++i)
		elements.emplace_back(getElement(i));
	for (const CRefHolder<BaseNode>& element : elements)
		if (element->getParent() == m_elementContainer.get() && element->acceptsEvent(event) &&
			element->routeEvent(mode, event))
			return true;
	return false;
}
} // namespace fw
