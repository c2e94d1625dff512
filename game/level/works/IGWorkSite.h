#pragma once

class GGameMessage;
class GLevelConfiguration;
class IGTrafficManager;

// What a work on a building sees of the level it runs in (the level scene implements it).
class IGWorkSite
{
public:
	// The level's rules and effective modifiers; null before they are set.
	virtual GLevelConfiguration* getLevelConfiguration() const = 0;
	// The street traffic that the works' vehicles join; null without one.
	virtual IGTrafficManager* getTrafficManager() const = 0;
	// Hands the message to the level's handlers at once and, when none consumes it, up from the
	// level; then drops the caller's reference. True when a handler consumed it.
	virtual bool offerMessage(GGameMessage* message) = 0;

protected:
	~IGWorkSite() = default;
};
