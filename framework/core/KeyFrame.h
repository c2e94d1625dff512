#pragma once

#include "core/CPropertyContainer.h"
#include "core/StateItem.h"

#include <utility>
#include <vector>

namespace fw
{
// One key of a key-frame item.
struct KeyFrameKey
{
	// One value per animated property, in the order of the item's properties; null for a property
	// whose type is unknown. A key read before the item had properties has none.
	std::vector<PropertyHolder> values;
	// Length of the segment that ends at this key; the first key's counts only in the times.
	u32 t = 0;
	// The key to continue at once this key is reached; -1 (or any index outside the keys) for none.
	s32 g = -1;
	// 0: the segment ending here is interpolated; -1: the values step to this key's when it is reached.
	s32 i = -1;
};

// Animates named properties of its target through a list of keys, stepping or interpolating the
// values over time in steps of its period. It reports once per start: at its first jump back to an
// earlier key (a loop, after which it runs on) or at its last key (after which it leaves its timer
// manager).
class KeyFrame : public Base
{
public:
	FW_STATE_ITEM_CLASS(KeyFrame, Base, STATE_ITEM_TYPE_KEY_FRAME, L"KeyFrame")
	static const PropertyTable& getClassPropertyTable();
	// Keys times animated properties: what one item may hold, against files that would exhaust
	// memory with a short text.
	static constexpr u32 MAX_VALUES = 1u << 18;

	KeyFrame();
	~KeyFrame() override;

	// Also finds the target's properties by name and rewinds.
	void setTarget(BaseNode* target) override;
	void seek(u32 time, bool apply) override;
	// The sum of the keys' times up to the current key, plus the time within it.
	u32 getCurrentTime() const override;
	u32 getDuration() const override;
	// With finish, shows the last key first.
	void stop(bool finish, bool report) override;

	bool onTimer(u32 elapsed) override;

	// Where seeking to time 0 goes; negative times count as 0.
	s32 getTimeShift() const { return m_timeShift; }
	void setTimeShift(s32 timeShift) { m_timeShift = timeShift > 0 ? timeShift : 0; }
	const std::vector<KeyFrameKey>& getKeys() const { return m_keys; }
	// Retimes the segment that ends at the key (a running item takes it from its next tick); false
	// past the keys.
	bool setKeyTime(u32 key, u32 t);
	// Replaces the key's value of the animated property by a copy of value, so that an owner can fit
	// an animation to the running game (a flight to a place known only then); false, changing
	// nothing, for a key or property the item lacks or a value of another type than the property's.
	bool setKeyValue(u32 key, u32 property, const IPropertyData* value);
	u32 getCurrentKey() const { return m_currentKey; }
	u32 getKeyTime() const { return m_keyTime; }
	// The animated properties with their current values; null when the item has none.
	CPropertyContainer* getProperties() const { return m_properties.get(); }
	// The index in the target's property table of the animated property, -1 when it has none.
	s32 getPropertyIndex(u32 property) const;

protected:
	// The "Properties" element and the "KeyFrame" keys.
	void readElements(IXMLReader* reader, IContentManager* contentManager, const core::stringw& elementName) override;
	void writeElements(IXMLWriter* writer, const core::stringw& elementName) const override;
	void copyFrom(const Base* source) override;

private:
	// "Period" as files hold it: a value below 1 ms is refused with a warning.
	s32 getPeriodProperty() const;
	void setPeriodProperty(s32 period);
	// "TimeShift" as files hold it: a negative value counts as 0, with a warning.
	void setTimeShiftProperty(s32 timeShift);

	bool hasNextKey() const { return m_currentKey + 1 < m_keys.size(); }
	// Moves through the keys that the key time has passed; true when it jumped back to an earlier key.
	bool advanceKeys();
	void applyKey(u32 key);
	void interpolateKeys(u32 key, u32 keyTime);
	// False, reading nothing, when the key would take the item past MAX_VALUES.
	bool readKey(IXMLReader* reader, const std::vector<core::stringw>& valueAttributes);

	std::vector<s32> m_propertyIndexes;
	std::vector<KeyFrameKey> m_keys;
	u32 m_currentKey = 0;
	u32 m_keyTime = 0;
	CRefHolder<CPropertyContainer> m_properties;
	s32 m_timeShift = 0;
	// Keys reached by a jump back during one advance, with the key time left then.
	std::vector<std::pair<u32, u32>> m_jumpTargets;
};
} // namespace fw
