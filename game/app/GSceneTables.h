#pragma once

// The two tables a scene declares instead of code: the children it binds once loaded, and what
// pressing each of its buttons does. GBaseSceneNode walks them; a scene only lists its entries:
//
//     SSceneTable<SBoundChild> GMyScene::getBoundChildren() const
//     {
//         static const SBoundChild CHILDREN[] = {
//             boundChild<&GMyScene::m_okButton>("Scene", "OkButton"),
//         };
//         return CHILDREN;
//     }
//
//     SSceneTable<SButtonAction> GMyScene::getButtonActions() const
//     {
//         static const SButtonAction BUTTONS[] = {
//             buttonAction<&GMyScene::close>("OkButton"),
//             buttonOpens("HelpButton", "scenes/HelpScene.oscn", "NavFrom", "NavTo"),
//         };
//         return BUTTONS;
//     }

#include "core/CoreTypes.h"
#include "core/NodeCasts.h"

#include <cstddef>

class GBaseSceneNode;

// A child the scene binds: the names leading to its parent from the scene ("" for the scene
// itself, "Scene", "BgScene/ActiveBg"), its own name, the kind it must be (a type id its type test
// accepts) and how the scene keeps it (a plain pointer into the scene's own tree).
struct SBoundChild
{
	const fw::c8* path;
	const fw::c8* name;
	fw::s32 kind;
	// Puts the node (of the right kind) into the scene's member.
	void (*store)(GBaseSceneNode& scene, fw::BaseNode* node);
};

// What a press of the scene's button of that name does: the scene's member function runs, or the
// scene file opens over the scene with its two transition states, or the press is only taken.
struct SButtonAction
{
	const fw::c8* button;
	// True when the press is consumed.
	bool (*run)(GBaseSceneNode& scene, const SButtonAction& action);
	const fw::c8* file;
	const fw::c8* outState;
	const fw::c8* inState;
};

// A scene's table as it hands it to its base: a static array of entries.
template <class T>
struct SSceneTable
{
	SSceneTable() = default;
	template <std::size_t N>
	SSceneTable(const T (&table)[N]) : entries(table), count(static_cast<fw::u32>(N))
	{
	}
	const T* begin() const { return entries; }
	const T* end() const { return entries + count; }

	const T* entries = nullptr;
	fw::u32 count = 0;
};

namespace scene_tables
{
template <class M>
struct SBoundMember;
template <class Scene, class Node>
struct SBoundMember<Node * Scene::*>
{
	typedef Scene SceneType;
	typedef Node NodeType;
};
template <class Scene, class Node, std::size_t N>
struct SBoundMember<Node* (Scene::*)[N]>
{
	typedef Scene SceneType;
	typedef Node NodeType;
	static constexpr std::size_t Size = N;
};

template <class M>
struct SButtonMethod;
// A method without a result consumes the press.
template <class Scene>
struct SButtonMethod<void (Scene::*)()>
{
	typedef Scene SceneType;
	template <void (Scene::*Method)()>
	static bool call(Scene& scene)
	{
		(scene.*Method)();
		return true;
	}
};
// A method with a result says whether it consumed the press.
template <class Scene>
struct SButtonMethod<bool (Scene::*)()>
{
	typedef Scene SceneType;
	template <bool (Scene::*Method)()>
	static bool call(Scene& scene)
	{
		return (scene.*Method)();
	}
};

bool openSceneFileAction(GBaseSceneNode& scene, const SButtonAction& action);
bool takePressAction(GBaseSceneNode& scene, const SButtonAction& action);
} // namespace scene_tables

// The child kept in Member (a pointer of the kind the child must be), under path, named name.
template <auto Member>
SBoundChild boundChild(const fw::c8* path, const fw::c8* name)
{
	typedef scene_tables::SBoundMember<decltype(Member)> Traits;
	typedef typename Traits::SceneType Scene;
	typedef typename Traits::NodeType Node;
	return {path, name, Node::TypeId, [](GBaseSceneNode& scene, fw::BaseNode* node) {
				static_cast<Scene&>(scene).*Member = fw::nodeCast<Node>(node);
			}};
}

// The same for element Index of an array member.
template <auto Member, std::size_t Index>
SBoundChild boundChild(const fw::c8* path, const fw::c8* name)
{
	typedef scene_tables::SBoundMember<decltype(Member)> Traits;
	typedef typename Traits::SceneType Scene;
	typedef typename Traits::NodeType Node;
	static_assert(Index < Traits::Size, "the member has no such element");
	return {path, name, Node::TypeId, [](GBaseSceneNode& scene, fw::BaseNode* node) {
				(static_cast<Scene&>(scene).*Member)[Index] = fw::nodeCast<Node>(node);
			}};
}

// A press of the button runs Method (void: consumed; bool: its answer).
template <auto Method>
SButtonAction buttonAction(const fw::c8* button)
{
	typedef scene_tables::SButtonMethod<decltype(Method)> Traits;
	typedef typename Traits::SceneType Scene;
	return {button,
		[](GBaseSceneNode& scene, const SButtonAction&)
		{ return Traits::template call<Method>(static_cast<Scene&>(scene)); },
		nullptr, nullptr, nullptr};
}

// A press of the button opens the scene file over the scene: the scene leaves with outState, the
// opened one enters with inState. Consumed.
inline SButtonAction buttonOpens(const fw::c8* button, const fw::c8* file, const fw::c8* outState,
	const fw::c8* inState)
{
	return {button, &scene_tables::openSceneFileAction, file, outState, inState};
}

// A press of the button is taken and does nothing more.
inline SButtonAction buttonTaken(const fw::c8* button)
{
	return {button, &scene_tables::takePressAction, nullptr, nullptr, nullptr};
}
