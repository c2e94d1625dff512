#include "platform/CSoundPack.h"

#include "core/CNameTable.h"
#include "core/IXMLReader.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"

namespace fw
{
CSoundPack::CSoundPack(const ContentReference& reference) : CContent(reference)
{
	setContentFlags(CONTENT_SHARED);
}

CSoundPack::~CSoundPack()
{
	for (u32 i = 0; i < m_cues.size(); ++i)
		m_cues[i]->drop();
}

void CSoundPack::loadXml(IXMLReader* reader, IContentManager* contentManager, IAudioDriver* audioDriver)
{
	if (!reader)
		return;
	while (reader->read())
	{
		const EXmlNodeType type = reader->getNodeType();
		if (type == XML_NODE_ELEMENT_END && reader->getNodeName() == L"SoundPack")
			break;
		if (type != XML_NODE_ELEMENT || reader->getNodeName() != L"SoundCue")
			continue;
		const core::stringw& wide = reader->getAttributeValue(L"Name");
		core::stringc name;
		for (u32 i = 0; i < wide.size(); ++i)
			name.append(static_cast<c8>(wide[i] & 0xFF));
		const s32 nameId = CNameTableSingleton::Instance().intern(name);
		CSoundCue* cue = new CSoundCue(nameId);
		cue->loadXml(reader, contentManager, audioDriver);
		m_cues.push_back(cue);
	}
}

void CSoundPack::registerCues(CSoundManager* manager)
{
	if (!manager)
		return;
	for (u32 i = 0; i < m_cues.size(); ++i)
		manager->registerCue(m_cues[i]);
}
} // namespace fw
