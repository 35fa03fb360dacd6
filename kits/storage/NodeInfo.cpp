#include <NodeInfo.h>

#include <ctype.h>
#include <string.h>

#include <string>

#include <MimeType.h>
#include <TypeConstants.h>

#include "private/storage/Attributes.h"

namespace {

const char* kTypeAttribute = "BEOS:TYPE";
// The name freedesktop tools read a file's type from.
const char* kFreedesktopAttribute = "user.mime_type";

} // namespace


BNodeInfo::BNodeInfo()
	:
	fNode(NULL),
	fStatus(B_NO_INIT)
{
}


BNodeInfo::BNodeInfo(BNode* node)
	:
	fNode(NULL),
	fStatus(B_NO_INIT)
{
	SetTo(node);
}


BNodeInfo::~BNodeInfo()
{
}


status_t
BNodeInfo::SetTo(BNode* node)
{
	fNode = NULL;
	if (node == NULL)
		return fStatus = B_BAD_VALUE;
	if (node->InitCheck() != B_OK)
		return fStatus = node->InitCheck();
	fNode = node;
	return fStatus = B_OK;
}


status_t
BNodeInfo::InitCheck() const
{
	return fStatus;
}


status_t
BNodeInfo::GetType(char* type) const
{
	if (type == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;

	attr_info info;
	status_t status = fNode->GetAttrInfo(kTypeAttribute, &info);
	std::string text;
	if (status == B_OK) {
		if (info.size > B_MIME_TYPE_LENGTH)
			return B_BAD_DATA;
		char buffer[B_MIME_TYPE_LENGTH];
		ssize_t read = fNode->ReadAttr(kTypeAttribute, B_MIME_STRING_TYPE, 0,
			buffer, sizeof(buffer));
		if (read < 0)
			return (status_t)read;
		text.assign(buffer, read);
	} else if (status == B_ENTRY_NOT_FOUND) {
		// A type set by a freedesktop tool.
		status_t rawStatus = BPrivate::GetRawAttribute(
			fNode->_Descriptor(), kFreedesktopAttribute, &text);
		if (rawStatus != B_OK)
			return B_ENTRY_NOT_FOUND;
	} else
		return status;

	size_t end = text.find('\0');
	if (end != std::string::npos)
		text.resize(end);
	if (text.empty())
		return B_ENTRY_NOT_FOUND;
	if (text.size() >= B_MIME_TYPE_LENGTH)
		return B_BAD_DATA;
	memcpy(type, text.c_str(), text.size() + 1);
	return B_OK;
}


status_t
BNodeInfo::SetType(const char* type)
{
	if (fStatus != B_OK)
		return fStatus;
	int fd = fNode->_Descriptor();
	if (type == NULL) {
		status_t status = fNode->RemoveAttr(kTypeAttribute);
		BPrivate::RemoveRawAttribute(fd, kFreedesktopAttribute);
		return status == B_ENTRY_NOT_FOUND ? B_OK : status;
	}
	if (strlen(type) >= B_MIME_TYPE_LENGTH)
		return B_NAME_TOO_LONG;
	if (!BMimeType::IsValid(type))
		return B_BAD_VALUE;

	ssize_t written = fNode->WriteAttr(kTypeAttribute, B_MIME_STRING_TYPE, 0,
		type, strlen(type) + 1);
	if (written < 0)
		return (status_t)written;
	// Desktop tools expect the lower-case form; where the file system has
	// no attributes of its own there is nothing for them to read anyway.
	std::string lower(type);
	for (char& c : lower)
		c = (char)tolower((unsigned char)c);
	status_t status = BPrivate::SetRawAttribute(fd, kFreedesktopAttribute,
		lower);
	if (status != B_OK && status != B_UNSUPPORTED)
		return status;
	return B_OK;
}
