// The tutorial file reader: defaults, flags, actions by type, arrows, and files cut short or
// written with self-closing elements.

#include "TutorialTestSupport.h"

#include <gtest/gtest.h>

namespace
{
using namespace tutorialtest;

struct SRead
{
	bool result;
	fw::CRefHolder<GTutorialHintList> list;
};

SRead read(const std::string& text)
{
	SRead out{false, fw::adoptRef(new GTutorialHintList)};
	const fw::CRefHolder<fw::IXMLReader> reader = readerOver(text);
	out.result = readTutorial(out.list.get(), reader.get());
	return out;
}

TEST(TutorialReader, HintWithoutChildrenTakesTheDefaults)
{
	const SRead file = read(tutorial("<Hint></Hint>"));
	ASSERT_TRUE(file.result);
	ASSERT_EQ(1u, file.list->Hints.size());
	const GTutorialHint& hint = *file.list->Hints[0];
	EXPECT_EQ(fw::core::vector3df(570.f, 516.f, 0.f), hint.Position);
	EXPECT_EQ(fw::core::vector3df(-35.f, -11.f, 1.f), hint.TextPosition);
	EXPECT_EQ(0, hint.TextBgType);
	EXPECT_TRUE(hint.Text.empty());
	EXPECT_FALSE(hint.Tip || hint.MessageBox || hint.Linnet);
	EXPECT_TRUE(hint.Actions.empty());
	EXPECT_TRUE(hint.Arrows.empty());
}

TEST(TutorialReader, FieldsAreReadInAnyOrder)
{
	const SRead file = read(tutorial(R"(<Hint><Text Value="%Tut_1%"/><TextBgType Value="2"/>)"
									 R"(<TextPosition Value="10; 20; 30"/><ImageFilename Value="a.png"/>)"
									 R"(<Position Value="100 200 5"/><Unknown Value="x"/></Hint>)"));
	ASSERT_EQ(1u, file.list->Hints.size());
	const GTutorialHint& hint = *file.list->Hints[0];
	EXPECT_EQ(fw::core::stringw(L"%Tut_1%"), hint.Text);
	EXPECT_EQ(2, hint.TextBgType);
	EXPECT_EQ(fw::core::vector3df(10.f, 20.f, 30.f), hint.TextPosition);
	EXPECT_EQ(fw::core::vector3df(100.f, 200.f, 5.f), hint.Position);
	EXPECT_EQ(fw::core::stringc("a.png"), hint.ImageFilename);
}

TEST(TutorialReader, FlagsAreSetOnlyByTrue)
{
	const struct
	{
		const char* attributes;
		bool tip, messageBox, linnet;
	} cases[] = {
		{R"(Tip="true" MessageBox="true" Linnet="true")", true, true, true},
		{R"(Tip="True" MessageBox="1" Linnet="yes")", false, false, false},
		{R"(Tip="TRUE" MessageBox="true ")", false, false, false},
		{R"(MessageBox="true")", false, true, false},
	};
	for (const auto& c : cases)
	{
		SCOPED_TRACE(c.attributes);
		const SRead file = read(tutorial(std::string("<Hint ") + c.attributes + "></Hint>"));
		ASSERT_EQ(1u, file.list->Hints.size());
		EXPECT_EQ(c.tip, file.list->Hints[0]->Tip);
		EXPECT_EQ(c.messageBox, file.list->Hints[0]->MessageBox);
		EXPECT_EQ(c.linnet, file.list->Hints[0]->Linnet);
	}
}

TEST(TutorialReader, ActionsOfUnknownTypeAreSkipped)
{
	const SRead file = read(tutorial(R"(<Hint><Actions><Action Type="Timed" Time="5"/><Action Type="timed"/>)"
									 R"(<Action Type="Teleport"/><Action/><Other Type="Timed"/>)"
									 R"(<Action Type="MouseClick"/><Action Type="MouseClick"/></Actions></Hint>)"));
	ASSERT_EQ(1u, file.list->Hints.size());
	const GTutorialHint& hint = *file.list->Hints[0];
	ASSERT_EQ(3u, hint.Actions.size());
	EXPECT_NE(nullptr, dynamic_cast<GTimedAction*>(hint.Actions[0].get()));
	EXPECT_NE(nullptr, dynamic_cast<GMouseClickAction*>(hint.Actions[1].get()));
	EXPECT_NE(hint.Actions[1].get(), hint.Actions[2].get()) << "two of one type are two actions";
	EXPECT_FALSE(hint.Actions[0]->isComplete());
}

TEST(TutorialReader, EveryTypeNameMakesItsAction)
{
	for (const char* type : {"Timed", "MouseClick", "BuildingPress", "ControlPress", "ListItemPress", "ListItemHovered",
			 "BuildingCompleted", "BuildingCompletedOrExist", "WaitDirty", "WaitLetter", "GeneratePauseRequest",
			 "GenerateSellBuildingRequest", "GenerateBrokenBuildingRequest", "GenerateDirtyBuildingRequest",
			 "GenerateLetterRequest"})
		EXPECT_TRUE(createTutorialAction(fw::core::stringw(type))) << type;
	EXPECT_FALSE(createTutorialAction(L""));
}

TEST(TutorialReader, ArrowsKeepOrderAndRotation)
{
	const SRead file = read(tutorial(R"(<Hint><Arrows><Arrow Position="1;2;3"/><Arrow Position="4 5 6" Rotation="90"/>)"
									 R"(<Other Position="7;7;7"/></Arrows></Hint>)"));
	ASSERT_EQ(1u, file.list->Hints.size());
	const GTutorialHint& hint = *file.list->Hints[0];
	ASSERT_EQ(2u, hint.Arrows.size());
	EXPECT_EQ(fw::core::vector3df(1.f, 2.f, 3.f), hint.Arrows[0].Position);
	EXPECT_EQ(fw::core::vector3df(0.f, 0.f, 0.f), hint.Arrows[0].Rotation);
	EXPECT_EQ(fw::core::vector3df(4.f, 5.f, 6.f), hint.Arrows[1].Position);
	EXPECT_EQ(fw::core::vector3df(0.f, 0.f, 90.f), hint.Arrows[1].Rotation);
}

TEST(TutorialReader, MissingEndTagKeepsTheHintsRead)
{
	const SRead file = read("<Tutorial><Hint><Text Value=\"a\"/></Hint><Hint><Text Value=\"b\"/></Hint>");
	EXPECT_FALSE(file.result);
	ASSERT_EQ(2u, file.list->Hints.size());
	EXPECT_EQ(fw::core::stringw(L"b"), file.list->Hints[1]->Text);

	const SRead cut = read("<Tutorial><Hint><Text Value=\"a\"/></Hint><Hint><Actions><Action Type=\"MouseClick\"/>");
	EXPECT_FALSE(cut.result);
	ASSERT_EQ(2u, cut.list->Hints.size());
	EXPECT_EQ(1u, cut.list->Hints[1]->Actions.size());
}

// A self-closing element has no content: the elements after it belong to its parent.
TEST(TutorialReader, SelfClosingElementsEndWhereTheyStand)
{
	const SRead file = read(tutorial(R"(<Hint Tip="true"/><Hint><Actions/><Arrows/><Text Value="second"/></Hint>)"
									 R"(<Hint><Text Value="third"/></Hint>)"));
	EXPECT_TRUE(file.result);
	ASSERT_EQ(3u, file.list->Hints.size());
	EXPECT_TRUE(file.list->Hints[0]->Tip);
	EXPECT_TRUE(file.list->Hints[0]->Text.empty());
	EXPECT_EQ(fw::core::stringw(L"second"), file.list->Hints[1]->Text);
	EXPECT_EQ(fw::core::stringw(L"third"), file.list->Hints[2]->Text);
}

TEST(TutorialReader, ReadingAgainReplacesTheHints)
{
	fw::CRefHolder<GTutorialHintList> list = fw::adoptRef(new GTutorialHintList);
	for (const char* text : {"<Tutorial><Hint/><Hint/></Tutorial>", "<Other><Hint/></Tutorial>"})
	{
		const fw::CRefHolder<fw::IXMLReader> reader = readerOver(text);
		EXPECT_TRUE(readTutorial(list.get(), reader.get()));
	}
	EXPECT_EQ(1u, list->Hints.size()) << "any root name is accepted; the end of Tutorial ends the file";
	EXPECT_FALSE(readTutorial(list.get(), nullptr));
	EXPECT_TRUE(list->Hints.empty());
}
} // namespace

namespace
{
TEST(TutorialReader, CountsFromTheFileAreBounded)
{
	std::string arrows;
	for (int i = 0; i < 300; ++i)
		arrows += "<Arrow Position=\"1;1;0\"/><Action Type=\"Timed\"/>";
	const SRead file = read(tutorial("<Hint><Arrows>" + arrows + "</Arrows><Actions>" + arrows + "</Actions></Hint>"));
	ASSERT_EQ(1u, file.list->Hints.size());
	EXPECT_EQ(256u, file.list->Hints[0]->Arrows.size());
	EXPECT_EQ(256u, file.list->Hints[0]->Actions.size());
}
} // namespace
