#pragma once

#include "core/CMutex.h"
#include "platform/CNullAudioDriver.h"
#include "platform/os/CThread.h"

#include <atomic>
#include <deque>

typedef struct ALCdevice_struct ALCdevice;
typedef struct ALCcontext_struct ALCcontext;

namespace fw
{
class CStreamedSound;

// What the update thread has done since the counters were last reset; for measurements.
struct SStreamingStats
{
	u64 passes = 0;
	// Longest and total time of a pass's refills, in microseconds.
	u64 longestPassMicros = 0;
	u64 totalPassMicros = 0;
	// Sources that had run dry and were started again.
	u64 starvationRestarts = 0;
};

// Plays through OpenAL: sounds that decode small are held whole in one buffer, larger ones stream
// through three buffers that the update thread refills every 10 ms.
//
// Streams enter through the pending list (pending lock) and are moved into the active list by
// the update thread, which takes the active lock inside the pending lock for the move; the main
// thread never holds both. Every refill, and every main-thread operation on a stream, runs under
// the active lock.
class COpenALAudioDriver : public CNullAudioDriver, public CThread
{
public:
	static const u32 FRAMES_PER_BUFFER = 44100;
	static const u32 PASS_PERIOD_MS = 10;

	explicit COpenALAudioDriver(CFileSystem* fileSystem);
	~COpenALAudioDriver() override;

	// Opens the device and context and starts the update thread; false (logged) on any failure.
	bool init();

	core::stringc getDescription() const override;
	ISound* createSound(io::IReadFile* file, const ContentReference& key) override;
	using CNullAudioDriver::createSound;
	void setListener(const core::vector3df& position, const core::vector3df& forward, const core::vector3df& third,
		const core::vector3df& up) override;

	// The main thread, from a stream's first play.
	void queueStream(CStreamedSound* stream);
	// Every stream made on this driver is known to it, so that none outlives it unawares; removal
	// takes it out of every list and waits for its refill in progress.
	void addStream(CStreamedSound* stream);
	void removeStream(CStreamedSound* stream);
	CMutex* getActiveLock() { return &m_activeLock; }

	bool isRunning() const { return m_running; }
	SStreamingStats getStreamingStats() const;
	void resetStreamingStats();

protected:
	void run() override;

private:
	COpenALAudioDriver(const COpenALAudioDriver&) = delete;
	COpenALAudioDriver& operator=(const COpenALAudioDriver&) = delete;

	bool isActive(const CStreamedSound* stream) const;

	CMutex m_pendingLock;
	CMutex m_activeLock;
	std::atomic<bool> m_running{false};
	ALCdevice* m_alDevice = nullptr;
	ALCcontext* m_alContext = nullptr;
	core::array<CStreamedSound*> m_activeStreams;
	std::deque<CStreamedSound*> m_pendingStreams;
	// Main thread only.
	core::array<CStreamedSound*> m_streams;

	std::atomic<u64> m_passes{0};
	std::atomic<u64> m_longestPassMicros{0};
	std::atomic<u64> m_totalPassMicros{0};
	std::atomic<u64> m_starvationRestarts{0};
};

// A running driver, or null (logged) when OpenAL cannot be opened.
COpenALAudioDriver* createOpenALAudioDriver(CFileSystem* fileSystem);
} // namespace fw
