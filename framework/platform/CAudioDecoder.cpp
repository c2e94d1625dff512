#include "platform/CAudioDecoder.h"

namespace fw
{
u32 CAudioDecoder::read(void*, u32)
{
	return 0;
}
} // namespace fw
