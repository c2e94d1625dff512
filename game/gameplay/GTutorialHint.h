#pragma once

// A tutorial file's hints: where the window stands, what it says, where arrows point and what the
// hint waits for. Read from the framework's XML reader.

#include "core/CRefHolder.h"
#include "gameplay/GTutorialAction.h"

#include <vector3d.h>

namespace fw
{
class IXMLReader;
}

struct GTutorialArrow
{
	fw::core::vector3df Position;
	// (0, 0, degrees about the screen's z axis).
	fw::core::vector3df Rotation;
};

class GTutorialHint : public virtual fw::IReferenceCounted
{
public:
	// Every action, in file order.
	void begin(fw::CEventReceiver* levelReceiver);

	bool Tip = false;
	bool MessageBox = false;
	bool Linnet = false;
	fw::core::stringw Text;
	fw::core::stringc ImageFilename;
	fw::core::vector3df Position = fw::core::vector3df(570.f, 516.f, 0.f);
	fw::s32 TextBgType = 0;
	fw::core::vector3df TextPosition = fw::core::vector3df(-35.f, -11.f, 1.f);
	fw::core::array<GTutorialArrow> Arrows;
	fw::core::array<fw::CRefHolder<GTutorialAction>> Actions;
};

class GTutorialHintList : public virtual fw::IReferenceCounted
{
public:
	fw::core::array<fw::CRefHolder<GTutorialHint>> Hints;
};

// Replaces the list's hints by those of the file; false when the Tutorial end tag is missing (the
// hints read so far stay).
bool readTutorial(GTutorialHintList* list, fw::IXMLReader* reader);
// The reader stands on a Hint element; reads up to its end.
void readHint(GTutorialHint* hint, fw::IXMLReader* reader);
void readActions(GTutorialHint* hint, fw::IXMLReader* reader);
void readArrows(GTutorialHint* hint, fw::IXMLReader* reader);
