#include "level/data/GGameMessages.h"

#include "level/data/GBuildingsConfiguration.h"

bool offerGameMessage(fw::CEventReceiver* receiver, GGameMessage* message)
{
	if (!message)
		return false;
	bool consumed = false;
	if (receiver)
	{
		// The receiver's handlers may drop the last other reference to it.
		const fw::CRefHolder<fw::CEventReceiver> hold(receiver);
		consumed = receiver->onEvent(message) || receiver->routeUp(fw::ROUTE_SELF_UP, message);
	}
	message->drop();
	return consumed;
}

GConstructionDoneMessage::GConstructionDoneMessage(GBuildingNode* building, GBuildingConfiguration* type) :
	GBuildingMessage(building), type(type)
{
	if (type)
		type->grab();
}

GConstructionDoneMessage::~GConstructionDoneMessage()
{
	if (type)
		type->drop();
}
