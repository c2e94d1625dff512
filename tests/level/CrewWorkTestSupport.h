#pragma once

// What the work tests share on the fixture level: delivery paths made by hand, a "Bus" cue in the
// sound trace, template collections of their own, and a log of every game message offered to the
// level (read before the level's own handlers, so that it holds whatever they do with it).

#include "LevelSceneSupport.h"

#include "level/data/GLevelPaths.h"
#include "level/works/GBuildingWork.h"

#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace leveltest
{
// A delivery path through the points, in order.
inline fw::CRefHolder<GLevelPath> makePath(std::initializer_list<std::pair<fw::f32, fw::f32>> points)
{
	fw::CRefHolder<GLevelPath> path = fw::adoptRef(new GLevelPath);
	for (const std::pair<fw::f32, fw::f32>& point : points)
	{
		GPathPoint p;
		p.x = point.first;
		p.y = point.second;
		path->points.push_back(p);
	}
	return path;
}

// Plays of the cue write "<cue>:play" into the level's sound trace, as the level's own cues do.
inline void registerTraceCue(fw::CSoundManager* sounds, const char* name)
{
	if (sounds->findCue(id(name)))
		return;
	const fw::CRefHolder<fw::CSoundCue> cue = fw::adoptRef(new fw::CSoundCue(id(name)));
	cue->addSound(fw::adoptRef(new fw::soundtest::CScriptedSound(name, &soundTrace())).get());
	sounds->registerCue(cue.get());
}

// A template collection read from its templates' elements.
inline fw::CRefHolder<fw::TemplateCollectionNode> makeTemplates(fw::CNodeFactory* factory, const std::string& templates)
{
	return fw::CRefHolder<fw::TemplateCollectionNode>(fw::nodeCast<fw::TemplateCollectionNode>(
		loadScene(factory, "<SceneNode Type=\"TemplateCollectionNode\">" + templates + "</SceneNode>", "Works.oscn")
			.get()));
}

// A node of the element, for a test to add where it needs it.
inline fw::CRefHolder<fw::BaseNode> makeNode(fw::CNodeFactory* factory, const std::string& element)
{
	return loadScene(factory, element, "Node.oscn");
}

// Every game message offered to the level, as "<type id> <building>" and, for the resources given
// back, " <materials> <workers>". It never consumes one.
class CLevelMessageLog : public fw::CEventReceiver
{
public:
	explicit CLevelMessageLog(GGameLevelScene* level) : m_level(level)
	{
		setEventMask(fw::EVENT_CATEGORY_GAME_MESSAGE);
		m_level->addPreListener(this);
	}
	~CLevelMessageLog() override { m_level->removePreListener(this); }
	CLevelMessageLog(const CLevelMessageLog&) = delete;
	CLevelMessageLog& operator=(const CLevelMessageLog&) = delete;

	bool onEvent(fw::CEvent* event) override
	{
		// Listeners are offered every event of the level.
		if (!acceptsEvent(event))
			return false;
		std::string line = std::to_string(event->getTypeId());
		if (event->getTypeId() >= GAME_MESSAGE_CONSTRUCTION_DONE &&
			event->getTypeId() <= GAME_MESSAGE_RESOURCES_RETURNED)
		{
			const GBuildingMessage* message = static_cast<const GBuildingMessage*>(event);
			line += std::string(" ") + (message->building ? message->building->getName().c_str() : "-");
		}
		if (event->getTypeId() == GAME_MESSAGE_RESOURCES_RETURNED)
		{
			const GResourcesReturnedMessage* returned = static_cast<const GResourcesReturnedMessage*>(event);
			char numbers[64];
			std::snprintf(numbers, sizeof(numbers), " %g %d", returned->materials, returned->workers);
			line += numbers;
		}
		lines.push_back(line);
		return false;
	}

	std::vector<std::string> take()
	{
		std::vector<std::string> out;
		out.swap(lines);
		return out;
	}

	std::vector<std::string> lines;

private:
	GGameLevelScene* m_level;
};
} // namespace leveltest
