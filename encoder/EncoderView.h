#ifndef ENCODER_VIEW_H
#define ENCODER_VIEW_H

#include <View.h>

class BButton;
class BCheckBox;
class BFilePanel;
class BMenu;
class BMenuField;
class BTextControl;

// The longest text the output folder and the extra parameters take, in
// bytes.
const int32 kOutputDirMaxBytes = 1024;
const int32 kExtraParamMaxBytes = 128;

// Room for the longest option text the panel can yield, and its NUL:
// "-b 320 -m j -nopsy -delete " (27), "-o \"FOLDER\" " (1030), the extra
// parameters and their blank (129), less the final blank.
const size_t kOptionsTextSize = 27 + (kOutputDirMaxBytes + 6)
	+ (kExtraParamMaxBytes + 1) - 1 + 1;

// The encoder options tab: how Gogo is run. Nothing of it is stored; it
// starts at "Default", off and empty.
class EncoderView : public BView {
public:
								EncoderView(BRect frame);
	virtual						~EncoderView();

	virtual	void				MessageReceived(BMessage* message);

			// The options before and after the file's name. out must hold
			// kOptionsTextSize bytes.
			void				OptionsBefore(char* out);
			void				OptionsAfter(char* out);

			BMenu*				fBitRateMenu;
			BMenuField*			fBitRateField;
			int32				fBitRates[14];
			BMenu*				fOutputModeMenu;
			BMenuField*			fOutputModeField;
			BButton*			fOutputDirButton;
			BTextControl*		fOutputDirText;
			BFilePanel*			fOutputDirPanel;
			BCheckBox*			fDisablePsycho;
			BCheckBox*			fDeleteWave;
			BTextControl*		fExtraParam;
};

#endif // ENCODER_VIEW_H
