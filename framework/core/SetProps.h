#pragma once

#include "core/CPropertyContainer.h"
#include "core/StateItem.h"

namespace fw
{
// Sets listed properties of its target to fixed values whenever it is positioned with apply: on
// entry as a start item, at the end as an end item. It has no time of its own.
class SetProps : public Base
{
public:
	FW_STATE_ITEM_CLASS(SetProps, Base, STATE_ITEM_TYPE_SET_PROPS, L"SetProps")

	SetProps();
	~SetProps() override;

	// Also finds the target's properties by name.
	void setTarget(BaseNode* target) override;
	void seek(u32 time, bool apply) override;
	u32 getCurrentTime() const override { return 0; }
	u32 getDuration() const override { return 0; }

	CPropertyContainer* getValues() const { return m_values.get(); }
	// The index in the target's property table of the value's property, -1 when it has none.
	s32 getPropertyIndex(u32 value) const;

protected:
	// The values, one property element each.
	void readElements(IXMLReader* reader, IContentManager* contentManager, const core::stringw& elementName) override;
	void writeElements(IXMLWriter* writer, const core::stringw& elementName) const override;
	void copyFrom(const Base* source) override;

private:
	core::array<s32> m_propertyIndexes;
	CRefHolder<CPropertyContainer> m_values;
};
} // namespace fw
