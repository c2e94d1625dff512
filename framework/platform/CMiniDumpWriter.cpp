#include "platform/CMiniDumpWriter.h"

#include "core/CLogger.h"
#include "platform/os/CrashReport.h"

namespace fw
{
bool CMiniDumpWriter::install()
{
	if (os::installCrashReport())
		return true;
	logWarning("The crash report cannot be installed: a crash will leave no report.");
	return false;
}
} // namespace fw
