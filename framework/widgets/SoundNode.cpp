#include "widgets/SoundNode.h"

#include "core/CNameTable.h"
#include "core/PropertyAccessors.h"
#include "platform/CDeviceStub.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"
#include "widgets/SceneManager.h"

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

const PropertyTable& SoundNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable(BaseNode::getClassPropertyTable(),
		{
			makeProperty<&SoundNode::setSoundCueNameProperty, &SoundNode::getSoundCueNameProperty>(
				SOUND_CUE_NAME_PROPERTY),
			makeProperty<&SoundNode::setPlay, &SoundNode::isPlaying>(PLAY_PROPERTY),
		});
	return table;
}

void SoundNode::setSoundCueNameProperty(const PropertyHolder& value)
{
	setSoundCueName(propertyToNameId(value));
}

PropertyHolder SoundNode::getSoundCueNameProperty() const
{
	return adoptRef<IPropertyData>(new CPropertyDataString(CNameTableSingleton::Instance().lookup(m_cueNameId)));
}

BaseNode* SoundNode::clone(BaseNode* parent, ISceneManager* sceneManager) const
{
	ISceneManager* manager = sceneManager ? sceneManager : getSceneManager();
	return finishClone(new SoundNode(getContentReference(), parent, manager), parent, manager);
}

const wchar_t* SoundNode::getTypeName() const
{
	return L"SoundNode";
}

const wchar_t* SoundNode::getClassName() const
{
	return L"SoundNode";
}

void SoundNode::collectRenderables(RenderList& list)
{
	if (!isVisible())
		return;
	applySound();
	BaseNode::collectRenderables(list);
}

void SoundNode::copyFrom(const BaseNode* source, ISceneManager* sceneManager)
{
	BaseNode::copyFrom(source, sceneManager);
	if (!source || source == this || !source->isOfType(TypeId))
		return;
	const SoundNode* other = static_cast<const SoundNode*>(source);
	m_cueNameId = other->m_cueNameId;
	m_play = other->m_play;
}

void SoundNode::writeProperties(CPropertyContainer* container) const
{
	BaseNode::writeProperties(container);
	if (!container)
		return;
	if (m_cueNameId != -1)
		container->addString(SOUND_CUE_NAME_PROPERTY, CNameTableSingleton::Instance().lookup(m_cueNameId));
	container->addBool(PLAY_PROPERTY, m_play);
}

void SoundNode::readProperties(CPropertyContainer* container)
{
	BaseNode::readProperties(container);
	if (!container)
		return;
	if (container->indexOf(PLAY_PROPERTY) >= 0)
	{
		m_play = SPropertyValue<bool>::get(container->get(PLAY_PROPERTY));
		m_applied = false;
		applySound();
	}
	if (container->indexOf(SOUND_CUE_NAME_PROPERTY) >= 0)
		setSoundCueName(propertyToNameId(container->get(SOUND_CUE_NAME_PROPERTY)));
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
	const SceneManager* manager = dynamic_cast<const SceneManager*>(getSceneManager());
	CDeviceStub* device = manager ? manager->getDevice() : nullptr;
	return device ? device->getSoundManager() : nullptr;
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
		return;
	CSoundCue* cue = sounds->play(m_cueNameId, false, 0);
	if (!cue)
		return; // not registered, muted or at its group's limit: the next pass tries again
	cue->grab();
	m_cue = cue;
	m_applied = true;
}
} // namespace fw
