#include "display/MiddleElision.h"

#include <vector>

namespace BPrivate {

namespace {

// U+2026, the horizontal ellipsis.
const char* kEllipsis = "\xe2\x80\xa6";


// The byte offsets at which characters start, and the length at the end.
std::vector<size_t>
CharacterStarts(const char* text, size_t length)
{
	std::vector<size_t> starts;
	for (size_t i = 0; i < length; i++) {
		if (((unsigned char)text[i] & 0xc0) != 0x80)
			starts.push_back(i);
	}
	starts.push_back(length);
	return starts;
}

} // namespace


std::string
ElideMiddle(const char* text, size_t length, float width,
	const TextMeasure& measure)
{
	if (measure(text, length) <= width)
		return std::string(text, length);

	std::vector<size_t> starts = CharacterStarts(text, length);
	size_t characters = starts.size() - 1;
	auto joined = [&](size_t head, size_t tail) {
		// head characters from the start, tail from the end.
		return std::string(text, starts[head]) + kEllipsis
			+ std::string(text + starts[characters - tail],
				length - starts[characters - tail]);
	};
	auto fits = [&](const std::string& candidate) {
		return measure(candidate.data(), candidate.size()) <= width;
	};

	// A path keeps its file name (from its last slash on) whole.
	size_t slash = std::string(text, length).rfind('/');
	if (slash != std::string::npos && slash > 0) {
		size_t tail = 0;
		while (tail < characters && starts[characters - tail] > slash)
			tail++;
		if (fits(joined(0, tail))) {
			// The most characters of the start that still fit.
			size_t low = 0;
			size_t high = characters - tail;
			while (low < high) {
				size_t middle = (low + high + 1) / 2;
				if (fits(joined(middle, tail)))
					low = middle;
				else
					high = middle - 1;
			}
			return joined(low, tail);
		}
	}

	// Both ends, the start getting the odd character.
	size_t low = 0;
	size_t high = characters;
	while (low < high) {
		size_t middle = (low + high + 1) / 2;
		if (fits(joined((middle + 1) / 2, middle / 2)))
			low = middle;
		else
			high = middle - 1;
	}
	return joined((low + 1) / 2, low / 2);
}

} // namespace BPrivate
