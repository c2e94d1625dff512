#pragma once

#include "core/CContent.h"
#include "core/CEventNode.h"
#include "core/CEventNodeState.h"
#include "core/CRefHolder.h"
#include "core/IPropertyOwner.h"
#include "core/IPropertyStorable.h"
#include "core/SLoadContext.h"
#include "core/SRenderContext.h"
#include "core/SRenderEntry.h"
#include "core/TypeIds.h"

#include <IVideoDriver.h>
#include <SColor.h>
#include <matrix4.h>
#include <rect.h>
#include <vector2d.h>
#include <vector3d.h>

#include <map>
#include <vector>

namespace fw
{
class CAnimatorState;
class CChildWalk;
class CNodeFactory;
class CPropertyContainer;
class ISceneManager;
struct SServices;
class ITimerManager;
class IXMLReader;
class IXMLWriter;
class SceneNode;

// Maps a state the node lacks to a replacement state id, or to -1 for none.
typedef s32 (*StateFallback)(s32 stateId);

// Declares the type id and the type test of a node class derived from Base. Names are qualified,
// so that classes outside the framework's namespace (the game's) declare themselves the same way.
#define FW_NODE_TYPE(Id, Base)                                                                                         \
	static constexpr ::fw::s32 TypeId = Id;                                                                            \
	::fw::s32 getTypeId() const override                                                                               \
	{                                                                                                                  \
		return TypeId;                                                                                                 \
	}                                                                                                                  \
	bool isOfType(::fw::s32 id) const override                                                                         \
	{                                                                                                                  \
		return id == TypeId || Base::isOfType(id);                                                                     \
	}

// The identity of a node class: its type id and type test, the name scene files and the node
// factory know it by, and the accessors of its property table and event map. A class with
// properties of its own declares `static const PropertyTable& getClassPropertyTable();` and defines
// it beside its setters and getters; a class with handlers of its own declares
// `static const EventMap& getClassEventMap();`. A class without either declares nothing: the
// accessors then find its base's.
#define FW_NODE_IDENTITY(Id, Base, Name)                                                                               \
	FW_NODE_TYPE(Id, Base)                                                                                             \
	static constexpr const wchar_t* TypeName = Name;                                                                   \
	const wchar_t* getTypeName() const override                                                                        \
	{                                                                                                                  \
		return TypeName;                                                                                               \
	}                                                                                                                  \
	const wchar_t* getClassName() const override                                                                       \
	{                                                                                                                  \
		return TypeName;                                                                                               \
	}                                                                                                                  \
	const ::fw::PropertyTable& getPropertyTable() const override                                                       \
	{                                                                                                                  \
		return getClassPropertyTable();                                                                                \
	}                                                                                                                  \
	const ::fw::EventMap& getEventMap() const override                                                                 \
	{                                                                                                                  \
		return getClassEventMap();                                                                                     \
	}

// Everything a node class states about itself in one place: its identity and its clone.
// registerNodeClass<Class> registers it under its name.
#define FW_NODE_CLASS(Class, Base, Id, Name)                                                                           \
	FW_NODE_IDENTITY(Id, Base, Name)                                                                                   \
	::fw::BaseNode* clone(::fw::BaseNode* parent = nullptr, ::fw::ISceneManager* sceneManager = nullptr)               \
		const override                                                                                                 \
	{                                                                                                                  \
		return cloneAs<Class>(parent, sceneManager);                                                                   \
	}

// The same for a class that is only ever a base of others: it is never made on its own, so its
// clone is null and it is not registered.
#define FW_ABSTRACT_NODE_CLASS(Class, Base, Id, Name)                                                                  \
	FW_NODE_IDENTITY(Id, Base, Name)                                                                                   \
	::fw::BaseNode* clone(::fw::BaseNode* = nullptr, ::fw::ISceneManager* = nullptr) const override                    \
	{                                                                                                                  \
		return nullptr;                                                                                                \
	}

// The base of every node: a 2-D element of a tree with a transformation relative to its parent, a
// rectangle (0, 0)-(Bounds.X, Bounds.Y), a tint colour, visibility and hit flags and ordered
// children. It draws nothing itself: it keeps the absolute transformation and colour that drawing
// nodes use, collects them into render lists, draws clipped groups, answers hit tests and routes
// events through the tree.
//
// A node holds one reference to each child and none to its parent, scene manager or scene.
class BaseNode : public IPropertyOwner, public CContent, public IPropertyStorable
{
public:
	static constexpr s32 TypeId = NODE_TYPE_BASE;
	static constexpr const wchar_t* TypeName = L"BaseNode";

	// With a parent, the parent takes a second reference; the creator keeps its own.
	BaseNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~BaseNode() override;

	// Property table, in the order users search it.
	const PropertyTable& getPropertyTable() const override { return getClassPropertyTable(); }
	static const PropertyTable& getClassPropertyTable();

	// A copy of the node and its subtree, of the same class, with this node's content reference.
	// The manager defaults to this node's. With a parent, the parent holds the copy and the pointer
	// is borrowed; without one, the caller owns it.
	virtual BaseNode* clone(BaseNode* parent = nullptr, ISceneManager* sceneManager = nullptr) const;
	// The class name written in scene files and known to the node factory.
	virtual const wchar_t* getTypeName() const;
	virtual const wchar_t* getClassName() const;
	virtual s32 getTypeId() const { return TypeId; }
	virtual bool isOfType(s32 id) const { return id == TypeId; }

	// Adds this subtree's drawing entries: first tells the node it is being collected (onCollected),
	// then nothing more when hidden; otherwise refreshes a dirty transformation and colour, then lets
	// the node add its own entries and its children theirs.
	void collectRenderables(RenderList& list);
	// Draws the children of a ChildrenClipped node clipped to its rectangle, flushing the frame's
	// batch before and after; nothing otherwise. Drawing nodes draw themselves here.
	virtual void render(const SRenderContext& context, const core::rect<f32>* clip);
	// Strictly inside (0, 0)-(Bounds.X, Bounds.Y) after the inverse absolute transformation.
	virtual bool isPointInside(const core::vector3df& point) const;
	// False; drawing nodes and controls answer for themselves.
	virtual bool hitTest(const core::vector3df& point) const;

	// Puts the children into the state, each with enterState; the node's own state is not changed.
	// The node gets event 73 at once and event 75 (then its parent, unless the node consumes it)
	// when every child present now has ended the state: at once without children.
	virtual void setState(s32 stateId, StateFallback fallback);
	// Leaves the current state and starts the node's state of that id on its scene's timer manager
	// (with none outside a scene, when the state ends at once). A state the node lacks goes through
	// the fallback; failing that it is announced to the parent as entered and ended at once. The
	// start and end are announced under the reported id (-1: the id entered). -1 does nothing.
	virtual void enterState(s32 stateId, StateFallback fallback, s32 reportedStateId);

	virtual void updateAbsoluteTransformation();
	virtual void updateAbsoluteColor();

	// Reads the "SceneNode" element the reader stands on, up to its closing tag: properties,
	// states and children. Children come from the load's factory, those named by "File" from its
	// content manager, against the folder of the file being read.
	virtual void loadFromXml(IXMLReader* reader, SLoadContext& context);
	// The same for an element read on its own: the node's content manager, no file.
	void loadFromXml(IXMLReader* reader, CNodeFactory* factory);
	// Writes the node as a "SceneNode" element; nothing for an internal or a transient node.
	virtual void saveToXml(IXMLWriter* writer) const;
	// Called after the node has been loaded or cloned.
	virtual void onInit();
	// Takes the source's values, then clones of its children and copies of its states.
	virtual void copyFrom(const BaseNode* source, ISceneManager* sceneManager);

	// The event map's entries, one per event it maps; each hands its event to the hook below.
	bool onEvent34(CEventNodeAttached* event) { return onAttached(event); }
	bool onEvent35(CEventNodeTemplatesChanged* event) { return onTemplatesChanged(event); }
	bool onEvent36(CEventNodeRefresh* event) { return onRefresh(event); }
	bool onEvent65(CEventNodeStateMessage* event) { return onStateMessage(event); }
	bool onEvent66(CEventNodeStateItemNotify* event) { return onStateItemNotify(event); }
	bool onEvent67(CEventNodeStateStarted* event) { return onStateStarted(event); }
	bool onEvent68(CEventNodeStateFinished* event) { return onStateFinished(event); }
	bool onEvent71(CEventNodeStateEnded* event) { return onStateEnded(event); }
	bool onEvent75(CEventNodeStateChangeComplete* event) { return onStateChangeComplete(event); }

	// The hooks subclasses override; none consumes its event here.
	// The node's tree was attached to a scene manager.
	virtual bool onAttached(CEventNodeAttached* event);
	// A template collection was installed or a template instantiated.
	virtual bool onTemplatesChanged(CEventNodeTemplatesChanged* event);
	// The tree is asked to build again what it derives (templates, text layouts).
	virtual bool onRefresh(CEventNodeRefresh* event);
	// A state's message for its node.
	virtual bool onStateMessage(CEventNodeStateMessage* event);
	// An item of one of the node's states reported its first loop or its end.
	virtual bool onStateItemNotify(CEventNodeStateItemNotify* event);
	// One of the node's state objects was entered.
	virtual bool onStateStarted(CEventNodeStateStarted* event);
	// The end of the current state object: reported to the parent as event 71, then, when it ended
	// by itself and the parent did not consume the report, the state's next state is entered.
	virtual bool onStateFinished(CEventNodeStateFinished* event);
	// A child's end of a state that setState gave it: counted off; the last completes the change.
	virtual bool onStateEnded(CEventNodeStateEnded* event);
	// The node's own change of state (setState) or a child's has completed.
	virtual bool onStateChangeComplete(CEventNodeStateChangeComplete* event);

	// Receiver.
	const EventMap& getEventMap() const override { return getClassEventMap(); }
	static const EventMap& getClassEventMap();
	// To the parent when its mask takes the event's category.
	bool routeUp(s32 mode, CEvent* event) override;
	// To each child whose mask takes the category, last child first, until one consumes it.
	bool routeDown(s32 mode, CEvent* event) override;

	// Content.
	u32 getContentType() const override { return CONTENT_TYPE_SCENE_NODE; }
	CContent* cloneAsContent() const override;

	// Tree. A child gains a reference; the node itself and its ancestors are refused.
	void addChild(BaseNode* child);
	// Right after the sibling; first when it is null; last when it is not a child.
	void insertChild(BaseNode* child, BaseNode* after);
	// False when it is not a child. Clears the scene links of the whole removed subtree. An internal
	// child is taken off as well: its parent holds it like a listed one.
	bool removeChild(BaseNode* child);
	void removeAllChildren();
	void setParent(BaseNode* parent);
	BaseNode* getParent() const { return m_parent; }
	const core::array<BaseNode*>& getChildren() const { return m_children; }
	// Depth 1 searches the direct children, n searches n levels, -1 or 0 the whole subtree.
	BaseNode* findChildByNameId(s32 nameId, s32 depth) const;
	// Sets both links in the whole subtree (and in internal children, which their owners attach).
	virtual void attachToScene(ISceneManager* sceneManager, SceneNode* scene);
	ISceneManager* getSceneManager() const { return m_sceneManager; }
	// The program's services, through the scene manager; none (all null) outside one.
	const SServices& getServices() const;
	SceneNode* getScene() const { return m_scene; }
	bool isAncestorOf(const BaseNode* node) const;

	// The first node of the subtree under the point: the node itself when its hitTest accepts it,
	// else its children in order. Hidden nodes and nodes that cannot be hit answer for nobody.
	BaseNode* hitTestSubtree(const core::vector3df& point);

	// Queue the event in the node's scene manager for later delivery with routeEvent.
	void postEvent(CEventReceiver* receiver, s32 mode, CEvent* event);
	void postEventToParent(s32 mode, CEvent* event);

	// Values and their setters and getters; the property table names them.
	s32 getNameId() const { return m_nameId; }
	void setNameId(s32 nameId) { m_nameId = nameId; }
	const core::stringc& getName() const;
	void setName(const core::stringc& name);

	const core::vector3df& getPosition() const { return m_position; }
	void setPosition(const core::vector3df& position);
	const core::vector3df& getRotation() const { return m_rotation; }
	void setRotation(const core::vector3df& rotation);
	const core::vector3df& getScale() const { return m_scale; }
	void setScale(const core::vector3df& scale);
	const core::vector3df& getBounds() const { return m_bounds; }
	// Negative width or height become 0; z is always 0.
	void setBounds(const core::vector3df& bounds);
	const core::vector2df& getPivotPoint() const { return m_pivotPoint; }
	void setPivotPoint(const core::vector2df& pivotPoint);
	video::SColor getTintColor() const { return m_tintColor; }
	void setTintColor(video::SColor color);
	bool isVisible() const { return m_visible; }
	void setVisible(bool visible) { m_visible = visible; }
	bool getCanBeHit() const { return m_canBeHit; }
	void setCanBeHit(bool canBeHit) { m_canBeHit = canBeHit; }
	bool getChildrenClipped() const { return m_childrenClipped; }
	void setChildrenClipped(bool clipped) { m_childrenClipped = clipped; }
	// An internal node (a template root) is kept out of its parent's children list and is never
	// written or copied as a child.
	bool isInternal() const { return m_internal; }
	void setInternal(bool internal) { m_internal = internal; }
	// A transient node (a spawned decoration, a list's generated element) is a listed child like any
	// other, drawn and reached by events, but is never written to a scene file or copied with its
	// parent: it belongs to the running scene, not to its description.
	bool isTransient() const { return m_transient; }
	void setTransient(bool transient) { m_transient = transient; }

	const core::matrix4& getAbsoluteTransformation() const { return m_absoluteTransformation; }
	// The transformation relative to the parent: T(Position) R(Rotation) S(Scale) T(-PivotPoint).
	core::matrix4 getRelativeTransformation() const;
	video::SColor getAbsoluteColor() const { return m_absoluteColor; }
	bool isTransformationDirty() const { return m_transformationDirty; }
	bool isColorDirty() const { return m_colorDirty; }

	// Optional object attached by other code; the node holds one reference.
	IReferenceCounted* getUserData() const { return m_userData.get(); }
	void setUserData(IReferenceCounted* object) { m_userData.assign(object); }

	// Property storage.
	void writeProperties(CPropertyContainer* container) const override;
	void readProperties(CPropertyContainer* container) override;

	// States.
	static constexpr s32 MAX_IMMEDIATE_STATE_ENTRIES = 16;
	s32 getCurrentStateId() const { return m_currentStateId; }
	// The state object of the last entry; it stays current after it has ended.
	CAnimatorState* getCurrentState() const { return m_currentState; }
	CAnimatorState* findState(s32 stateId) const;
	const std::map<s32, CAnimatorState*>& getStates() const { return m_states; }
	// Binds the state to this node and keeps it under its name; false, leaving it unbound, when the
	// node already has a state of that name.
	bool addState(CAnimatorState* state);
	// The state of that id, if any, leaves; with finish, key frames show their last key.
	void stopState(s32 stateId, bool finish);
	void stopAllStates(bool finish);
	// Drops every state object without asking it to leave; no current state afterwards.
	void clearStates();
	// The timer manager of the node's scene; null outside a scene.
	ITimerManager* getSceneTimerManager() const;
	// Children that have not yet ended the state that setState gave them; -1 without such a change.
	s32 getPendingChildCount(s32 stateId) const;
	// Clones of the source's listed children (transient ones left out) and copies of its states,
	// onto the target.
	void copyChildrenAndStatesTo(BaseNode* target) const;

protected:
	// Called whenever the parent collects this node for drawing, visible or not: nodes that run
	// timers of their own restart them here. Nothing by default.
	virtual void onCollected() {}
	// A drawing node's own render entries, added before its children's; none by default.
	virtual void appendRenderables(RenderList& list);
	// The children's entries: a ChildrenClipped node with children adds one entry for its clipped
	// group (render collects the children then); any other node lets each child add itself.
	virtual void collectChildRenderables(RenderList& list);
	// Each child, first to last, adds itself; a child that an earlier one took away is skipped.
	void collectEachChild(RenderList& list);

	// The number of children (and internal children) whose end of the state a change still waits for.
	void setPendingChildCount(s32 stateId, s32 count) { m_pendingChildren[stateId] = count; }
	// Finishes a clone made by a subclass's clone: copies this node into it and initialises it.
	BaseNode* finishClone(BaseNode* copy, BaseNode* parent, ISceneManager* sceneManager) const;
	// A clone of class T (constructible as every node is), with this node's content reference.
	template <class T>
	BaseNode* cloneAs(BaseNode* parent, ISceneManager* sceneManager) const
	{
		ISceneManager* manager = sceneManager ? sceneManager : m_sceneManager;
		return finishClone(new T(getContentReference(), parent, manager), parent, manager);
	}

private:
	BaseNode(const BaseNode&) = delete;
	BaseNode& operator=(const BaseNode&) = delete;

	// Animations store bounds as they come, without the clamping of setBounds.
	void setBoundsProperty(const core::vector3df& bounds);

	// Links the child under this node: at the end, or right after the sibling (first for null, last
	// when it is not a child).
	void linkChild(BaseNode* child, bool atEnd, BaseNode* after);
	// Clears the parent, scene manager and scene links of a child leaving this node.
	static void unlinkChild(BaseNode* child);
	void loadChild(IXMLReader* reader, SLoadContext& context);
	void loadFileChild(const core::stringc& fileName, const SLoadContext& context);
	void readStates(IXMLReader* reader);

	core::matrix4 m_absoluteTransformation;
	// The stored values side by side, so that a clone copies them as one block of bytes.
	s32 m_nameId = -1;
	core::vector3df m_position = core::vector3df(0.f, 0.f, 0.f);
	core::vector3df m_rotation = core::vector3df(0.f, 0.f, 0.f);
	core::vector3df m_scale = core::vector3df(1.f, 1.f, 1.f);
	core::vector3df m_bounds = core::vector3df(100.f, 100.f, 0.f);
	core::vector2df m_pivotPoint = core::vector2df(0.f, 0.f);
	video::SColor m_tintColor = video::SColor(0xFFFFFFFF);
	bool m_visible = true;
	bool m_canBeHit = true;
	bool m_childrenClipped = false;
	bool m_internal = false;
	bool m_transient = false;
	// Not set until first computed.
	video::SColor m_absoluteColor = video::SColor(0);
	bool m_transformationDirty = true;
	bool m_colorDirty = true;
	BaseNode* m_parent = nullptr;
	core::array<BaseNode*> m_children;
	// Linked while internal: held like the listed children, walked by their owners alone.
	std::vector<BaseNode*> m_internalChildren;
	std::map<s32, CAnimatorState*> m_states;
	s32 m_currentStateId = -1;
	CAnimatorState* m_currentState = nullptr;
	std::map<s32, s32> m_pendingChildren;
	// enterState calls running on this node, one inside the other: a next state entered from a state
	// that ended at once, a fallback, or a handler that switches the node again.
	s32 m_stateEntryDepth = 0;
	ISceneManager* m_sceneManager;
	SceneNode* m_scene = nullptr;
	CRefHolder<IReferenceCounted> m_userData;
	// The innermost collection walk over this node's children; walks nest when collection comes
	// back to the same node.
	CChildWalk* m_childWalk = nullptr;
	friend class CChildWalk;
};
} // namespace fw
