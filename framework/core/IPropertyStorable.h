#pragma once

#include "core/CoreTypes.h"

namespace fw
{
class CPropertyContainer;

// Exchanges an object's values with a property container when scene files are read and written.
// Every override calls its base class's version first.
class IPropertyStorable : public virtual IReferenceCounted
{
public:
	// Adds the values that differ from the class's defaults.
	virtual void writeProperties(CPropertyContainer* container) const;
	// Takes the values the container holds; names it lacks leave their members unchanged.
	virtual void readProperties(CPropertyContainer* container);
};
} // namespace fw
