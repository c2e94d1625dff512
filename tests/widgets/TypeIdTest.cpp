// Type ids name classes in handlers, type tests and files: no two node classes, no two state item
// classes and no two event classes of the framework may share one.

#include "core/CEventControl.h"
#include "core/CEventInput.h"
#include "core/CEventNode.h"
#include "core/CEventNodeState.h"
#include "core/KeyFrame.h"
#include "core/SceneNode.h"
#include "core/SetProps.h"
#include "core/SetStates.h"
#include "platform/CEventDevice.h"
#include "platform/CEventSound.h"
#include "platform/CEventSystemFlow.h"
#include "widgets/ButtonNode.h"
#include "widgets/CEventList.h"
#include "widgets/CEventScene.h"
#include "widgets/CEventValueChanged.h"
#include "widgets/CheckBoxNode.h"
#include "widgets/EditNode.h"
#include "widgets/ListNode.h"
#include "widgets/MessageBoxNode.h"
#include "widgets/ProgressBarNode.h"
#include "widgets/SceneManager.h"
#include "widgets/SliderNode.h"
#include "widgets/SoundNode.h"
#include "widgets/TabSceneNode.h"
#include "widgets/TemplateCollectionNode.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace fw;

namespace
{
typedef std::vector<std::pair<s32, const char*>> IdList;

#define FW_ID(Class)                                                                                                   \
	{                                                                                                                  \
		Class::TypeId, #Class                                                                                          \
	}

// The classes that share an id, one line each.
std::string sharedIds(const IdList& ids)
{
	std::map<s32, std::string> seen;
	std::string shared;
	for (const auto& entry : ids)
	{
		const auto found = seen.find(entry.first);
		if (found != seen.end())
			shared += std::to_string(entry.first) + ": " + found->second + " and " + entry.second + "\n";
		else
			seen.emplace(entry.first, entry.second);
	}
	return shared;
}
} // namespace

TEST(TypeIds, NoTwoNodeClassesShareAnId)
{
	const IdList nodes = {FW_ID(BaseNode), FW_ID(ControlNode), FW_ID(SceneNode), FW_ID(TemplateCollectionNode),
		FW_ID(SceneManager), FW_ID(SoundNode), FW_ID(MessageBoxNode), FW_ID(TabSceneNode), FW_ID(ButtonNode),
		FW_ID(BackButtonNode), FW_ID(CheckBoxNode), FW_ID(BaseProgressBarNode), FW_ID(ProgressBarNode), FW_ID(EditNode),
		FW_ID(ListNode), FW_ID(SliderNode)};
	EXPECT_EQ("", sharedIds(nodes));
	for (const auto& node : nodes)
		EXPECT_LT(node.first, NODE_TYPE_GAME_FIRST) << node.second << " takes an id kept for the game";
}

TEST(TypeIds, NoTwoStateItemClassesShareAnId)
{
	EXPECT_EQ("", sharedIds({FW_ID(Base), FW_ID(KeyFrame), FW_ID(SetProps), FW_ID(SetStates)}));
}

TEST(TypeIds, NoTwoEventClassesShareAnId)
{
	const IdList events = {FW_ID(CEvent), FW_ID(CEventDevice), FW_ID(CEventDeviceVideoDriverCreated),
		FW_ID(CEventDeviceVideoDriverReleased), FW_ID(CEventDeviceAudioDriverCreated),
		FW_ID(CEventDeviceAudioDriverReleased), FW_ID(CEventSound), FW_ID(CEventSoundFinished), FW_ID(CEventSystemFlow),
		FW_ID(CEventSystemFlowUpdate), FW_ID(CEventSystemFlowDraw), FW_ID(CEventSystemFlowActivate),
		FW_ID(CEventSystemFlowAppActivate), FW_ID(CEventSystemFlowCloseRequest), FW_ID(CEventSystemFlowDestroy),
		FW_ID(CEventInput), FW_ID(CEventInputKeyboard), FW_ID(CEventInputKeyDown), FW_ID(CEventInputKeyUp),
		FW_ID(CEventInputMouse), FW_ID(CEventInputMouseMove), FW_ID(CEventInputMouseLeftDown),
		FW_ID(CEventInputMouseRightDown), FW_ID(CEventInputMouseMiddleDown), FW_ID(CEventInputMouseLeftUp),
		FW_ID(CEventInputMouseRightUp), FW_ID(CEventInputMouseMiddleUp), FW_ID(CEventInputMouseWheel),
		FW_ID(CEventNode), FW_ID(CEventNodeAttached), FW_ID(CEventNodeTemplatesChanged), FW_ID(CEventNodeSetDown),
		FW_ID(CEventNodeDown), FW_ID(CEventNodeClearDown), FW_ID(CEventNodeUp), FW_ID(CEventNodeSetHover),
		FW_ID(CEventNodeHovered), FW_ID(CEventNodeClearHover), FW_ID(CEventNodeUnhovered), FW_ID(CEventNodeSetFocus),
		FW_ID(CEventNodeFocused), FW_ID(CEventNodeClearFocus), FW_ID(CEventNodeUnfocused), FW_ID(CEventNodeClick),
		FW_ID(CEventNodePressedPreview), FW_ID(CEventNodePressFinished), FW_ID(CEventNodePressed),
		FW_ID(CEventNodeStateItemNotify), FW_ID(CEventNodeStateStarted), FW_ID(CEventNodeStateFinished),
		FW_ID(CEventNodeStateEntered), FW_ID(CEventNodeStateEnded), FW_ID(CEventNodeStateChangeBegun),
		FW_ID(CEventNodeStateChangeComplete), FW_ID(CEventSceneTransition), FW_ID(CEventSceneTransitionStart),
		FW_ID(CEventSceneTransitionEnd), FW_ID(CEventMessageBoxResult), FW_ID(CEventTab), FW_ID(CEventTabSelected),
		FW_ID(CEventTabSwitched), FW_ID(CEventNodeValueChanged), FW_ID(CEventListSelectionChanged),
		FW_ID(CEventListItemPressed), FW_ID(CEventListItemChecked), FW_ID(CEventListItemHovered)};
	EXPECT_EQ("", sharedIds(events));
	for (const auto& event : events)
		EXPECT_LT(event.first, EVENT_TYPE_GAME_MESSAGE_FIRST) << event.second << " takes an id kept for game messages";
}
