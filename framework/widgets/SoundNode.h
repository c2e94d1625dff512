#pragma once

#include "core/BaseNode.h"

namespace fw
{
class CSoundCue;
class CSoundManager;

// Plays a sound cue from a scene file: the cue starts when the node first takes part in drawing
// (its scene shown, the node visible). Play false stops it; another name replaces it. It draws
// nothing.
class SoundNode : public BaseNode
{
public:
	FW_NODE_CLASS(SoundNode, BaseNode, NODE_TYPE_SOUND, L"SoundNode")
	static const PropertyTable& getClassPropertyTable();

	SoundNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~SoundNode() override;

	// Stops the instance this node started (at once) and plays the named cue instead.
	void setSoundCueName(s32 cueNameId);
	s32 getSoundCueName() const { return m_cueNameId; }
	void setPlay(bool play);
	// Whether the instance plays now, not the stored flag.
	bool isPlaying() const;
	bool getPlayFlag() const { return m_play; }
	CSoundCue* getCue() const { return m_cue; }

protected:
	// Draws nothing: taking part in drawing is what starts the cue.
	void appendRenderables(RenderList& list) override;

private:
	// Puts the name and flag into effect once; retried on every drawing pass until it is.
	void applySound();
	CSoundManager* findSoundManager() const;
	void releaseCue(bool stop);

	s32 m_cueNameId = -1;
	CSoundCue* m_cue = nullptr;
	bool m_play = true;
	bool m_applied = false;
};
} // namespace fw
