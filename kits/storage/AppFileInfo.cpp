#include <AppFileInfo.h>

#include <string.h>

#include <vector>

#include <Bitmap.h>
#include <File.h>
#include <Message.h>

#include "private/storage/ResourceFile.h"

struct BAppFileInfo::Resources {
	status_t							status;
	std::vector<BPrivate::ResourceItem>	items;
};


namespace {

uint32
Get32(const char* bytes)
{
	const uint8* b = (const uint8*)bytes;
	return (uint32)b[0] | ((uint32)b[1] << 8) | ((uint32)b[2] << 16)
		| ((uint32)b[3] << 24);
}

const size_t kVersionInfoSize = 340;

} // namespace


BAppFileInfo::BAppFileInfo()
	:
	fResources(new Resources)
{
	fResources->status = B_NO_INIT;
}


BAppFileInfo::BAppFileInfo(BFile* file)
	:
	fResources(new Resources)
{
	fResources->status = B_NO_INIT;
	SetTo(file);
}


BAppFileInfo::~BAppFileInfo()
{
	delete fResources;
}


status_t
BAppFileInfo::SetTo(BFile* file)
{
	fResources->items.clear();
	fResources->status = B_NO_INIT;
	status_t status = BNodeInfo::SetTo(file);
	if (status != B_OK)
		return status;
	// An executable without resources is still an application file; each
	// getter reports what is missing.
	fResources->status = BPrivate::ReadResources(file->_Descriptor(),
		&fResources->items);
	return B_OK;
}


status_t
BAppFileInfo::GetIcon(BBitmap* icon, icon_size size) const
{
	const char* name;
	type_code type;
	int32 side;
	switch (size) {
		case B_LARGE_ICON:
			name = "BEOS:L:STD_ICON";
			type = 'ICON';
			side = 32;
			break;
		case B_MINI_ICON:
			name = "BEOS:M:STD_ICON";
			type = 'MICN';
			side = 16;
			break;
		default:
			return B_BAD_VALUE;
	}
	if (icon == NULL || icon->InitCheck() != B_OK
		|| icon->ColorSpace() != B_CMAP8
		|| icon->Bounds().IntegerWidth() + 1 != side
		|| icon->Bounds().IntegerHeight() + 1 != side)
		return B_BAD_VALUE;
	const std::string* data;
	status_t status = _Find(type, name, &data);
	if (status != B_OK)
		return status;
	if (data->size() != (size_t)side * side)
		return B_BAD_DATA;
	uint8* bits = (uint8*)icon->Bits();
	for (int32 row = 0; row < side; row++) {
		memcpy(bits + row * icon->BytesPerRow(), data->data() + row * side,
			side);
	}
	return B_OK;
}


status_t
BAppFileInfo::GetSignature(char* signature) const
{
	if (signature == NULL)
		return B_BAD_VALUE;
	const std::string* data;
	status_t status = _Find('MIMS', "BEOS:APP_SIG", &data);
	if (status != B_OK)
		return status;
	size_t length = strnlen(data->data(), data->size());
	if (length == 0 || length >= B_MIME_TYPE_LENGTH)
		return B_BAD_DATA;
	memcpy(signature, data->data(), length);
	signature[length] = '\0';
	return B_OK;
}


status_t
BAppFileInfo::GetAppFlags(uint32* flags) const
{
	if (flags == NULL)
		return B_BAD_VALUE;
	const std::string* data;
	status_t status = _Find('APPF', "BEOS:APP_FLAGS", &data);
	if (status != B_OK)
		return status;
	if (data->size() != sizeof(uint32))
		return B_BAD_DATA;
	*flags = Get32(data->data());
	return B_OK;
}


status_t
BAppFileInfo::GetSupportedTypes(BMessage* types) const
{
	if (types == NULL)
		return B_BAD_VALUE;
	const std::string* data;
	status_t status = _Find('MSGG', "BEOS:FILE_TYPES", &data);
	if (status != B_OK)
		return status;
	BMessage message;
	if (message.Unflatten(data->data(), (ssize_t)data->size()) != B_OK)
		return B_BAD_DATA;
	*types = message;
	return B_OK;
}


status_t
BAppFileInfo::GetVersionInfo(version_info* info, version_kind kind) const
{
	if (info == NULL || (kind != B_APP_VERSION_KIND
			&& kind != B_SYSTEM_VERSION_KIND))
		return B_BAD_VALUE;
	const std::string* data;
	status_t status = _Find('APPV', "BEOS:APP_VERSION", &data);
	if (status != B_OK)
		return status;
	size_t start = (size_t)kind * kVersionInfoSize;
	if (data->size() < start + kVersionInfoSize)
		return B_BAD_DATA;
	const char* record = data->data() + start;
	info->major = Get32(record);
	info->middle = Get32(record + 4);
	info->minor = Get32(record + 8);
	info->variety = Get32(record + 12);
	info->internal = Get32(record + 16);
	memcpy(info->short_info, record + 20, sizeof(info->short_info));
	memcpy(info->long_info, record + 84, sizeof(info->long_info));
	// Terminated whatever the file holds.
	info->short_info[sizeof(info->short_info) - 1] = '\0';
	info->long_info[sizeof(info->long_info) - 1] = '\0';
	return B_OK;
}


status_t
BAppFileInfo::_Find(type_code type, const char* name,
	const std::string** data) const
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (fResources->status != B_OK)
		return fResources->status == B_BAD_TYPE
			? B_ENTRY_NOT_FOUND : fResources->status;
	return BPrivate::FindResource(fResources->items, type, name, data);
}
