#ifndef _PATH_H
#define _PATH_H

#include <string>

#include <StorageDefs.h>
#include <SupportDefs.h>

struct entry_ref;

// An absolute path. It is kept as given unless asked to normalize, or
// unless it needs it (relative, with "." or ".." or doubled slashes);
// normalizing resolves links in the folder part, which must exist.
class BPath {
public:
								BPath(const char* path = NULL,
									const char* leaf = NULL,
									bool normalize = false);
								BPath(const entry_ref* ref);
								BPath(const BPath& other) = default;
	virtual						~BPath() = default;

			BPath&				operator=(const BPath& other) = default;

			status_t			SetTo(const char* path,
									const char* leaf = NULL,
									bool normalize = false);
			status_t			SetTo(const entry_ref* ref);
			void				Unset();
			status_t			InitCheck() const;

			// NULL while not initialised.
			const char*			Path() const;
			const char*			Leaf() const;

			status_t			Append(const char* path,
									bool normalize = false);
			status_t			GetParent(BPath* path) const;

private:
			std::string			fPath;
			status_t			fStatus;
};

#endif // _PATH_H
