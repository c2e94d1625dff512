#include "platform/os/OpenUrl.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fw
{
namespace os
{
bool openUrl(const c8* url)
{
	if (!url || !*url || url[0] == '-')
		return false;

	// The opener tells of a failed exec through this pipe; a successful exec closes it.
	int report[2];
	if (pipe2(report, O_CLOEXEC) != 0)
		return false;
	const pid_t child = fork();
	if (child < 0)
	{
		close(report[0]);
		close(report[1]);
		return false;
	}
	if (child == 0)
	{
		// The middle process leaves at once, so the opener never becomes our zombie.
		const pid_t opener = fork();
		if (opener == 0)
		{
			char program[] = "xdg-open";
			char* const arguments[] = {program, const_cast<char*>(url), nullptr};
			execvp(program, arguments);
			const int error = errno;
			ssize_t written = write(report[1], &error, sizeof(error));
			(void)written;
			_exit(127);
		}
		_exit(opener < 0 ? 1 : 0);
	}

	close(report[1]);
	int status = 0;
	while (waitpid(child, &status, 0) < 0 && errno == EINTR)
	{
	}
	bool started = WIFEXITED(status) && WEXITSTATUS(status) == 0;
	int error = 0;
	ssize_t count;
	while ((count = read(report[0], &error, sizeof(error))) < 0 && errno == EINTR)
	{
	}
	close(report[0]);
	return started && count == 0;
}
} // namespace os
} // namespace fw
