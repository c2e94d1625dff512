// The player list, the name entry and the options, opened from their staged scene files over a
// stand-in for the main menu in the game started headless: presses, keys and edits go the way the
// player's do, time is stepped by hand, and the profile file is read back from the data folder.
// The cues are the tests' own, counted as they play: this file's tests run before the start-up
// tests, whose staged sound pack would take the cue names when all run in one process.

#include "GameTestSupport.h"
#include "platform/SoundTestSupport.h"
#include "support/LogCapture.h"

#include "app/GAchievementsProgress.h"
#include "app/GGameClasses.h"
#include "app/GOptionsScene.h"
#include "app/GSelectPlayerInputNameScene.h"
#include "app/GSelectPlayerScene.h"
#include "content/CContentManager.h"
#include "core/CEventControl.h"
#include "core/CEventInput.h"
#include "core/CNodeFactory.h"
#include "core/NodeCasts.h"
#include "platform/CEventSystemFlow.h"
#include "platform/CProfile.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"
#include "widgets/ButtonNode.h"
#include "widgets/CEventValueChanged.h"
#include "widgets/EditNode.h"
#include "widgets/ListNode.h"
#include "widgets/MessageBoxNode.h"
#include "widgets/SliderNode.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/TextNode.h"

#include <memory>
#include <string>
#include <vector>

using namespace fw;
using namespace apptest;

// The main menu as far as the overlays see it: a game scene of its kind.
class CMenuStandIn : public GBaseSceneNode
{
public:
	FW_NODE_CLASS(CMenuStandIn, GBaseSceneNode, NODE_TYPE_GAME_MAIN_MENU_SCENE, L"CMenuStandIn")
	using GBaseSceneNode::GBaseSceneNode;
};

namespace
{
const u32 KEY_ENTER = 13;
const u32 KEY_ESCAPE = 27;

std::string nameOf(s32 nameId)
{
	return nameId < 0 ? "none" : CNameTableSingleton::Instance().lookup(nameId).c_str();
}

// The game with the menus' templates and the class registry, a menu at the bottom of the stack and
// cues whose playing can be counted.
class OverlayGame : public HeadlessGame
{
protected:
	void SetUp() override
	{
		log.reset(new test::CLogCapture);
		HeadlessGame::SetUp();
		registerGameClassesWith(CNodeFactorySingleton::Instance());
		CRefHolder<CContent> templates = adoptRef(
			game->getContentManager()->getContent(CONTENT_TYPE_SCENE_NODE, "scenes/TemplateCollection.oscn", true));
		TemplateCollectionNode* collection = nodeCast<TemplateCollectionNode>(dynamic_cast<BaseNode*>(templates.get()));
		ASSERT_NE(nullptr, collection);
		manager()->setTemplateCollection(collection);
		sounds = device->getSoundManager();
		for (const char* name : {"ButtonClick", "SoundVolumeChange", "MenuMusic", "MainMenuAmbient"})
			addCue(name);
		// Named after a file of the asset folder, so that what it opens is found beside it.
		menu = adoptRef(new CMenuStandIn(ContentReference(game->getContentManager(), "scenes/MainMenuScene.oscn"),
			nullptr, nullptr));
		menu->setName("MainMenuScene");
		manager()->setActiveScene(menu.get());
		settle();
	}
	void TearDown() override
	{
		if (HasFailure())
			std::printf("%s", log->all().c_str());
		sounds->stopGroup(-1);
		step(10);
		HeadlessGame::TearDown();
	}

	void addCue(const char* name)
	{
		if (sounds->findCue(id(name)))
			return;
		const CRefHolder<CSoundCue> cue = adoptRef(new CSoundCue(id(name)));
		cue->addSound(adoptRef(new soundtest::CScriptedSound(name)).get());
		const std::string text = name;
		cue->setGroupId(text == "MenuMusic" ? 1 : text == "MainMenuAmbient" ? 0 : 2);
		sounds->registerCue(cue.get());
	}
	u32 playing(const char* name) const
	{
		u32 count = 0;
		for (u32 i = 0; i < sounds->getPlayingCount(); ++i)
			if (sounds->getPlaying(i)->getNameId() == id(name) && sounds->getPlaying(i)->getState() == 2)
				++count;
		return count;
	}

	SceneManager* manager() const { return game->getSceneManager(); }
	// Updates until no scene is switching.
	void settle()
	{
		ASSERT_TRUE(advanceUntil([this] { return manager()->getSwitchCount() == 0; }, 3000));
	}

	template <class T>
	T* open(const char* file, SceneNode* over, const char* out, const char* in)
	{
		SceneNode* scene = over->openSceneFile(file, true, id(out), id(in));
		settle();
		return nodeCast<T>(scene);
	}
	template <class T = BaseNode>
	static T* child(BaseNode* scene, const char* name)
	{
		BaseNode* root = scene ? scene->findChildByNameId(id("Scene"), 1) : nullptr;
		return root ? nodeCast<T>(root->findChildByNameId(id(name), 1)) : nullptr;
	}

	// A press as a control reports it once its look has played.
	void press(BaseNode* node)
	{
		ASSERT_NE(nullptr, node);
		manager()->queueMessage(node->getParent(), ROUTE_SELF_UP, adoptRef(new CEventNodePressed(node)).get());
		step(10);
	}
	// A click on a message box's button: its press look plays, then the box closes.
	void answer(u32 button)
	{
		MessageBoxNode* box = nodeCast<MessageBoxNode>(activeScene());
		ASSERT_NE(nullptr, box);
		ASSERT_LT(button, box->getButtonCount());
		ASSERT_TRUE(box->getButton(button)->click());
		advance(150);
		settle();
		// The owner hears the answer once the box has gone.
		step(10);
	}
	void key(u32 code)
	{
		device->postEvent(adoptRef(new CEventInputKeyDown(0, code, false, false)).get());
		device->postEvent(adoptRef(new CEventInputKeyUp(0, code, false, false)).get());
		step(10);
	}
	// An edit of the field as the player makes it: the new text, and the field's report. (Typing
	// keys would meet the field's key lock, which runs on the real clock.)
	void edit(EditNode* field, const core::stringw& text)
	{
		ASSERT_NE(nullptr, field);
		field->setText(text);
		manager()->queueMessage(field->getParent(), ROUTE_SELF_UP, adoptRef(new CEventNodeValueChanged(field)).get());
		step(10);
	}

	// The transitions of the switch that runs for the scene: "out/in".
	std::string transitionsOf(const SceneNode* scene) const
	{
		if (!manager()->isSwitching(scene))
			return "no switch";
		const SSceneSwitch record = manager()->findSwitch(scene);
		return nameOf(record.outState) + "/" + nameOf(record.inState);
	}

	CProfileManager& profiles() const { return CProfileManagerSingleton::Instance(); }
	void addPlayers(std::initializer_list<const wchar_t*> names)
	{
		for (const wchar_t* name : names)
			ASSERT_TRUE(profiles().addProfile(name));
	}

	std::unique_ptr<test::CLogCapture> log;
	CSoundManager* sounds = nullptr;
	CRefHolder<CMenuStandIn> menu;
};

// The player list and the name entry.
class PlayersGame : public OverlayGame
{
protected:
	GSelectPlayerScene* openList()
	{
		return open<GSelectPlayerScene>("scenes/SelectPlayerScene.oscn", menu.get(), "NavFromSlide", "NavTo");
	}
	GSelectPlayerInputNameScene* openNameEntry(SceneNode* over)
	{
		return open<GSelectPlayerInputNameScene>("scenes/SelectPlayerInputNameScene.oscn", over, "NavFrom", "NavTo");
	}
	// Which of the list's rows show the selected look ("Focus" or "FocusHover" of their "Row").
	static std::vector<u32> highlighted(ListNode* list)
	{
		std::vector<u32> rows;
		for (u32 i = 0; i < list->getElementCount(); ++i)
		{
			BaseNode* element = list->getElement(i);
			BaseNode* row = element && element->isVisible() ? element->findChildByNameId(id("Row"), 1) : nullptr;
			if (row && (row->getCurrentStateId() == id("Focus") || row->getCurrentStateId() == id("FocusHover")))
				rows.push_back(i);
		}
		return rows;
	}
	// A click of the mouse in the middle of the node, as the window reports it.
	void click(BaseNode* node)
	{
		ASSERT_NE(nullptr, node);
		device->postEvent(adoptRef(new CEventSystemFlowDraw()).get());
		// The node's place is in window pixels already (the game fits its design screen to the
		// window, when there is one); its size is in design points.
		const core::vector3df at = node->getAbsoluteTransformation().getTranslation();
		const core::vector3df& bounds = node->getBounds();
		const core::vector3df& scale = manager()->getScale();
		const s32 x = static_cast<s32>(at.X + bounds.X / 2 * scale.X);
		const s32 y = static_cast<s32>(at.Y + bounds.Y / 2 * scale.Y);
		device->postEvent(adoptRef(new CEventInputMouseMove(x, y)).get());
		device->postEvent(adoptRef(new CEventInputMouseLeftDown(x, y)).get());
		step(10);
		device->postEvent(adoptRef(new CEventInputMouseLeftUp(x, y)).get());
		advance(500);
	}
	static std::vector<std::wstring> items(ListNode* list)
	{
		std::vector<std::wstring> texts;
		for (u32 i = 0; i < list->getItemCount(); ++i)
			texts.push_back(list->getItem(i)->texts[0].c_str());
		return texts;
	}
	// "ok new delete": each control enabled ("+") or not ("-").
	static std::string buttons(GSelectPlayerScene* list)
	{
		return std::string(list->getOkButton()->isEnabled() ? "+" : "-") +
			(list->getNewPlayerButton()->isEnabled() ? "+" : "-") + (list->getDeleteButton()->isEnabled() ? "+" : "-");
	}
};

TEST_F(PlayersGame, AFirstStartNamesAPlayerWhoIsPickedThenChosen)
{
	// As the menu does without a player: the list, and the name entry over it.
	GSelectPlayerScene* list = openList();
	ASSERT_NE(nullptr, list);
	ASSERT_NE(nullptr, list->getPlayersList());
	EXPECT_EQ("-+-", buttons(list)) << "nobody to choose or delete";
	GSelectPlayerInputNameScene* entry = openNameEntry(list);
	ASSERT_NE(nullptr, entry);
	ASSERT_NE(nullptr, entry->getNameEdit());
	EXPECT_EQ(list, entry->getPreviousScene());
	EXPECT_TRUE(list->isVisible()) << "the list stays under the name entry";
	EXPECT_FALSE(entry->getOkButton()->isEnabled()) << "an empty name";

	edit(entry->getNameEdit(), L"Ann");
	EXPECT_TRUE(entry->getOkButton()->isEnabled());
	press(entry->getOkButton());
	EXPECT_EQ("NavBackFrom/NavBackTo", transitionsOf(entry));
	settle();

	// Back in the list: created, saved and picked, but nobody plays yet.
	EXPECT_EQ(list, activeScene());
	EXPECT_EQ(std::vector<std::wstring>{L"Ann"}, items(list->getPlayersList()));
	EXPECT_EQ(0, list->getPlayersList()->getSelectedIndex());
	EXPECT_EQ(nullptr, profiles().getActiveProfile());
	EXPECT_NE(std::string::npos, readProfile().find("Name=\"Ann\"")) << "saved at once";
	EXPECT_EQ("+++", buttons(list));

	// OK makes Ann the player, saves, applies her sound and slides back to the menu.
	profiles().getProfile(0)->setFloat(PROFILE_MUSIC_VOLUME, 20.f);
	profiles().getProfile(0)->setString(PROFILE_ACHIEVEMENTS_PROGRESS, "5;1");
	press(list->getOkButton());
	ASSERT_NE(nullptr, profiles().getActiveProfile());
	EXPECT_EQ(core::stringw(L"Ann"), profiles().getActiveProfile()->getName());
	EXPECT_NE(std::string::npos, readProfile().find("Active=")) << readProfile();
	EXPECT_FLOAT_EQ(0.2f, sounds->getGroup(1).volume);
	EXPECT_EQ(1u, playing("MenuMusic"));
	EXPECT_EQ(5, game->getAchievements()->getProgress(0));
	EXPECT_EQ("NavBackFrom/NavBackToSlide", transitionsOf(list));
	settle();
	EXPECT_EQ(menu.get(), activeScene());
}

TEST_F(PlayersGame, OnlyANewNonEmptyNameCanBeConfirmed)
{
	addPlayers({L"Ann", L"Bo"});
	GSelectPlayerInputNameScene* entry = openNameEntry(openList());
	ASSERT_NE(nullptr, entry);
	struct SCase
	{
		const wchar_t* typed;
		bool enabled;
	};
	// Case counts; blanks and line breaks around a name are not part of it; spaces inside and other
	// characters are the player's business.
	const SCase cases[] = {
		{L"", false},
		{L"Ann", false},
		{L"ann", true},
		{L"Ann ", false},
		{L"\nAnn\r\n", false},
		{L" \t\n", false},
		{L"Bo", false},
		{L"BO", true},
		{L"Cy%", true},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(core::stringc(c.typed).c_str());
		edit(entry->getNameEdit(), L"x");
		edit(entry->getNameEdit(), c.typed);
		EXPECT_EQ(c.enabled, entry->getOkButton()->isEnabled());
		EXPECT_EQ(c.enabled, entry->isNameValid(c.typed));
	}

	// Enter creates only while OK is enabled.
	edit(entry->getNameEdit(), L"Bo");
	key(KEY_ENTER);
	EXPECT_EQ(2u, profiles().getProfileCount());
	EXPECT_EQ(entry, activeScene());
	edit(entry->getNameEdit(), L"Bob");
	key(KEY_ENTER);
	EXPECT_EQ(3u, profiles().getProfileCount());
	EXPECT_EQ(core::stringw(L"Bob"), profiles().getProfile(2)->getName());
}

TEST_F(PlayersGame, ANameIsOneLineWithoutBlanksAroundItAndNeverEmpty)
{
	addPlayers({L" Ann\n"});
	GSelectPlayerScene* list = openList();
	ASSERT_NE(nullptr, list);
	EXPECT_EQ(std::vector<std::wstring>{L"Ann"}, items(list->getPlayersList())) << "a stored name shows trimmed";
	GSelectPlayerInputNameScene* entry = openNameEntry(list);
	ASSERT_NE(nullptr, entry);
	EditNode* field = entry->getNameEdit();
	ASSERT_NE(nullptr, field);

	// The field is one line, and takes what its font draws: Latin, Greek and Cyrillic letters, not
	// characters that would show as nothing or as the font's box.
	EXPECT_TRUE(field->isSingleLine());
	for (const wchar_t c : {L'Z', L'\x00EB', L'\x017B', L'\x0142', L'\x03A9', L'\x0416', L' '})
		EXPECT_TRUE(field->isCharAllowed(c)) << static_cast<int>(c);
	for (const wchar_t c : {L'\r', L'\n', L'\t', L'\x1B', L'\x4E2D'})
		EXPECT_FALSE(field->isCharAllowed(c)) << static_cast<int>(c);

	// Only blanks and line breaks: OK and Enter stay off.
	for (const wchar_t* blank : {L"\n", L"\r\n", L"  ", L"\x00A0"})
	{
		edit(field, L"x");
		edit(field, blank);
		EXPECT_FALSE(entry->getOkButton()->isEnabled());
		key(KEY_ENTER);
		EXPECT_EQ(1u, profiles().getProfileCount());
		EXPECT_EQ(entry, activeScene());
	}
	// A name is stored without what surrounds it.
	edit(field, L"Zo\x00EB\n");
	EXPECT_TRUE(entry->getOkButton()->isEnabled());
	key(KEY_ENTER);
	ASSERT_EQ(2u, profiles().getProfileCount());
	EXPECT_EQ(core::stringw(L"Zo\x00EB"), profiles().getProfile(1)->getName());
	settle();
	EXPECT_EQ((std::vector<std::wstring>{L"Ann", L"Zo\x00EB"}), items(list->getPlayersList()));
}

TEST_F(PlayersGame, OneRowIsSelectedAtATime)
{
	addPlayers({L"Ann", L"Bo"});
	profiles().setActiveProfile(0);
	GSelectPlayerScene* list = openList();
	ASSERT_NE(nullptr, list);
	ListNode* rows = list->getPlayersList();
	EXPECT_EQ(std::vector<u32>{0}, highlighted(rows)) << "the active player";

	// A new player, made through the name entry: the list picks it, and only it.
	click(list->getNewPlayerButton());
	settle();
	GSelectPlayerInputNameScene* entry = nodeCast<GSelectPlayerInputNameScene>(activeScene());
	ASSERT_NE(nullptr, entry);
	edit(entry->getNameEdit(), L"Cy");
	press(entry->getOkButton());
	settle();
	ASSERT_EQ(list, activeScene());
	EXPECT_EQ(2, rows->getSelectedIndex());
	EXPECT_EQ(std::vector<u32>{2}, highlighted(rows));

	// A click on another row moves the look there.
	click(rows->getElement(0));
	EXPECT_EQ(0, rows->getSelectedIndex());
	EXPECT_EQ(std::vector<u32>{0}, highlighted(rows));
	click(rows->getElement(1));
	EXPECT_EQ(1, rows->getSelectedIndex());
	EXPECT_EQ(std::vector<u32>{1}, highlighted(rows));
}

TEST_F(PlayersGame, WithoutAPlayerTheListCannotBeLeft)
{
	GSelectPlayerScene* list = openList();
	GSelectPlayerInputNameScene* entry = openNameEntry(list);
	ASSERT_NE(nullptr, entry);
	edit(entry->getNameEdit(), L"Ann");
	// Escape leaves the name entry without a player, like Cancel.
	key(KEY_ESCAPE);
	settle();
	ASSERT_EQ(list, activeScene());
	EXPECT_EQ(0u, profiles().getProfileCount());
	EXPECT_TRUE(list->getPlayersList()->isFocused());

	for (const u32 code : {KEY_ESCAPE, KEY_ENTER})
	{
		key(code);
		settle();
		EXPECT_EQ(list, activeScene()) << code;
	}
	press(child(list, "OkButton"));
	settle();
	EXPECT_EQ(list, activeScene());
	EXPECT_EQ(nullptr, profiles().getActiveProfile());

	entry = openNameEntry(list);
	press(child(entry, "CancelButton"));
	settle();
	EXPECT_EQ(list, activeScene());
}

TEST_F(PlayersGame, DeletionWaitsForYesAndKeepsASelection)
{
	struct SCase
	{
		u32 players;
		s32 selected;
		s32 selectedAfter; // -1: the list is empty
		const char* buttonsAfter;
	};
	const SCase cases[] = {
		{3, 2, 1, "+++"},
		{3, 0, 0, "+++"},
		{3, 1, 1, "+++"},
		{1, 0, -1, "-+-"},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(std::to_string(c.players) + " players, " + std::to_string(c.selected) + " selected");
		while (profiles().getProfileCount() > 0)
			profiles().removeProfile(0);
		const wchar_t* names[] = {L"Ann", L"Bo", L"Cy"};
		for (u32 i = 0; i < c.players; ++i)
			addPlayers({names[i]});
		profiles().setActiveProfile(0);
		GSelectPlayerScene* list = openList();
		ASSERT_NE(nullptr, list);
		EXPECT_EQ(0, list->getPlayersList()->getSelectedIndex()) << "the active player is selected";
		list->getPlayersList()->setSelectedItem(c.selected, true);

		// "%No%" deletes nothing. A click leaves the focus on the button; the box's answer gives it
		// back to the list, whose arrow keys then work.
		list->getDeleteButton()->setFocused(true);
		press(list->getDeleteButton());
		settle();
		MessageBoxNode* box = nodeCast<MessageBoxNode>(activeScene());
		ASSERT_NE(nullptr, box);
		EXPECT_EQ(core::stringw(L"%SelectPlayer_WantDelete%"), box->getBodyText()->getText());
		ASSERT_EQ(2u, box->getButtonCount());
		answer(1);
		EXPECT_EQ(c.players, profiles().getProfileCount());
		EXPECT_NE(nullptr, profiles().getActiveProfile());
		EXPECT_TRUE(list->getPlayersList()->isFocused()) << "after No";

		list->getDeleteButton()->setFocused(true);
		press(list->getDeleteButton());
		settle();
		const core::stringw removed = names[c.selected];
		answer(0);
		EXPECT_EQ(list, activeScene());
		EXPECT_TRUE(list->getPlayersList()->isFocused()) << "after Yes";
		EXPECT_EQ(c.players - 1, profiles().getProfileCount());
		EXPECT_EQ(nullptr, profiles().findProfile(removed));
		EXPECT_EQ(nullptr, profiles().getActiveProfile()) << "whoever was deleted";
		EXPECT_EQ(std::string::npos, readProfile().find("Name=\"" + std::string(core::stringc(removed).c_str()) + "\""))
			<< "saved at once";
		EXPECT_EQ(c.players - 1, list->getPlayersList()->getItemCount());
		if (c.selectedAfter >= 0)
		{
			EXPECT_EQ(c.selectedAfter, list->getPlayersList()->getSelectedIndex());
		}
		EXPECT_EQ(c.buttonsAfter, buttons(list));

		// Nobody plays until one is chosen again.
		key(KEY_ESCAPE);
		if (c.selectedAfter >= 0)
			EXPECT_NE(nullptr, profiles().getActiveProfile());
		else
			EXPECT_EQ(list, activeScene());
		manager()->setActiveScene(menu.get());
		settle();
	}
}

TEST_F(PlayersGame, TenPlayersAreTheMost)
{
	for (const wchar_t* name : {L"A", L"B", L"C", L"D", L"E", L"F", L"G", L"H", L"I", L"J"})
		addPlayers({name});
	profiles().setActiveProfile(4);
	GSelectPlayerScene* list = openList();
	ASSERT_NE(nullptr, list);
	EXPECT_EQ(4, list->getPlayersList()->getSelectedIndex());
	EXPECT_EQ("+-+", buttons(list));
	press(list->getDeleteButton());
	settle();
	answer(0);
	EXPECT_EQ(9u, profiles().getProfileCount());
	EXPECT_EQ("+++", buttons(list));
	EXPECT_EQ(4, list->getPlayersList()->getSelectedIndex()) << "the next player moved up";

	// The tenth player made from here is picked on return.
	GSelectPlayerInputNameScene* entry = openNameEntry(list);
	edit(entry->getNameEdit(), L"Zed");
	press(entry->getOkButton());
	settle();
	EXPECT_EQ(9, list->getPlayersList()->getSelectedIndex());
	EXPECT_EQ("+-+", buttons(list));
}

TEST_F(PlayersGame, NamesShowAsTyped)
{
	addPlayers({L"100% #p", L"%TitleName%"});
	GSelectPlayerScene* list = openList();
	ASSERT_NE(nullptr, list);
	EXPECT_EQ(core::stringw(L"%TitleName%"), profiles().getProfile(1)->getName());
	// Whatever the list does with its texts, a text node of the game shows the names unchanged.
	for (u32 i = 0; i < 2; ++i)
	{
		CRefHolder<TextNode> shown = adoptRef(new TextNode(ContentReference(), nullptr, list->getSceneManager()));
		shown->setText(list->getPlayersList()->getItem(i)->texts[0]);
		EXPECT_EQ(profiles().getProfile(i)->getName(), shown->getDisplayText());
	}
}

// The options, over the menu or over another scene.
class OptionsGame : public OverlayGame
{
protected:
	void SetUp() override
	{
		OverlayGame::SetUp();
		if (HasFatalFailure())
			return;
		addPlayers({L"Ann"});
		profiles().setActiveProfile(0);
		player = profiles().getActiveProfile();
	}
	GOptionsScene* openOptions(SceneNode* over = nullptr)
	{
		return open<GOptionsScene>("scenes/OptionsScene.oscn", over ? over : menu.get(), "NavFromSlide", "NavToSlide");
	}
	static std::string look(const ButtonNode* button)
	{
		if (!button)
			return "unbound";
		return nameOf(button->getTemplateName()) + " " + core::stringc(button->getText()).c_str();
	}
	// A value the slider reports as input changed it.
	void slide(SliderNode* slider, f32 value)
	{
		slider->setValue(value);
		manager()->queueMessage(slider->getParent(), ROUTE_SELF_UP, adoptRef(new CEventNodeValueChanged(slider)).get());
		step(10);
	}

	CProfile* player = nullptr;
};

const std::string GREEN_ON = "Options_OnOffButtonGreen %Options_On%";
const std::string RED_OFF = "Options_OnOffButtonRed %Options_Off%";

TEST_F(OptionsGame, TheControlsShowTheProfiles)
{
	struct SCase
	{
		bool soundOn, musicOn, fullScreen, windowsCursor;
		f32 soundVolume, musicVolume;
	};
	const SCase cases[] = {
		{true, true, true, false, 50.f, 50.f},
		{false, true, false, true, 0.f, 100.f},
		{true, false, true, true, 30.f, 75.f},
	};
	for (const SCase& c : cases)
	{
		player->setBool(PROFILE_SOUND_ON, c.soundOn);
		player->setBool(PROFILE_MUSIC_ON, c.musicOn);
		player->setFloat(PROFILE_SOUND_VOLUME, c.soundVolume);
		player->setFloat(PROFILE_MUSIC_VOLUME, c.musicVolume);
		profiles().getCommonProfile()->setBool(PROFILE_FULL_SCREEN, c.fullScreen);
		profiles().getCommonProfile()->setBool(PROFILE_WINDOWS_CURSOR, c.windowsCursor);
		GOptionsScene* options = openOptions();
		ASSERT_NE(nullptr, options);
		EXPECT_EQ(c.soundOn ? GREEN_ON : RED_OFF, look(options->getSoundButton()));
		EXPECT_EQ(c.musicOn ? GREEN_ON : RED_OFF, look(options->getMusicButton()));
		EXPECT_EQ(c.fullScreen ? GREEN_ON : RED_OFF, look(options->getFullscreenButton()));
		EXPECT_EQ(c.windowsCursor ? GREEN_ON : RED_OFF, look(options->getCursorButton()));
		ASSERT_NE(nullptr, options->getSoundSlider());
		EXPECT_FLOAT_EQ(c.soundVolume, options->getSoundSlider()->getValue());
		EXPECT_FLOAT_EQ(c.musicVolume, options->getMusicSlider()->getValue());
		key(KEY_ESCAPE);
		settle();
	}
}

TEST_F(OptionsGame, SwitchesAreStoredSavedAndHeardAtOnce)
{
	player->setBool(PROFILE_SOUND_ON, false);
	GOptionsScene* options = openOptions();
	ASSERT_NE(nullptr, options);
	ASSERT_EQ(RED_OFF, look(options->getSoundButton()));

	// Sound on: green, stored, saved, the effects audible, and then the click.
	press(options->getSoundButton());
	EXPECT_EQ(GREEN_ON, look(options->getSoundButton()));
	EXPECT_TRUE(player->getBool(PROFILE_SOUND_ON));
	EXPECT_NE(std::string::npos, readProfile().find("<bool Name=\"SoundOn\" Value=\"true\""));
	EXPECT_FLOAT_EQ(0.5f, sounds->getGroup(0).volume);
	EXPECT_EQ(1u, playing("ButtonClick"));
	sounds->stop(id("ButtonClick"), -1);

	// Sound off: silent, no click.
	press(options->getSoundButton());
	EXPECT_EQ(RED_OFF, look(options->getSoundButton()));
	EXPECT_FALSE(player->getBool(PROFILE_SOUND_ON));
	EXPECT_NE(std::string::npos, readProfile().find("<bool Name=\"SoundOn\" Value=\"false\""));
	EXPECT_FLOAT_EQ(0.f, sounds->getGroup(0).volume);
	EXPECT_EQ(0u, playing("ButtonClick"));

	// Music off stops the menu music; on again starts it; neither clicks.
	game->applySoundSettings();
	ASSERT_EQ(1u, playing("MenuMusic"));
	press(options->getMusicButton());
	EXPECT_FALSE(player->getBool(PROFILE_MUSIC_ON));
	EXPECT_NE(std::string::npos, readProfile().find("<bool Name=\"MusicOn\" Value=\"false\""));
	EXPECT_EQ(0u, playing("MenuMusic"));
	press(options->getMusicButton());
	EXPECT_TRUE(player->getBool(PROFILE_MUSIC_ON));
	EXPECT_EQ(1u, playing("MenuMusic"));
	EXPECT_EQ(0u, playing("ButtonClick"));
}

TEST_F(OptionsGame, EveryValueOfADragIsSavedAndTheCueDoesNotPileUp)
{
	GOptionsScene* options = openOptions();
	ASSERT_NE(nullptr, options);
	for (const f32 value : {45.f, 40.f, 35.f, 20.f})
	{
		slide(options->getSoundSlider(), value);
		EXPECT_FLOAT_EQ(value, getFloatValue(player, PROFILE_SOUND_VOLUME));
		EXPECT_FLOAT_EQ(value * 0.01f, sounds->getGroup(0).volume);
		EXPECT_NE(std::string::npos, readProfile().find("Name=\"SoundVolume\" Value=\"" + std::to_string(value)))
			<< value;
		EXPECT_EQ(1u, playing("SoundVolumeChange")) << "only when it was not playing";
	}
	slide(options->getMusicSlider(), 80.f);
	EXPECT_FLOAT_EQ(80.f, getFloatValue(player, PROFILE_MUSIC_VOLUME));
	EXPECT_FLOAT_EQ(0.8f, sounds->getGroup(1).volume);
	EXPECT_NE(std::string::npos, readProfile().find("Name=\"MusicVolume\" Value=\"80.000000\""));

	// Once it has ended, the next move plays it again.
	sounds->stop(id("SoundVolumeChange"), -1);
	step(10);
	slide(options->getMusicSlider(), 70.f);
	EXPECT_EQ(0u, playing("SoundVolumeChange")) << "the music slider has no cue";
	slide(options->getSoundSlider(), 60.f);
	EXPECT_EQ(1u, playing("SoundVolumeChange"));
}

TEST_F(OptionsGame, WithoutAPlayerNothingOfAPlayerIsStoredButTheMachineSwitchesAre)
{
	profiles().setActiveProfile(1000);
	player->setBool(PROFILE_SOUND_ON, true);
	GOptionsScene* options = openOptions();
	ASSERT_NE(nullptr, options);
	EXPECT_FLOAT_EQ(50.f, options->getSoundSlider()->getValue()) << "as the scene file made it";
	const std::string lookBefore = look(options->getSoundButton());
	press(options->getSoundButton());
	press(options->getMusicButton());
	slide(options->getSoundSlider(), 10.f);
	EXPECT_EQ(lookBefore, look(options->getSoundButton()));
	EXPECT_TRUE(player->getBool(PROFILE_SOUND_ON));
	EXPECT_FLOAT_EQ(50.f, getFloatValue(player, PROFILE_SOUND_VOLUME));
	EXPECT_EQ("", readProfile()) << "nothing saved";
	EXPECT_EQ(0u, playing("SoundVolumeChange"));

	// The cursor and the display belong to the machine: saved through the profile manager.
	const bool cursor = profiles().getCommonProfile()->getBool(PROFILE_WINDOWS_CURSOR);
	press(options->getCursorButton());
	EXPECT_EQ(!cursor, profiles().getCommonProfile()->getBool(PROFILE_WINDOWS_CURSOR));
	EXPECT_NE(std::string::npos,
		readProfile().find(std::string("<bool Name=\"WindowsCursor\" Value=\"") + (!cursor ? "true" : "false")))
		<< readProfile();
	EXPECT_EQ(!cursor ? GREEN_ON : RED_OFF, look(options->getCursorButton()));
}

TEST_F(OptionsGame, TheDisplaySwitchRecreatesTheDeviceOrLeavesEverythingAsItWas)
{
	profiles().getCommonProfile()->setBool(PROFILE_FULL_SCREEN, false);
	GOptionsScene* options = openOptions();
	ASSERT_NE(nullptr, options);
	ASSERT_EQ(RED_OFF, look(options->getFullscreenButton()));

	press(options->getFullscreenButton());
	EXPECT_EQ(GREEN_ON, look(options->getFullscreenButton()));
	EXPECT_TRUE(game->getDeviceParameters().FullScreen);
	EXPECT_TRUE(device->getCreationParameters().FullScreen);
	EXPECT_TRUE(profiles().getCommonProfile()->getBool(PROFILE_FULL_SCREEN));
	EXPECT_NE(std::string::npos, readProfile().find("<bool Name=\"FullScreen\" Value=\"true\""));

	// A display that cannot be made: the device goes back to the one it had, nothing else changes.
	SDeviceCreationParameters unusable = game->getDeviceParameters();
	unusable.VideoDriver = 9;
	game->setDeviceParameters(unusable);
	press(options->getFullscreenButton());
	EXPECT_TRUE(log->contains("The display could not be changed"));
	EXPECT_NE(nullptr, device->getVideoDriver()) << "the device still draws";
	EXPECT_TRUE(device->getCreationParameters().FullScreen);
	EXPECT_EQ(DEVICE_DRIVER_NULL, device->getCreationParameters().VideoDriver);
	EXPECT_EQ(GREEN_ON, look(options->getFullscreenButton()));
	EXPECT_TRUE(game->getDeviceParameters().FullScreen);
	EXPECT_TRUE(profiles().getCommonProfile()->getBool(PROFILE_FULL_SCREEN));
	EXPECT_NE(std::string::npos, readProfile().find("<bool Name=\"FullScreen\" Value=\"true\""));

	unusable.VideoDriver = DEVICE_DRIVER_NULL;
	game->setDeviceParameters(unusable);
	press(options->getFullscreenButton());
	EXPECT_EQ(RED_OFF, look(options->getFullscreenButton()));
	EXPECT_FALSE(device->getCreationParameters().FullScreen);
}

TEST_F(OptionsGame, LeavingSlidesBackToTheMenuAndFadesElsewhere)
{
	struct SCase
	{
		const char* how;
		bool overMenu;
		const char* transitions;
	};
	const SCase cases[] = {
		{"Escape", true, "NavBackFromSlide/NavBackToSlide"},
		{"Enter", true, "NavBackFromSlide/NavBackToSlide"},
		{"BackButton", true, "NavBackFromSlide/NavBackToSlide"},
		{"Escape", false, "NavBackFrom/NavBackTo"},
		{"BackButton", false, "NavBackFrom/NavBackTo"},
	};
	CRefHolder<GBaseSceneNode> other = adoptRef(new GBaseSceneNode(menu->getContentReference(), nullptr, nullptr));
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(std::string(c.how) + (c.overMenu ? " over the menu" : " over another scene"));
		SceneNode* below = menu.get();
		if (!c.overMenu)
		{
			ASSERT_TRUE(menu->openScene(other.get(), false));
			settle();
			below = other.get();
		}
		GOptionsScene* options = openOptions(below);
		ASSERT_NE(nullptr, options);
		const std::string how = c.how;
		if (how == "Escape")
			key(KEY_ESCAPE);
		else if (how == "Enter")
			key(KEY_ENTER);
		else
			press(child(options, "BackButton"));
		EXPECT_EQ(c.transitions, transitionsOf(options));
		settle();
		EXPECT_EQ(below, activeScene());
		manager()->setActiveScene(menu.get());
		settle();
	}
}
} // namespace
