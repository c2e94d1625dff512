#include "widgets/SoundNode.h"

#include "core/CLogger.h"
#include "core/CNameTable.h"
#include "core/PropertyAccessors.h"
#include "core/SServices.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"

namespace fw
{
namespace
{
const c8* const SOUND_CUE_NAME_PROPERTY = "SoundCueName";
const c8* const PLAY_PROPERTY = "Play";
} // namespace

SoundNode::SoundNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	BaseNode(reference, parent, sceneManager)
{
}

SoundNode::~SoundNode()
{
	// The instance plays on under the sound manager until it ends or is stopped by name.
	releaseCue(false);
}

// Scene files read Play before the name, so that a cue named with Play false never starts; they
// write the stored flag, while by name Play tells whether the cue plays now. A copy takes the name
// and the flag, not the instance: it starts its own.
const PropertyTable& SoundNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable<SoundNode>(BaseNode::getClassPropertyTable(),
		{
			makeNameProperty<&SoundNode::m_cueNameId, &SoundNode::setSoundCueName>(SOUND_CUE_NAME_PROPERTY).readLast(),
			makeProperty<&SoundNode::setPlay, &SoundNode::isPlaying>(PLAY_PROPERTY)
				.storedAlways()
				.writtenFrom<&SoundNode::getPlayFlag>()
				.copiedIn<&SoundNode::m_play>(),
		});
	return table;
}

void SoundNode::appendRenderables(RenderList&)
{
	applySound();
}

void SoundNode::setSoundCueName(s32 cueNameId)
{
	releaseCue(true);
	m_cueNameId = cueNameId;
	m_applied = false;
	applySound();
}

void SoundNode::setPlay(bool play)
{
	m_play = play;
	m_applied = false;
	applySound();
}

bool SoundNode::isPlaying() const
{
	return m_cue && m_cue->getState() == 2;
}

CSoundManager* SoundNode::findSoundManager() const
{
	return getServices().sound;
}

void SoundNode::releaseCue(bool stop)
{
	if (!m_cue)
		return;
	CSoundCue* cue = m_cue;
	m_cue = nullptr;
	if (stop)
		cue->stop(-1);
	cue->drop();
}

void SoundNode::applySound()
{
	if (m_applied || !getSceneManager() || !isVisible())
		return;
	if (!m_play)
	{
		if (m_cue)
			m_cue->stop(-1);
		m_applied = true;
		return;
	}
	if (m_cueNameId == -1)
		return;
	releaseCue(true);
	CSoundManager* sounds = findSoundManager();
	if (!sounds)
	{
		// Nothing will play it under this scene manager: said once, not on every pass.
		logWarning((core::stringc("SoundNode ") + getName() + ": no sound manager to play its cue.").c_str());
		m_applied = true;
		return;
	}
	CSoundCue* cue = sounds->play(m_cueNameId, false, 0);
	if (!cue)
		return; // not registered, muted or at its group's limit: the next pass tries again
	cue->grab();
	m_cue = cue;
	m_applied = true;
}
} // namespace fw
