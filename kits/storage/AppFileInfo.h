#ifndef _APP_FILE_INFO_H
#define _APP_FILE_INFO_H

#include <string>

#include <Mime.h>
#include <NodeInfo.h>

class BBitmap;
class BFile;
class BMessage;

enum version_kind {
	B_APP_VERSION_KIND = 0,
	B_SYSTEM_VERSION_KIND = 1
};

// Varieties of a version, as on BeOS.
enum {
	B_DEVELOPMENT_VERSION = 0,
	B_ALPHA_VERSION,
	B_BETA_VERSION,
	B_GAMMA_VERSION,
	B_GOLDEN_MASTER_VERSION,
	B_FINAL_VERSION
};

// 340 bytes, as stored in the "BEOS:APP_VERSION" resource.
struct version_info {
	uint32	major;
	uint32	middle;
	uint32	minor;
	uint32	variety;
	uint32	internal;
	char	short_info[64];
	char	long_info[256];
};

static_assert(sizeof(version_info) == 340, "version_info is 340 bytes");

// What an application executable says about itself in its resources.
class BAppFileInfo : public BNodeInfo {
public:
								BAppFileInfo();
								BAppFileInfo(BFile* file);
	virtual						~BAppFileInfo();

			status_t			SetTo(BFile* file);

			// A B_CMAP8 bitmap of exactly the icon's size.
			status_t			GetIcon(BBitmap* icon, icon_size size) const;
			// signature holds at least B_MIME_TYPE_LENGTH bytes.
			status_t			GetSignature(char* signature) const;
			status_t			GetAppFlags(uint32* flags) const;
			status_t			GetSupportedTypes(BMessage* types) const;
			status_t			GetVersionInfo(version_info* info,
									version_kind kind) const;

private:
								BAppFileInfo(const BAppFileInfo&);
			BAppFileInfo&		operator=(const BAppFileInfo&);

			status_t			_Find(type_code type, const char* name,
									const std::string** data) const;

	struct Resources;
			Resources*			fResources;
};

#endif // _APP_FILE_INFO_H
