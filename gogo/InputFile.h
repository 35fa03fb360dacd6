#ifndef INPUT_FILE_H
#define INPUT_FILE_H

#include <sndfile.h>
#include <stdint.h>
#include <sys/stat.h>

#include <string>
#include <vector>

// The audio file to encode, read through libsndfile with one mend: a WAV
// whose data chunk declares 0 bytes, or 0xFFFFFFFF, while audio follows it
// (a recorder that stopped before it wrote the size leaves it so) is read
// to the end of the file, as other tools read it, past 4 GiB too.
// libsndfile then sees the start of the file with the true sizes written
// in (as RF64 when they need 64 bits).
class InputFile {
public:
								InputFile();
								~InputFile();

			// Returns false with Error() set.
			bool				Open(const std::string& path);

			SNDFILE*			Sound() const { return fSound; }
			const SF_INFO&		Format() const { return fFormat; }
			const std::string&	Error() const { return fError; }

			// Whether the path still names the file that was read, with
			// the size and modification time it had then: only such a
			// file may be deleted once its audio is encoded.
			bool				Unchanged() const;
			// Whether the open file has become shorter than it was when it
			// was opened: Gogo reads ahead, so a file cut short after its
			// end was read shows only here.
			bool				CutShort() const;
			// Whether all that follows the audio of a WAV is other chunks
			// or an ID3v1 tag: bytes after a data chunk that says less
			// than the file holds are not encoded, and the file must not
			// be deleted as if they were.
			bool				OnlyAudioAndChunks() const;
			// The bytes of audio a WAV's header declares where the file
			// ends before them (it was cut short); -1 otherwise.
			// libsndfile counts only the frames that the file holds, so
			// such a file would pass for whole.
			int64_t				DeclaredAudioBytes() const;

private:
			bool				_Fail(const std::string& error);
			bool				_ReadAt(void* buffer, size_t size,
									off_t offset) const;
			bool				_MendHeader();
			bool				_OnlyChunksFrom(off_t offset,
									off_t length) const;
			bool				_HasDataChunkFrom(off_t offset,
									off_t length) const;

	static	sf_count_t			_VirtualLength(void* cookie);
	static	sf_count_t			_VirtualSeek(sf_count_t offset, int whence,
									void* cookie);
	static	sf_count_t			_VirtualRead(void* buffer, sf_count_t count,
									void* cookie);
	static	sf_count_t			_VirtualWrite(const void* buffer,
									sf_count_t count, void* cookie);
	static	sf_count_t			_VirtualTell(void* cookie);

			std::string			fPath;
			int					fFD;
			struct stat			fInfo;
			// The WAV's data chunk, as declared; -1 for other files.
			off_t				fDataOffset;
			uint32_t			fDataSize;
			bool				fMended;
			// The start of the file up to its audio, sizes mended; empty
			// when the file needs no mending.
			std::vector<unsigned char> fHeader;
			sf_count_t			fPosition;
			SNDFILE*			fSound;
			SF_INFO				fFormat;
			std::string			fError;
};

#endif	// INPUT_FILE_H
