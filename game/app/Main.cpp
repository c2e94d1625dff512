// The program's entry: one instance per user, the game object, its main loop; status 0 when the
// game ran and was closed, 1 when it could not start or its loop failed.

#include "app/GGame.h"
#include "core/CLogger.h"
#include "core/CRefHolder.h"
#include "platform/CDeviceLinux.h"
#include "platform/CEngineDeviceSingleton.h"
#include "platform/CMiniDumpWriter.h"
#include "platform/CSingleInstanceGuard.h"
#include "platform/os/Folders.h"
#include "widgets/WidgetServices.h"

#include <cstdio>
#include <string>

using namespace fw;

namespace
{
// The instance lock's name, shared by every start of the game by this user.
const c8* const INSTANCE_NAME = "Quillbrook Game Instance";

// The player sees warnings and errors on the terminal the game was started from.
void logToStandardError()
{
	CLogger::setSink(
		[](s32 level, const c8* text, const c8* hint)
		{
			if (level < LOG_WARNING)
				return;
			std::string line = text ? text : "";
			// "Text.: hint" reads as one sentence once the text's own full stop goes.
			if (hint && *hint)
			{
				if (!line.empty() && line.back() == '.')
					line.pop_back();
				line = line + ": " + hint;
			}
			std::fprintf(stderr, "quillbrook: %s%s\n", level >= LOG_ERROR ? "error: " : "", line.c_str());
		});
}

// The staged files lie beside the program, whatever folder it was started from.
void enterProgramFolder()
{
	core::stringc folder;
	if (os::getProgramFolder(folder))
		os::setCurrentFolder(folder);
}

void storeMainWindow(CSingleInstanceGuard& guard)
{
	CDeviceLinux* device = dynamic_cast<CDeviceLinux*>(CEngineDeviceSingleton::Instance().getDevice());
	if (device)
		guard.setMainWindow(device->getWindowId());
}
} // namespace

int main()
{
	logToStandardError();
	CMiniDumpWriter::install();
	CSingleInstanceGuard guard(INSTANCE_NAME);
	if (guard.isAlreadyRunning())
		return 0;
	enterProgramFolder();
	registerWidgetServices();

	CRefHolder<GGame> game = adoptRef(new GGame);
	if (!game->init())
	{
		logError("Failed to initialize game");
		game->shutdown();
		return 1;
	}
	storeMainWindow(guard);
	const bool ran = game->run();
	game->shutdown();
	game.release();
	if (!ran)
	{
		logError("Failed to run game");
		return 1;
	}
	return 0;
}
