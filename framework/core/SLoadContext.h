#pragma once

#include "core/CoreTypes.h"

namespace fw
{
class CNodeFactory;
class IContentManager;

// One scene file being read. Its nodes take from here what they need to read their children (the
// factory, the content manager and the folder that "File" children are named against), and the
// files already open above it travel along, so that a file including itself is refused.
struct SLoadContext
{
	// Resolves and caches the files that "File" children name; without one such children are skipped.
	IContentManager* contentManager = nullptr;
	CNodeFactory* factory = nullptr;
	// The file being read; names inside it resolve against its folder. Empty for text with no file.
	core::stringc fileName;
	// Its content-name id, -1 for none.
	s32 fileNameId = -1;
	// The load whose "File" child this file is; null for the outermost.
	const SLoadContext* includedFrom = nullptr;
	// "SceneNode" elements open, counted across the included files.
	s32 nodeDepth = 0;

	// This file and those that include it.
	s32 getFileDepth() const
	{
		s32 depth = 0;
		for (const SLoadContext* at = this; at; at = at->includedFrom)
			++depth;
		return depth;
	}
	bool isReading(s32 nameId) const
	{
		for (const SLoadContext* at = this; at; at = at->includedFrom)
			if (nameId != -1 && at->fileNameId == nameId)
				return true;
		return false;
	}
};
} // namespace fw
