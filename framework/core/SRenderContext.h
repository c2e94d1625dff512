#pragma once

#include "core/CoreTypes.h"

#include <IVideoDriver.h>

namespace fw
{
// The 2D layer's quad batch, which drawing nodes above the core fill; the core only hands it on.
class CQuadBatch;

// What the core asks of whatever batches a frame's drawing: to draw what it holds now, before and
// after a clipped group.
class IRenderBatch
{
public:
	virtual void flush() = 0;

protected:
	~IRenderBatch() = default;
};

// What drawing hands each node: the driver, and the quad batch of the frame, both as drawing nodes
// use it and as the core sees it (the same object, or both null when drawing without one).
struct SRenderContext
{
	video::IVideoDriver* driver = nullptr;
	CQuadBatch* quadBatch = nullptr;
	IRenderBatch* batch = nullptr;

	void flush() const
	{
		if (batch)
			batch->flush();
	}
};
} // namespace fw
