#ifndef OUTPUT_FILE_H
#define OUTPUT_FILE_H

#include <sys/types.h>

#include <string>

// A file that appears under its final name only when it is complete: it is
// written unnamed (O_TMPFILE), flushed, linked to a temporary name and
// renamed into place, which also replaces an older file of that name in one
// step. Where the file system has no O_TMPFILE it is written under the
// temporary name directly. Until Commit succeeds, nothing but a temporary
// name (removed on failure and on SIGTERM, SIGINT, SIGHUP) ever exists.
// Names are taken relative to the open folder, and a temporary name is
// never longer than the folder allows, so any name that the folder takes
// can be written; one it cannot take is refused by Open.
class OutputFile {
public:
								// Without unnamed files it takes the way
								// meant for file systems that lack them.
								OutputFile(bool unnamedAllowed = true);
								~OutputFile();

			// Returns false with Error() set.
			bool				Open(const std::string& directory,
									const std::string& name);
			bool				Write(const void* data, size_t size);
			bool				WriteAt(const void* data, size_t size,
									off_t offset);
			bool				Commit();
			// Drops whatever was written; done by the destructor too.
			void				Abandon();

			const std::string&	Error() const { return fError; }
			const std::string&	FinalPath() const { return fFinalPath; }
			bool				UsesUnnamedFile() const { return fUnnamed; }

	// Removes a temporary name left by a run that a signal ends.
	static	void				InstallSignalHandlers();

private:
			bool				_Fail(const std::string& what, int error);
			std::string			_TemporaryName(int attempt) const;
			bool				_LinkUnnamed();
			bool				_SyncDirectory();

			int					fDirectoryFD;
			int					fFD;
			bool				fUnnamedAllowed;
			bool				fUnnamed;
			bool				fCommitted;
			std::string			fDirectory;
			std::string			fName;
			size_t				fNameMax;
			std::string			fFinalPath;
			std::string			fTemporaryName;
			std::string			fError;
};

#endif	// OUTPUT_FILE_H
