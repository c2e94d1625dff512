#include "core/KeyFrame.h"

#include "core/BaseNode.h"
#include "core/CLogger.h"
#include "core/ITimerManager.h"
#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"
#include "core/PropertyAccessors.h"
#include "core/SceneFile.h"
#include "core/XMLElements.h"

#include <algorithm>
#include <limits>

namespace fw
{
namespace
{
const wchar_t* const PROPERTIES_ELEMENT = L"Properties";
const wchar_t* const KEY_ELEMENT = L"KeyFrame";

// Attribute names of the keys, kept for the life of the process.
struct SAttributeNames
{
	const core::stringw t = L"t";
	const core::stringw g = L"g";
	const core::stringw i = L"i";
};

const SAttributeNames& attributes()
{
	static const SAttributeNames& names = *new SAttributeNames;
	return names;
}

core::stringw numberText(s64 value)
{
	return core::stringw(std::to_wstring(value).c_str());
}

u32 clampedTime(u64 time)
{
	return time > std::numeric_limits<u32>::max() ? std::numeric_limits<u32>::max() : static_cast<u32>(time);
}
} // namespace

KeyFrame::KeyFrame() = default;

KeyFrame::~KeyFrame() = default;

const PropertyTable& KeyFrame::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable<KeyFrame>(Base::getClassPropertyTable(),
		{
			makeProperty<&KeyFrame::setPeriodProperty, &KeyFrame::getPeriodProperty>("Period").stored(),
			makeProperty<&KeyFrame::setTimeShiftProperty, &KeyFrame::getTimeShift>("TimeShift").stored(),
		});
	return table;
}

s32 KeyFrame::getPeriodProperty() const
{
	const u32 period = getPeriod();
	return period > static_cast<u32>(std::numeric_limits<s32>::max()) ? std::numeric_limits<s32>::max()
																	  : static_cast<s32>(period);
}

void KeyFrame::setPeriodProperty(s32 period)
{
	if (period < 1)
		logFormat(LOG_WARNING, "Key-frame item: Period %d is below 1 ms; %u ms is used", period, DEFAULT_PERIOD);
	setPeriod(period < 1 ? DEFAULT_PERIOD : static_cast<u32>(period));
}

void KeyFrame::setTimeShiftProperty(s32 timeShift)
{
	if (timeShift < 0)
		logFormat(LOG_WARNING, "Key-frame item: TimeShift %d is negative; 0 is used", timeShift);
	setTimeShift(timeShift);
}

s32 KeyFrame::getPropertyIndex(u32 property) const
{
	return property < m_propertyIndexes.size() ? m_propertyIndexes[property] : -1;
}

void KeyFrame::setTarget(BaseNode* target)
{
	Base::setTarget(target);
	if (!target || !m_properties)
		return;
	const PropertyTable& table = target->getPropertyTable();
	const u32 count = m_properties->getItemCount();
	m_propertyIndexes.assign(count, -1);
	for (u32 n = 0; n < count; ++n)
		m_propertyIndexes[n] = findPropertyIndex(table, m_properties->getNameAt(static_cast<s32>(n)));
	m_currentKey = 0;
	m_keyTime = 0;
}

bool KeyFrame::advanceKeys()
{
	bool looped = false;
	m_jumpTargets.clear();
	const u32 count = static_cast<u32>(m_keys.size());
	while (m_currentKey + 1 < count && m_keyTime >= m_keys[m_currentKey + 1].t)
	{
		const u32 reached = m_currentKey + 1;
		m_keyTime -= m_keys[reached].t;
		m_currentKey = reached;
		const s32 jump = m_keys[reached].g;
		if (jump < 0 || static_cast<u32>(jump) >= count)
			continue;
		m_currentKey = static_cast<u32>(jump);
		if (m_currentKey >= reached)
			continue;
		looped = true;
		// Coming back to a key already reached by a jump closes a cycle. A cycle that takes no time
		// would never end: it stops here. Any other is passed as often as the key time allows at
		// once, so that a long time over a short cycle costs no more than one pass.
		const auto seen = std::find_if(m_jumpTargets.begin(), m_jumpTargets.end(),
			[this](const std::pair<u32, u32>& entry) { return entry.first == m_currentKey; });
		if (seen == m_jumpTargets.end())
		{
			m_jumpTargets.emplace_back(m_currentKey, m_keyTime);
			continue;
		}
		const u32 cycle = seen->second - m_keyTime;
		if (cycle == 0)
			break;
		m_keyTime %= cycle;
		seen->second = m_keyTime;
	}
	return looped;
}

void KeyFrame::applyKey(u32 key)
{
	BaseNode* target = getTarget();
	if (!target || !m_properties || key >= m_keys.size())
		return;
	// A setter may release the node, this item or its state; and it may let this item go.
	const CRefHolder<Base> self = holdForCall<Base>(this);
	const CRefHolder<BaseNode> heldTarget = holdForCall(target);
	const CRefHolder<CPropertyContainer> properties(m_properties);
	const PropertyTable& table = target->getPropertyTable();
	for (u32 n = 0; n < m_propertyIndexes.size(); ++n)
	{
		if (getTarget() != target || m_properties != properties || key >= m_keys.size())
			return;
		const s32 index = m_propertyIndexes[n];
		const std::vector<PropertyHolder>& values = m_keys[key].values;
		if (index < 0 || static_cast<u32>(index) >= table.size() || n >= values.size() || !values[n])
			continue;
		properties->setAt(static_cast<s32>(n), cloneHolderValue(values[n]));
		table[static_cast<u32>(index)].setter(target, properties->getValueAt(static_cast<s32>(n)));
	}
}

void KeyFrame::interpolateKeys(u32 key, u32 keyTime)
{
	if (key + 1 >= m_keys.size() || keyTime == 0)
	{
		applyKey(key);
		return;
	}
	const KeyFrameKey& next = m_keys[key + 1];
	if (keyTime >= next.t)
	{
		applyKey(key + 1);
		return;
	}
	BaseNode* target = getTarget();
	if (next.i != 0 || !target || !m_properties)
		return;
	const f32 fraction = static_cast<f32>(keyTime) / static_cast<f32>(next.t);
	const CRefHolder<Base> self = holdForCall<Base>(this);
	const CRefHolder<BaseNode> heldTarget = holdForCall(target);
	const CRefHolder<CPropertyContainer> properties(m_properties);
	const PropertyTable& table = target->getPropertyTable();
	for (u32 n = 0; n < m_propertyIndexes.size(); ++n)
	{
		if (getTarget() != target || m_properties != properties || key + 1 >= m_keys.size())
			return;
		const s32 index = m_propertyIndexes[n];
		const std::vector<PropertyHolder>& from = m_keys[key].values;
		const std::vector<PropertyHolder>& to = m_keys[key + 1].values;
		if (index < 0 || static_cast<u32>(index) >= table.size() || n >= from.size() || n >= to.size() || !from[n] ||
			!to[n])
			continue;
		const PropertyHolder out = properties->getValueAt(static_cast<s32>(n));
		if (out && from[n]->interpolate(to[n].get(), out.get(), fraction))
			table[static_cast<u32>(index)].setter(target, out);
	}
}

void KeyFrame::seek(u32 time, bool apply)
{
	m_currentKey = 0;
	m_keyTime = time == 0 ? static_cast<u32>(m_timeShift) : time;
	advanceKeys();
	if (!m_properties || m_properties->getItemCount() == 0 || !apply || !getTarget())
		return;
	if (m_keyTime != 0 && hasNextKey() && m_keys[m_currentKey + 1].i == -1)
		applyKey(m_currentKey);
	else
		interpolateKeys(m_currentKey, m_keyTime);
}

bool KeyFrame::onTimer(u32 elapsed)
{
	ITimerManager* manager = getManager();
	if (!getTarget() || !manager)
		return true;
	const CRefHolder<Base> self = holdForCall<Base>(this);
	const u32 remembered = m_currentKey;
	m_keyTime = clampedTime(static_cast<u64>(m_keyTime) + elapsed);
	const bool looped = advanceKeys();
	const bool lastReached = !hasNextKey();
	if (!lastReached)
	{
		if (m_keys[m_currentKey + 1].i == -1 && m_currentKey != remembered)
			applyKey(m_currentKey);
		else
			interpolateKeys(m_currentKey, m_keyTime);
	}
	else
	{
		if (!m_keys.empty())
			applyKey(static_cast<u32>(m_keys.size() - 1));
		setManager(nullptr);
	}
	if (isRunning() && (looped || lastReached))
		notifyOwner(m_keyTime, looped);
	// An item started again during its report (its state entered anew) keeps its place here.
	return getManager() == manager;
}

bool KeyFrame::setKeyValue(u32 key, u32 property, const IPropertyData* value)
{
	if (!value || key >= m_keys.size() || !m_properties || property >= m_properties->getItemCount())
		return false;
	const PropertyHolder current = m_properties->getValueAt(static_cast<s32>(property));
	if (!current || current->getTypeId() != value->getTypeId())
		return false;
	std::vector<PropertyHolder>& values = m_keys[key].values;
	if (property >= values.size())
		return false;
	values[property] = adoptRef(value->clone());
	// Interpolations from and to the key are prepared anew, as after reading.
	if (key > 0 && property < m_keys[key - 1].values.size() && m_keys[key - 1].values[property])
		m_keys[key - 1].values[property]->prepareInterpolation(values[property].get());
	if (key + 1 < m_keys.size() && property < m_keys[key + 1].values.size() && m_keys[key + 1].values[property])
		values[property]->prepareInterpolation(m_keys[key + 1].values[property].get());
	return true;
}

u32 KeyFrame::getCurrentTime() const
{
	u64 time = m_keyTime;
	for (u32 k = 0; k < m_keys.size() && k <= m_currentKey; ++k)
		time += m_keys[k].t;
	return clampedTime(time);
}

u32 KeyFrame::getDuration() const
{
	u64 time = 0;
	for (const KeyFrameKey& key : m_keys)
		time += key.t;
	return clampedTime(time);
}

bool KeyFrame::setKeyTime(u32 key, u32 t)
{
	if (key >= m_keys.size())
		return false;
	m_keys[key].t = t;
	return true;
}

void KeyFrame::stop(bool finish, bool report)
{
	if (finish && !m_keys.empty())
		applyKey(static_cast<u32>(m_keys.size() - 1));
	Base::stop(finish, report);
}

void KeyFrame::readElements(IXMLReader* reader, IContentManager* contentManager, const core::stringw& elementName)
{
	m_keys.clear();
	m_properties.release();
	m_propertyIndexes.clear();
	m_currentKey = 0;
	m_keyTime = 0;
	if (!reader)
		return;

	std::vector<core::stringw> valueAttributes;
	bool keysDropped = false;
	readChildElements(reader, elementName,
		[&](IXMLReader* child)
		{
			const core::stringw& name = child->getNodeName();
			if (name == PROPERTIES_ELEMENT)
			{
				m_properties = adoptRef(new CPropertyContainer(contentManager));
				m_properties->readFromXml(child, false, PROPERTIES_ELEMENT);
				valueAttributes.clear();
				for (u32 n = 0; n < m_properties->getItemCount(); ++n)
					valueAttributes.push_back(core::stringw(L"Value") + numberText(n));
				return;
			}
			if (name == KEY_ELEMENT && !readKey(child, valueAttributes) && !keysDropped)
			{
				keysDropped = true;
				logFormat(LOG_ERROR,
					"Key-frame item: more than %u key values (%u properties per key); the keys after key %u are dropped",
					MAX_VALUES, m_properties->getItemCount(), static_cast<u32>(m_keys.size()));
			}
			skipXmlElement(child);
		});

	for (size_t k = 1; k < m_keys.size(); ++k)
	{
		const std::vector<PropertyHolder>& from = m_keys[k - 1].values;
		const std::vector<PropertyHolder>& to = m_keys[k].values;
		for (size_t n = 0; n < from.size() && n < to.size(); ++n)
			if (from[n] && to[n])
				from[n]->prepareInterpolation(to[n].get());
	}
	// Reloaded while bound: the properties are those of the new file.
	if (getTarget())
		setTarget(getTarget());
}

bool KeyFrame::readKey(IXMLReader* reader, const std::vector<core::stringw>& valueAttributes)
{
	const u32 propertyCount = m_properties ? m_properties->getItemCount() : 0;
	if (propertyCount > 0 && (m_keys.size() + 1) * propertyCount > MAX_VALUES)
		return false;
	KeyFrameKey key;
	const s32 t = reader->getAttributeValueAsInt(attributes().t, 0);
	if (t < 0)
		logFormat(LOG_WARNING, "Key-frame item: key %u has the negative time %d; 0 is used",
			static_cast<u32>(m_keys.size()), t);
	key.t = t < 0 ? 0u : static_cast<u32>(t);
	key.g = reader->getAttributeValueAsInt(attributes().g, -1);
	key.i = reader->getAttributeValueAsInt(attributes().i, -1) == 0 ? 0 : -1;
	key.values.reserve(propertyCount);
	for (u32 n = 0; n < propertyCount; ++n)
	{
		PropertyHolder value = cloneHolderValue(m_properties->getValueAt(static_cast<s32>(n)));
		if (value)
			value->fromStringW(reader->getAttributeValue(valueAttributes[n]));
		key.values.push_back(value);
	}
	m_keys.push_back(std::move(key));
	return true;
}

void KeyFrame::writeElements(IXMLWriter* writer, const core::stringw&) const
{
	// A key's values are numbered by the properties the file holds. A container leaves out values
	// that are null and the reader drops unnamed ones, so such properties are left out of the keys
	// too, or every later value would land on the property before its own. A property whose
	// current value is null but whose keys hold values is written with its first key value.
	std::vector<u32> written;
	const CRefHolder<CPropertyContainer> properties = adoptRef(new CPropertyContainer(nullptr));
	for (u32 n = 0; m_properties && n < m_properties->getItemCount(); ++n)
	{
		const core::stringc& name = m_properties->getNameAt(static_cast<s32>(n));
		PropertyHolder value = m_properties->getValueAt(static_cast<s32>(n));
		for (size_t k = 0; !value && k < m_keys.size(); ++k)
			if (n < m_keys[k].values.size())
				value = m_keys[k].values[n];
		if (name.empty() || !value)
			continue;
		properties->add(name, value);
		written.push_back(n);
	}
	if (properties->getItemCount() > 0)
		properties->writeToXml(writer, false, PROPERTIES_ELEMENT, true);

	core::array<core::stringw> names;
	core::array<core::stringw> values;
	for (const KeyFrameKey& key : m_keys)
	{
		if (key.values.empty())
			continue;
		names.clear();
		values.clear();
		names.push_back(attributes().t);
		values.push_back(numberText(key.t));
		if (key.g != -1)
		{
			names.push_back(attributes().g);
			values.push_back(numberText(key.g));
		}
		if (key.i != -1)
		{
			names.push_back(attributes().i);
			values.push_back(numberText(key.i));
		}
		for (size_t w = 0; w < written.size(); ++w)
		{
			const u32 n = written[w];
			names.push_back(core::stringw(L"Value") + numberText(static_cast<s64>(w)));
			values.push_back(n < key.values.size() && key.values[n] ? key.values[n]->toStringW() : core::stringw());
		}
		writer->writeElement(KEY_ELEMENT, true, names, values);
		writer->writeLineBreak();
	}
}

void KeyFrame::copyFrom(const Base* source)
{
	const KeyFrame* from = static_cast<const KeyFrame*>(source);
	if (from->m_properties)
		m_properties = adoptRef(from->m_properties->clone());
	// Key values never change after loading: the copy shares them.
	m_keys = from->m_keys;
}
} // namespace fw
