#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/fltk/FltkDrop.h"

using BPrivate::FilesOfUriList;

// What file managers put in text/uri-list, and what of it are our files.
TEST(UriListTest, LocalFilesAreDecodedAndTheRestLeftOut)
{
	std::string list = "# dragged from a file manager\r\n"
		"file:///home/user/a%20b.wav\r\n"
		"file://localhost/tmp/c%3Bd.wav\r\n"
		"file:/tmp/short.wav\r\n"
		"https://example.org/e.wav\r\n"
		"file://elsewhere/tmp/f.wav\r\n"
		"file:///tmp/broken%2.wav\r\n"
		"file:///tmp/nul%00.wav\r\n"
		"file:///tmp/%C3%A8.wav\n"
		"/plain/path.wav";
	std::vector<std::string> expected = {
		"/home/user/a b.wav",
		"/tmp/c;d.wav",
		"/tmp/short.wav",
		"/tmp/\xc3\xa8.wav",
		"/plain/path.wav" };
	EXPECT_EQ(expected, FilesOfUriList(list));
	EXPECT_TRUE(FilesOfUriList("").empty());
	EXPECT_TRUE(FilesOfUriList("file://\r\nfile:relative\n").empty());
}


// A raw NUL would cut the path short and name another file: the line is
// left out like an escaped one.
TEST(UriListTest, RawNulLeavesTheLineOut)
{
	std::string list("file:///tmp/a\0b.wav\n/tmp/c\0d.wav\nfile:///tmp/e.wav\n",
		51);
	EXPECT_EQ(std::vector<std::string>({ "/tmp/e.wav" }), FilesOfUriList(list));
}
