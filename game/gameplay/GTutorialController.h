#pragma once

// Runs a tutorial file in a scene: shows its hints one after another in a window made from the
// "TutorialWindow" template, points with copies of the "TutorialArrow" template, and offers the
// scene's presses and messages to the shown hint's actions before the scene sees them. The scene
// adds the controller to the pre-listener lists of the receivers the hints need and removes it
// before releasing it.

#include "core/CEventReceiver.h"
#include "core/CRefHolder.h"
#include "gameplay/GTutorialHint.h"

namespace fw
{
class BaseNode;
class ButtonNode;
class CDeviceStub;
class IXMLReader;
class TextNode;
} // namespace fw

class GTutorialController : public fw::CEventReceiver
{
public:
	// Either may be null: the controller then has no window and no hints.
	GTutorialController(fw::BaseNode* owner, fw::BaseNode* templateCollection);
	~GTutorialController() override;

	// Reads the file into the hint list when there is one (false otherwise); keeps the level
	// receiver (null in scenes without a level) in both cases.
	bool load(fw::IXMLReader* reader, fw::CEventReceiver* levelReceiver);
	void skipTutorialHints() { m_skipTutorial = true; }
	void skipTips() { m_skipTips = true; }
	void start();
	// False once no hint is left; the window and arrows are gone then.
	bool update(fw::u32 ms);
	// Unregisters from the device and ends the tutorial without ending the hint's actions.
	void stop();

	bool onEvent(fw::CEvent* event) override;

	bool isCurrentTip() const { return m_currentIsTip; }
	fw::s32 getCurrentHint() const { return m_currentHint; }
	fw::u32 getHintCount() const { return m_hints ? m_hints->Hints.size() : 0; }
	fw::BaseNode* getWindow() const { return m_window.get(); }
	fw::BaseNode* getArrowNode() const { return m_arrowNode.get(); }

private:
	bool hasCurrentHint() const;
	GTutorialHint* currentHint() const;
	void showHintWindow();
	void showWindowFor(const GTutorialHint& hint);
	void showArrowsFor(const GTutorialHint& hint);
	void removeNodes();
	bool offerToActions(GTutorialHint* hint, fw::CEvent* event);
	void sendResume();
	fw::CDeviceStub* device() const;

	fw::CEventReceiver* m_level = nullptr;
	fw::CRefHolder<GTutorialHintList> m_hints;
	fw::s32 m_currentHint = 0;
	fw::BaseNode* m_owner;
	fw::CRefHolder<fw::BaseNode> m_arrowNode;
	fw::CRefHolder<fw::BaseNode> m_arrowTemplate;
	fw::CRefHolder<fw::BaseNode> m_window;
	fw::TextNode* m_text = nullptr;
	fw::ButtonNode* m_skipButton = nullptr;
	fw::BaseNode* m_skipHighlight = nullptr;
	bool m_confirmed = false;
	bool m_currentIsTip = false;
	bool m_skipTutorial = false;
	bool m_skipTips = false;
	// A hint change runs once at a time: an action's request may come back through the level to
	// this controller.
	bool m_updating = false;
	// The last press held back; a press that climbs through several receivers this controller
	// listens to plays the miss sound once. Held so that its address is not reused meanwhile.
	fw::CRefHolder<fw::CEvent> m_lastHeldBack;
};
