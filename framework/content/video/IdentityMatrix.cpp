#include "content/video/IdentityMatrix.h"

namespace fw
{
namespace video2d
{
const core::matrix4& getIdentityMatrix()
{
	static const core::matrix4 identity(core::matrix4::EM4CONST_IDENTITY);
	return identity;
}
} // namespace video2d
} // namespace fw
