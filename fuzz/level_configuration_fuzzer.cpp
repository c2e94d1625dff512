// Feeds arbitrary bytes to every reader of the game's configuration files (building types, level,
// upgrades, comics, scores, paths), then uses what was read: modifier lists applied, random events
// run on a timer manager, paths chosen.
#include "core/CXMLReader.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GComicsConfiguration.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/GLevelPaths.h"
#include "level/data/GLevelScores.h"
#include "level/data/GUpgradesConfiguration.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"

#include <IReadFile.h>

#include <cstddef>
#include <cstdint>

namespace
{
fw::IXMLReader* readerOver(const uint8_t* data, size_t size)
{
	irr::io::IReadFile* file =
		irr::io::createMemoryReadFile(const_cast<uint8_t*>(data), static_cast<long>(size), "fuzz.xml", false);
	if (!file)
		return nullptr;
	fw::IXMLReader* reader = new fw::CXMLReader(file);
	file->drop();
	return reader;
}

template <class T>
void load(T* target, const uint8_t* data, size_t size)
{
	fw::IXMLReader* reader = readerOver(data, size);
	if (!reader)
		return;
	target->load(reader);
	reader->drop();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	auto* buildings = new GBuildingsConfiguration;
	load(buildings, data, size);
	auto* upgrades = new GUpgradesConfiguration;
	load(upgrades, data, size);
	auto* comics = new GComicsConfiguration;
	load(comics, data, size);
	auto* scores = new GLevelScores;
	load(scores, data, size);
	auto* paths = new GLevelPaths;
	load(paths, data, size);

	auto* level = new GLevelConfiguration;
	if (fw::IXMLReader* reader = readerOver(data, size))
	{
		level->read(reader);
		reader->drop();
	}

	for (const auto& entry : buildings->getBuildings())
	{
		GBuildingConfiguration* copy = new GBuildingConfiguration(*entry.second);
		if (copy->LevelModifiers)
			copy->LevelModifiers->applyAll(level);
		for (fw::u32 i = 0; i < copy->ActiveFeatures.size(); ++i)
			if (copy->ActiveFeatures[i].LevelModifiers)
				copy->ActiveFeatures[i].LevelModifiers->applyAll(level);
		copy->drop();
	}
	for (const auto& entry : upgrades->getUpgrades())
		entry.second->LevelModifiers->applyAll(level);
	scores->getScore("level1");

	fw::CRandomGenerator random;
	const fw::core::array<fw::s32> groups = paths->getGroupIds();
	for (fw::u32 i = 0; i < groups.size(); ++i)
		for (int pick = 0; pick < 3; ++pick)
			if (!paths->findPath(groups[i], random))
				__builtin_trap();
	for (int pick = 0; pick < 3; ++pick)
		if ((paths->randomPedestrianPath(random) == nullptr) != paths->getPedestrianPaths().empty())
			__builtin_trap();

	// A few seconds of the level's random events, offered to a receiver that takes nothing.
	auto* manager = new fw::CTimerManager;
	auto* receiver = new fw::CEventReceiver;
	GRandomEventList* events = level->getRandomEvents();
	for (fw::u32 i = 0; i < events->size(); ++i)
		events->get(i)->start(receiver, manager);
	for (int step = 0; step < 8; ++step)
		manager->update(500);
	for (fw::u32 i = 0; i < events->size(); ++i)
		events->get(i)->stop();
	receiver->drop();
	manager->drop();

	level->drop();
	paths->drop();
	scores->drop();
	comics->drop();
	upgrades->drop();
	buildings->drop();
	return 0;
}
