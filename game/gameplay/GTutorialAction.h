#pragma once

// What a tutorial hint waits for, or asks the level for, while it is shown. The controller updates
// each action every frame and offers it the presses and messages of the scene first; a true answer
// keeps the event from the scene.

#include "core/CEventReceiver.h"
#include "core/CRefHolder.h"

namespace fw
{
class BaseNode;
class CEventNodePressed;
class CEventListItemPressed;
class CEventListItemHovered;
class IXMLReader;
} // namespace fw

class GConstructionDoneMessage;
class GDirtyBuildingRequestMessage;
class GLetterRequestMessage;
class GGameMessage;

class GTutorialAction : public fw::CEventReceiver
{
public:
	// Remembers the level receiver where the action needs it; may be null.
	virtual void begin(fw::CEventReceiver* levelReceiver);
	virtual void update(fw::u32 ms);
	virtual bool isComplete() const = 0;
	virtual void end();
	// Reads the attributes of the Action element the reader stands on; never moves the reader.
	virtual void read(fw::IXMLReader* reader) = 0;

	// Whether the last event was held back (the controller then plays the miss sound once per
	// press); clears the mark.
	bool takeHeldBack();

protected:
	// Marks the event held back and consumes it.
	bool holdBack();

private:
	bool m_heldBack = false;
};

// The action of the Type text; null for a text that names none.
fw::CRefHolder<GTutorialAction> createTutorialAction(const fw::core::stringw& type);

// ";"-separated names, trimmed, empty ones dropped, interned.
fw::core::array<fw::s32> parseNameList(const fw::core::stringw& text);

class GTimedAction : public GTutorialAction
{
public:
	void update(fw::u32 ms) override;
	bool isComplete() const override { return m_remaining <= 0; }
	void read(fw::IXMLReader* reader) override;

private:
	fw::s64 m_remaining = 0;
};

// The base of the actions that complete by a flag that is never cleared.
class GFlagAction : public GTutorialAction
{
public:
	bool isComplete() const override { return m_complete; }
	void read(fw::IXMLReader*) override {}

protected:
	bool m_complete = false;
};

class GMouseClickAction : public GFlagAction
{
public:
	FW_RECEIVER_EVENT_MAP

private:
	bool onNodePressed(fw::CEventNodePressed* event);
	bool onListItemPressed(fw::CEventListItemPressed* event);
};

class GBuildingPressAction : public GFlagAction
{
public:
	FW_RECEIVER_EVENT_MAP
	void read(fw::IXMLReader* reader) override;

private:
	bool onNodePressed(fw::CEventNodePressed* event);
	bool onListItemPressed(fw::CEventListItemPressed* event);
	fw::core::array<fw::s32> m_buildingTypes;
};

class GControlPressAction : public GFlagAction
{
public:
	FW_RECEIVER_EVENT_MAP
	void read(fw::IXMLReader* reader) override;

private:
	bool onNodePressed(fw::CEventNodePressed* event);
	bool onListItemPressed(fw::CEventListItemPressed* event);
	fw::core::array<fw::s32> m_controls;
};

// The base of the two list actions: List and Indices.
class GListItemAction : public GFlagAction
{
public:
	void read(fw::IXMLReader* reader) override;

protected:
	bool matches(fw::BaseNode* list, fw::s32 item) const;

private:
	fw::s32 m_list = -1;
	fw::core::array<fw::s32> m_indices;
};

class GListItemPressAction : public GListItemAction
{
public:
	FW_RECEIVER_EVENT_MAP

private:
	bool onListItemPressed(fw::CEventListItemPressed* event);
	bool onNodePressed(fw::CEventNodePressed* event);
};

class GListItemHoveredAction : public GListItemAction
{
public:
	FW_RECEIVER_EVENT_MAP

private:
	bool onListItemHovered(fw::CEventListItemHovered* event);
};

// The base of the actions that wait for a building of a listed type to be built.
class GBuildingTypesAction : public GFlagAction
{
protected:
	bool onConstructionDone(GConstructionDoneMessage* message);
	fw::core::array<fw::s32> m_buildingTypes;
};

class GBuildingCompletedAction : public GBuildingTypesAction
{
public:
	FW_RECEIVER_EVENT_MAP
	void read(fw::IXMLReader* reader) override;

private:
	bool onNodePressed(fw::CEventNodePressed* event);
};

class GBuildingCompletedOrExistAction : public GBuildingTypesAction
{
public:
	FW_RECEIVER_EVENT_MAP
	void read(fw::IXMLReader* reader) override;
	void begin(fw::CEventReceiver* levelReceiver) override;
	void update(fw::u32 ms) override;

private:
	fw::CEventReceiver* m_level = nullptr;
};

class GWaitDirtyAction : public GFlagAction
{
public:
	FW_RECEIVER_EVENT_MAP

private:
	bool onDirtyRequest(GDirtyBuildingRequestMessage* message);
};

class GWaitLetterAction : public GFlagAction
{
public:
	FW_RECEIVER_EVENT_MAP

private:
	bool onLetterRequest(GLetterRequestMessage* message);
};

class GGeneratePauseRequestAction : public GTutorialAction
{
public:
	void begin(fw::CEventReceiver* levelReceiver) override;
	void end() override;
	bool isComplete() const override { return false; }
	void read(fw::IXMLReader*) override {}

private:
	fw::CEventReceiver* m_level = nullptr;
};

// Asks the level for a random event once per showing of its hint, and is complete at once.
class GGenerateRequestAction : public GTutorialAction
{
public:
	void begin(fw::CEventReceiver* levelReceiver) override;
	void update(fw::u32 ms) override;
	bool isComplete() const override { return true; }
	void read(fw::IXMLReader* reader) override;

protected:
	virtual GGameMessage* makeRequest() const = 0;
	fw::core::array<fw::s32> m_buildingTypes;
	fw::core::array<fw::s32> m_placeNames;

private:
	fw::CEventReceiver* m_level = nullptr;
	bool m_sent = false;
};

class GGenerateSellBuildingRequestAction : public GGenerateRequestAction
{
protected:
	GGameMessage* makeRequest() const override;
};

class GGenerateBrokenBuildingRequestAction : public GGenerateRequestAction
{
protected:
	GGameMessage* makeRequest() const override;
};

class GGenerateDirtyBuildingRequestAction : public GGenerateRequestAction
{
protected:
	GGameMessage* makeRequest() const override;
};

class GGenerateLetterRequestAction : public GGenerateRequestAction
{
protected:
	GGameMessage* makeRequest() const override;
};
