#pragma once

// The engine's value types, used as they are, and the short names the framework writes them with.
#include <IReferenceCounted.h>
#include <irrArray.h>
#include <irrString.h>
#include <irrTypes.h>

namespace irr
{
namespace video
{
}
namespace io
{
}
} // namespace irr

namespace fw
{
namespace core = irr::core;
namespace video = irr::video;
namespace io = irr::io;

using irr::c8;
using irr::f32;
using irr::f64;
using irr::IReferenceCounted;
using irr::s16;
using irr::s32;
using irr::s64;
using irr::u16;
using irr::u32;
using irr::u64;
using irr::u8;

// Log levels of the framework's logger.
enum ELogLevel
{
	LOG_INFORMATION = 0,
	LOG_WARNING = 1,
	LOG_ERROR = 2,
	LOG_NONE = 3
};
} // namespace fw
