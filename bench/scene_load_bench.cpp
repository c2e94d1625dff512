// Scene files through the content manager: loading a 1,000-node file from disk, against handing
// out a copy of its cached prototype, which is what every request after the first costs. The same
// file parsed by pugixml in the same run is the yardstick: the full load against its parse, the XML
// reader's walk against its parse and walk.

#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "core/BaseNode.h"
#include "core/CNodeFactory.h"
#include "core/CRefHolder.h"
#include "core/IXMLReader.h"
#include "platform/CFileSystem.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <ftw.h>
#include <stdlib.h>

#include <string>

using namespace fw;

namespace
{
const u32 NODE_COUNT = 1000;
const u32 GROUP_SIZE = 10;

// A root and a hundred panels of up to nine items each: NODE_COUNT nodes in all.
BaseNode* buildTree()
{
	BaseNode* root = new BaseNode(ContentReference(), nullptr, nullptr);
	root->setName("Root");
	root->setBounds(core::vector3df(800.f, 600.f, 0.f));
	u32 count = 1;
	BaseNode* group = nullptr;
	for (u32 i = 0; count < NODE_COUNT; ++i, ++count)
	{
		const bool opensGroup = i % GROUP_SIZE == 0;
		BaseNode* parent = opensGroup ? root : group;
		BaseNode* node = new BaseNode(ContentReference(), parent, nullptr);
		node->setName(("Node" + std::to_string(i)).c_str());
		node->setPosition(
			core::vector3df(static_cast<f32>(i % 40) * 20.f, static_cast<f32>(i / 40) * 20.f, static_cast<f32>(i % 7)));
		node->setBounds(core::vector3df(18.f, 18.f, 0.f));
		node->setTintColor(video::SColor(0xFF000000u | (i * 2654435761u >> 8)));
		if (opensGroup)
			group = node;
		node->drop();
	}
	return root;
}

u32 countNodes(const BaseNode* node)
{
	u32 count = 1;
	for (u32 i = 0; i < node->getChildren().size(); ++i)
		count += countNodes(node->getChildren()[i]);
	return count;
}

// The file on disk and a content manager that reads it.
struct SSceneFile
{
	std::string folder;
	core::stringc name;
	CRefHolder<CFileSystem> fileSystem;
	CRefHolder<CNodeFactory> factory;
	CRefHolder<CContentProcessorsManager> processors;
	CRefHolder<CContentManager> manager;

	SSceneFile()
	{
		char pattern[] = "/tmp/qb-scene-bench-XXXXXX";
		folder = mkdtemp(pattern);
		name = (folder + "/Big.oscn").c_str();
		fileSystem = adoptRef(createFileSystem());
		factory = adoptRef(new CNodeFactory);
		processors = adoptRef(new CContentProcessorsManager(nullptr, fileSystem.get(), factory.get()));
		manager = adoptRef(new CContentManager(nullptr, fileSystem.get(), processors.get()));
		const CRefHolder<BaseNode> tree = adoptRef(buildTree());
		if (countNodes(tree.get()) != NODE_COUNT ||
			!manager->saveContent(CONTENT_TYPE_SCENE_NODE, tree.get(), name, nullptr))
			abort();
	}
	~SSceneFile()
	{
		manager.release();
		nftw(
			folder.c_str(), [](const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }, 8,
			FTW_DEPTH | FTW_PHYS);
	}

	static SSceneFile& get()
	{
		static SSceneFile instance;
		return instance;
	}
};

BaseNode* request(CContentManager* manager, const core::stringc& name)
{
	return dynamic_cast<BaseNode*>(manager->getContent(CONTENT_TYPE_SCENE_NODE, name, false));
}

// Open, parse and build: with caching off every request reads the file.
void BM_SceneFileFreshLoad(benchmark::State& state)
{
	SSceneFile& scene = SSceneFile::get();
	scene.manager->clear();
	scene.manager->setCachingEnabled(false);
	for (auto _ : state)
	{
		BaseNode* node = request(scene.manager.get(), scene.name);
		if (!node)
			state.SkipWithError("the scene file did not load");
		benchmark::DoNotOptimize(node);
		if (node)
			node->drop();
	}
	scene.manager->setCachingEnabled(true);
	state.counters["nodes"] = NODE_COUNT;
	state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * NODE_COUNT);
}
BENCHMARK(BM_SceneFileFreshLoad)->Unit(benchmark::kMillisecond);

// What every later request costs: a copy of the cached prototype.
void BM_SceneFileCachedClone(benchmark::State& state)
{
	SSceneFile& scene = SSceneFile::get();
	scene.manager->clear();
	request(scene.manager.get(), scene.name)->drop();
	for (auto _ : state)
	{
		BaseNode* node = request(scene.manager.get(), scene.name);
		if (!node)
			state.SkipWithError("no copy of the prototype");
		benchmark::DoNotOptimize(node);
		if (node)
			node->drop();
	}
	state.counters["nodes"] = NODE_COUNT;
	state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * NODE_COUNT);
}
BENCHMARK(BM_SceneFileCachedClone)->Unit(benchmark::kMillisecond);
} // namespace

namespace
{
// What a walk takes from every node: its type, its name's first unit, and each attribute's first
// name and value units; the same for both parsers, so that neither skips what the other reads.
struct SWalkSum
{
	u64 nodes = 0;
	u64 attributes = 0;
	u64 units = 0;
};

void walkPugi(const pugi::xml_node& node, SWalkSum& sum)
{
	for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
	{
		++sum.nodes;
		sum.units += static_cast<u64>(child.type()) + static_cast<unsigned char>(child.name()[0]);
		for (pugi::xml_attribute attribute = child.first_attribute(); attribute; attribute = attribute.next_attribute())
		{
			++sum.attributes;
			sum.units +=
				static_cast<unsigned char>(attribute.name()[0]) + static_cast<unsigned char>(attribute.value()[0]);
		}
		walkPugi(child, sum);
	}
}

// pugixml reads the file and builds its document (UTF-16 in, UTF-8 inside, as it does by default).
void BM_PugixmlParse(benchmark::State& state)
{
	SSceneFile& scene = SSceneFile::get();
	for (auto _ : state)
	{
		pugi::xml_document document;
		if (!document.load_file(scene.name.c_str()))
			state.SkipWithError("pugixml did not parse the scene file");
		benchmark::DoNotOptimize(document.first_child());
	}
	state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * NODE_COUNT);
}
BENCHMARK(BM_PugixmlParse)->Unit(benchmark::kMillisecond);

void BM_PugixmlParseAndWalk(benchmark::State& state)
{
	SSceneFile& scene = SSceneFile::get();
	SWalkSum sum;
	for (auto _ : state)
	{
		pugi::xml_document document;
		if (!document.load_file(scene.name.c_str()))
			state.SkipWithError("pugixml did not parse the scene file");
		sum = SWalkSum();
		walkPugi(document, sum);
		benchmark::DoNotOptimize(sum);
	}
	state.counters["elements"] = static_cast<double>(sum.nodes);
	state.counters["attributes"] = static_cast<double>(sum.attributes);
	state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * NODE_COUNT);
}
BENCHMARK(BM_PugixmlParseAndWalk)->Unit(benchmark::kMillisecond);

// The project's reader over the same file: open, decode, and pull every node with its attributes.
void BM_XMLReaderWalk(benchmark::State& state)
{
	SSceneFile& scene = SSceneFile::get();
	SWalkSum sum;
	for (auto _ : state)
	{
		const CRefHolder<IXMLReader> reader = adoptRef(scene.fileSystem->createXMLReader(scene.name));
		if (!reader)
			state.SkipWithError("the scene file did not open");
		sum = SWalkSum();
		while (reader && reader->read())
		{
			const EXmlNodeType type = reader->getNodeType();
			// pugixml keeps no node for closing tags, the declaration or the indentation between tags.
			if (type != XML_NODE_ELEMENT)
				continue;
			++sum.nodes;
			sum.units += static_cast<u64>(type) + static_cast<u64>(reader->getNodeName()[0]);
			const s32 count = reader->getAttributeCount();
			for (s32 i = 0; i < count; ++i)
			{
				++sum.attributes;
				sum.units += static_cast<u64>(reader->getAttributeName(i)[0]) +
					static_cast<u64>(reader->getAttributeValue(i)[0]);
			}
		}
		benchmark::DoNotOptimize(sum);
	}
	state.counters["elements"] = static_cast<double>(sum.nodes);
	state.counters["attributes"] = static_cast<double>(sum.attributes);
	state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * NODE_COUNT);
}
BENCHMARK(BM_XMLReaderWalk)->Unit(benchmark::kMillisecond);
} // namespace
