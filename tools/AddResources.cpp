// Appends the resource block described by a definitions file to an ELF
// executable, replacing a block it holds already.
//
//	AddResources DEFINITIONS EXECUTABLE

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <Message.h>

#include "private/storage/ResourceFile.h"

using BPrivate::ResourceItem;

namespace {

struct ParseError {
	std::string			message;
};


// Words of a line; quoted words may hold blanks and the escapes \" \\ \n.
std::vector<std::string>
SplitWords(const std::string& line)
{
	std::vector<std::string> words;
	size_t i = 0;
	while (i < line.size()) {
		if (line[i] == ' ' || line[i] == '\t') {
			i++;
			continue;
		}
		if (line[i] == '#')
			break;
		std::string word;
		if (line[i] == '"') {
			i++;
			bool closed = false;
			while (i < line.size()) {
				char c = line[i++];
				if (c == '"') {
					closed = true;
					break;
				}
				if (c == '\\' && i < line.size()) {
					char next = line[i++];
					word.push_back(next == 'n' ? '\n' : next);
				} else
					word.push_back(c);
			}
			if (!closed)
				throw ParseError{"unterminated string"};
			words.push_back("\"" + word);
			continue;
		}
		while (i < line.size() && line[i] != ' ' && line[i] != '\t')
			word.push_back(line[i++]);
		words.push_back(word);
	}
	return words;
}


std::string
Quoted(const std::vector<std::string>& words, size_t index)
{
	if (index >= words.size() || words[index].empty() || words[index][0] != '"')
		throw ParseError{"expected a quoted string"};
	return words[index].substr(1);
}


uint32
Number(const std::vector<std::string>& words, size_t index)
{
	if (index >= words.size())
		throw ParseError{"expected a number"};
	const std::string& word = words[index];
	if (word.size() == 6 && word[0] == '\'' && word[5] == '\'') {
		return ((uint32)(uint8)word[1] << 24) | ((uint32)(uint8)word[2] << 16)
			| ((uint32)(uint8)word[3] << 8) | (uint8)word[4];
	}
	char* end;
	errno = 0;
	unsigned long value = strtoul(word.c_str(), &end, 0);
	if (word.empty() || *end != '\0' || errno != 0 || value > 0xffffffffUL
		|| word[0] == '-')
		throw ParseError{"not a number: " + word};
	return (uint32)value;
}


type_code
TypeCode(const std::string& word)
{
	if (word.size() != 4)
		throw ParseError{"a type code has four characters: " + word};
	return ((uint32)(uint8)word[0] << 24) | ((uint32)(uint8)word[1] << 16)
		| ((uint32)(uint8)word[2] << 8) | (uint8)word[3];
}


void
Put32(std::string* out, uint32 value)
{
	for (int shift = 0; shift < 32; shift += 8)
		out->push_back((char)(value >> shift));
}


void
PutText(std::string* out, const std::string& text, size_t size)
{
	if (text.size() >= size)
		throw ParseError{"text longer than its field: " + text};
	std::string field = text;
	field.resize(size, '\0');
	*out += field;
}


// An icon grid: "size W H", "color CHAR INDEX" lines, then "pixels" and H
// rows of W characters.
std::string
ReadIcon(const std::string& path)
{
	std::ifstream in(path.c_str());
	if (!in)
		throw ParseError{"cannot read " + path};
	int width = 0;
	int height = 0;
	std::map<char, uint8> colors;
	std::string pixels;
	std::string line;
	bool inPixels = false;
	int rows = 0;
	while (std::getline(in, line)) {
		if (inPixels) {
			if (line.empty())
				continue;
			if (rows == height)
				throw ParseError{path + ": more rows than its size"};
			if ((int)line.size() != width)
				throw ParseError{path + ": a row of the wrong width"};
			for (char c : line) {
				std::map<char, uint8>::const_iterator found = colors.find(c);
				if (found == colors.end())
					throw ParseError{path + ": no color for '"
						+ std::string(1, c) + "'"};
				pixels.push_back((char)found->second);
			}
			rows++;
			continue;
		}
		std::vector<std::string> words = SplitWords(line);
		if (words.empty())
			continue;
		if (words[0] == "size" && words.size() == 3) {
			width = (int)Number(words, 1);
			height = (int)Number(words, 2);
		} else if (words[0] == "color" && words.size() == 3
			&& words[1].size() == 1) {
			uint32 index = Number(words, 2);
			if (index > 255)
				throw ParseError{path + ": a palette index is 0 to 255"};
			colors[words[1][0]] = (uint8)index;
		} else if (words[0] == "pixels" && words.size() == 1)
			inPixels = true;
		else
			throw ParseError{path + ": cannot read: " + line};
	}
	if (width <= 0 || height <= 0 || rows != height)
		throw ParseError{path + ": size and rows do not match"};
	return pixels;
}


std::vector<ResourceItem>
ReadDefinitions(const std::string& path)
{
	std::ifstream in(path.c_str());
	if (!in)
		throw ParseError{"cannot read " + path};
	std::string folder = ".";
	if (path.rfind('/') != std::string::npos)
		folder = path.substr(0, path.rfind('/'));

	std::vector<ResourceItem> items;
	std::string line;
	int lineNumber = 0;
	while (std::getline(in, line)) {
		lineNumber++;
		try {
			std::vector<std::string> words = SplitWords(line);
			if (words.empty())
				continue;
			const std::string& keyword = words[0];
			if (keyword == "resource") {
				if (words.size() != 4)
					throw ParseError{"resource TYPE ID \"NAME\""};
				ResourceItem item;
				item.type = TypeCode(words[1]);
				item.id = (int32)Number(words, 2);
				item.name = Quoted(words, 3);
				items.push_back(item);
				continue;
			}
			if (items.empty())
				throw ParseError{"content before the first resource"};
			std::string& data = items.back().data;
			if (keyword == "icon" && words.size() == 2)
				data += ReadIcon(folder + "/" + words[1]);
			else if (keyword == "string" && words.size() == 2) {
				data += Quoted(words, 1);
				data.push_back('\0');
			} else if (keyword == "uint32" && words.size() == 2)
				Put32(&data, Number(words, 1));
			else if (keyword == "version" && words.size() == 8) {
				for (size_t i = 1; i <= 5; i++)
					Put32(&data, Number(words, i));
				PutText(&data, Quoted(words, 6), 64);
				PutText(&data, Quoted(words, 7), 256);
			} else if (keyword == "message" && words.size() >= 2
				&& (words.size() - 2) % 3 == 0) {
				BMessage message(Number(words, 1));
				for (size_t i = 2; i < words.size(); i += 3) {
					if (words[i] != "string")
						throw ParseError{"only string fields are known"};
					if (message.AddString(words[i + 1].c_str(),
							Quoted(words, i + 2).c_str()) != B_OK)
						throw ParseError{"cannot add the field"};
				}
				ssize_t size = message.FlattenedSize();
				std::string flat(size > 0 ? size : 0, '\0');
				if (size <= 0 || message.Flatten(&flat[0], size) != B_OK)
					throw ParseError{"cannot flatten the message"};
				data += flat;
			} else
				throw ParseError{"unknown line"};
		} catch (const ParseError& error) {
			throw ParseError{path + ":" + std::to_string(lineNumber) + ": "
				+ error.message};
		}
	}
	if (items.empty())
		throw ParseError{path + ": no resources"};
	return items;
}


bool
CopyBytes(int from, int to, uint64 count)
{
	char buffer[65536];
	while (count > 0) {
		size_t chunk = count < sizeof(buffer) ? (size_t)count : sizeof(buffer);
		ssize_t got = read(from, buffer, chunk);
		if (got <= 0) {
			if (got < 0 && errno == EINTR)
				continue;
			return false;
		}
		for (ssize_t done = 0; done < got;) {
			ssize_t put = write(to, buffer + done, got - done);
			if (put < 0) {
				if (errno == EINTR)
					continue;
				return false;
			}
			done += put;
		}
		count -= got;
	}
	return true;
}


bool
WriteAll(int fd, const std::string& data)
{
	for (size_t done = 0; done < data.size();) {
		ssize_t put = write(fd, data.data() + done, data.size() - done);
		if (put < 0) {
			if (errno == EINTR)
				continue;
			return false;
		}
		done += put;
	}
	return true;
}

} // namespace


int
main(int argc, char** argv)
{
	if (argc != 3) {
		fprintf(stderr, "usage: %s DEFINITIONS EXECUTABLE\n", argv[0]);
		return 2;
	}
	std::vector<ResourceItem> items;
	try {
		items = ReadDefinitions(argv[1]);
	} catch (const ParseError& error) {
		fprintf(stderr, "%s: %s\n", argv[0], error.message.c_str());
		return 1;
	}

	const char* target = argv[2];
	int in = open(target, O_RDONLY | O_CLOEXEC);
	if (in < 0) {
		fprintf(stderr, "%s: %s: %s\n", argv[0], target, strerror(errno));
		return 1;
	}
	struct stat st;
	uint64 offset;
	if (fstat(in, &st) != 0 || BPrivate::ResourceBlockOffset(in, &offset)
			!= B_OK) {
		fprintf(stderr, "%s: %s: not an ELF file of this machine\n", argv[0],
			target);
		close(in);
		return 1;
	}
	uint64 elfEnd;
	BPrivate::ElfDataEnd(in, &elfEnd);

	// The ELF data, padding to the boundary, the block: anything that
	// followed the ELF data before (an older block) is left behind. The new
	// file is renamed into place, so a running copy of the program keeps
	// its old file.
	std::string temp = std::string(target) + ".rsrc-tmp";
	int out = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
		st.st_mode & 07777);
	bool ok = out >= 0;
	if (ok)
		ok = CopyBytes(in, out, elfEnd);
	if (ok)
		ok = WriteAll(out, std::string(offset - elfEnd, '\0'));
	if (ok)
		ok = WriteAll(out, BPrivate::BuildResourceBlock(items));
	if (out >= 0 && fchmod(out, st.st_mode & 07777) != 0)
		ok = false;
	if (out >= 0 && close(out) != 0)
		ok = false;
	close(in);
	if (ok && rename(temp.c_str(), target) != 0)
		ok = false;
	if (!ok) {
		fprintf(stderr, "%s: %s: %s\n", argv[0], target, strerror(errno));
		unlink(temp.c_str());
		return 1;
	}
	return 0;
}
