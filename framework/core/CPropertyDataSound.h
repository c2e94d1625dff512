#pragma once

#include "core/CContent.h"
#include "core/IPropertyData.h"

namespace fw
{
// A sound content ("isnd") as a property value: scene files hold its name, relative to the file
// being read or written, and the content manager turns the name back into the sound.
class CPropertyDataSound : public IPropertyData
{
public:
	// No sound; the manager (not referenced) resolves names.
	explicit CPropertyDataSound(IContentManager* contentManager = nullptr) : m_contentManager(contentManager) {}
	// Takes a reference; the sound's own content manager resolves names.
	explicit CPropertyDataSound(CContent* sound);
	~CPropertyDataSound() override;

	FW_PROPERTY_DATA_IDENTITY()
	IPropertyData* clone() const override;
	// The sound's name relative to the file on top of the content manager's path stack.
	core::stringc toString() const override;
	// Asks the content manager for the sound; an empty or unknown name clears it.
	void fromString(const core::stringc& text) override;
	bool equals(const IPropertyData* other) const override;
	// The target's sound from t = 1 on, this value's before.
	bool interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const override;

	CContent* getSound() const { return m_sound; }
	void setSound(CContent* sound);
	IContentManager* getContentManager() const { return m_contentManager; }

private:
	CPropertyDataSound(const CPropertyDataSound&) = delete;
	CPropertyDataSound& operator=(const CPropertyDataSound&) = delete;

	CContent* m_sound = nullptr;
	IContentManager* m_contentManager;
};
} // namespace fw
