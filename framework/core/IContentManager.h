#pragma once

#include "core/CoreTypes.h"

namespace fw
{
class CContent;

// What the core asks of the content manager. Names are relative to the asset root; a relative
// request is resolved against the folder of the file on top of the path stack (the file being read
// or written).
class IContentManager : public virtual IReferenceCounted
{
public:
	// The content of that four-letter type and name with one reference for the caller, or null.
	virtual CContent* getContent(u32 contentType, const core::stringc& name, bool isRelative) = 0;
	// The file being loaded or saved; names read inside it are resolved against its folder.
	virtual void pushPath(const core::stringc& path) = 0;
	virtual void popPath() = 0;
	// A root-relative name written relative to the folder of the file on top of the path stack.
	virtual core::stringc makeRelative(const core::stringc& path) const = 0;
};
} // namespace fw
