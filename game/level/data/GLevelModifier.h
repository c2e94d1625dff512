#pragma once

#include "core/CRefHolder.h"
#include "core/CoreTypes.h"

namespace fw
{
class IXMLReader;
}
class GLevelConfiguration;

// One adjustment of a level-wide value; the kind decides how Value combines with the field.
class GLevelModifier : public virtual fw::IReferenceCounted
{
public:
	virtual void apply(GLevelConfiguration* configuration) = 0;
	// The reader stands on a "Modifier" element: Value is its float attribute, 0 when absent.
	virtual void read(fw::IXMLReader* reader);

	fw::f32 Value = 0.f;
};

// A new modifier of the kind named exactly by the text (count 1), or null for any other text.
GLevelModifier* createLevelModifier(const fw::core::stringw& type);

// The modifiers of one "LevelModifiers" element, in file order.
class GLevelModifierList : public virtual fw::IReferenceCounted
{
public:
	// The reader stands on the opening "LevelModifiers" tag; reads up to its closing tag. Modifiers
	// of unknown kinds are skipped.
	void read(fw::IXMLReader* reader);
	void applyAll(GLevelConfiguration* configuration) const;

	fw::u32 size() const { return m_modifiers.size(); }
	GLevelModifier* get(fw::u32 index) const { return m_modifiers[index].get(); }
	void clear() { m_modifiers.clear(); }

private:
	fw::core::array<fw::CRefHolder<GLevelModifier>> m_modifiers;
};
