#pragma once

// Typed reads of configuration values: a value of another type than the field's reads as 0.

#include "core/CPropertyContainer.h"
#include "core/CPropertyDataScalars.h"

namespace propertyvalues
{
inline fw::s32 toInt(const fw::PropertyHolder& value)
{
	return value && value->getTypeId() == fw::PDT_INT
		? static_cast<const fw::CPropertyDataInt*>(value.get())->getValue()
		: 0;
}

inline fw::f32 toFloat(const fw::PropertyHolder& value)
{
	return value && value->getTypeId() == fw::PDT_FLOAT
		? static_cast<const fw::CPropertyDataFloat*>(value.get())->getValue()
		: 0.f;
}

inline bool toBool(const fw::PropertyHolder& value)
{
	return value && value->getTypeId() == fw::PDT_BOOL &&
		static_cast<const fw::CPropertyDataBool*>(value.get())->getValue();
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

} // namespace propertyvalues
