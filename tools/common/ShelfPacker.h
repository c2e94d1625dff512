#pragma once

// Packs rectangles into pages shelf by shelf, tallest first, with a gap of empty pixels around
// every image so that filtering never reaches a neighbour. Deterministic: ties keep input order.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace tools
{
struct SPackItem
{
	int width = 0;
	int height = 0;
	// Filled by pack.
	int page = 0;
	int x = 0;
	int y = 0;
};

struct SPageSize
{
	int width = 0;
	int height = 0;
};

// Places every item; answers the size each page needs (each side at most maxSide). False when
// an item cannot fit an empty page.
inline bool pack(std::vector<SPackItem>& items, int maxSide, int gap, std::vector<SPageSize>& pages)
{
	std::vector<size_t> order(items.size());
	for (size_t i = 0; i < order.size(); ++i)
		order[i] = i;
	std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return items[a].height > items[b].height; });
	pages.clear();
	int page = -1;
	int x = 0;
	int y = 0;
	int shelfHeight = 0;
	for (size_t index : order)
	{
		SPackItem& item = items[index];
		if (item.width + 2 * gap > maxSide || item.height + 2 * gap > maxSide)
			return false;
		if (page < 0 || x + item.width + gap > maxSide)
		{
			// A new shelf, or a new page when the shelf would not fit.
			if (page >= 0)
			{
				y += shelfHeight + gap;
				x = gap;
				shelfHeight = 0;
			}
			if (page < 0 || y + item.height + gap > maxSide)
			{
				pages.push_back(SPageSize());
				page = static_cast<int>(pages.size()) - 1;
				x = gap;
				y = gap;
				shelfHeight = 0;
			}
		}
		item.page = page;
		item.x = x;
		item.y = y;
		x += item.width + gap;
		shelfHeight = std::max(shelfHeight, item.height);
		pages[page].width = std::max(pages[page].width, item.x + item.width + gap);
		pages[page].height = std::max(pages[page].height, item.y + item.height + gap);
	}
	return true;
}

// The text with XML's five special characters escaped.
inline std::string xmlEscape(const std::string& text)
{
	std::string out;
	for (char c : text)
	{
		switch (c)
		{
		case '&':
			out += "&amp;";
			break;
		case '<':
			out += "&lt;";
			break;
		case '>':
			out += "&gt;";
			break;
		case '"':
			out += "&quot;";
			break;
		case '\'':
			out += "&apos;";
			break;
		default:
			out += c;
		}
	}
	return out;
}
} // namespace tools
