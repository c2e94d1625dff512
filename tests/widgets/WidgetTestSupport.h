#pragma once

// Loading of the widget fixtures and a listener that writes what a control shows and reports.

#include "core/ControlNode.h"
#include "core/NodeTestSupport.h"
#include "core/SceneFile.h"
#include "core/SceneNode.h"
#include "platform/CTimerManager.h"
#include "widgets/CEventScene.h"
#include "widgets/CEventValueChanged.h"
#include "widgets/SceneManager.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/WidgetServices.h"

#include <string>
#include <vector>

namespace fw
{
namespace widgettest
{
// A factory with the widget classes and the test's drawing node.
inline CRefHolder<CNodeFactory> makeFactory()
{
	registerWidgetServices();
	CRefHolder<CNodeFactory> factory = adoptRef(new CNodeFactory);
	nodetest::registerTestClasses(*factory);
	return factory;
}

// A scene file of tests/fixtures/widgets (or a text), read as a file of the content manager.
inline CRefHolder<BaseNode> loadFixture(CNodeFactory* factory, const std::string& name, const std::string& text = "")
{
	const std::vector<u8> bytes =
		text.empty() ? nodetest::readFixtureBytes("widgets/" + name) : std::vector<u8>(text.begin(), text.end());
	CRefHolder<IXMLReader> reader = nodetest::readerOverBytes(bytes);
	return adoptRef(loadSceneFile(reader.get(), factory, ContentReference(nullptr, name.c_str()), name.c_str()));
}

template <class T>
CRefHolder<T> loadFixtureAs(CNodeFactory* factory, const std::string& name, const std::string& text = "")
{
	CRefHolder<BaseNode> node = loadFixture(factory, name, text);
	return CRefHolder<T>(nodeCast<T>(node.get()));
}

// Sets a value through the node's property table, as key frames and SetProps items do.
inline void setTableProperty(BaseNode* node, const char* name, IPropertyData* value)
{
	const PropertyHolder held = adoptRef(value);
	const PropertyTable& table = node->getPropertyTable();
	const s32 index = findPropertyIndex(table, name);
	if (index >= 0)
		table[index].setter(node, held);
}

// The names of the values the node writes to a scene file.
inline std::vector<std::string> writtenProperties(const BaseNode* node)
{
	const CRefHolder<CPropertyContainer> container = adoptRef(new CPropertyContainer(nullptr));
	node->writeProperties(container.get());
	std::vector<std::string> names;
	for (u32 i = 0; i < container->getItemCount(); ++i)
		names.push_back(container->getNameAt(static_cast<s32>(i)).c_str());
	return names;
}

inline std::string lookName(s32 id)
{
	return CNameTableSingleton::Instance().lookup(id).c_str();
}

// Listens before a node's own handlers: writes "<node> <what>" for the looks the node asks for
// (the start of a state change), the control events about the node (not those bubbling up from
// its children) and the scene events that reach it.
class CEventLog : public CEventReceiver
{
public:
	CEventLog(std::vector<std::string>& lines, const std::string& name, const BaseNode* node) :
		m_lines(lines), m_name(name), m_node(node)
	{
	}

	bool onEvent(CEvent* event) override
	{
		if (const CEventNodePair* pair = dynamic_cast<const CEventNodePair*>(event))
			if ((pair->getFirst() ? pair->getFirst() : pair->getSecond()) != m_node)
				return false;
		if (const CEventNodeOfControl* of = dynamic_cast<const CEventNodeOfControl*>(event))
			if (of->getNode() != m_node)
				return false;
		std::string what;
		switch (event->getTypeId())
		{
		case 73:
			what = "look " + lookName(static_cast<CEventNodeStateChangeBegun*>(event)->getStateId());
			break;
		case 45:
			what = "down";
			break;
		case 47:
			what = "up";
			break;
		case 49:
			what = "hovered";
			break;
		case 51:
			what = "unhovered";
			break;
		case 53:
			what = "focused";
			break;
		case 55:
			what = "unfocused";
			break;
		case 57:
			what = "pressed preview";
			break;
		case 59:
			what = "pressed";
			break;
		case 37:
			what = "transition";
			break;
		case 39:
			what = "transition start";
			break;
		case 38:
			what = "transition end";
			break;
		default:
			return false;
		}
		m_lines.push_back(m_name + " " + what);
		return false;
	}

private:
	std::vector<std::string>& m_lines;
	std::string m_name;
	const BaseNode* m_node;
};

// Listens to a node for the life of the object.
class CListening
{
public:
	CListening(BaseNode* node, std::vector<std::string>& lines, const std::string& name) :
		m_node(node), m_log(adoptRef(new CEventLog(lines, name, node)))
	{
		m_node->addPreListener(m_log.get());
	}
	~CListening() { m_node->removePreListener(m_log.get()); }
	CListening(const CListening&) = delete;
	CListening& operator=(const CListening&) = delete;

private:
	CRefHolder<BaseNode> m_node;
	CRefHolder<CEventLog> m_log;
};
// Listens before a node's own handlers to the reports that reach it from anywhere below (or that
// are queued for it): "<node> got <what> from <source>".
class CReportLog : public CEventReceiver
{
public:
	CReportLog(std::vector<std::string>& lines, const std::string& name) : m_lines(lines), m_name(name) {}

	bool onEvent(CEvent* event) override
	{
		std::string what;
		const BaseNode* source = nullptr;
		if (const CEventNodeOfControl* of = dynamic_cast<const CEventNodeOfControl*>(event))
			source = of->getNode();
		switch (event->getTypeId())
		{
		case 57:
			what = "pressed preview";
			break;
		case 59:
			what = "pressed";
			break;
		case 60:
			what = "value changed";
			break;
		case 40:
			what = "result " + std::to_string(static_cast<CEventMessageBoxResult*>(event)->getResult());
			break;
		case 41:
		case 42:
		case 43:
		{
			const CEventTab* tab = static_cast<CEventTab*>(event);
			const s32 id = event->getTypeId();
			what = std::string(id == 41 ? "tab"
						   : id == 42   ? "tab switched"
										: "tab selected") +
				" " + nodeName(tab->getOldPage()) + ">" + nodeName(tab->getNewPage());
			break;
		}
		default:
			return false;
		}
		m_lines.push_back(m_name + " got " + what + (source ? " from " + nodeName(source) : std::string()));
		return false;
	}

	static std::string nodeName(const BaseNode* node) { return node ? node->getName().c_str() : "-"; }

private:
	std::vector<std::string>& m_lines;
	std::string m_name;
};

// Listens to the reports reaching a node for the life of the object.
class CReporting
{
public:
	CReporting(BaseNode* node, std::vector<std::string>& lines, const std::string& name) :
		m_node(node), m_log(adoptRef(new CReportLog(lines, name)))
	{
		m_node->addPreListener(m_log.get());
	}
	~CReporting() { m_node->removePreListener(m_log.get()); }
	CReporting(const CReporting&) = delete;
	CReporting& operator=(const CReporting&) = delete;

private:
	CRefHolder<BaseNode> m_node;
	CRefHolder<CReportLog> m_log;
};
} // namespace widgettest
} // namespace fw
