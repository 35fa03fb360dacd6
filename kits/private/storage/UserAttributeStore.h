#ifndef _KITS_PRIVATE_USER_ATTRIBUTE_STORE_H
#define _KITS_PRIVATE_USER_ATTRIBUTE_STORE_H

#include <string>

#include <SupportDefs.h>

namespace BPrivate {

// A BeOS program keeps its settings as attributes of its own executable,
// which on BeOS belonged to its one user. On a shared Linux install the
// executable is root's (or lies on a read-only volume): there the
// attributes of the running program's executable are kept for each user
// in a file of their own,
//
//	$XDG_CONFIG_HOME/beos_app_attributes/<the executable's path>
//
// whose extended attributes carry them, with the same names, types and
// byte counts (see docs/storage.md). Reads look there first and, for what
// this user has not stored, at the executable itself. An executable the
// user owns and may write keeps its attributes on itself.
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
			// this user has stored nothing yet.
			status_t			Open(bool create);
			int					Descriptor() const { return fFd; }

	// Whether a path leads to the running program's executable.
	static	bool				IsExecutable(const char* path);

	// For tests only: the file that counts as the running program's
	// executable; NULL goes back to the real one.
	static	void				SetExecutableForTests(const char* path);

private:
								UserAttributeStore(
									const UserAttributeStore&);
			UserAttributeStore&	operator=(const UserAttributeStore&);

			std::string			fPath;
			int					fFd;
};

} // namespace BPrivate

#endif // _KITS_PRIVATE_USER_ATTRIBUTE_STORE_H
