// The game's list, slider and edit field templates, built from the staged template collection and
// driven by synthetic mouse input and timer steps.

#include "StagedTemplatesSupport.h"

#include "widgets/CheckBoxNode.h"
#include "widgets/EditNode.h"
#include "widgets/ListNode.h"
#include "widgets/SliderNode.h"
#include "widgets/SpriteNode.h"
#include "widgets/TextNode.h"

using namespace fw;
using namespace fw::widgettest;

namespace
{
class GameTemplates : public StagedTemplates
{
public:
	GameTemplates() : scene(adoptRef(new SceneNode(ContentReference(), nullptr, nullptr))) {}

	template <class T>
	T* add(const char* templateName, const core::vector3df& at, const core::vector3df& bounds)
	{
		T* node = new T(ContentReference(), scene.get(), nullptr);
		node->drop();
		node->setPosition(at);
		node->setBounds(bounds);
		node->setTemplateName(templateName);
		return node;
	}

	CRefHolder<SceneNode> scene;
};

TEST_F(GameTemplates, AListWithCheckBoxesASliderAndAnEditField)
{
	ListNode* list = add<ListNode>("List", core::vector3df(20, 20, 0), core::vector3df(280, 180, 0));
	SliderNode* slider = add<SliderNode>("Slider", core::vector3df(400, 20, 0), core::vector3df(240, 30, 0));
	EditNode* edit = add<EditNode>("EditField", core::vector3df(400, 100, 0), core::vector3df(240, 36, 0));
	core::array<core::stringw> names;
	for (const wchar_t* name : {L"Ann", L"Bo", L"Cy", L"Di", L"Ed", L"Flo", L"Gus"})
		names.push_back(name);
	list->setStrings(names);
	ASSERT_TRUE(scenes->setActiveScene(scene.get()));
	tick(0);

	ASSERT_EQ(5u, list->getElementCount()) << "180 high in rows of 36";
	ASSERT_TRUE(list->getPrevButton() && list->getNextButton() && list->getSlider());
	EXPECT_TRUE(list->getSlider()->getKnob());
	EXPECT_EQ(7.f, list->getSlider()->getMaxValue());
	BaseNode* first = list->getElement(0);
	const TextNode* label = nodeCast<TextNode>(first->findChildByNameId(nodetest::nameId("Text"), 1));
	ASSERT_TRUE(label && label->getFont());
	EXPECT_EQ(core::stringw(L"Ann"), label->getText());
	CheckBoxNode* box = nodeCast<CheckBoxNode>(list->getElement(1)->findChildByNameId(nodetest::nameId("CheckBox"), 1));
	ASSERT_TRUE(box && box->getTemplateRoot());

	// A click on the second row's check box checks its item once the press has played.
	const core::position2d<s32> at = centreOf(box);
	click(at.X, at.Y);
	tick(0);
	tick(200);
	tick(0);
	EXPECT_TRUE(box->isChecked());
	EXPECT_TRUE(list->isItemChecked(1));

	// The next arrow scrolls by a row.
	const core::position2d<s32> next = centreOf(list->getNextButton());
	click(next.X, next.Y);
	tick(0);
	tick(200);
	tick(0);
	EXPECT_EQ(1, list->getTopItem());

	ASSERT_TRUE(slider->getSlidingArea() && slider->getKnob());
	const core::vector3df track = slider->getSlidingArea()->getAbsoluteTransformation().getTranslation();
	click(static_cast<s32>(track.X) + 120, static_cast<s32>(track.Y) + 9);
	tick(0);
	EXPECT_EQ(50.f, slider->getValue());

	ASSERT_TRUE(edit->getTextChild() && edit->getCursorChild());
	EXPECT_FALSE(edit->getTextChild()->isTranslated());
	EXPECT_TRUE(edit->getTextChild()->getFont());
}
} // namespace

// A paged knob (a list's scroll bar) grows along its track as a nine-grid and stays inside the
// track across it; the moving knob of a plain slider keeps its round look.
TEST_F(GameTemplates, AScrollBarsKnobStretchesAlongItsTrackOnlyAndASlidersKeepsItsShape)
{
	struct SCase
	{
		const char* templateName;
		s32 knobType;
		core::vector3df bounds;
		bool nineGrid;
	};
	const SCase cases[] = {
		{"AchievementsScrollBar", 2, core::vector3df(20, 316, 0), true},
		{"Slider", 0, core::vector3df(240, 30, 0), false},
	};
	std::vector<SliderNode*> sliders;
	for (const SCase& c : cases)
	{
		SliderNode* slider = add<SliderNode>(c.templateName, core::vector3df(100, 100, 0), c.bounds);
		slider->setKnobType(c.knobType);
		sliders.push_back(slider);
	}
	ASSERT_TRUE(scenes->setActiveScene(scene.get()));
	tick(0);
	for (size_t i = 0; i < sliders.size(); ++i)
	{
		const SCase& c = cases[i];
		SCOPED_TRACE(c.templateName);
		SliderNode* slider = sliders[i];
		ASSERT_TRUE(slider->getKnob() && slider->getSlidingArea());
		const core::vector3df original = slider->getKnob()->getBounds();
		// Twelve rows, five in view.
		slider->setMinValue(0.f);
		slider->setMaxValue(12.f);
		slider->setPageSize(c.knobType == 2 ? 5.f : 0.f);
		slider->setValue(3.f);
		const BaseNode* knob = slider->getKnob();
		const BaseNode* area = slider->getSlidingArea();
		EXPECT_EQ(c.nineGrid, knob->isOfType(NODE_TYPE_NINE_GRID_SPRITE));
		const bool horizontal = area->getBounds().X >= area->getBounds().Y;
		const f32 across = horizontal ? knob->getBounds().Y : knob->getBounds().X;
		const f32 at = horizontal ? knob->getPosition().Y : knob->getPosition().X;
		const f32 areaAcross = horizontal ? area->getBounds().Y : area->getBounds().X;
		const f32 areaAt = horizontal ? area->getPosition().Y : area->getPosition().X;
		EXPECT_EQ(horizontal ? original.Y : original.X, across) << "the knob keeps its width across the track";
		if (c.nineGrid)
		{
			EXPECT_GE(at, areaAt);
			EXPECT_LE(at + across, areaAt + areaAcross) << "no wider than its track";
			EXPECT_NEAR(316.f * 5.f / 12.f, knob->getBounds().Y, 0.01f) << "as long as a page";
		}
		else
			EXPECT_EQ(original, knob->getBounds()) << "a round knob stays round";
	}
}
