// Feeds arbitrary bytes to the tutorial file reader, then runs what was read: every hint's actions
// begun against a level that answers everything, offered presses, list events and the level's
// messages, updated and ended.
#include "core/BaseNode.h"
#include "core/CEventControl.h"
#include "core/CXMLReader.h"
#include "gameplay/GTutorialHint.h"
#include "level/data/GGameMessages.h"
#include "widgets/CEventList.h"

#include <IReadFile.h>

#include <cstddef>
#include <cstdint>

namespace
{
// Consumes every request, and owns every building type it is asked about.
class CAnsweringLevel : public fw::CEventReceiver
{
public:
	bool onEvent(fw::CEvent* event) override
	{
		if (event->getTypeId() == GAME_MESSAGE_BUILDING_TYPES_QUERY)
			static_cast<GBuildingTypesQueryMessage*>(event)->found = true;
		return true;
	}
};

void offer(GTutorialAction* action, fw::CEvent* event)
{
	action->onEvent(event);
	action->takeHeldBack();
	event->drop();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	irr::io::IReadFile* file =
		irr::io::createMemoryReadFile(const_cast<uint8_t*>(data), static_cast<long>(size), "Tutorial.xml", false);
	if (!file)
		return 0;
	fw::IXMLReader* reader = new fw::CXMLReader(file);
	file->drop();
	GTutorialHintList* list = new GTutorialHintList;
	readTutorial(list, reader);
	reader->drop();

	CAnsweringLevel* level = new CAnsweringLevel;
	fw::BaseNode* node = new fw::BaseNode(fw::ContentReference(), nullptr, nullptr);
	node->setName("AbortButton");
	const fw::core::array<fw::s32> none;
	for (fw::u32 h = 0; h < list->Hints.size(); ++h)
	{
		GTutorialHint* hint = list->Hints[h].get();
		hint->begin(h % 2 ? level : nullptr);
		for (fw::u32 i = 0; i < hint->Actions.size(); ++i)
		{
			GTutorialAction* action = hint->Actions[i].get();
			offer(action, new fw::CEventNodePressed(node));
			offer(action, new fw::CEventListItemPressed(node, static_cast<fw::s32>(i)));
			offer(action, new fw::CEventListItemHovered(node, -1));
			offer(action, new GConstructionDoneMessage(nullptr, nullptr));
			offer(action, new GDirtyBuildingRequestMessage(none, none));
			offer(action, new GLetterRequestMessage(none, none));
			action->update(1000);
			action->isComplete();
			action->end();
		}
	}
	node->drop();
	level->drop();
	list->drop();
	return 0;
}
