// Feeds arbitrary bytes to the hint and weather particle description readers, then runs what was
// read: emission at the rates read, updates along the tracks read, and the quads built for
// drawing, on nodes stepped by hand.
#include "core/CXMLReader.h"
#include "level/data/GParticleDescription.h"
#include "level/nodes/GHOHintParticlesNode.h"
#include "level/nodes/GWeatherParticlesNode.h"

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

// A few steps of a node driven by what the reader filled in.
template <class Node, class Description>
void run(const uint8_t* data, size_t size)
{
	Description description;
	if (fw::IXMLReader* reader = readerOver(data, size))
	{
		description.read(reader);
		reader->drop();
	}
	Node* node = new Node(fw::ContentReference(), nullptr, nullptr);
	node->description = description;
	for (int step = 0; step < 6; ++step)
	{
		node->emit(step == 0 ? 500 : 30);
		node->updateParticles(0.03f);
		if (node->getLiveCount() > node->getCapacity())
			__builtin_trap();
	}
	node->drop();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	run<GHOHintParticlesNode, GHOHintParticlesDescription>(data, size);
	run<GWeatherParticlesNode, GWeatherParticlesDescription>(data, size);
	return 0;
}
