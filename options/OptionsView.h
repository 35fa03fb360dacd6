#ifndef OPTIONS_VIEW_H
#define OPTIONS_VIEW_H

#include <View.h>

class BButton;
class BCheckBox;
class BFilePanel;
class BTextControl;

// The longest encoder location the field takes, in bytes.
const int32 kEncoderLocationMaxBytes = 1024;

// The program options tab: where the encoder is, the three switches and
// the list type's buttons. It shows the settings loaded at start; the main
// window keeps the settings in step with its controls.
class OptionsView : public BView {
public:
								OptionsView(BRect frame);
	virtual						~OptionsView();

			BButton*			fSetEncoderLocation;
			BTextControl*		fEncoderLocation;
			BFilePanel*			fEncoderPanel;
			BCheckBox*			fDontCloseOnAdd;
			BCheckBox*			fDontClearOnOpen;
			BCheckBox*			fSelfRegisterMIMEType;
};

#endif // OPTIONS_VIEW_H
