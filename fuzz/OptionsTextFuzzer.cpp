// libFuzzer target: the encoder panel in any state a user can leave it
// in, with any field texts (longer ones are cut by the fields). The
// option text fits its buffer whole, NUL-terminated, and ends with the
// extra parameters as typed.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include <CheckBox.h>
#include <Menu.h>
#include <MenuItem.h>
#include <TextControl.h>

#include "EncoderView.h"

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	if (size < 3)
		return 0;
	static EncoderView* view = new EncoderView(BRect(0, 0, 408, 179));

	BMenu* menus[2] = { view->fBitRateMenu, view->fOutputModeMenu };
	for (int i = 0; i < 2; i++) {
		int32 count = menus[i]->CountItems();
		BMenuItem* item = menus[i]->ItemAt(data[i] % (count + 1));
		// One past the last: no item marked at all.
		if (item != NULL)
			item->SetMarked(true);
		else if (menus[i]->FindMarked() != NULL)
			menus[i]->FindMarked()->SetMarked(false);
	}
	view->fDisablePsycho->SetValue(data[2] & 1 ? B_CONTROL_ON : B_CONTROL_OFF);
	view->fDeleteWave->SetValue(data[2] & 2 ? B_CONTROL_ON : B_CONTROL_OFF);

	// The folder, then the extra parameters after the first NUL.
	std::string rest((const char*)data + 3, size - 3);
	size_t split = rest.find('\0');
	std::string folder = rest.substr(0, split);
	std::string extra = split == std::string::npos ? std::string()
		: rest.substr(split + 1);
	extra = extra.substr(0, extra.find('\0'));
	view->fOutputDirText->SetText(folder.c_str());
	view->fExtraParam->SetText(extra.c_str());
	if (strlen(view->fOutputDirText->Text()) > (size_t)kOutputDirMaxBytes
		|| strlen(view->fExtraParam->Text()) > (size_t)kExtraParamMaxBytes)
		__builtin_trap();

	char* out = new char[kOptionsTextSize];
	memset(out, '#', kOptionsTextSize);
	view->OptionsBefore(out);
	size_t length = strnlen(out, kOptionsTextSize);
	if (length == kOptionsTextSize)
		__builtin_trap();
	const char* typed = view->fExtraParam->Text();
	size_t typedLength = strlen(typed);
	if (typedLength > 0 && (length < typedLength
			|| strcmp(out + length - typedLength, typed) != 0))
		__builtin_trap();
	// The folder is there whole too.
	const char* shown = view->fOutputDirText->Text();
	if (shown[0] != '\0' && strstr(out, shown) == NULL)
		__builtin_trap();

	memset(out, '#', kOptionsTextSize);
	view->OptionsAfter(out);
	if (strnlen(out, kOptionsTextSize) == kOptionsTextSize)
		__builtin_trap();
	delete[] out;
	return 0;
}
