#include "widgets/WidgetServices.h"

#include "content/ContentServices.h"
#include "core/CNodeFactory.h"
#include "widgets/ButtonNode.h"
#include "widgets/CheckBoxNode.h"
#include "widgets/EditNode.h"
#include "widgets/ListNode.h"
#include "widgets/NineGridSpriteNode.h"
#include "widgets/ParticleSystemNode.h"
#include "widgets/ProgressBarNode.h"
#include "widgets/SliderNode.h"
#include "widgets/SoundNode.h"
#include "widgets/SpawnerNode.h"
#include "widgets/SpriteNode.h"
#include "widgets/TabSceneNode.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/TextNode.h"

namespace fw
{
namespace
{
void registerWidgetClasses(CNodeFactory& factory)
{
	registerNodeClass<TemplateCollectionNode>(factory);
	registerNodeClass<TextNode>(factory);
	registerNodeClass<SpriteNode>(factory);
	registerNodeClass<NineGridSpriteNode>(factory);
	registerNodeClass<SoundNode>(factory);
	registerNodeClass<ParticleSystemNode>(factory);
	registerNodeClass<SpawnerNode>(factory);
	registerNodeClass<ButtonNode>(factory);
	registerNodeClass<BackButtonNode>(factory);
	registerNodeClass<CheckBoxNode>(factory);
	registerNodeClass<ProgressBarNode>(factory);
	registerNodeClass<SliderNode>(factory);
	registerNodeClass<EditNode>(factory);
	registerNodeClass<ListNode>(factory);
	registerNodeClass<TabSceneNode>(factory);
	// Message boxes are made by the scene manager alone; the base progress bar is not made at all.
}
} // namespace

void registerWidgetServices()
{
	registerContentServices();
	CNodeFactory::addClassRegistrar(&registerWidgetClasses);
}
} // namespace fw
