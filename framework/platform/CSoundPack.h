#pragma once

#include "core/CContent.h"

namespace fw
{
class CSoundCue;
class CSoundManager;
class IAudioDriver;
class IXMLReader;

// The cues of one sound pack file, in file order; shared by the content manager.
class CSoundPack : public CContent
{
public:
	explicit CSoundPack(const ContentReference& reference = ContentReference());
	~CSoundPack() override;

	u32 getContentType() const override { return CONTENT_TYPE_SOUND_PACK; }
	CContent* cloneAsContent() const override { return nullptr; }

	// Reads every SoundCue up to the end tag of SoundPack. The caller has the pack file's name on
	// the content manager's path stack, so that sound file names resolve against its folder.
	void loadXml(IXMLReader* reader, IContentManager* contentManager, IAudioDriver* audioDriver);
	// Offers every cue to the manager; a refused cue (a name already taken) stays here, unowned.
	void registerCues(CSoundManager* manager);

	u32 getCueCount() const { return m_cues.size(); }
	CSoundCue* getCue(u32 index) const { return m_cues[index]; }

private:
	CSoundPack(const CSoundPack&) = delete;
	CSoundPack& operator=(const CSoundPack&) = delete;

	core::array<CSoundCue*> m_cues;
};
} // namespace fw
