#pragma once

// A headless scene for the ambient nodes: a scene manager with one active scene whose clock the
// tests step by hand, a template collection, and nodes made by class name as scene files make them.

#include "level/MoverTestSupport.h"

#include "core/CNodeFactory.h"
#include "core/CPropertyContainer.h"
#include "core/NodeCasts.h"
#include "minigames/GMiniGameNodeClasses.h"
#include "platform/CRandomGenerator.h"
#include "widgets/TemplateCollectionNode.h"

#include <string>
#include <vector>

namespace ambienttest
{
class CAmbientScene
{
public:
	CAmbientScene() :
		factory(fw::adoptRef(new fw::CNodeFactory)),
		collection(fw::adoptRef(new fw::TemplateCollectionNode(fw::ContentReference(), nullptr, nullptr)))
	{
		registerMiniGameNodeClasses(*factory);
		headless.manager->setTemplateCollection(collection.get());
	}
	~CAmbientScene() { headless.manager->setTemplateCollection(nullptr); }
	CAmbientScene(const CAmbientScene&) = delete;
	CAmbientScene& operator=(const CAmbientScene&) = delete;

	// A node of the class named, made by the factory; the caller holds it.
	template <class T>
	fw::CRefHolder<T> make()
	{
		fw::CRefHolder<fw::BaseNode> node = fw::adoptRef(factory->create(T::TypeName, fw::ContentReference()));
		return fw::CRefHolder<T>(fw::nodeCast<T>(node.get()));
	}
	// The same, placed in the scene at the point given, which alone holds it.
	template <class T>
	T* place(const fw::core::vector3df& at = fw::core::vector3df(0.f, 0.f, 0.f))
	{
		fw::CRefHolder<T> node = make<T>();
		node->setPosition(at);
		headless.scene->addChild(node.get());
		return node.get();
	}

	fw::CRefHolder<fw::CNodeFactory> factory;
	movertest::CHeadlessScene headless;
	fw::CRefHolder<fw::TemplateCollectionNode> collection;
};

// The properties of its own class the node writes (BaseNode's left out), as "Name=text", in the
// order written.
inline std::vector<std::string> written(const fw::BaseNode* node)
{
	const fw::CRefHolder<fw::CPropertyContainer> container = fw::adoptRef(new fw::CPropertyContainer(nullptr));
	node->writeProperties(container.get());
	std::vector<std::string> items;
	for (fw::u32 i = 0; i < container->getItemCount(); ++i)
		if (fw::findPropertyIndex(fw::BaseNode::getClassPropertyTable(),
				container->getNameAt(static_cast<fw::s32>(i))) < 0)
			items.push_back(std::string(container->getNameAt(static_cast<fw::s32>(i)).c_str()) + "=" +
				fw::getPropertyText(container->getValueAt(static_cast<fw::s32>(i))).c_str());
	return items;
}
} // namespace ambienttest
