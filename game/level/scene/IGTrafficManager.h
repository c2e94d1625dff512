#pragma once

#include "core/CoreTypes.h"

class GPathMovableNode;

// What a mover asks of the street traffic it joins (the level's traffic manager implements it).
class IGTrafficManager : public virtual fw::IReferenceCounted
{
public:
	// Registers the mover; priority false lets the manager draw the mover's kind itself.
	virtual void addCar(GPathMovableNode* mover, bool priority) = 0;
	// Forgets the mover; nothing when it is not registered.
	virtual void removeCar(GPathMovableNode* mover) = 0;
	// One step of the level, also while the level is paused.
	virtual void update(fw::u32 stepMs) = 0;
};
