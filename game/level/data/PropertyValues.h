#pragma once

// Typed reads of configuration values: a value of another type than the field's reads as 0.

#include "core/CPropertyContainer.h"
#include "core/CPropertyDataScalars.h"

namespace propertyvalues
{
inline fw::s32 toInt(const fw::PropertyHolder& value)
{
	return value && value->getTypeId() == fw::PDT_INT ? static_cast<const fw::CPropertyDataInt*>(value.get())->getValue() : 0;
}

inline fw::f32 toFloat(const fw::PropertyHolder& value)
{
	return value && value->getTypeId() == fw::PDT_FLOAT ? static_cast<const fw::CPropertyDataFloat*>(value.get())->getValue()
														: 0.f;
}

inline bool toBool(const fw::PropertyHolder& value)
{
	return value && value->getTypeId() == fw::PDT_BOOL && static_cast<const fw::CPropertyDataBool*>(value.get())->getValue();
}

inline fw::core::vector2df toVector2d(const fw::PropertyHolder& value)
{
	return value && value->getTypeId() == fw::PDT_VECTOR2D
		? static_cast<const fw::CPropertyDataVector2d*>(value.get())->getValue()
		: fw::core::vector2df(0.f, 0.f);
}

inline fw::core::stringw toStringW(const fw::PropertyHolder& value)
{
	return value ? value->toStringW() : fw::core::stringw();
}

// Helpers that leave the field alone when the container lacks the property.
class CReader
{
public:
	explicit CReader(const fw::CPropertyContainer* container) : m_container(container) {}

	fw::PropertyHolder get(const char* name) const { return m_container->get(name); }

	void readInt(const char* name, fw::s32& field) const
	{
		if (fw::PropertyHolder value = get(name))
			field = toInt(value);
	}
	void readFloat(const char* name, fw::f32& field) const
	{
		if (fw::PropertyHolder value = get(name))
			field = toFloat(value);
	}
	void readBool(const char* name, bool& field) const
	{
		if (fw::PropertyHolder value = get(name))
			field = toBool(value);
	}
	void readVector2d(const char* name, fw::core::vector2df& field) const
	{
		if (fw::PropertyHolder value = get(name))
			field = toVector2d(value);
	}
	void readStringW(const char* name, fw::core::stringw& field) const
	{
		if (fw::PropertyHolder value = get(name))
			field = toStringW(value);
	}
	void readStringC(const char* name, fw::core::stringc& field) const
	{
		if (fw::PropertyHolder value = get(name))
			field = fw::getPropertyText(value);
	}
	void readNameId(const char* name, fw::s32& field) const
	{
		if (fw::PropertyHolder value = get(name))
			field = fw::propertyToNameId(value);
	}

private:
	const fw::CPropertyContainer* m_container;
};
} // namespace propertyvalues
