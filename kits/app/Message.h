#ifndef _MESSAGE_H
#define _MESSAGE_H

#include <string>
#include <vector>

#include <AppDefs.h>
#include <SupportDefs.h>
#include <TypeConstants.h>

class BMessenger;
struct entry_ref;

// A message: a command code and named, typed fields, each holding one or
// more items of its type. It flattens to a self-contained byte string
// (format in docs/formats.md) and back.
class BMessage {
public:
								BMessage();
								BMessage(uint32 what);
								BMessage(const BMessage& other);
								// As on BeOS, where it makes
								// "new BMessage(0)" ambiguous.
								BMessage(BMessage* other);
	virtual						~BMessage();

			BMessage&			operator=(const BMessage& other);

			status_t			GetInfo(const char* name, type_code* type,
									int32* count = NULL) const;
			int32				CountNames(type_code type) const;
			bool				IsEmpty() const;
			void				MakeEmpty();
			status_t			RemoveName(const char* name);
			status_t			RemoveData(const char* name, int32 index = 0);

			status_t			AddData(const char* name, type_code type,
									const void* data, ssize_t numBytes,
									bool isFixedSize = true, int32 count = 1);
			status_t			FindData(const char* name, type_code type,
									int32 index, const void** data,
									ssize_t* numBytes) const;
			status_t			FindData(const char* name, type_code type,
									const void** data, ssize_t* numBytes) const;
			status_t			ReplaceData(const char* name, type_code type,
									int32 index, const void* data,
									ssize_t numBytes);

			status_t			AddInt32(const char* name, int32 value);
			status_t			FindInt32(const char* name, int32* value) const;
			status_t			FindInt32(const char* name, int32 index,
									int32* value) const;
			status_t			ReplaceInt32(const char* name, int32 value);
			status_t			ReplaceInt32(const char* name, int32 index,
									int32 value);

			status_t			AddInt64(const char* name, int64 value);
			status_t			FindInt64(const char* name, int64* value) const;
			status_t			FindInt64(const char* name, int32 index,
									int64* value) const;

			status_t			AddBool(const char* name, bool value);
			status_t			FindBool(const char* name, bool* value) const;
			status_t			FindBool(const char* name, int32 index,
									bool* value) const;
			status_t			ReplaceBool(const char* name, bool value);
			status_t			ReplaceBool(const char* name, int32 index,
									bool value);

			status_t			AddString(const char* name, const char* string);
			status_t			FindString(const char* name,
									const char** string) const;
			status_t			FindString(const char* name, int32 index,
									const char** string) const;
			status_t			ReplaceString(const char* name,
									const char* string);
			status_t			ReplaceString(const char* name, int32 index,
									const char* string);

			status_t			AddRef(const char* name, const entry_ref* ref);
			status_t			FindRef(const char* name, entry_ref* ref) const;
			status_t			FindRef(const char* name, int32 index,
									entry_ref* ref) const;
			status_t			ReplaceRef(const char* name,
									const entry_ref* ref);
			status_t			ReplaceRef(const char* name, int32 index,
									const entry_ref* ref);

			status_t			AddPointer(const char* name,
									const void* pointer);
			status_t			FindPointer(const char* name,
									void** pointer) const;
			status_t			FindPointer(const char* name, int32 index,
									void** pointer) const;
			status_t			ReplacePointer(const char* name,
									const void* pointer);

			status_t			AddMessenger(const char* name,
									const BMessenger& messenger);
			status_t			FindMessenger(const char* name,
									BMessenger* messenger) const;
			status_t			FindMessenger(const char* name, int32 index,
									BMessenger* messenger) const;
			status_t			ReplaceMessenger(const char* name,
									const BMessenger& messenger);

			status_t			AddMessage(const char* name,
									const BMessage* message);
			status_t			FindMessage(const char* name,
									BMessage* message) const;
			status_t			FindMessage(const char* name, int32 index,
									BMessage* message) const;
			status_t			ReplaceMessage(const char* name,
									const BMessage* message);

			ssize_t				FlattenedSize() const;
			status_t			Flatten(char* buffer, ssize_t size) const;
			// Reads at most the size the flattened data states; the size
			// form also refuses to read past the given buffer.
			status_t			Unflatten(const char* flatBuffer);
			status_t			Unflatten(const char* flatBuffer, ssize_t size);


public:
			uint32				what;

private:
	struct Field {
		type_code			type;
		std::vector<std::string> items;
	};

			const Field*		_FindField(const char* name, type_code type,
									status_t* error) const;
			status_t			_FindItem(const char* name, type_code type,
									int32 index, const std::string** item)
									const;
			status_t			_Replace(const char* name, type_code type,
									int32 index, const std::string& item);
			void				_Flatten(std::string& out) const;

			// Field order is the order of the first Add, as on BeOS.
			std::vector<std::pair<std::string, Field> > fFields;
};

#endif // _MESSAGE_H
