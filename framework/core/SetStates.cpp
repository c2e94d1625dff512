#include "core/SetStates.h"

#include "core/BaseNode.h"
#include "core/CNameTable.h"
#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"
#include "core/SceneFile.h"
#include "core/TextParsing.h"
#include "core/XMLElements.h"

namespace fw
{
namespace
{
const wchar_t* const STATE_ELEMENT = L"State";

const core::stringw& nameAttribute()
{
	static const core::stringw& name = *new core::stringw(L"Name");
	return name;
}

const core::stringw& childrenAttribute()
{
	static const core::stringw& name = *new core::stringw(L"Children");
	return name;
}
} // namespace

SetStates::SetStates()
{
	setPeriod(1);
}

SetStates::~SetStates() = default;

void SetStates::seek(u32, bool apply)
{
	BaseNode* target = getTarget();
	if (!apply || !target)
		return;
	// The states entered run outside code, which may release the node, a child or this item.
	const CRefHolder<Base> self = holdForCall<Base>(this);
	const CRefHolder<BaseNode> heldTarget = holdForCall(target);
	const std::vector<SetStatesEntry> entries = m_entries;
	for (const SetStatesEntry& entry : entries)
	{
		if (getTarget() != target)
			return;
		if (entry.children.empty())
		{
			target->setState(entry.stateId, nullptr);
			continue;
		}
		for (u32 c = 0; c < entry.children.size(); ++c)
		{
			const CRefHolder<BaseNode> child = holdForCall(target->findChildByNameId(entry.children[c], 1));
			if (child)
				child->enterState(entry.stateId, nullptr, -1);
		}
	}
}

void SetStates::readElements(IXMLReader* reader, IContentManager*, const core::stringw& elementName)
{
	m_entries.clear();
	readChildElements(reader, elementName,
		[this](IXMLReader* child)
		{
			if (child->getNodeName() == STATE_ELEMENT)
			{
				SetStatesEntry entry;
				entry.stateId =
					CNameTableSingleton::Instance().intern(core::stringc(child->getAttributeValue(nameAttribute())));
				entry.children = split(core::stringc(child->getAttributeValue(childrenAttribute())));
				if (entry.stateId != -1)
					m_entries.push_back(entry);
			}
			skipXmlElement(child);
		});
}

void SetStates::writeElements(IXMLWriter* writer, const core::stringw&) const
{
	const CNameTable& table = CNameTableSingleton::Instance();
	for (const SetStatesEntry& entry : m_entries)
	{
		core::stringc children;
		for (u32 c = 0; c < entry.children.size(); ++c)
		{
			if (c > 0)
				children += ";";
			children += table.lookup(entry.children[c]);
		}
		const core::stringw state(table.lookup(entry.stateId));
		const core::stringw childrenText(children);
		writer->writeElement(STATE_ELEMENT, true, L"Name", state.c_str(), L"Children", childrenText.c_str());
		writer->writeLineBreak();
	}
}

void SetStates::copyFrom(const Base* source)
{
	m_entries = static_cast<const SetStates*>(source)->m_entries;
}
} // namespace fw
