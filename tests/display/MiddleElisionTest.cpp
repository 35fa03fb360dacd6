#include <string>

#include <gtest/gtest.h>

#include "display/MiddleElision.h"

using BPrivate::ElideMiddle;

namespace {

// One unit a character, whatever its bytes: the ellipsis counts one.
float
Characters(const char* text, size_t length)
{
	float count = 0;
	for (size_t i = 0; i < length; i++) {
		if (((unsigned char)text[i] & 0xc0) != 0x80)
			count++;
	}
	return count;
}


std::string
Elide(const std::string& text, float width)
{
	return ElideMiddle(text.data(), text.size(), width, Characters);
}

const std::string kPath = "/home/u/Musica/Artista Molto Lungo/03 - Terzo "
	"brano.wav";

} // namespace


// A text that fits is left alone, to the last unit; one unit less and the
// file name stays whole behind as much of the start as fits.
TEST(MiddleElisionTest, APathKeepsItsFileName)
{
	ASSERT_EQ(55u, kPath.size());
	EXPECT_EQ(kPath, Elide(kPath, 55));
	EXPECT_EQ("/home/u/Musica/Artista Molto Lun\xe2\x80\xa6/03 - Terzo "
		"brano.wav", Elide(kPath, 54));
	EXPECT_EQ("/home/u/Musica/Artista\xe2\x80\xa6/03 - Terzo brano.wav",
		Elide(kPath, 44));
	// Only the ellipsis before the file name.
	EXPECT_EQ("\xe2\x80\xa6/03 - Terzo brano.wav", Elide(kPath, 22));
}


// Where even the file name does not fit, both ends are kept, the start
// taking the odd character; the ellipsis alone where nothing else fits.
TEST(MiddleElisionTest, TooNarrowForTheFileNameKeepsBothEnds)
{
	EXPECT_EQ("/home\xe2\x80\xa6.wav", Elide(kPath, 10));
	EXPECT_EQ("/hom\xe2\x80\xa6.wav", Elide(kPath, 9));
	EXPECT_EQ("abcde\xe2\x80\xa6wxyz", Elide("abcdefghijklmnopqrstuvwxyz", 10));
	// A slash at the start only is no folder.
	EXPECT_EQ("/abc\xe2\x80\xa6xyz", Elide("/abcdefghijklmnopqrstuvwxyz", 8));
	EXPECT_EQ("\xe2\x80\xa6", Elide(kPath, 1));
	EXPECT_EQ("\xe2\x80\xa6", Elide(kPath, 0));
}


// Cuts fall between characters: an accented letter is kept or dropped
// whole.
TEST(MiddleElisionTest, CutsNeverSplitACharacter)
{
	const std::string path = "/citt\xc3\xa0/perch\xc3\xa9/\xc3\xa8.wav";
	ASSERT_EQ(19.0f, Characters(path.data(), path.size()));
	EXPECT_EQ(path, Elide(path, 19));
	EXPECT_EQ("/citt\xc3\xa0/perc\xe2\x80\xa6/\xc3\xa8.wav", Elide(path, 18));
	EXPECT_EQ("/citt\xc3\xa0\xe2\x80\xa6/\xc3\xa8.wav", Elide(path, 13));
	EXPECT_EQ("/citt\xe2\x80\xa6/\xc3\xa8.wav", Elide(path, 12));
}
