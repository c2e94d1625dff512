// Edit fields: masks and limits on what may be typed, the editing keys and the caret over plain,
// wrapped and centred texts, clicks, the key lock after a new text and the value-changed reports.
// The text uses the monospaced test font: 10 pixels a character, 20 a line.

#include "DisplayTestSupport.h"
#include "WidgetTestSupport.h"

#include "core/CEventInput.h"
#include "platform/CDeviceStub.h"
#include "platform/IMonotonicClock.h"
#include "widgets/EditNode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace fw;
using namespace fw::widgettest;

namespace
{
const char* const TEMPLATES = R"(<SceneNode Type="TemplateCollectionNode">
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Edit" /></Properties>
		<SceneNode Type="TextNode"><Properties><string Name="Name" Value="Text" />
			<vector3d Name="Position" Value="20;10;0" /><vector3d Name="Bounds" Value="100;100;0" /></Properties>
			<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Cursor" /></Properties></SceneNode>
		</SceneNode>
	</SceneNode>
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Blank" /></Properties>
		<SceneNode Type="SpriteNode"><Properties><string Name="Name" Value="Text" /></Properties></SceneNode>
	</SceneNode>
</SceneNode>)";

const u32 BACK = 8, RETURN = 13, END = 35, HOME = 36, LEFT = 37, UP = 38, RIGHT = 39, DOWN = 40, DEL = 46;

class CHandClock : public IMonotonicClock
{
public:
	u64 getMilliseconds() const override { return now; }
	void sleep(u32 milliseconds) override { now += milliseconds; }
	bool waitUntil(u64 deadline, s32) override
	{
		if (deadline > now)
			now = deadline;
		return false;
	}
	u64 now = 1000;
};

// A device with no window, for its clock.
class CWindowlessDevice : public CDeviceStub
{
public:
	using CDeviceStub::CDeviceStub;
	bool isWindowActive() const override { return true; }
	bool isWindowFocused() const override { return true; }
	bool isWindowMinimized() const override { return false; }
	ICursorControl* getCursorControl() const override { return nullptr; }
	void setWindowCaption(const wchar_t*) override {}
	void setResizable(bool) override {}
	bool openURL(const c8*) override { return false; }
};

class EditFields : public displaytest::DisplayContent
{
protected:
	EditFields() :
		factory(makeFactory()),
		scenes(adoptRef(new SceneManager)),
		clock(adoptRef(new CHandClock)),
		device(adoptRef<CDeviceStub>(new CWindowlessDevice(clock.get()))),
		mono(font("fonts/Mono.ofnt"))
	{
		templates = loadFixtureAs<TemplateCollectionNode>(factory.get(), "EditTemplates.oscn", TEMPLATES);
		scene = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
		scenes->setServices(device->getServices());
		scenes->setTemplateCollection(templates.get());
		scenes->setActiveScene(scene.get());
		scenes->processMessageQueue();
		// The scene's way in ends on its timers; input reaches it after that.
		if (CTimerManager* timers = dynamic_cast<CTimerManager*>(scene->getTimerManager()))
			timers->update(0);
		scenes->processMessageQueue();
	}
	~EditFields() override
	{
		reporting.reset();
		scenes->setActiveScene(nullptr);
		scenes->processMessageQueue();
	}

	// A field showing the text with the test font, past its key lock.
	EditNode* add(const wchar_t* text = L"", bool wrap = false, s32 hAlign = 1, s32 vAlign = 1)
	{
		EditNode* edit = new EditNode(ContentReference(), scene.get(), nullptr);
		edit->drop();
		edit->setName("Edit");
		edit->setTemplateName("Edit");
		TextNode* child = edit->getTextChild();
		EXPECT_TRUE(child);
		if (!child)
			return edit;
		child->setFont(mono.get());
		child->setWordWrap(wrap);
		child->setTextHAlign(hAlign);
		child->setTextVAlign(vAlign);
		edit->setText(text);
		pass(101);
		refresh();
		reports();
		return edit;
	}
	void pass(u32 milliseconds)
	{
		clock->now += milliseconds;
		device->getTimer()->tick();
	}
	void refresh()
	{
		RenderList frame;
		scene->collectRenderables(frame);
	}
	static bool press(EditNode* edit, u32 key, wchar_t character = 0)
	{
		const CRefHolder<CEventInputKeyDown> event = adoptRef(new CEventInputKeyDown(character, key, false, false));
		return edit->onKeyDown(event.get());
	}
	static void type(EditNode* edit, const wchar_t* text)
	{
		for (; *text; ++text)
			press(edit, 65, *text);
	}
	// The number of value changes that reached the scene since the last call.
	size_t reports()
	{
		if (!reporting)
			reporting.reset(new CReporting(scene.get(), log, "Scene"));
		scenes->processMessageQueue();
		const size_t count = log.size();
		log.clear();
		return count;
	}
	static std::string text(const EditNode* edit) { return core::stringc(edit->getText()).c_str(); }
	static std::string caret(const EditNode* edit)
	{
		return std::to_string(edit->getCaretLine()) + ":" + std::to_string(edit->getCaretColumn());
	}

	CRefHolder<CNodeFactory> factory;
	CRefHolder<SceneManager> scenes;
	CRefHolder<CHandClock> clock;
	CRefHolder<CDeviceStub> device;
	CRefHolder<BitmapFont> mono;
	CRefHolder<TemplateCollectionNode> templates;
	CRefHolder<SceneNode> scene;
	std::vector<std::string> log;
	std::unique_ptr<CReporting> reporting;
};

TEST(EditMask, TheMaskLettersSelectTheirClasses)
{
	struct SCase
	{
		const char* mask;
		std::wstring allowed, refused;
	};
	const SCase cases[] = {
		{"", std::wstring(L"a5 .\x1B\n\t\x00E9", 8), L""},
		{"0", L"0759\x0663\xFF15", L"a .\n\t"},
		{"A", L"aZ\x00E9\x00C6\x0416\x03A9\x05D0\x4E2D", L"5 ._\n"},
		{"a", L"q", L"1"},
		{"S", L" \t\x00A0", L"a5\n."},
		{"T", L"\t", L" a"},
		{"R", L"\r\n", L" a\t"},
		{"0a", L"3b", L" ."},
		{"x?!", L"", L"a5 \t\n.!"},
	};
	for (const SCase& c : cases)
	{
		const CRefHolder<EditNode> edit = adoptRef(new EditNode(ContentReference(), nullptr, nullptr));
		edit->setInputMask(c.mask);
		EXPECT_EQ(std::string(c.mask), edit->getInputMask().c_str());
		for (const wchar_t ch : c.allowed)
			EXPECT_TRUE(edit->isCharAllowed(ch)) << "mask \"" << c.mask << "\" char " << static_cast<int>(ch);
		for (const wchar_t ch : c.refused)
			EXPECT_FALSE(edit->isCharAllowed(ch)) << "mask \"" << c.mask << "\" char " << static_cast<int>(ch);
	}
	const CRefHolder<EditNode> edit = adoptRef(new EditNode(ContentReference(), nullptr, nullptr));
	edit->setInputMask("tR0");
	EXPECT_EQ(EditNode::MASK_TABS | EditNode::MASK_LINE_BREAKS | EditNode::MASK_DIGITS, edit->getMaskClasses());
	EXPECT_EQ(std::string("tR0"), edit->getInputMask().c_str()) << "as set, not as parsed";
	edit->setInputMask("");
	EXPECT_EQ(-1, edit->getMaskClasses());
}

TEST_F(EditFields, TypedCharactersGoThroughTheMaskAndTheLimit)
{
	struct SCase
	{
		const char* what;
		const char* mask;
		s32 maxLength;
		const wchar_t* typed;
		bool withReturn;
		const char* expected;
	};
	const SCase cases[] = {
		{"no mask: anything the font draws (not Escape), and Return", "", -1, L"a1 \x1B", true, "a1 \n"},
		{"digits only", "0", -1, L"a1b2", true, "12"},
		{"line breaks only: Return and typed CR and LF", "R", -1, L"a\rb\n", true, "\r\n\n"},
		{"tabs only, which this font does not draw", "T", -1, L"a \t", false, ""},
		{"blanks: the space (the font has no tab)", "S", -1, L"a \tb", false, " "},
		{"a mask without a known letter: nothing", "?", -1, L"a1 ", true, ""},
		{"eight at most", "", 8, L"abcdefghij", true, "abcdefgh"},
		{"none at all", "", 0, L"ab", true, ""},
		{"a negative limit other than -1: none", "", -3, L"ab", true, ""},
	};
	for (const SCase& c : cases)
	{
		EditNode* edit = add();
		edit->setInputMask(c.mask);
		edit->setMaxTextLength(c.maxLength);
		type(edit, c.typed);
		if (c.withReturn)
			press(edit, RETURN, L'\r');
		EXPECT_EQ(std::string(c.expected), text(edit)) << c.what;
		EXPECT_EQ(core::stringc(edit->getText()), core::stringc(edit->getTextChild()->getText())) << c.what;
		EXPECT_EQ(core::stringw(c.expected).size(), reports()) << c.what << ": one report per change";
		scene->removeChild(edit);
	}

	// A refused character goes to the control's keys: not taken here, as nothing is to navigate to.
	EditNode* digits = add();
	digits->setInputMask("0");
	EXPECT_FALSE(press(digits, 65, L'a'));
	EXPECT_TRUE(press(digits, 49, L'1'));
	EXPECT_TRUE(press(digits, 13, 0)) << "Return without R: taken, nothing";
	EXPECT_EQ("1", text(digits));

	// Lowering the limit below the text keeps it; deleting still works, inserting does not.
	EditNode* full = add(L"abcd");
	full->setMaxTextLength(2);
	EXPECT_EQ("abcd", text(full));
	press(full, END);
	EXPECT_TRUE(press(full, 66, L'x'));
	EXPECT_EQ(0u, reports()) << "a refused character reports nothing";
	press(full, BACK);
	EXPECT_EQ("abc", text(full));
}

TEST_F(EditFields, WhatIsTypedIsWhatTheFontDrawsAndASingleLineTakesNoBreak)
{
	// The test font draws the small letters, the digits, the space, "#" and "%".
	struct SCase
	{
		const char* what;
		bool singleLine;
		const wchar_t* typed;
		bool withReturn;
		const char* expected;
	};
	const SCase cases[] = {
		{"letters the font lacks", false, L"a\u017B\u00F3b\u03A9C\u0416", false, "ab"},
		{"control characters", false, L"a\x1B\tb\x7F", false, "ab"},
		{"line breaks stay the layout's in a field of lines", false, L"a\rb", true, "a\rb\n"},
		{"a single line: no Return", true, L"ab", true, "ab"},
		{"a single line: no typed CR or LF", true, L"a\r\nb", false, "ab"},
		{"a single line still takes the space and what the font draws", true, L"a b#%", true, "a b#%"},
	};
	for (const SCase& c : cases)
	{
		EditNode* edit = add();
		edit->setSingleLine(c.singleLine);
		type(edit, c.typed);
		if (c.withReturn)
		{
			EXPECT_TRUE(press(edit, RETURN, L'\r')) << c.what << ": Return is taken either way";
		}
		EXPECT_EQ(std::string(c.expected), text(edit)) << c.what;
		EXPECT_EQ(core::stringw(c.expected).size(), reports()) << c.what << ": refusals report nothing";
		if (c.singleLine)
		{
			EXPECT_EQ(1u, edit->getTextChild()->getLayout().getLines().size()) << c.what;
		}
		scene->removeChild(edit);
	}

	// The question the field answers for a typed character.
	EditNode* single = add();
	single->setSingleLine(true);
	for (const wchar_t refused : {L'\r', L'\n', L'A', L'\x017B', L'\t'})
		EXPECT_FALSE(single->isCharAllowed(refused)) << static_cast<int>(refused);
	EXPECT_TRUE(single->isCharAllowed(L'z'));
	single->setInputMask("R");
	EXPECT_FALSE(single->isCharAllowed(L'\n')) << "no mask opens a single line";

	// Stored and copied with the field.
	EXPECT_FALSE(add()->isSingleLine());
	const std::vector<std::string> written = writtenProperties(single);
	EXPECT_NE(written.end(), std::find(written.begin(), written.end(), "SingleLine"));
	const CRefHolder<EditNode> copy(static_cast<EditNode*>(single->clone()));
	copy->drop();
	EXPECT_TRUE(copy->isSingleLine());
}

TEST_F(EditFields, KeysAreIgnoredForAMomentAfterTheTextIsSet)
{
	EditNode* edit = add();
	edit->setText(L"ab");
	pass(100);
	EXPECT_TRUE(press(edit, 67, L'c')) << "taken and ignored";
	EXPECT_EQ("ab", text(edit));
	pass(1);
	press(edit, 67, L'c');
	EXPECT_EQ("cab", text(edit)) << "after the lock, at the caret, which went to the start";

	// Typing sets no lock; a new template does.
	press(edit, 68, L'd');
	EXPECT_EQ("cdab", text(edit));
	edit->setTemplateName("Edit");
	edit->getTextChild()->setFont(mono.get());
	press(edit, 69, L'e');
	EXPECT_EQ("cdab", text(edit));
}

TEST_F(EditFields, TheCaretMovesByColumnsAndLines)
{
	struct SCase
	{
		const char* what;
		std::vector<u32> keys;
		const char* caret;
		bool lastTaken;
	};
	// "abc" over "de".
	const SCase cases[] = {
		{"at the start", {HOME}, "0:-1", true},
		{"End", {END}, "0:2", true},
		{"Right", {RIGHT, RIGHT}, "0:1", true},
		{"Right at a line's end: the next line's start", {END, RIGHT}, "1:-1", true},
		{"Right at the text's end stays", {DOWN, END, RIGHT}, "1:1", true},
		{"Left at a line's start: the previous line's end", {DOWN, LEFT}, "0:2", true},
		{"Left from column 0 first reaches the line's start", {DOWN, RIGHT, LEFT}, "1:-1", true},
		{"Left at the text's start stays", {LEFT}, "0:-1", true},
		{"Down keeps the column within the line", {END, DOWN}, "1:1", true},
		{"Down from a line's start", {DOWN}, "1:-1", true},
		{"Up", {DOWN, RIGHT, UP}, "0:0", true},
		{"Up on the first line goes to the control: nothing to move to", {UP}, "0:-1", false},
		{"Down on the last line too", {DOWN, DOWN}, "1:-1", false},
	};
	for (const SCase& c : cases)
	{
		EditNode* edit = add(L"abc\nde");
		bool taken = false;
		for (const u32 key : c.keys)
			taken = press(edit, key);
		EXPECT_EQ(std::string(c.caret), caret(edit)) << c.what;
		EXPECT_EQ(c.lastTaken, taken) << c.what;
		EXPECT_EQ(0u, reports()) << c.what << ": moves report nothing";
		scene->removeChild(edit);
	}
}

TEST_F(EditFields, BackspaceAndDeleteAtBothEndsAndAcrossLines)
{
	struct SCase
	{
		const char* what;
		const wchar_t* text;
		std::vector<u32> keys;
		const char* expected;
		const char* caret;
		size_t reports;
	};
	const SCase cases[] = {
		{"Backspace at the start: nothing", L"abc", {HOME, BACK}, "abc", "0:-1", 0},
		{"Delete at the start", L"abc", {HOME, DEL}, "bc", "0:-1", 1},
		{"Backspace at the end", L"abc", {END, BACK}, "ab", "0:1", 1},
		{"Delete at the end: nothing, reported all the same", L"abc", {END, DEL}, "abc", "0:2", 1},
		{"Backspace at a later line's start takes the break; the caret stands where it stood", L"abc\nde", {DOWN, BACK},
			"abcde", "0:2", 1},
		{"a CR LF goes as one", L"abc\r\nde", {DOWN, BACK}, "abcde", "0:2", 1},
		{"Delete at a line's end joins the lines", L"abc\nde", {END, DEL}, "abcde", "0:2", 1},
		{"Backspace at the start of an empty line", L"ab\n\ncd", {DOWN, DOWN, BACK}, "ab\ncd", "1:-1", 1},
		{"Return splits the line", L"abcd", {RIGHT, RIGHT, RETURN}, "ab\ncd", "1:-1", 1},
	};
	for (const SCase& c : cases)
	{
		EditNode* edit = add(c.text);
		for (const u32 key : c.keys)
			EXPECT_TRUE(press(edit, key)) << c.what;
		EXPECT_EQ(std::string(c.expected), text(edit)) << c.what;
		EXPECT_EQ(std::string(c.caret), caret(edit)) << c.what;
		EXPECT_EQ(c.reports, reports()) << c.what;
		scene->removeChild(edit);
	}
}

TEST_F(EditFields, EditsInWrappedAndCentredTextsLandWhereThePlayerSeesThem)
{
	struct SCase
	{
		const char* what;
		const wchar_t* text;
		bool wrap;
		s32 hAlign;
		std::vector<u32> keys;
		const wchar_t* typed;
		const char* expected;
		const char* caret;
	};
	// 100 pixels hold ten characters: "ab cd ef gh ij kl" wraps as "ab cd ef" over "gh ij kl".
	const SCase cases[] = {
		{"after a wrap's dropped space", L"ab cd ef gh ij kl", true, 1, {DOWN, RIGHT}, L"x", "ab cd ef gxh ij kl",
			"1:1"},
		{"Backspace at a wrapped line's start takes the dropped space", L"ab cd ef gh ij kl", true, 1, {DOWN, BACK},
			L"", "ab cd efgh ij kl", "1:1"},
		{"the third of three wrapped lines", L"ab cd ef gh ij kl mn op", true, 1, {DOWN, DOWN, RIGHT, RIGHT}, L"z",
			"ab cd ef gh ij kl mnz op", "2:2"},
		{"after blanks trimmed from a centred line's start", L"  ab\n  cd", false, 2, {DOWN, RIGHT}, L"x",
			"  ab\n  cxd", "1:1"},
		{"a blank typed at a centred line's end is kept for the next letter", L"a", false, 2, {END}, L" b", "a b",
			"0:2"},
		{"justified lines count like centred ones", L" ab cd ef gh ij", true, 4, {DOWN, HOME}, L"y", " ab cd ef ygh ij",
			"1:0"},
	};
	for (const SCase& c : cases)
	{
		EditNode* edit = add(c.text, c.wrap, c.hAlign);
		for (const u32 key : c.keys)
			press(edit, key);
		type(edit, c.typed);
		EXPECT_EQ(std::string(c.expected), text(edit)) << c.what;
		EXPECT_EQ(std::string(c.caret), caret(edit)) << c.what;
		// The queued reports name the field: delivered while it lives.
		reports();
		scene->removeChild(edit);
	}
}

TEST_F(EditFields, AClickPutsTheCaretOnTheLineAndColumnUnderIt)
{
	struct SCase
	{
		const char* what;
		s32 vAlign;
		s32 x, y; // in the text node, which stands at (20, 10)
		const char* caret;
	};
	// "abc" over "de": from the top, lines at 0 and 20; centred in 100, at 30 and 50.
	const SCase cases[] = {
		{"top: the first line", 1, 16, 5, "0:1"},
		{"top: the second line", 1, 6, 25, "1:0"},
		{"top: the second line's start", 1, 2, 39, "1:-1"},
		{"top: below the lines, the text's end", 1, 5, 80, "1:1"},
		{"centred: the first line", 2, 99, 35, "0:2"},
		{"centred: the second line", 2, 1, 55, "1:-1"},
		{"bottom: the last line", 3, 14, 90, "1:0"},
	};
	for (const SCase& c : cases)
	{
		EditNode* edit = add(L"abc\nde", false, 1, c.vAlign);
		const CRefHolder<CEvent> down = adoptRef<CEvent>(new CEventInputMouseLeftDown(20 + c.x, 10 + c.y));
		EXPECT_TRUE(scenes->routeEvent(ROUTE_SELF_DOWN, down.get())) << c.what;
		EXPECT_EQ(std::string(c.caret), caret(edit)) << c.what;
		EXPECT_TRUE(edit->isFocused()) << c.what;
		reports();
		scene->removeChild(edit);
		refresh();
	}
}

TEST_F(EditFields, TheCaretStandsAfterItsCharacterAndShowsWithTheFocus)
{
	EditNode* edit = add(L"ab\n");
	BaseNode* cursor = edit->getCursorChild();
	ASSERT_TRUE(cursor);
	EXPECT_EQ(core::vector3df(0.5f, 0, 0), cursor->getPosition()) << "before the first glyph";
	press(edit, END);
	EXPECT_EQ(core::vector3df(19.5f, 0, 0), cursor->getPosition()) << "at the right edge of b";
	press(edit, RIGHT);
	EXPECT_EQ(core::vector3df(0, 20, 0), cursor->getPosition()) << "an empty line: where it starts";

	edit->setFocused(true);
	EXPECT_TRUE(cursor->isVisible());
	edit->setFocused(false);
	EXPECT_FALSE(cursor->isVisible());
	cursor->setVisible(true);
	edit->setWantFocus(false);
	edit->setFocused(true);
	EXPECT_FALSE(edit->isFocused());
	EXPECT_FALSE(cursor->isVisible()) << "refused the focus: the caret hides";

	// The field shows the text as typed, not through the dictionary.
	EXPECT_FALSE(edit->getTextChild()->isTranslated());
	type(edit, L"%");
	EXPECT_EQ(edit->getTextChild()->getText(), edit->getTextChild()->getDisplayText());
}

TEST_F(EditFields, PropertiesTemplatesAndCopies)
{
	EditNode* edit = add();
	EXPECT_EQ(writtenProperties(edit), writtenProperties(add()));
	edit->setMaxTextLength(64);
	edit->setInputMask("A0");
	edit->setText(L"Ann");
	const std::vector<std::string> written = writtenProperties(edit);
	for (const char* name : {"Text", "MaxTextLength", "InputMask"})
		EXPECT_NE(written.end(), std::find(written.begin(), written.end(), name)) << name;

	const CRefHolder<CPropertyContainer> file = adoptRef(new CPropertyContainer(nullptr));
	file->add("MaxTextLength", adoptRef<IPropertyData>(new CPropertyDataString("12")));
	file->add("InputMask", adoptRef<IPropertyData>(new CPropertyDataString("sa")));
	edit->readProperties(file.get());
	EXPECT_EQ(0, edit->getMaxTextLength()) << "not an int: 0";
	EXPECT_EQ(std::string("sa"), edit->getInputMask().c_str());

	const CRefHolder<EditNode> copy(static_cast<EditNode*>(edit->clone()));
	copy->drop();
	EXPECT_EQ("Ann", text(copy.get()));
	EXPECT_EQ(0, copy->getMaxTextLength());
	EXPECT_EQ(edit->getMaskClasses(), copy->getMaskClasses());

	// A template without a text node leaves the field inert: keys are taken and ignored.
	EditNode* blank = new EditNode(ContentReference(), scene.get(), nullptr);
	blank->drop();
	blank->setTemplateName("Blank");
	EXPECT_EQ(nullptr, blank->getTextChild());
	EXPECT_TRUE(press(blank, 65, L'a'));
	EXPECT_EQ("", text(blank));
}
} // namespace
