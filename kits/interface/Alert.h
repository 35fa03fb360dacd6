#ifndef _ALERT_H
#define _ALERT_H

#include <memory>
#include <string>

#include <Window.h>

class BButton;
class BStringView;

namespace BPrivate {
struct AlertResult;
}

// A modal alert. Go shows it and blocks the calling thread until a button
// is pressed; a window whose thread calls it serves no other message
// meanwhile, as on BeOS.
class BAlert : public BWindow {
public:
								BAlert(const char* title, const char* text,
									const char* button0,
									const char* button1 = NULL,
									const char* button2 = NULL,
									button_width width = B_WIDTH_AS_USUAL,
									alert_type type = B_INFO_ALERT);
	virtual						~BAlert();

			int32				Go();

	virtual	void				MessageReceived(BMessage* message);
	virtual	void				DispatchMessage(BMessage* message,
									BHandler* handler);

			// The key that presses button index (B_ESCAPE, a letter...);
			// an alert of one button has Escape for it.
			void				SetShortcut(int32 index, char key);
			char				Shortcut(int32 index) const;

			BButton*			ButtonAt(int32 index) const;
			int32				CountButtons() const { return fButtonCount; }
			const char*			Text() const;
			alert_type			AlertType() const { return fType; }

private:
			BStringView*		fTextView;
			// As given: the text view shows it wrapped.
			std::string			fText;
			BButton*			fButtons[3];
			int32				fButtonCount;
			char				fKeys[3];
			alert_type			fType;
			std::shared_ptr<BPrivate::AlertResult> fResult;
};

#endif // _ALERT_H
