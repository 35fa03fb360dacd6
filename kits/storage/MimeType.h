#ifndef _MIME_TYPE_H
#define _MIME_TYPE_H

#include <map>
#include <string>

#include <Mime.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

class BBitmap;
class BMessage;
struct entry_ref;

enum app_verb {
	B_OPEN = 0
};

// A MIME type and its entry in the MIME type database. Type names compare
// case-insensitively. Properties set on a type that is not installed are
// kept here until Install writes them all; on an installed type each
// setter writes at once.
class BMimeType {
public:
								BMimeType();
								BMimeType(const char* type);
	virtual						~BMimeType();

			status_t			SetTo(const char* type);
			void				Unset();
			status_t			InitCheck() const;

			const char*			Type() const;
			bool				IsValid() const;
	static	bool				IsValid(const char* type);

			// The type a file of this name has by its name alone: an
			// extension of a type installed here, else the desktop's
			// shared MIME database (its globs). B_ENTRY_NOT_FOUND when
			// neither knows the name.
	static	status_t			GuessMimeType(const char* filename,
									BMimeType* type);

			bool				IsInstalled() const;
			// A type installed already is left as it is (B_FILE_EXISTS).
			status_t			Install();
			status_t			Delete();

			// Buffers hold at least B_MIME_TYPE_LENGTH bytes.
			status_t			GetShortDescription(char* description) const;
			status_t			SetShortDescription(const char* description);
			status_t			GetLongDescription(char* description) const;
			status_t			SetLongDescription(const char* description);
			status_t			GetPreferredApp(char* signature,
									app_verb verb = B_OPEN) const;
			status_t			SetPreferredApp(const char* signature,
									app_verb verb = B_OPEN);
			// The string field "extensions", without dots.
			status_t			GetFileExtensions(BMessage* extensions) const;
			status_t			SetFileExtensions(const BMessage* extensions);
			// A B_CMAP8 bitmap of exactly the icon's size.
			status_t			GetIcon(BBitmap* icon, icon_size size) const;
			status_t			SetIcon(const BBitmap* icon, icon_size size);
			// A BeOS sniffer rule, such as 0.80 ("%PDF-") or
			// 0.5 ([0:8] "text"): the desktop gets the rules of that
			// shape, a string looked for at an offset or in a range, as
			// magic, so that it knows the type's files by their content.
			status_t			SetSnifferRule(const char* rule);
			// The executable of an application signature's type.
			status_t			GetAppHint(entry_ref* ref) const;
			status_t			SetAppHint(const entry_ref* ref);

private:
	struct Value {
		type_code			type;
		std::string			data;
	};

			std::string			_DatabasePath() const;
			status_t			_Read(const char* name, std::string* data)
									const;
			status_t			_ReadString(const char* name, char* buffer,
									size_t size) const;
			// NULL data removes the property.
			status_t			_Write(const char* name, type_code type,
									const std::string* data);
			status_t			_WriteString(const char* name,
									const char* text);
			status_t			_Publish() const;
			// Writes the entry with the pending properties into the kits'
			// database, and publishes it to the desktop when asked.
			status_t			_WriteEntry(bool publish);
			// B_OK for a whole type entry, B_ENTRY_NOT_FOUND where there
			// is none (or only a damaged one), another error where the
			// database cannot be looked at.
			status_t			_CheckInstalled() const;
			void				_RemoveLeftovers(
									const std::string& folder) const;

			std::string			fType;
			status_t			fStatus;
			std::map<std::string, Value> fPending;
};

#endif // _MIME_TYPE_H
