#pragma once

#include "core/CoreTypes.h"

namespace fw
{
class IContentManager;

// Names a content object: the content manager that made it and its name in the content-name table.
struct ContentReference
{
	ContentReference() = default;
	ContentReference(IContentManager* owner, const core::stringc& name);

	const core::stringc& getName() const;

	IContentManager* owner = nullptr;
	s32 nameId = -1;
};
} // namespace fw
