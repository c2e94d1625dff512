#pragma once

#include "core/CoreTypes.h"

namespace fw
{
class CContent;
struct SLoadContext;

// What the core asks of the content manager. Names are relative to the asset root; a relative
// request is resolved against the folder of the file the manager is loading or saving.
class IContentManager : public virtual IReferenceCounted
{
public:
	// The content of that four-letter type and name with one reference for the caller, or null.
	virtual CContent* getContent(u32 contentType, const core::stringc& name, bool isRelative) = 0;
	// Content named inside the scene file a load is reading: the name resolves against that file's
	// folder, and a scene file read for it continues that load.
	virtual CContent* getContentWithin(u32 contentType, const core::stringc& name, const SLoadContext& within) = 0;
	// A root-relative name written relative to the folder of the file being saved.
	virtual core::stringc makeRelative(const core::stringc& path) const = 0;
};
} // namespace fw
