#ifndef _KITS_DISPLAY_MIDDLE_ELISION_H
#define _KITS_DISPLAY_MIDDLE_ELISION_H

#include <functional>
#include <string>

namespace BPrivate {

// The width a piece of UTF-8 text takes, in whatever unit the caller
// draws in.
typedef std::function<float(const char* text, size_t length)> TextMeasure;

// The text as it fits the width, its middle elided as Tracker truncates
// names: a path keeps its last part (the file name) whole and as much of
// its start as fits, "/home/u/Musica/Artista…/03 - Terzo brano.wav";
// where even the file name does not fit, both ends are kept, half and
// half. A text that fits comes back as it is. Cuts fall between
// characters, never inside one.
std::string ElideMiddle(const char* text, size_t length, float width,
	const TextMeasure& measure);

} // namespace BPrivate

#endif
