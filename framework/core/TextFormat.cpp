#include "core/TextFormat.h"

namespace fw
{
namespace
{
void appendTwoDigits(core::stringw& text, u32 value)
{
	text.append(static_cast<wchar_t>(L'0' + value / 10));
	text.append(static_cast<wchar_t>(L'0' + value % 10));
}
} // namespace

core::stringw formatTimeMinutesSeconds(u32 milliseconds)
{
	core::stringw text;
	appendTwoDigits(text, (milliseconds / 60000) % 60);
	text.append(L':');
	appendTwoDigits(text, (milliseconds / 1000) % 60);
	return text;
}

core::stringw formatThousands(s32 value, wchar_t separator)
{
	// Negated in 64 bits, so that the lowest int has a magnitude too.
	u32 magnitude = static_cast<u32>(value < 0 ? -static_cast<s64>(value) : value);

	wchar_t digits[10];
	u32 count = 0;
	do
	{
		digits[count++] = static_cast<wchar_t>(L'0' + magnitude % 10);
		magnitude /= 10;
	} while (magnitude != 0);

	core::stringw text;
	if (value < 0)
		text.append(L'-');
	for (u32 left = count; left > 0; --left)
	{
		text.append(digits[left - 1]);
		// Between groups only: never after the last digit.
		if (left != 1 && (left - 1) % 3 == 0)
			text.append(separator);
	}
	return text;
}
} // namespace fw
