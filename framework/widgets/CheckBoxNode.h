#pragma once

#include "widgets/ButtonNode.h"

namespace fw
{
// The look a check box asks for in place of a check look its nodes lack, then the control's; -1
// for none.
s32 checkBoxStateFallback(s32 stateId);

// A button with a checked flag. A click toggles the flag and queues the value-changed event for
// the parent; the look is one of twelve states chosen from the checked, enabled, focused and
// hovered flags, whose check states fall back to more general ones, so that a template may define
// only "Normal", "NormalCheck" and the plain control looks. Holding the button down changes no look.
class CheckBoxNode : public ButtonNode
{
public:
	FW_NODE_CLASS(CheckBoxNode, ButtonNode, NODE_TYPE_CHECK_BOX, L"CheckBoxNode")
	static const PropertyTable& getClassPropertyTable();

	CheckBoxNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);

	// The control's press, then the toggle; false, changing nothing, while a press is in progress.
	bool click() override;
	void instantiateTemplate() override;
	void startPressLook() override;
	void restoreLook() override {}
	void updateDownLook() override {}
	void updateHoverLook() override;
	void updateFocusLook() override;
	// Enters the look of the four flags.
	virtual void updateCheckLook();

	// Queues nothing.
	void setChecked(bool checked);
	bool isChecked() const { return m_checked; }

private:
	void askCheckLook(s32 lookId);

	bool m_checked = false;
};
} // namespace fw
