#include "core/BaseNode.h"

#include "core/CAnimatorState.h"
#include "core/CLogger.h"
#include "core/CNameTable.h"
#include "core/CNodeFactory.h"
#include "core/CPropertyContainer.h"
#include "core/IContentManager.h"
#include "core/ISceneManager.h"
#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"
#include "core/PropertyAccessors.h"
#include "core/SceneFile.h"
#include "core/StateItem.h"
#include "core/TextParsing.h"
#include "core/XMLElements.h"

#include <algorithm>
#include <vector>

namespace fw
{
namespace
{
// Device, system flow, node and game-message events.
const u32 BASE_NODE_EVENT_MASK =
	EVENT_CATEGORY_DEVICE | EVENT_CATEGORY_SYSTEM_FLOW | EVENT_CATEGORY_NODE | EVENT_CATEGORY_GAME_MESSAGE;

const f32 DEGREES_TO_RADIANS = 0.017453292f;
const f32 VECTOR_TOLERANCE = 0.000001f;

const core::vector3df UNIT_SCALE(1.f, 1.f, 1.f);

const c8* const NAME_PROPERTY = "Name";
const c8* const VISIBLE_PROPERTY = "Visible";
const c8* const POSITION_PROPERTY = "Position";
const c8* const ROTATION_PROPERTY = "Rotation";
const c8* const SCALE_PROPERTY = "Scale";
const c8* const BOUNDS_PROPERTY = "Bounds";
const c8* const PIVOT_POINT_PROPERTY = "PivotPoint";
const c8* const TINT_COLOR_PROPERTY = "TintColor";
const c8* const CAN_BE_HIT_PROPERTY = "CanBeHit";
const c8* const CHILDREN_CLIPPED_PROPERTY = "ChildrenClipped";
const c8* const DEFAULT_STATE_PROPERTY = "DefaultState";

const wchar_t* const PROPERTIES_ELEMENT = L"Properties";
const wchar_t* const STATES_ELEMENT = L"States";
const wchar_t* const STATE_ELEMENT = L"State";

const core::stringw& stateNameAttribute()
{
	static const core::stringw& name = *new core::stringw(L"Name");
	return name;
}

const core::stringw& nextStateAttribute()
{
	static const core::stringw& name = *new core::stringw(L"NextState");
	return name;
}

// Counts an enterState call on the node for as long as it runs.
struct SStateEntryGuard
{
	explicit SStateEntryGuard(s32& depth) : m_depth(depth) { ++m_depth; }
	~SStateEntryGuard() { --m_depth; }
	SStateEntryGuard(const SStateEntryGuard&) = delete;
	SStateEntryGuard& operator=(const SStateEntryGuard&) = delete;
	s32& m_depth;
};

bool differs(const core::vector3df& a, const core::vector3df& b)
{
	return !a.equals(b, VECTOR_TOLERANCE);
}

const core::stringw& fileAttribute()
{
	static const core::stringw& name = *new core::stringw(SCENE_NODE_FILE_ATTRIBUTE);
	return name;
}

// The children of a node at one moment, each held, so that a handler called for one of them may
// add, remove or destroy children (the running one included) without invalidating the walk.
class CChildSnapshot
{
public:
	explicit CChildSnapshot(const core::array<BaseNode*>& children) : m_size(children.size())
	{
		m_nodes = m_size <= INLINE_SIZE ? m_inline : new BaseNode*[m_size];
		for (u32 i = 0; i < m_size; ++i)
		{
			m_nodes[i] = children[i];
			m_nodes[i]->grab();
		}
	}
	~CChildSnapshot()
	{
		for (u32 i = 0; i < m_size; ++i)
			m_nodes[i]->drop();
		if (m_nodes != m_inline)
			delete[] m_nodes;
	}
	CChildSnapshot(const CChildSnapshot&) = delete;
	CChildSnapshot& operator=(const CChildSnapshot&) = delete;

	u32 size() const { return m_size; }
	BaseNode* operator[](u32 index) const { return m_nodes[index]; }

private:
	static const u32 INLINE_SIZE = 16;
	BaseNode* m_inline[INLINE_SIZE];
	BaseNode** m_nodes;
	u32 m_size;
};

s32 indexOfChild(const core::array<BaseNode*>& children, const BaseNode* child)
{
	for (u32 i = 0; i < children.size(); ++i)
		if (children[i] == child)
			return static_cast<s32>(i);
	return -1;
}
} // namespace

// A collection walk over a node's children, registered on that node for as long as it runs. It
// neither copies nor holds the children, which would touch every node twice more per frame: it reads
// the node's own list until that list is about to change, when it keeps a copy of the list as it was;
// and a child taken off the node while the walk runs keeps the reference its parent gave up until the
// walk ends (the outermost walk, when collection comes back to the same node). So the walk goes over
// the children present when it began, each alive until it ends, as with a held snapshot.
class CChildWalk
{
public:
	explicit CChildWalk(BaseNode* parent, const core::array<BaseNode*>& children) :
		m_parent(parent), m_children(children), m_outer(parent->m_childWalk)
	{
		parent->m_childWalk = this;
	}
	~CChildWalk()
	{
		if (m_parent)
			m_parent->m_childWalk = m_outer;
		// After leaving the list: a destruction here may take children off other walked nodes.
		for (BaseNode* child : m_released)
			child->drop();
	}
	CChildWalk(const CChildWalk&) = delete;
	CChildWalk& operator=(const CChildWalk&) = delete;

	// The child at that place in the list as the walk found it.
	BaseNode* child(u32 index) const { return m_changed ? m_copy[index] : m_children[index]; }

	// Called before the parent's list of children changes: walks over it keep its present order.
	static void listChanging(const BaseNode* parent)
	{
		for (CChildWalk* walk = parent->m_childWalk; walk; walk = walk->m_outer)
			if (!walk->m_changed)
			{
				walk->m_copy.assign(walk->m_children.const_pointer(),
					walk->m_children.const_pointer() + walk->m_children.size());
				walk->m_changed = true;
			}
	}

	// The parent is being destroyed under its walks: they run on over the copies its emptying made.
	static void parentGone(BaseNode* parent)
	{
		for (CChildWalk* walk = parent->m_childWalk; walk; walk = walk->m_outer)
			walk->m_parent = nullptr;
		parent->m_childWalk = nullptr;
	}

	// Gives up the reference a parent held on a child it has just unlinked: kept by the outermost
	// walk over that parent's children, if one runs; dropped now otherwise.
	static void release(const BaseNode* parent, BaseNode* child)
	{
		CChildWalk* keeper = nullptr;
		for (CChildWalk* walk = parent->m_childWalk; walk; walk = walk->m_outer)
			keeper = walk;
		if (keeper)
			keeper->m_released.push_back(child);
		else
			child->drop();
	}

private:
	BaseNode* m_parent;
	const core::array<BaseNode*>& m_children;
	// The walk over the same node that this one runs inside.
	CChildWalk* m_outer;
	bool m_changed = false;
	std::vector<BaseNode*> m_copy;
	std::vector<BaseNode*> m_released;
};

BaseNode::BaseNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	CContent(reference), m_sceneManager(sceneManager)
{
	setEventMask(getEventMask() | BASE_NODE_EVENT_MASK);
	if (parent)
		parent->addChild(this);
}

BaseNode::~BaseNode()
{
	removeAllChildren();
	// Internal children whose owner did not take them back (one handed here through the tree calls).
	std::vector<BaseNode*> internalChildren;
	internalChildren.swap(m_internalChildren);
	for (BaseNode* child : internalChildren)
	{
		unlinkChild(child);
		CChildWalk::release(this, child);
	}
	CChildWalk::parentGone(this);
	clearStates();
	m_userData.release();
}

// ---------------------------------------------------------------------------------------------
// Properties: the table, its setters and getters, and the exchange with property containers.

const PropertyTable& BaseNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable<BaseNode>(IPropertyOwner::getClassPropertyTable(),
		{
			makeNameProperty<&BaseNode::m_nameId>(NAME_PROPERTY),
			makeProperty<&BaseNode::setVisible, &BaseNode::isVisible>(VISIBLE_PROPERTY)
				.stored()
				.writtenAfter(TINT_COLOR_PROPERTY)
				.copiedIn<&BaseNode::m_visible>(),
			makeProperty<&BaseNode::setPosition, &BaseNode::getPosition>(POSITION_PROPERTY)
				.stored()
				.copiedIn<&BaseNode::m_position>(),
			makeProperty<&BaseNode::setRotation, &BaseNode::getRotation>(ROTATION_PROPERTY)
				.stored()
				.copiedIn<&BaseNode::m_rotation>(),
			makeProperty<&BaseNode::setScale, &BaseNode::getScale>(SCALE_PROPERTY)
				.stored()
				.copiedIn<&BaseNode::m_scale>(),
			// Animations store the value as it comes; files go through the clamping of setBounds.
			makeProperty<&BaseNode::setBoundsProperty, &BaseNode::getBounds>(BOUNDS_PROPERTY)
				.stored()
				.readBy<&BaseNode::setBounds>()
				.copiedIn<&BaseNode::m_bounds>(),
			makeProperty<&BaseNode::setPivotPoint, &BaseNode::getPivotPoint>(PIVOT_POINT_PROPERTY)
				.stored()
				.copiedIn<&BaseNode::m_pivotPoint>(),
			makeProperty<&BaseNode::setTintColor, &BaseNode::getTintColor>(TINT_COLOR_PROPERTY)
				.stored()
				.copiedIn<&BaseNode::m_tintColor>(),
			makeProperty<&BaseNode::setCanBeHit, &BaseNode::getCanBeHit>(CAN_BE_HIT_PROPERTY)
				.stored()
				.copiedIn<&BaseNode::m_canBeHit>(),
			makeProperty<&BaseNode::setChildrenClipped, &BaseNode::getChildrenClipped>(CHILDREN_CLIPPED_PROPERTY)
				.stored()
				.copiedIn<&BaseNode::m_childrenClipped>(),
		});
	return table;
}

const core::stringc& BaseNode::getName() const
{
	return CNameTableSingleton::Instance().lookup(m_nameId);
}

void BaseNode::setName(const core::stringc& name)
{
	m_nameId = CNameTableSingleton::Instance().intern(name);
}

void BaseNode::setPosition(const core::vector3df& position)
{
	m_position = position;
	m_transformationDirty = true;
}

void BaseNode::setRotation(const core::vector3df& rotation)
{
	m_rotation = rotation;
	m_transformationDirty = true;
}

void BaseNode::setScale(const core::vector3df& scale)
{
	m_scale = scale;
	m_transformationDirty = true;
}

void BaseNode::setBounds(const core::vector3df& bounds)
{
	m_bounds.X = bounds.X < 0.f ? 0.f : bounds.X;
	m_bounds.Y = bounds.Y < 0.f ? 0.f : bounds.Y;
	m_bounds.Z = 0.f;
}

// Animations store the value as it comes, without the clamping of setBounds.
void BaseNode::setBoundsProperty(const core::vector3df& bounds)
{
	m_bounds = bounds;
}

void BaseNode::setPivotPoint(const core::vector2df& pivotPoint)
{
	m_pivotPoint = pivotPoint;
	// The pivot moves the node as much as Position does.
	m_transformationDirty = true;
}

void BaseNode::setTintColor(video::SColor color)
{
	m_tintColor = color;
	m_colorDirty = true;
}

void BaseNode::writeProperties(CPropertyContainer* container) const
{
	IPropertyStorable::writeProperties(container);
	writePropertyTable(this, container);
}

void BaseNode::readProperties(CPropertyContainer* container)
{
	IPropertyStorable::readProperties(container);
	readPropertyTable(this, container);
}

// ---------------------------------------------------------------------------------------------
// Class identity and copies.

const wchar_t* BaseNode::getTypeName() const
{
	return TypeName;
}

const wchar_t* BaseNode::getClassName() const
{
	return TypeName;
}

BaseNode* BaseNode::clone(BaseNode* parent, ISceneManager* sceneManager) const
{
	return cloneAs<BaseNode>(parent, sceneManager);
}

BaseNode* BaseNode::finishClone(BaseNode* copy, BaseNode* parent, ISceneManager* sceneManager) const
{
	copy->copyFrom(this, sceneManager);
	copy->onInit();
	// The parent keeps the copy alive.
	if (parent && copy->m_parent == parent)
		copy->drop();
	return copy;
}

CContent* BaseNode::cloneAsContent() const
{
	return clone(nullptr, nullptr);
}

void BaseNode::onInit()
{
}

void BaseNode::copyFrom(const BaseNode* source, ISceneManager*)
{
	if (!source || source == this)
		return;
	m_absoluteTransformation = source->m_absoluteTransformation;
	copyPropertyTableValues(this, source);
	source->copyChildrenAndStatesTo(this);
}

void BaseNode::copyChildrenAndStatesTo(BaseNode* target) const
{
	if (!target)
		return;
	const CChildSnapshot children(m_children);
	// Room for the copies at once, rather than growing the list child by child.
	const u32 wanted = target->m_children.size() + children.size();
	if (target->m_children.allocated_size() < wanted)
		target->m_children.reallocate(wanted);
	for (u32 i = 0; i < children.size(); ++i)
	{
		BaseNode* child = children[i];
		if (child->m_parent != this || child->m_internal || child->m_transient)
			continue;
		// A copy made inside its own source would copy itself without end.
		if (child == target || child->isAncestorOf(target))
			continue;
		child->clone(target, target->m_sceneManager);
	}
	for (const auto& entry : m_states)
	{
		CAnimatorState* copy = entry.second->clone(target, target->m_sceneManager);
		target->addState(copy);
		copy->drop();
	}
	target->m_currentStateId = m_currentStateId;
	if (m_currentStateId != -1)
		target->enterState(m_currentStateId, nullptr, -1);
}

// ---------------------------------------------------------------------------------------------
// Tree.

const SServices& BaseNode::getServices() const
{
	return m_sceneManager ? m_sceneManager->getServices() : noServices();
}

bool BaseNode::isAncestorOf(const BaseNode* node) const
{
	for (const BaseNode* p = node ? node->m_parent : nullptr; p; p = p->m_parent)
		if (p == this)
			return true;
	return false;
}

void BaseNode::addChild(BaseNode* child)
{
	if (!child || child == this)
		return;
	// A node without children is nobody's ancestor (a new node or a leaf: most additions).
	const bool mayBeAncestor = !child->m_children.empty() || !child->m_internalChildren.empty();
	if (mayBeAncestor && child->isAncestorOf(this))
	{
		logWarning("A node cannot become a child of its own descendant; the child is not added");
		return;
	}
	linkChild(child, true, nullptr);
}

void BaseNode::insertChild(BaseNode* child, BaseNode* after)
{
	if (!child || child == this)
		return;
	if (child->isAncestorOf(this))
	{
		logWarning("A node cannot become a child of its own descendant; the child is not inserted");
		return;
	}
	linkChild(child, false, after);
}

void BaseNode::linkChild(BaseNode* child, bool atEnd, BaseNode* after)
{
	// This node's reference, taken before the old parent lets go of its own.
	child->grab();
	if (child->m_parent)
		child->m_parent->removeChild(child);

	if (child->m_internal)
		m_internalChildren.push_back(child);
	else
	{
		CChildWalk::listChanging(this);
		// Positions are taken after the removal: the child may have been listed here already.
		const s32 afterIndex = atEnd || !after ? -1 : indexOfChild(m_children, after);
		if (atEnd || (after && afterIndex < 0))
			m_children.push_back(child);
		else
			m_children.insert(child, static_cast<u32>(afterIndex + 1));
	}
	child->m_parent = this;
	// The absolute values were those under the old parent.
	child->m_transformationDirty = true;
	child->m_colorDirty = true;
	child->attachToScene(m_sceneManager, m_scene);
}

void BaseNode::unlinkChild(BaseNode* child)
{
	child->m_parent = nullptr;
	child->attachToScene(nullptr, nullptr);
}

bool BaseNode::removeChild(BaseNode* child)
{
	// By the parent link, not the list: an internal child is not listed, and one whose internal flag
	// changed since it was linked must still give back the reference its parent holds.
	if (!child || child->m_parent != this)
		return false;
	const s32 index = indexOfChild(m_children, child);
	if (index >= 0)
	{
		CChildWalk::listChanging(this);
		m_children.erase(static_cast<u32>(index));
	}
	const auto internal = std::find(m_internalChildren.begin(), m_internalChildren.end(), child);
	if (internal != m_internalChildren.end())
		m_internalChildren.erase(internal);
	unlinkChild(child);
	CChildWalk::release(this, child);
	return true;
}

void BaseNode::removeAllChildren()
{
	// Taken out first: a child's destruction must not find itself in this list.
	core::array<BaseNode*> children;
	CChildWalk::listChanging(this);
	children.swap(m_children);
	for (u32 i = 0; i < children.size(); ++i)
	{
		unlinkChild(children[i]);
		CChildWalk::release(this, children[i]);
	}
}

void BaseNode::setParent(BaseNode* parent)
{
	if (parent && (parent == this || isAncestorOf(parent)))
	{
		logWarning("A node cannot become a child of its own descendant; the parent is not changed");
		return;
	}
	// Removing it from the old parent may release the last other reference.
	const CRefHolder<BaseNode> self(this);
	if (m_parent)
		m_parent->removeChild(this);
	if (parent)
		parent->addChild(this);
}

BaseNode* BaseNode::findChildByNameId(s32 nameId, s32 depth) const
{
	for (u32 i = 0; i < m_children.size(); ++i)
		if (m_children[i]->m_nameId == nameId)
			return m_children[i];
	const s32 next = depth == -1 ? -1 : depth - 1;
	if (next <= 0 && next != -1)
		return nullptr;
	for (u32 i = 0; i < m_children.size(); ++i)
		if (BaseNode* found = m_children[i]->findChildByNameId(nameId, next))
			return found;
	return nullptr;
}

void BaseNode::attachToScene(ISceneManager* sceneManager, SceneNode* scene)
{
	m_sceneManager = sceneManager;
	m_scene = scene;
	// The current state restarts on the scene's timers.
	if (scene && m_currentStateId != -1)
		enterState(m_currentStateId, nullptr, -1);
	if (m_children.empty())
		return;
	const CChildSnapshot children(m_children);
	for (u32 i = 0; i < children.size(); ++i)
		if (children[i]->m_parent == this)
			children[i]->attachToScene(sceneManager, scene);
}

// ---------------------------------------------------------------------------------------------
// Transformations, colour, drawing and hit tests.

core::matrix4 BaseNode::getRelativeTransformation() const
{
	core::matrix4 matrix;
	if (m_rotation.X == 0.f && m_rotation.Y == 0.f && m_rotation.Z == 0.f)
	{
		// Unrotated, as most nodes are: the values the rotation below gives for zero angles, the
		// signs of the zeros included, without its sines and cosines.
		const f32 x = m_rotation.X * DEGREES_TO_RADIANS;
		const f32 y = m_rotation.Y * DEGREES_TO_RADIANS;
		const f32 z = m_rotation.Z * DEGREES_TO_RADIANS;
		matrix[1] = z;
		matrix[2] = -y;
		matrix[4] = x * y - z;
		matrix[6] = x;
		matrix[8] = y + x * z;
		matrix[9] = y * z - x;
	}
	else
		matrix.setRotationRadians(m_rotation * DEGREES_TO_RADIANS);
	matrix.setTranslation(m_position);
	if (differs(m_scale, UNIT_SCALE))
	{
		core::matrix4 scale;
		scale.setScale(m_scale);
		matrix *= scale;
	}
	if (m_pivotPoint.X != 0.f || m_pivotPoint.Y != 0.f)
	{
		core::matrix4 pivot;
		pivot.setTranslation(core::vector3df(-m_pivotPoint.X, -m_pivotPoint.Y, 0.f));
		matrix *= pivot;
	}
	return matrix;
}

void BaseNode::updateAbsoluteTransformation()
{
	const core::matrix4 relative = getRelativeTransformation();
	if (!m_parent)
		m_absoluteTransformation = relative;
	else
	{
		const core::matrix4& a = m_parent->m_absoluteTransformation;
		if (a.isIdentity())
			m_absoluteTransformation = relative;
		else if (relative.isIdentity())
			m_absoluteTransformation = a;
		else
		{
			// The 2-D product: only x, y and the depth are combined.
			const core::matrix4& b = relative;
			core::matrix4& r = m_absoluteTransformation;
			r[0] = a[0] * b[0] + a[4] * b[1];
			r[1] = a[1] * b[0] + a[5] * b[1];
			r[4] = a[0] * b[4] + a[4] * b[5];
			r[5] = a[1] * b[4] + a[5] * b[5];
			r[12] = a[0] * b[12] + a[4] * b[13] + a[12];
			r[13] = a[1] * b[12] + a[5] * b[13] + a[13];
			r[14] = a[14] + b[14];
		}
	}
	for (u32 i = 0; i < m_children.size(); ++i)
		m_children[i]->updateAbsoluteTransformation();
	m_transformationDirty = false;
}

void BaseNode::updateAbsoluteColor()
{
	m_absoluteColor = m_parent ? modulateColor(m_parent->m_absoluteColor, m_tintColor) : m_tintColor;
	for (u32 i = 0; i < m_children.size(); ++i)
		m_children[i]->updateAbsoluteColor();
	m_colorDirty = false;
}

void BaseNode::collectRenderables(RenderList& list)
{
	onCollected();
	if (!m_visible)
		return;
	if (m_transformationDirty)
		updateAbsoluteTransformation();
	if (m_colorDirty)
		updateAbsoluteColor();
	appendRenderables(list);
	collectChildRenderables(list);
}

void BaseNode::appendRenderables(RenderList&)
{
}

void BaseNode::collectChildRenderables(RenderList& list)
{
	if (m_childrenClipped)
	{
		// The children are collected by render, inside the clip.
		if (!m_children.empty())
			list.push_back(SRenderEntry{this, m_absoluteTransformation[14], 0});
		return;
	}
	collectEachChild(list);
}

void BaseNode::collectEachChild(RenderList& list)
{
	const u32 count = m_children.size();
	if (count == 0)
		return;
	const CChildWalk walk(this, m_children);
	for (u32 i = 0; i < count; ++i)
	{
		BaseNode* child = walk.child(i);
		if (child->m_parent == this)
			child->collectRenderables(list);
	}
}

void BaseNode::render(const SRenderContext& context, const core::rect<f32>*)
{
	if (!m_childrenClipped)
		return;
	RenderList entries;
	const CChildSnapshot children(m_children);
	for (u32 i = 0; i < children.size(); ++i)
		if (children[i]->m_parent == this)
			children[i]->collectRenderables(entries);
	if (entries.empty())
		return;

	core::vector3df topLeft(0.f, 0.f, 0.f);
	core::vector3df bottomRight(m_bounds.X, m_bounds.Y, m_bounds.Z);
	m_absoluteTransformation.transformVect(topLeft);
	m_absoluteTransformation.transformVect(bottomRight);
	core::rect<f32> clip(topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y);
	// A rotated or mirrored node turns the corners around.
	clip.repair();

	context.flush();
	for (u32 i = 0; i < entries.size(); ++i)
		entries[i].node->render(context, &clip);
	context.flush();
}

bool BaseNode::isPointInside(const core::vector3df& point) const
{
	core::vector3df local(point);
	core::matrix4 inverse;
	if (m_absoluteTransformation.getInverse(inverse))
		inverse.transformVect(local);
	return local.X > 0.f && local.X < m_bounds.X && local.Y > 0.f && local.Y < m_bounds.Y;
}

bool BaseNode::hitTest(const core::vector3df&) const
{
	return false;
}

BaseNode* BaseNode::hitTestSubtree(const core::vector3df& point)
{
	if (!m_visible || !m_canBeHit)
		return nullptr;
	if (hitTest(point))
		return this;
	for (u32 i = 0; i < m_children.size(); ++i)
		if (BaseNode* found = m_children[i]->hitTestSubtree(point))
			return found;
	return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Events.

const EventMap& BaseNode::getClassEventMap()
{
	static const EventMap& map = *new EventMap(makeEventMap(CEventReceiver::getClassEventMap(),
		{
			eventMapEntry<&BaseNode::onEvent34>(),
			eventMapEntry<&BaseNode::onEvent35>(),
			eventMapEntry<&BaseNode::onEvent36>(),
			eventMapEntry<&BaseNode::onEvent65>(),
			eventMapEntry<&BaseNode::onEvent66>(),
			eventMapEntry<&BaseNode::onEvent67>(),
			eventMapEntry<&BaseNode::onEvent68>(),
			eventMapEntry<&BaseNode::onEvent71>(),
			eventMapEntry<&BaseNode::onEvent75>(),
		}));
	return map;
}

bool BaseNode::routeUp(s32 mode, CEvent* event)
{
	if (!m_parent || !m_parent->acceptsEvent(event))
		return false;
	const CRefHolder<BaseNode> parent(m_parent);
	return parent->routeEvent(mode, event);
}

bool BaseNode::routeDown(s32 mode, CEvent* event)
{
	if (!event || m_children.empty())
		return false;
	const CChildSnapshot children(m_children);
	for (u32 i = children.size(); i-- > 0;)
	{
		BaseNode* child = children[i];
		// A child that an earlier handler took away is not offered the event.
		if (child->m_parent != this || !child->acceptsEvent(event))
			continue;
		if (child->routeEvent(mode, event))
			return true;
	}
	return false;
}

void BaseNode::postEvent(CEventReceiver* receiver, s32 mode, CEvent* event)
{
	if (!m_sceneManager || !receiver || !receiver->acceptsEvent(event))
		return;
	m_sceneManager->queueMessage(receiver, mode, event);
}

void BaseNode::postEventToParent(s32 mode, CEvent* event)
{
	postEvent(m_parent, mode, event);
}

bool BaseNode::onAttached(CEventNodeAttached*)
{
	return false;
}

bool BaseNode::onTemplatesChanged(CEventNodeTemplatesChanged*)
{
	return false;
}

bool BaseNode::onRefresh(CEventNodeRefresh*)
{
	return false;
}

bool BaseNode::onStateMessage(CEventNodeStateMessage*)
{
	return false;
}

bool BaseNode::onStateItemNotify(CEventNodeStateItemNotify*)
{
	return false;
}

bool BaseNode::onStateStarted(CEventNodeStateStarted*)
{
	return false;
}

bool BaseNode::onStateFinished(CEventNodeStateFinished* event)
{
	if (!m_currentState || event->getState() != m_currentState)
		return false;
	const s32 nextStateId = m_currentState->getNextStateId();
	const CRefHolder<BaseNode> self = holdForCall(this);
	const BaseNode* parentBefore = m_parent;
	bool consumed = false;
	{
		const CRefHolder<CEvent> ended = adoptRef<CEvent>(new CEventNodeStateEnded(this, event->getReportedStateId()));
		consumed = routeUp(ROUTE_SELF, ended.get());
	}
	// A parent that took the node out while handling the report has let it go; the references
	// left are those of the calls under way (this one, the dispatch), which a count cannot tell
	// from an owner's.
	const bool letGo = parentBefore && !m_parent;
	if (getReferenceCount() > 1 && !letGo && !consumed && !event->isStopped() && nextStateId != -1)
		enterState(nextStateId, nullptr, -1);
	return false;
}

bool BaseNode::onStateEnded(CEventNodeStateEnded* event)
{
	const BaseNode* child = event->getNode();
	if (!child || child->m_parent != this)
		return false;
	const auto pending = m_pendingChildren.find(event->getStateId());
	if (pending == m_pendingChildren.end() || pending->second <= 0)
		return false;
	if (--pending->second > 0)
		return false;
	const CRefHolder<BaseNode> self = holdForCall(this);
	const CRefHolder<CEvent> complete = adoptRef<CEvent>(new CEventNodeStateChangeComplete(this, event->getStateId()));
	if (!onEvent(complete.get()))
		routeUp(ROUTE_SELF, complete.get());
	return false;
}

bool BaseNode::onStateChangeComplete(CEventNodeStateChangeComplete*)
{
	return false;
}

// ---------------------------------------------------------------------------------------------
// States.

void BaseNode::setState(s32 stateId, StateFallback fallback)
{
	const CRefHolder<BaseNode> self = holdForCall(this);
	{
		const CRefHolder<CEvent> begun = adoptRef<CEvent>(new CEventNodeStateChangeBegun(this, stateId));
		onEvent(begun.get());
	}
	if (m_children.empty())
	{
		const CRefHolder<CEvent> complete = adoptRef<CEvent>(new CEventNodeStateChangeComplete(this, stateId));
		onEvent(complete.get());
		return;
	}
	m_pendingChildren[stateId] = static_cast<s32>(m_children.size());
	const CChildSnapshot children(m_children);
	for (u32 i = 0; i < children.size(); ++i)
		if (children[i]->m_parent == this)
			children[i]->enterState(stateId, fallback, -1);
}

void BaseNode::enterState(s32 stateId, StateFallback fallback, s32 reportedStateId)
{
	if (stateId == -1)
		return;
	const CNameTable& names = CNameTableSingleton::Instance();
	if (m_stateEntryDepth >= MAX_IMMEDIATE_STATE_ENTRIES)
	{
		// States that end at once and lead back to each other would recurse without end.
		logFormat(LOG_ERROR,
			"Node \"%s\": state \"%s\" not entered: %d state entries are already running inside each other "
			"(a cycle of next states or fallbacks that end at once)",
			getName().c_str(), names.lookup(stateId).c_str(), MAX_IMMEDIATE_STATE_ENTRIES);
		return;
	}
	const CRefHolder<BaseNode> self = holdForCall(this);
	const SStateEntryGuard entry(m_stateEntryDepth);
	if (reportedStateId == -1)
		reportedStateId = stateId;

	if (findState(stateId))
	{
		// The state left reports its end while it is still current. Whoever handles that report may
		// switch the node meanwhile; whatever it started is left too.
		for (s32 i = 0; m_currentState && i < MAX_IMMEDIATE_STATE_ENTRIES; ++i)
		{
			const CRefHolder<CAnimatorState> old = holdForCall(m_currentState);
			old->leave(false);
			if (m_currentState == old.get())
				m_currentState = nullptr;
		}
		// Those handlers may also have replaced the node's states.
		if (CAnimatorState* state = findState(stateId))
		{
			const CRefHolder<CAnimatorState> held = holdForCall(state);
			m_currentStateId = stateId;
			m_currentState = state;
			state->enter(getSceneTimerManager(), reportedStateId);
			return;
		}
	}
	else if (fallback)
	{
		const s32 replacement = fallback(stateId);
		if (replacement != -1)
		{
			enterState(replacement, fallback, reportedStateId);
			return;
		}
	}

	// Without such a state the parent still learns of its start and end, so that a change of state
	// applied to all its children can complete.
	const CRefHolder<CEvent> entered = adoptRef<CEvent>(new CEventNodeStateEntered(this, reportedStateId));
	routeUp(ROUTE_SELF, entered.get());
	const CRefHolder<CEvent> ended = adoptRef<CEvent>(new CEventNodeStateEnded(this, reportedStateId));
	routeUp(ROUTE_SELF, ended.get());
}

ITimerManager* BaseNode::getSceneTimerManager() const
{
	return m_scene && m_sceneManager ? m_sceneManager->getSceneTimerManager(m_scene) : nullptr;
}

CAnimatorState* BaseNode::findState(s32 stateId) const
{
	const auto found = m_states.find(stateId);
	return found == m_states.end() ? nullptr : found->second;
}

bool BaseNode::addState(CAnimatorState* state)
{
	if (!state || m_states.count(state->getNameId()) > 0)
		return false;
	state->grab();
	state->setTarget(this);
	m_states[state->getNameId()] = state;
	return true;
}

void BaseNode::stopState(s32 stateId, bool finish)
{
	const CRefHolder<CAnimatorState> state = holdForCall(findState(stateId));
	if (state)
		state->leave(finish);
}

void BaseNode::stopAllStates(bool finish)
{
	// Held: what leaving sets off may clear or replace the states.
	std::vector<CRefHolder<CAnimatorState>> states;
	states.reserve(m_states.size());
	for (const auto& entry : m_states)
		states.emplace_back(entry.second);
	for (const CRefHolder<CAnimatorState>& state : states)
		if (state->getTarget() == this)
			state->leave(finish);
}

void BaseNode::clearStates()
{
	std::map<s32, CAnimatorState*> states;
	states.swap(m_states);
	m_currentStateId = -1;
	m_currentState = nullptr;
	// Unbound first: a state still held elsewhere (a call under way) must not reach this node.
	for (const auto& entry : states)
	{
		entry.second->setTarget(nullptr);
		entry.second->drop();
	}
}

s32 BaseNode::getPendingChildCount(s32 stateId) const
{
	const auto found = m_pendingChildren.find(stateId);
	return found == m_pendingChildren.end() ? -1 : found->second;
}

// ---------------------------------------------------------------------------------------------
// Scene files.

void BaseNode::loadFromXml(IXMLReader* reader, CNodeFactory* factory)
{
	SLoadContext context;
	context.contentManager = getContentManager();
	context.factory = factory;
	loadFromXml(reader, context);
}

void BaseNode::loadFromXml(IXMLReader* reader, SLoadContext& context)
{
	removeAllChildren();
	clearStates();
	if (!reader)
		return;
	// An empty element has no closing tag; reading on would take in its siblings.
	if (reader->getNodeType() == XML_NODE_ELEMENT && reader->isEmptyElement())
	{
		onInit();
		return;
	}
	++context.nodeDepth;
	readChildElements(reader, SCENE_NODE_ELEMENT,
		[&](IXMLReader* child)
		{
			const core::stringw& name = child->getNodeName();
			if (name == PROPERTIES_ELEMENT)
			{
				const CRefHolder<CPropertyContainer> container = adoptRef(new CPropertyContainer(getContentManager()));
				container->readFromXml(child, false, PROPERTIES_ELEMENT);
				readProperties(container.get());
			}
			else if (name == STATES_ELEMENT)
				readStates(child);
			else if (name == SCENE_NODE_ELEMENT)
				loadChild(child, context);
		});
	--context.nodeDepth;
	onInit();
}

void BaseNode::loadChild(IXMLReader* reader, SLoadContext& context)
{
	const core::stringw& file = reader->getAttributeValue(fileAttribute());
	if (!file.empty())
	{
		const core::stringc fileName(file);
		// Such an element carries nothing else.
		skipXmlElement(reader);
		loadFileChild(fileName, context);
		return;
	}
	if (context.nodeDepth >= MAX_SCENE_NODE_NESTING)
	{
		logFormat(LOG_ERROR, "Scene nodes nested deeper than %d levels; the deeper nodes are skipped",
			MAX_SCENE_NODE_NESTING);
		skipXmlElement(reader);
		return;
	}
	BaseNode* child =
		createNodeForElement(reader, context.factory, ContentReference(getContentManager(), getEmptyStringC()));
	if (!child)
	{
		// The whole element goes, so that its content is not read as this node's.
		logFormat(LOG_WARNING, "Scene node of unknown class \"%s\" (override \"%s\") skipped",
			core::stringc(getSceneNodeTypeName(reader)).c_str(),
			core::stringc(reader->getAttributeValue(core::stringw(SCENE_NODE_CLASS_OVERRIDE_ATTRIBUTE))).c_str());
		skipXmlElement(reader);
		return;
	}
	addChild(child);
	child->loadFromXml(reader, context);
	child->drop();
}

void BaseNode::loadFileChild(const core::stringc& fileName, const SLoadContext& context)
{
	IContentManager* manager = context.contentManager;
	if (!manager)
	{
		logFormat(LOG_WARNING, "Scene file %s not loaded: the node has no content manager", fileName.c_str());
		return;
	}
	CContent* content = manager->getContentWithin(CONTENT_TYPE_SCENE_NODE, fileName, context);
	BaseNode* node = dynamic_cast<BaseNode*>(content);
	if (!node)
	{
		if (content)
			content->drop();
		logFormat(LOG_WARNING, "Scene file %s could not be loaded; no child is added for it", fileName.c_str());
		return;
	}
	addChild(node);
	node->drop();
}

void BaseNode::readStates(IXMLReader* reader)
{
	clearStates();
	readChildElements(reader, STATES_ELEMENT,
		[this](IXMLReader* child)
		{
			const core::stringw& name = child->getNodeName();
			if (name == PROPERTIES_ELEMENT)
			{
				const CRefHolder<CPropertyContainer> container = adoptRef(new CPropertyContainer(getContentManager()));
				container->readFromXml(child, false, PROPERTIES_ELEMENT);
				// Entered when the node is attached to a scene.
				if (container->indexOf(DEFAULT_STATE_PROPERTY) >= 0)
					m_currentStateId = propertyToNameId(container->get(DEFAULT_STATE_PROPERTY));
			}
			else if (name == STATE_ELEMENT)
			{
				CNameTable& names = CNameTableSingleton::Instance();
				const CRefHolder<CAnimatorState> state = adoptRef(
					new CAnimatorState(names.intern(core::stringc(child->getAttributeValue(stateNameAttribute())))));
				state->setNextStateId(names.intern(core::stringc(child->getAttributeValue(nextStateAttribute()))));
				state->loadFromXml(child, m_sceneManager, this, getContentManager());
				if (!addState(state.get()))
					logFormat(LOG_WARNING, "Node \"%s\": a second state named \"%s\" is ignored; the first is kept",
						getName().c_str(), state->getName().c_str());
			}
		});
}

void BaseNode::saveToXml(IXMLWriter* writer) const
{
	if (!writer || m_internal || m_transient)
		return;
	writer->writeElement(SCENE_NODE_ELEMENT, false, SCENE_NODE_TYPE_ATTRIBUTE, getTypeName());
	writer->writeLineBreak();

	const CRefHolder<CPropertyContainer> container = adoptRef(new CPropertyContainer(getContentManager()));
	writeProperties(container.get());
	if (container->getItemCount() > 0)
		container->writeToXml(writer, false, PROPERTIES_ELEMENT, true);

	if (!m_states.empty())
	{
		writer->writeElement(STATES_ELEMENT, false);
		writer->writeLineBreak();
		const CRefHolder<CPropertyContainer> defaults = adoptRef(new CPropertyContainer(getContentManager()));
		const core::stringc& currentName = CNameTableSingleton::Instance().lookup(m_currentStateId);
		if (!currentName.empty())
			defaults->addString(DEFAULT_STATE_PROPERTY, currentName);
		if (defaults->getItemCount() > 0)
			defaults->writeToXml(writer, false, PROPERTIES_ELEMENT, true);
		for (const auto& entry : m_states)
			entry.second->saveToXml(writer);
		writer->writeClosingTag(STATES_ELEMENT);
		writer->writeLineBreak();
	}

	for (u32 i = 0; i < m_children.size(); ++i)
		m_children[i]->saveToXml(writer);

	writer->writeClosingTag(SCENE_NODE_ELEMENT);
	writer->writeLineBreak();
}
} // namespace fw
