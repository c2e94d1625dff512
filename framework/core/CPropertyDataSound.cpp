#include "core/CPropertyDataSound.h"

#include "core/IContentManager.h"

namespace fw
{
CPropertyDataSound::CPropertyDataSound(CContent* sound) : m_contentManager(nullptr)
{
	setSound(sound);
}

CPropertyDataSound::~CPropertyDataSound()
{
	if (m_sound)
		m_sound->drop();
}

FW_PROPERTY_DATA_IDENTITY_DEFINITIONS(CPropertyDataSound, L"sound", L"CPropertyDataSound", PDT_SOUND)

IPropertyData* CPropertyDataSound::clone() const
{
	CPropertyDataSound* copy = new CPropertyDataSound(m_contentManager);
	copy->setSound(m_sound);
	copy->m_contentManager = m_contentManager;
	return copy;
}

void CPropertyDataSound::setSound(CContent* sound)
{
	if (sound == m_sound)
		return;
	if (sound)
		sound->grab();
	if (m_sound)
		m_sound->drop();
	m_sound = sound;
	if (sound && sound->getContentManager())
		m_contentManager = sound->getContentManager();
}

core::stringc CPropertyDataSound::toString() const
{
	if (!m_sound)
		return core::stringc();
	const core::stringc& name = m_sound->getContentReference().getName();
	return m_contentManager ? m_contentManager->makeRelative(name) : name;
}

void CPropertyDataSound::fromString(const core::stringc& text)
{
	if (!m_contentManager)
		return;
	CContent* sound = m_contentManager->getContent(CONTENT_TYPE_SOUND, text, true);
	setSound(sound);
	if (sound)
		sound->drop();
}

bool CPropertyDataSound::equals(const IPropertyData* other) const
{
	return other && other->isOfType(PDT_SOUND) && static_cast<const CPropertyDataSound*>(other)->m_sound == m_sound;
}

bool CPropertyDataSound::interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const
{
	if (!out || !out->isOfType(PDT_SOUND))
		return false;
	const CPropertyDataSound* to =
		target && target->isOfType(PDT_SOUND) ? static_cast<const CPropertyDataSound*>(target) : this;
	CContent* candidate = t >= 1.f ? to->m_sound : m_sound;
	CPropertyDataSound* result = static_cast<CPropertyDataSound*>(out);
	if (result->m_sound == candidate)
		return false;
	result->setSound(candidate);
	return true;
}
} // namespace fw
