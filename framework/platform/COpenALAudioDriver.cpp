#include "platform/COpenALAudioDriver.h"

#include "core/CLogger.h"
#include "platform/CSoundData.h"
#include "platform/CSoundDecodersManager.h"
#include "platform/CStaticSound.h"
#include "platform/CStreamedSound.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

namespace fw
{
namespace
{
// The ALSA library's error handler; its messages are dropped.
void ignoreAlsaError(const char*, int, const char*, int, const char*, ...)
{
}

// OpenAL Soft and the ALSA library under it print their own errors on the terminal while the
// device is searched for, several lines for a machine without a sound card; the driver says what
// matters itself. A log level or log file of OpenAL Soft set by the user asks for them all.
// OpenAL Soft reads its settings at its first call, so this runs before it.
void quietSoundLibraries()
{
	static bool done = false;
	if (done)
		return;
	done = true;
	if (std::getenv("ALSOFT_LOGLEVEL") || std::getenv("ALSOFT_LOGFILE"))
		return;
	setenv("ALSOFT_LOGLEVEL", "0", 0);
	// OpenAL Soft loads ALSA as a shared library of its own; the handler is set on that same
	// library, which stays loaded from here on so that the setting holds.
	void* alsa = dlopen("libasound.so.2", RTLD_LAZY);
	if (!alsa)
		return;
	typedef void (*ErrorHandler)(const char*, int, const char*, int, const char*, ...);
	typedef int (*SetErrorHandler)(ErrorHandler);
	if (SetErrorHandler set = reinterpret_cast<SetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
		set(&ignoreAlsaError);
}
} // namespace

COpenALAudioDriver::COpenALAudioDriver(CFileSystem* fileSystem) : CNullAudioDriver(fileSystem)
{
}

COpenALAudioDriver::~COpenALAudioDriver()
{
	m_running = false;
	join();
	for (u32 i = 0; i < m_streams.size(); ++i)
		m_streams[i]->detachDriver();
	alcMakeContextCurrent(nullptr);
	if (m_alContext)
		alcDestroyContext(m_alContext);
	if (m_alDevice)
		alcCloseDevice(m_alDevice);
}

bool COpenALAudioDriver::init()
{
	quietSoundLibraries();
	m_alDevice = alcOpenDevice("Generic Software");
	if (!m_alDevice)
	{
		// OpenAL Soft names its devices after its backends.
		logInfo("No OpenAL device \"Generic Software\": opening the default device");
		m_alDevice = alcOpenDevice(nullptr);
	}
	if (!m_alDevice)
	{
		// A machine without a sound card: the program says so in its own words.
		logInfo("Failed to open the OpenAL audio device");
		return false;
	}
	m_alContext = alcCreateContext(m_alDevice, nullptr);
	if (!m_alContext)
	{
		alcCloseDevice(m_alDevice);
		m_alDevice = nullptr;
		logError("Failed to create the OpenAL audio context");
		return false;
	}
	m_running = true;
	alcMakeContextCurrent(m_alContext);
	setListener(core::vector3df(0, 0, 0), core::vector3df(0, 0, -1), core::vector3df(0, 0, 0),
		core::vector3df(0, 1, 0));
	if (!start())
	{
		m_running = false;
		logError("Failed to create the OpenAL update thread");
		return false;
	}
	return true;
}

core::stringc COpenALAudioDriver::getDescription() const
{
	core::stringc text = "OpenAL\n Device: ";
	const ALCchar* device = m_alDevice ? alcGetString(m_alDevice, ALC_DEVICE_SPECIFIER) : nullptr;
	text += device ? device : "";
	text += "\n";
	if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATION_EXT"))
	{
		text += " Available devices: ";
		const ALCchar* list = alcGetString(nullptr, ALC_DEVICE_SPECIFIER);
		if (!list || !*list)
			text += "none";
		for (const ALCchar* name = list; name && *name; name += std::strlen(name) + 1)
		{
			text += name;
			text += " ";
		}
		text += "\n";
	}
	return text;
}

ISound* COpenALAudioDriver::createSound(io::IReadFile* file, const ContentReference& key)
{
	if (!m_running || !file)
		return nullptr;
	const CRefHolder<CAudioDecoder> decoder = adoptRef(CSoundDecodersManagerSingleton::Instance().createDecoder(file));
	if (!decoder || decoder->getFrameCount() <= 0)
		return nullptr;
	if (decoder->getDecodedSize() > m_streamingThreshold)
		return new CStreamedSound(key, this, decoder.get(), FRAMES_PER_BUFFER);
	const CRefHolder<CSoundData> data = adoptRef(new CSoundData(decoder.get()));
	if (!data->hasSamples())
		return nullptr;
	const CRefHolder<CSoundBuffer> buffer = adoptRef(new CSoundBuffer(data.get()));
	return new CStaticSound(key, buffer.get());
}

void COpenALAudioDriver::setListener(const core::vector3df& position, const core::vector3df& forward,
	const core::vector3df&, const core::vector3df&)
{
	if (!m_running)
		return;
	alListener3f(AL_POSITION, position.X, position.Y, position.Z);
	const ALfloat orientation[6] = {forward.X, forward.Y, forward.Z, 0.f, 1.f, 0.f};
	alListenerfv(AL_ORIENTATION, orientation);
}

void COpenALAudioDriver::queueStream(CStreamedSound* stream)
{
	CMutexLock lock(&m_pendingLock);
	m_pendingStreams.push_back(stream);
}

void COpenALAudioDriver::addStream(CStreamedSound* stream)
{
	m_streams.push_back(stream);
}

void COpenALAudioDriver::removeStream(CStreamedSound* stream)
{
	const s32 known = m_streams.linear_search(stream);
	if (known >= 0)
		m_streams.erase(static_cast<u32>(known));
	{
		CMutexLock lock(&m_pendingLock);
		m_pendingStreams.erase(std::remove(m_pendingStreams.begin(), m_pendingStreams.end(), stream),
			m_pendingStreams.end());
	}
	CMutexLock lock(&m_activeLock);
	const s32 index = m_activeStreams.linear_search(stream);
	if (index < 0)
		return;
	m_activeStreams[static_cast<u32>(index)] = m_activeStreams.getLast();
	m_activeStreams.erase(m_activeStreams.size() - 1);
}

bool COpenALAudioDriver::isActive(const CStreamedSound* stream) const
{
	for (u32 i = 0; i < m_activeStreams.size(); ++i)
		if (m_activeStreams[i] == stream)
			return true;
	return false;
}

SStreamingStats COpenALAudioDriver::getStreamingStats() const
{
	SStreamingStats stats;
	stats.passes = m_passes;
	stats.longestPassMicros = m_longestPassMicros;
	stats.totalPassMicros = m_totalPassMicros;
	stats.starvationRestarts = m_starvationRestarts;
	return stats;
}

void COpenALAudioDriver::resetStreamingStats()
{
	m_passes = 0;
	m_longestPassMicros = 0;
	m_totalPassMicros = 0;
	m_starvationRestarts = 0;
}

void COpenALAudioDriver::run()
{
	core::array<CStreamedSound*> snapshot;
	while (m_running)
	{
		const auto begin = std::chrono::steady_clock::now();
		{
			CMutexLock pending(&m_pendingLock);
			if (!m_pendingStreams.empty())
			{
				CMutexLock active(&m_activeLock);
				for (CStreamedSound* stream : m_pendingStreams)
					m_activeStreams.push_back(stream);
				m_pendingStreams.clear();
			}
		}
		{
			CMutexLock active(&m_activeLock);
			snapshot = m_activeStreams;
		}
		u64 restarts = 0;
		for (u32 i = 0; i < snapshot.size(); ++i)
		{
			CMutexLock active(&m_activeLock);
			if (isActive(snapshot[i]))
			{
				if (snapshot[i]->isPlaying() && snapshot[i]->update())
					++restarts;
			}
			else
				std::this_thread::yield();
		}
		const u64 micros = static_cast<u64>(
			std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begin).count());
		m_passes += 1;
		m_totalPassMicros += micros;
		m_starvationRestarts += restarts;
		if (micros > m_longestPassMicros)
			m_longestPassMicros = micros;
		sleepMilliseconds(PASS_PERIOD_MS);
	}
}

COpenALAudioDriver* createOpenALAudioDriver(CFileSystem* fileSystem)
{
	COpenALAudioDriver* driver = new COpenALAudioDriver(fileSystem);
	if (driver->init())
		return driver;
	driver->drop();
	return nullptr;
}
} // namespace fw
