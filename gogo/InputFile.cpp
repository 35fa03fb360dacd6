#include "InputFile.h"

#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <string.h>
#include <unistd.h>


// A walk over chunks gives up after this many: a real WAV has a handful.
static const int kMaxChunks = 4096;
// The sizes a mended header gets at most: even, and clear of 0xFFFFFFFF,
// which readers take for "unknown".
static const uint32_t kMaxChunkSize = 0xFFFFFFF0;


static uint32_t
ReadLittle32(const unsigned char* bytes)
{
	return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16)
		| ((uint32_t)bytes[3] << 24);
}


static void
WriteLittle32(unsigned char* bytes, uint32_t value)
{
	bytes[0] = value & 0xff;
	bytes[1] = (value >> 8) & 0xff;
	bytes[2] = (value >> 16) & 0xff;
	bytes[3] = (value >> 24) & 0xff;
}


static void
WriteLittle64(unsigned char* bytes, uint64_t value)
{
	WriteLittle32(bytes, (uint32_t)value);
	WriteLittle32(bytes + 4, (uint32_t)(value >> 32));
}


static bool
IsChunkId(const unsigned char* bytes)
{
	for (int i = 0; i < 4; i++) {
		if (bytes[i] < 0x20 || bytes[i] > 0x7e)
			return false;
	}
	return true;
}


InputFile::InputFile()
	:
	fFD(-1),
	fDataOffset(-1),
	fDataSize(0),
	fMended(false),
	fPosition(0),
	fSound(NULL)
{
	memset(&fInfo, 0, sizeof(fInfo));
	memset(&fFormat, 0, sizeof(fFormat));
}


InputFile::~InputFile()
{
	if (fSound != NULL)
		sf_close(fSound);
	if (fFD >= 0)
		close(fFD);
}


bool
InputFile::Open(const std::string& path)
{
	fPath = path;
	// Opened here rather than by libsndfile, so that a missing or
	// unreadable file is told apart from one that is not audio; without
	// blocking, so that a FIFO given by mistake is refused, not waited on.
	fFD = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
	if (fFD < 0)
		return _Fail(path + ": " + strerror(errno));
	if (fstat(fFD, &fInfo) != 0 || !S_ISREG(fInfo.st_mode))
		return _Fail(path + ": not a file");
	fcntl(fFD, F_SETFL, fcntl(fFD, F_GETFL) & ~O_NONBLOCK);

	if (!_MendHeader())
		return false;
	if (fHeader.empty())
		fSound = sf_open_fd(fFD, SFM_READ, &fFormat, SF_FALSE);
	else {
		static SF_VIRTUAL_IO sVirtualFile = {
			_VirtualLength, _VirtualSeek, _VirtualRead, _VirtualWrite,
			_VirtualTell
		};
		fSound = sf_open_virtual(&sVirtualFile, SFM_READ, &fFormat, this);
	}
	if (fSound == NULL) {
		std::string reason = sf_strerror(NULL);
		if (!reason.empty() && reason.back() == '.')
			reason.pop_back();
		return _Fail(path + ": not an audio file Gogo can read (" + reason
			+ ")");
	}
	return true;
}


bool
InputFile::Unchanged() const
{
	struct stat now;
	struct stat named;
	if (fstat(fFD, &now) != 0 || stat(fPath.c_str(), &named) != 0)
		return false;
	return named.st_dev == fInfo.st_dev && named.st_ino == fInfo.st_ino
		&& now.st_size == fInfo.st_size
		&& now.st_mtim.tv_sec == fInfo.st_mtim.tv_sec
		&& now.st_mtim.tv_nsec == fInfo.st_mtim.tv_nsec;
}


bool
InputFile::CutShort() const
{
	struct stat now;
	return fstat(fFD, &now) != 0 || now.st_size < fInfo.st_size;
}


bool
InputFile::_Fail(const std::string& error)
{
	fError = error;
	return false;
}


bool
InputFile::_ReadAt(void* buffer, size_t size, off_t offset) const
{
	char* bytes = (char*)buffer;
	while (size > 0) {
		ssize_t got = pread(fFD, bytes, size, offset);
		if (got < 0 && errno == EINTR)
			continue;
		if (got <= 0)
			return false;
		bytes += got;
		size -= got;
		offset += got;
	}
	return true;
}


// Finds the data chunk of a RIFF WAVE file; when it declares 0 or
// 0xFFFFFFFF bytes and audio follows, keeps the start of the file with
// the sizes that the file really holds. Anything else is left to
// libsndfile as it is.
bool
InputFile::_MendHeader()
{
	const off_t length = fInfo.st_size;
	unsigned char riff[12];
	if (length < 12 || !_ReadAt(riff, sizeof(riff), 0)
		|| memcmp(riff, "RIFF", 4) != 0 || memcmp(riff + 8, "WAVE", 4) != 0)
		return true;

	off_t offset = 12;
	for (int i = 0; i < kMaxChunks && offset + 8 <= length; i++) {
		unsigned char chunk[8];
		if (!_ReadAt(chunk, sizeof(chunk), offset))
			return true;
		uint32_t size = ReadLittle32(chunk + 4);
		off_t audio = offset + 8;
		if (memcmp(chunk, "data", 4) != 0) {
			offset = audio + size + (size & 1);
			continue;
		}

		fDataOffset = audio;
		fDataSize = size;
		// An empty data chunk may well be followed by other chunks; only
		// what is not a chain of chunks to the end is taken for audio.
		if ((size != 0 && size != 0xFFFFFFFF) || audio >= length
			|| (size == 0 && _OnlyChunksFrom(audio, length))) {
			// libsndfile reads the last data chunk, while what -delete
			// and the length checks rest on is this first one: a second
			// would make the MP3 hold other audio than they looked at.
			off_t next = audio + size + (size & 1);
			if (size != 0xFFFFFFFF && _HasDataChunkFrom(next, length)) {
				return _Fail(fPath + ": holds more than one data chunk; "
					"Gogo encodes a WAV of one only");
			}
			return true;
		}

		std::vector<unsigned char> start(audio);
		if (!_ReadAt(start.data(), start.size(), 0))
			return _Fail(fPath + ": " + strerror(errno ? errno : EIO));
		uint64_t held = length - audio;
		fMended = true;
		if (held < kMaxChunkSize) {
			fHeader = start;
			WriteLittle32(fHeader.data() + audio - 4, (uint32_t)held);
			uint64_t riffSize = length - 8;
			WriteLittle32(fHeader.data() + 4, (uint32_t)(riffSize
				< kMaxChunkSize ? riffSize : kMaxChunkSize));
			return true;
		}
		// More than a RIFF size can tell: the same file as RF64, whose
		// "ds64" chunk holds the sizes in 64 bits.
		static const unsigned char kRF64[] = {
			'R', 'F', '6', '4', 0xff, 0xff, 0xff, 0xff, 'W', 'A', 'V', 'E',
			'd', 's', '6', '4', 28, 0, 0, 0
		};
		fHeader.assign(kRF64, kRF64 + sizeof(kRF64));
		fHeader.resize(sizeof(kRF64) + 28);
		uint64_t headerSize = fHeader.size() + (audio - 12);
		WriteLittle64(fHeader.data() + 20, headerSize + held - 8);
		WriteLittle64(fHeader.data() + 28, held);
		fHeader.insert(fHeader.end(), start.begin() + 12, start.end());
		WriteLittle32(fHeader.data() + fHeader.size() - 4, 0xFFFFFFFF);
		return true;
	}
	return true;
}


int64_t
InputFile::DeclaredAudioBytes() const
{
	if (fDataOffset < 0 || fMended
		|| fDataOffset + fDataSize <= fInfo.st_size)
		return -1;
	return fDataSize;
}


bool
InputFile::OnlyAudioAndChunks() const
{
	const off_t length = fInfo.st_size;
	if (fDataOffset < 0 || fMended)
		return true;
	off_t end = fDataOffset + fDataSize;
	// What a file cut short lacks shows in the count of frames read.
	if (end >= length)
		return true;
	if ((fDataSize & 1) != 0)
		end++;
	if (_OnlyChunksFrom(end, length))
		return true;
	unsigned char tag[3];
	return length - end >= 128 && _ReadAt(tag, sizeof(tag), length - 128)
		&& memcmp(tag, "TAG", 3) == 0 && _OnlyChunksFrom(end, length - 128);
}


// Whether the file from offset to length is nothing but whole chunks
// (the pad byte of an odd last one may be missing).
bool
InputFile::_OnlyChunksFrom(off_t offset, off_t length) const
{
	for (int i = 0; i < kMaxChunks; i++) {
		if (offset == length)
			return true;
		unsigned char chunk[8];
		if (length - offset < 8 || !_ReadAt(chunk, sizeof(chunk), offset)
			|| !IsChunkId(chunk))
			return false;
		uint32_t size = ReadLittle32(chunk + 4);
		off_t end = offset + 8 + size;
		if (end > length)
			return false;
		offset = end == length ? end : end + (size & 1);
	}
	return false;
}


// Whether the chain of chunks from offset holds a data chunk, as far as
// it can be followed.
bool
InputFile::_HasDataChunkFrom(off_t offset, off_t length) const
{
	for (int i = 0; i < kMaxChunks && offset + 8 <= length; i++) {
		unsigned char chunk[8];
		if (!_ReadAt(chunk, sizeof(chunk), offset) || !IsChunkId(chunk))
			return false;
		if (memcmp(chunk, "data", 4) == 0)
			return true;
		uint32_t size = ReadLittle32(chunk + 4);
		offset += 8 + (off_t)size + (size & 1);
	}
	return false;
}


// The mended header stands for the start of the file up to its audio.
/*static*/ sf_count_t
InputFile::_VirtualLength(void* cookie)
{
	InputFile* file = (InputFile*)cookie;
	return (sf_count_t)file->fHeader.size() + file->fInfo.st_size
		- file->fDataOffset;
}


/*static*/ sf_count_t
InputFile::_VirtualSeek(sf_count_t offset, int whence, void* cookie)
{
	InputFile* file = (InputFile*)cookie;
	switch (whence) {
		case SEEK_SET:
			file->fPosition = offset;
			break;
		case SEEK_CUR:
			file->fPosition += offset;
			break;
		case SEEK_END:
			file->fPosition = _VirtualLength(cookie) + offset;
			break;
	}
	if (file->fPosition < 0)
		file->fPosition = 0;
	return file->fPosition;
}


/*static*/ sf_count_t
InputFile::_VirtualRead(void* buffer, sf_count_t count, void* cookie)
{
	InputFile* file = (InputFile*)cookie;
	unsigned char* bytes = (unsigned char*)buffer;
	sf_count_t done = 0;
	const sf_count_t headerSize = file->fHeader.size();
	if (file->fPosition < headerSize && count > 0) {
		sf_count_t take = headerSize - file->fPosition;
		if (take > count)
			take = count;
		memcpy(bytes, file->fHeader.data() + file->fPosition, take);
		done = take;
		file->fPosition += take;
	}
	while (done < count) {
		ssize_t got = pread(file->fFD, bytes + done, count - done,
			file->fPosition - headerSize + file->fDataOffset);
		if (got < 0 && errno == EINTR)
			continue;
		if (got <= 0)
			break;
		done += got;
		file->fPosition += got;
	}
	return done;
}


/*static*/ sf_count_t
InputFile::_VirtualWrite(const void*, sf_count_t, void*)
{
	return 0;
}


/*static*/ sf_count_t
InputFile::_VirtualTell(void* cookie)
{
	return ((InputFile*)cookie)->fPosition;
}
