#ifndef _KITS_PRIVATE_USER_ATTRIBUTE_STORE_H
#define _KITS_PRIVATE_USER_ATTRIBUTE_STORE_H

#include <string>
#include <vector>

#include <SupportDefs.h>

namespace BPrivate {

// A BeOS program keeps its settings as attributes of its own executable,
// which on BeOS belonged to its one user. On a shared Linux install (the
// executable is another user's, or not writable, or lies in the package
// manager's tree: /usr outside /usr/local) the attributes of the running
// program's executable are kept for each user, root included, in a file
// of their own,
//
//	$XDG_CONFIG_HOME/beos_app_attributes/<the executable's path>
//
// whose extended attributes carry them, with the same names, types and
// byte counts (see docs/storage.md). Reads look there first, then at the
// administrator's file of the same name under each of $XDG_CONFIG_DIRS
// (/etc/xdg), then at the executable itself. An executable the user owns
// and may write, outside the package manager's tree, keeps its attributes
// on itself.
//
// A store is only trusted where nobody else could have put it there: the
// file and each folder from the configuration folder down must be the
// user's own (root's too, for the administrator's) and writable by nobody
// else, and the folders above must let nobody else rename them. Anything
// else is ignored, with one line on standard error, and nothing is written
// there.
class UserAttributeStore {
public:
	// Looks at an open node: the store stands in for it only where the
	// node is the running program's executable and shared as above.
								UserAttributeStore(int nodeFd);
								~UserAttributeStore();

			bool				StandsIn() const { return !fPath.empty(); }
			const std::string&	Path() const { return fPath; }

			// Opens this user's file, once per object, creating it and its
			// folders when asked; without create, B_ENTRY_NOT_FOUND where
			// this user has stored nothing yet; B_NOT_ALLOWED where the
			// store is not to be trusted.
			status_t			Open(bool create);
			int					Descriptor() const { return fFd; }

			// The administrator's files that exist and may be trusted, most
			// important first, open for reading; the caller closes them.
			std::vector<int>	OpenMachineDefaults() const;

	// Whether a path leads to the running program's executable.
	static	bool				IsExecutable(const char* path);
	// Whether an executable at this path belongs to the package manager,
	// whoever runs it.
	static	bool				IsInPackageTree(const std::string& path);

	// For tests only: the file that counts as the running program's
	// executable; NULL goes back to the real one.
	static	void				SetExecutableForTests(const char* path);

private:
								UserAttributeStore(
									const UserAttributeStore&);
			UserAttributeStore&	operator=(const UserAttributeStore&);

			std::string			fExecutablePath;
			std::string			fPath;
			int					fFd;
};

} // namespace BPrivate

#endif // _KITS_PRIVATE_USER_ATTRIBUTE_STORE_H
