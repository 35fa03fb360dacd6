#include <Message.h>

#include <string.h>

#include <Entry.h>
#include <Messenger.h>

#include "private/app/MessengerPrivate.h"

namespace {

const char kMagic[4] = { 'K', 'M', 'F', '1' };
const int kMaxNesting = 32;
const size_t kRefHeaderSize = sizeof(int32) + sizeof(int64);


void
AppendUInt32(std::string& out, uint32 value)
{
	char bytes[4];
	for (int i = 0; i < 4; i++)
		bytes[i] = (char)((value >> (8 * i)) & 0xff);
	out.append(bytes, 4);
}


bool
ReadUInt32(const char* data, size_t size, size_t* offset, uint32* value)
{
	if (size < 4 || *offset > size - 4)
		return false;
	const uint8* bytes = (const uint8*)data + *offset;
	*value = (uint32)bytes[0] | ((uint32)bytes[1] << 8)
		| ((uint32)bytes[2] << 16) | ((uint32)bytes[3] << 24);
	*offset += 4;
	return true;
}


std::string
Bytes(const void* data, size_t size)
{
	return std::string((const char*)data, size);
}


// An item read from outside must have the layout its type implies, so that
// the typed Find calls never read past it.
bool
ItemIsWellFormed(type_code type, const std::string& item, int depth);


bool
UnflattenInto(BMessage* message, const char* data, size_t size, int depth,
	size_t* used)
{
	if (depth > kMaxNesting || size < 16 || memcmp(data, kMagic, 4) != 0)
		return false;
	size_t offset = 4;
	uint32 total = 0, what = 0, fieldCount = 0;
	ReadUInt32(data, size, &offset, &total);
	if (total < 16 || total > size)
		return false;
	ReadUInt32(data, total, &offset, &what);
	ReadUInt32(data, total, &offset, &fieldCount);

	message->MakeEmpty();
	message->what = what;
	for (uint32 f = 0; f < fieldCount; f++) {
		uint32 type = 0, count = 0, nameLength = 0;
		if (!ReadUInt32(data, total, &offset, &type)
			|| !ReadUInt32(data, total, &offset, &count)
			|| !ReadUInt32(data, total, &offset, &nameLength)
			|| nameLength == 0 || nameLength > total - offset)
			return false;
		std::string name(data + offset, nameLength);
		offset += nameLength;
		if (name.find('\0') != std::string::npos)
			return false;
		type_code existing;
		if (message->GetInfo(name.c_str(), &existing) == B_OK)
			return false;
		if (count == 0)
			return false;
		for (uint32 i = 0; i < count; i++) {
			uint32 itemSize = 0;
			if (!ReadUInt32(data, total, &offset, &itemSize)
				|| itemSize > total - offset)
				return false;
			std::string item(data + offset, itemSize);
			offset += itemSize;
			if (!ItemIsWellFormed(type, item, depth))
				return false;
			if (message->AddData(name.c_str(), type, item.data(),
					item.size(), false) != B_OK)
				return false;
		}
	}
	if (offset != total)
		return false;
	if (used != NULL)
		*used = total;
	return true;
}


bool
ItemIsWellFormed(type_code type, const std::string& item, int depth)
{
	switch (type) {
		case B_INT32_TYPE:
		case B_UINT32_TYPE:
		case B_FLOAT_TYPE:
			return item.size() == 4;
		case B_INT64_TYPE:
		case B_UINT64_TYPE:
		case B_DOUBLE_TYPE:
		case B_POINTER_TYPE:
			return item.size() == 8;
		case B_MESSENGER_TYPE:
			return item.size() == 8;
		case B_BOOL_TYPE:
		case B_INT8_TYPE:
		case B_UINT8_TYPE:
			return item.size() == 1;
		case B_STRING_TYPE:
		case B_MIME_STRING_TYPE:
			return !item.empty() && item.find('\0') == item.size() - 1;
		case B_REF_TYPE:
			return item.size() > kRefHeaderSize
				&& item.find('\0', kRefHeaderSize) == item.size() - 1;
		case B_MESSAGE_TYPE:
		{
			BMessage inner;
			size_t used = 0;
			return UnflattenInto(&inner, item.data(), item.size(), depth + 1,
				&used) && used == item.size();
		}
		default:
			return true;
	}
}

} // namespace


BMessage::BMessage()
	:
	what(0)
{
}


BMessage::BMessage(uint32 command)
	:
	what(command)
{
}


BMessage::BMessage(const BMessage& other)
	:
	what(other.what),
	fFields(other.fFields)
{
}


BMessage::BMessage(BMessage* other)
	:
	what(other != NULL ? other->what : 0)
{
	if (other != NULL)
		fFields = other->fFields;
}


BMessage::~BMessage()
{
}


BMessage&
BMessage::operator=(const BMessage& other)
{
	what = other.what;
	fFields = other.fFields;
	return *this;
}


status_t
BMessage::GetInfo(const char* name, type_code* type, int32* count) const
{
	if (name == NULL)
		return B_BAD_VALUE;
	for (const auto& field : fFields) {
		if (field.first == name) {
			if (type != NULL)
				*type = field.second.type;
			if (count != NULL)
				*count = (int32)field.second.items.size();
			return B_OK;
		}
	}
	return B_NAME_NOT_FOUND;
}


int32
BMessage::CountNames(type_code type) const
{
	int32 count = 0;
	for (const auto& field : fFields) {
		if (type == B_ANY_TYPE || field.second.type == type)
			count++;
	}
	return count;
}


bool
BMessage::IsEmpty() const
{
	return fFields.empty();
}


void
BMessage::MakeEmpty()
{
	fFields.clear();
}


status_t
BMessage::RemoveName(const char* name)
{
	if (name == NULL)
		return B_BAD_VALUE;
	for (auto it = fFields.begin(); it != fFields.end(); ++it) {
		if (it->first == name) {
			fFields.erase(it);
			return B_OK;
		}
	}
	return B_NAME_NOT_FOUND;
}


status_t
BMessage::RemoveData(const char* name, int32 index)
{
	if (name == NULL || index < 0)
		return B_BAD_VALUE;
	for (auto it = fFields.begin(); it != fFields.end(); ++it) {
		if (it->first != name)
			continue;
		if (index >= (int32)it->second.items.size())
			return B_BAD_INDEX;
		it->second.items.erase(it->second.items.begin() + index);
		if (it->second.items.empty())
			fFields.erase(it);
		return B_OK;
	}
	return B_NAME_NOT_FOUND;
}


status_t
BMessage::AddData(const char* name, type_code type, const void* data,
	ssize_t numBytes, bool, int32)
{
	if (name == NULL || name[0] == '\0' || numBytes < 0
		|| (data == NULL && numBytes > 0) || type == B_ANY_TYPE)
		return B_BAD_VALUE;
	for (auto& field : fFields) {
		if (field.first == name) {
			if (field.second.type != type)
				return B_BAD_TYPE;
			field.second.items.push_back(Bytes(data, numBytes));
			return B_OK;
		}
	}
	Field field;
	field.type = type;
	field.items.push_back(Bytes(data, numBytes));
	fFields.push_back(std::make_pair(std::string(name), field));
	return B_OK;
}


const BMessage::Field*
BMessage::_FindField(const char* name, type_code type, status_t* error) const
{
	if (name == NULL) {
		*error = B_BAD_VALUE;
		return NULL;
	}
	for (const auto& field : fFields) {
		if (field.first == name) {
			if (type != B_ANY_TYPE && field.second.type != type) {
				*error = B_BAD_TYPE;
				return NULL;
			}
			*error = B_OK;
			return &field.second;
		}
	}
	*error = B_NAME_NOT_FOUND;
	return NULL;
}


status_t
BMessage::_FindItem(const char* name, type_code type, int32 index,
	const std::string** item) const
{
	status_t error;
	const Field* field = _FindField(name, type, &error);
	if (field == NULL)
		return error;
	if (index < 0 || index >= (int32)field->items.size())
		return B_BAD_INDEX;
	*item = &field->items[index];
	return B_OK;
}


status_t
BMessage::FindData(const char* name, type_code type, int32 index,
	const void** data, ssize_t* numBytes) const
{
	const std::string* item;
	status_t status = _FindItem(name, type, index, &item);
	if (status != B_OK)
		return status;
	if (data != NULL)
		*data = item->data();
	if (numBytes != NULL)
		*numBytes = (ssize_t)item->size();
	return B_OK;
}


status_t
BMessage::FindData(const char* name, type_code type, const void** data,
	ssize_t* numBytes) const
{
	return FindData(name, type, 0, data, numBytes);
}


status_t
BMessage::_Replace(const char* name, type_code type, int32 index,
	const std::string& item)
{
	if (name == NULL)
		return B_BAD_VALUE;
	for (auto& field : fFields) {
		if (field.first != name)
			continue;
		if (field.second.type != type)
			return B_BAD_TYPE;
		if (index < 0 || index >= (int32)field.second.items.size())
			return B_BAD_INDEX;
		field.second.items[index] = item;
		return B_OK;
	}
	return B_NAME_NOT_FOUND;
}


status_t
BMessage::ReplaceData(const char* name, type_code type, int32 index,
	const void* data, ssize_t numBytes)
{
	if (numBytes < 0 || (data == NULL && numBytes > 0))
		return B_BAD_VALUE;
	return _Replace(name, type, index, Bytes(data, numBytes));
}


// #pragma mark - typed fields


#define FIXED_SIZE_ACCESSORS(Name, Type, TypeCode) \
status_t \
BMessage::Add##Name(const char* name, Type value) \
{ \
	return AddData(name, TypeCode, &value, sizeof(Type)); \
} \
\
status_t \
BMessage::Find##Name(const char* name, int32 index, Type* value) const \
{ \
	const std::string* item; \
	status_t status = _FindItem(name, TypeCode, index, &item); \
	if (status != B_OK) \
		return status; \
	if (item->size() != sizeof(Type)) \
		return B_BAD_DATA; \
	if (value != NULL) \
		memcpy(value, item->data(), sizeof(Type)); \
	return B_OK; \
} \
\
status_t \
BMessage::Find##Name(const char* name, Type* value) const \
{ \
	return Find##Name(name, 0, value); \
}

FIXED_SIZE_ACCESSORS(Int32, int32, B_INT32_TYPE)
FIXED_SIZE_ACCESSORS(Int64, int64, B_INT64_TYPE)


status_t
BMessage::ReplaceInt32(const char* name, int32 value)
{
	return ReplaceInt32(name, 0, value);
}


status_t
BMessage::ReplaceInt32(const char* name, int32 index, int32 value)
{
	return _Replace(name, B_INT32_TYPE, index, Bytes(&value, sizeof(value)));
}


status_t
BMessage::AddBool(const char* name, bool value)
{
	uint8 byte = value ? 1 : 0;
	return AddData(name, B_BOOL_TYPE, &byte, 1);
}


status_t
BMessage::FindBool(const char* name, bool* value) const
{
	return FindBool(name, 0, value);
}


status_t
BMessage::FindBool(const char* name, int32 index, bool* value) const
{
	const std::string* item;
	status_t status = _FindItem(name, B_BOOL_TYPE, index, &item);
	if (status != B_OK)
		return status;
	if (item->size() != 1)
		return B_BAD_DATA;
	if (value != NULL)
		*value = (*item)[0] != 0;
	return B_OK;
}


status_t
BMessage::ReplaceBool(const char* name, bool value)
{
	return ReplaceBool(name, 0, value);
}


status_t
BMessage::ReplaceBool(const char* name, int32 index, bool value)
{
	return _Replace(name, B_BOOL_TYPE, index, std::string(1, value ? 1 : 0));
}


status_t
BMessage::AddString(const char* name, const char* string)
{
	if (string == NULL)
		return B_BAD_VALUE;
	return AddData(name, B_STRING_TYPE, string, strlen(string) + 1, false);
}


status_t
BMessage::FindString(const char* name, const char** string) const
{
	return FindString(name, 0, string);
}


status_t
BMessage::FindString(const char* name, int32 index, const char** string) const
{
	const std::string* item;
	status_t status = _FindItem(name, B_STRING_TYPE, index, &item);
	if (status != B_OK)
		return status;
	if (item->empty() || item->back() != '\0')
		return B_BAD_DATA;
	if (string != NULL)
		*string = item->c_str();
	return B_OK;
}


status_t
BMessage::ReplaceString(const char* name, const char* string)
{
	return ReplaceString(name, 0, string);
}


status_t
BMessage::ReplaceString(const char* name, int32 index, const char* string)
{
	if (string == NULL)
		return B_BAD_VALUE;
	return _Replace(name, B_STRING_TYPE, index,
		Bytes(string, strlen(string) + 1));
}


static std::string
FlattenRef(const entry_ref* ref)
{
	std::string item;
	item.append((const char*)&ref->device, sizeof(ref->device));
	item.append((const char*)&ref->directory, sizeof(ref->directory));
	item.append(ref->name != NULL ? ref->name : "");
	item.push_back('\0');
	return item;
}


status_t
BMessage::AddRef(const char* name, const entry_ref* ref)
{
	if (ref == NULL)
		return B_BAD_VALUE;
	std::string item = FlattenRef(ref);
	return AddData(name, B_REF_TYPE, item.data(), item.size(), false);
}


status_t
BMessage::FindRef(const char* name, entry_ref* ref) const
{
	return FindRef(name, 0, ref);
}


status_t
BMessage::FindRef(const char* name, int32 index, entry_ref* ref) const
{
	const std::string* item;
	status_t status = _FindItem(name, B_REF_TYPE, index, &item);
	if (status != B_OK)
		return status;
	if (item->size() <= kRefHeaderSize || item->back() != '\0')
		return B_BAD_DATA;
	if (ref == NULL)
		return B_OK;
	memcpy(&ref->device, item->data(), sizeof(ref->device));
	memcpy(&ref->directory, item->data() + sizeof(ref->device),
		sizeof(ref->directory));
	const char* leaf = item->c_str() + kRefHeaderSize;
	return ref->set_name(leaf[0] != '\0' ? leaf : NULL);
}


status_t
BMessage::ReplaceRef(const char* name, const entry_ref* ref)
{
	return ReplaceRef(name, 0, ref);
}


status_t
BMessage::ReplaceRef(const char* name, int32 index, const entry_ref* ref)
{
	if (ref == NULL)
		return B_BAD_VALUE;
	return _Replace(name, B_REF_TYPE, index, FlattenRef(ref));
}


status_t
BMessage::AddPointer(const char* name, const void* pointer)
{
	uint64 value = (uint64)(uintptr_t)pointer;
	return AddData(name, B_POINTER_TYPE, &value, sizeof(value));
}


status_t
BMessage::FindPointer(const char* name, void** pointer) const
{
	return FindPointer(name, 0, pointer);
}


status_t
BMessage::FindPointer(const char* name, int32 index, void** pointer) const
{
	const std::string* item;
	status_t status = _FindItem(name, B_POINTER_TYPE, index, &item);
	if (status != B_OK)
		return status;
	if (item->size() != sizeof(uint64))
		return B_BAD_DATA;
	uint64 value;
	memcpy(&value, item->data(), sizeof(value));
	if (pointer != NULL)
		*pointer = (void*)(uintptr_t)value;
	return B_OK;
}


status_t
BMessage::ReplacePointer(const char* name, const void* pointer)
{
	uint64 value = (uint64)(uintptr_t)pointer;
	return _Replace(name, B_POINTER_TYPE, 0, Bytes(&value, sizeof(value)));
}


static std::string
FlattenMessenger(const BMessenger& messenger)
{
	BMessenger::Private tokenized(const_cast<BMessenger*>(&messenger));
	int32 tokens[2] = { tokenized.LooperToken(), tokenized.HandlerToken() };
	return Bytes(tokens, sizeof(tokens));
}


status_t
BMessage::AddMessenger(const char* name, const BMessenger& messenger)
{
	std::string item = FlattenMessenger(messenger);
	return AddData(name, B_MESSENGER_TYPE, item.data(), item.size());
}


status_t
BMessage::FindMessenger(const char* name, BMessenger* messenger) const
{
	return FindMessenger(name, 0, messenger);
}


status_t
BMessage::FindMessenger(const char* name, int32 index,
	BMessenger* messenger) const
{
	const std::string* item;
	status_t status = _FindItem(name, B_MESSENGER_TYPE, index, &item);
	if (status != B_OK)
		return status;
	if (item->size() != 2 * sizeof(int32))
		return B_BAD_DATA;
	int32 tokens[2];
	memcpy(tokens, item->data(), sizeof(tokens));
	if (messenger != NULL)
		BMessenger::Private(messenger).SetTo(tokens[0], tokens[1]);
	return B_OK;
}


status_t
BMessage::ReplaceMessenger(const char* name, const BMessenger& messenger)
{
	return _Replace(name, B_MESSENGER_TYPE, 0, FlattenMessenger(messenger));
}


status_t
BMessage::AddMessage(const char* name, const BMessage* message)
{
	if (message == NULL)
		return B_BAD_VALUE;
	std::string item;
	message->_Flatten(item);
	return AddData(name, B_MESSAGE_TYPE, item.data(), item.size(), false);
}


status_t
BMessage::FindMessage(const char* name, BMessage* message) const
{
	return FindMessage(name, 0, message);
}


status_t
BMessage::FindMessage(const char* name, int32 index, BMessage* message) const
{
	const std::string* item;
	status_t status = _FindItem(name, B_MESSAGE_TYPE, index, &item);
	if (status != B_OK)
		return status;
	if (message == NULL)
		return B_OK;
	return message->Unflatten(item->data(), item->size());
}


status_t
BMessage::ReplaceMessage(const char* name, const BMessage* message)
{
	if (message == NULL)
		return B_BAD_VALUE;
	std::string item;
	message->_Flatten(item);
	return _Replace(name, B_MESSAGE_TYPE, 0, item);
}


// #pragma mark - flattening


void
BMessage::_Flatten(std::string& out) const
{
	out.assign(kMagic, 4);
	AppendUInt32(out, 0);
	AppendUInt32(out, what);
	AppendUInt32(out, (uint32)fFields.size());
	for (const auto& field : fFields) {
		AppendUInt32(out, field.second.type);
		AppendUInt32(out, (uint32)field.second.items.size());
		AppendUInt32(out, (uint32)field.first.size());
		out.append(field.first);
		for (const std::string& item : field.second.items) {
			AppendUInt32(out, (uint32)item.size());
			out.append(item);
		}
	}
	std::string size;
	AppendUInt32(size, (uint32)out.size());
	out.replace(4, 4, size);
}


ssize_t
BMessage::FlattenedSize() const
{
	std::string flat;
	_Flatten(flat);
	return (ssize_t)flat.size();
}


status_t
BMessage::Flatten(char* buffer, ssize_t size) const
{
	if (buffer == NULL || size < 0)
		return B_BAD_VALUE;
	std::string flat;
	_Flatten(flat);
	if ((size_t)size < flat.size())
		return B_BAD_VALUE;
	memcpy(buffer, flat.data(), flat.size());
	return B_OK;
}


status_t
BMessage::Unflatten(const char* flatBuffer)
{
	if (flatBuffer == NULL)
		return B_BAD_VALUE;
	// The stated size bounds the read; the header is checked first.
	if (memcmp(flatBuffer, kMagic, 4) != 0)
		return B_BAD_DATA;
	size_t offset = 4;
	uint32 total = 0;
	if (!ReadUInt32(flatBuffer, 8, &offset, &total))
		return B_BAD_DATA;
	return Unflatten(flatBuffer, total);
}


status_t
BMessage::Unflatten(const char* flatBuffer, ssize_t size)
{
	if (flatBuffer == NULL || size < 0)
		return B_BAD_VALUE;
	BMessage result;
	size_t used = 0;
	if (!UnflattenInto(&result, flatBuffer, (size_t)size, 0, &used))
		return B_BAD_DATA;
	*this = result;
	return B_OK;
}
