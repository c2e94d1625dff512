#pragma once

#include "core/CRefHolder.h"
#include "platform/CSoundData.h"

namespace fw
{
// One OpenAL buffer holding a whole decoded sound; the decoded data stays as long as it lives.
class CSoundBuffer : public virtual IReferenceCounted
{
public:
	// Uploads the data; an unsupported format leaves buffer 0, on which a source plays nothing.
	explicit CSoundBuffer(CSoundData* data);
	~CSoundBuffer() override;

	u32 getBufferId() const { return m_bufferId; }
	CSoundData* getData() const { return m_data.get(); }

private:
	CSoundBuffer(const CSoundBuffer&) = delete;
	CSoundBuffer& operator=(const CSoundBuffer&) = delete;

	u32 m_bufferId = 0;
	CRefHolder<CSoundData> m_data;
};
} // namespace fw
