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
	FW_NODE_TYPE(18, BaseNode)

	SoundNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~SoundNode() override;

	const PropertyTable& getPropertyTable() const override { return getClassPropertyTable(); }
	static const PropertyTable& getClassPropertyTable();

	BaseNode* clone(BaseNode* parent = nullptr, ISceneManager* sceneManager = nullptr) const override;
	const wchar_t* getTypeName() const override;
	const wchar_t* getClassName() const override;
	// Refreshes as every node does, then applies the sound.
	void collectRenderables(RenderList& list) override;
	// The cue's name and the Play flag, not the playing instance: a copy starts its own.
	void copyFrom(const BaseNode* source, ISceneManager* sceneManager) override;

	void writeProperties(CPropertyContainer* container) const override;
	void readProperties(CPropertyContainer* container) override;

	// Stops the instance this node started (at once) and plays the named cue instead.
	void setSoundCueName(s32 cueNameId);
	s32 getSoundCueName() const { return m_cueNameId; }
	void setPlay(bool play);
	// Whether the instance plays now, not the stored flag.
	bool isPlaying() const;
	bool getPlayFlag() const { return m_play; }
	CSoundCue* getCue() const { return m_cue; }

private:
	void setSoundCueNameProperty(const PropertyHolder& value);
	PropertyHolder getSoundCueNameProperty() const;
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
