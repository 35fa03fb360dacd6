#ifndef _FILE_PANEL_H
#define _FILE_PANEL_H

#include <Entry.h>
#include <Messenger.h>
#include <StorageDefs.h>

class BMessage;
class BNode;
class BWindow;
struct stat;

enum file_panel_mode {
	B_OPEN_PANEL,
	B_SAVE_PANEL
};

enum file_panel_button {
	B_CANCEL_BUTTON,
	B_DEFAULT_BUTTON
};

// Decides which entries a file panel shows: those for which Filter
// returns true. The panel does not own it.
class BRefFilter {
public:
	virtual						~BRefFilter() {}
	virtual	bool				Filter(const entry_ref* ref, BNode* node,
									struct stat* stat,
									const char* mimeType) = 0;
};

// The window through which the user chooses files to open or a place to
// save one. As on BeOS it is an ordinary window of the application, made
// of kit views; its reply goes to the target, or to be_app without one:
// "refs" (one per chosen entry) in an open panel, "directory" and "name"
// in a save panel; B_REFS_RECEIVED or B_SAVE_REQUESTED when the panel has
// no message of its own.
class BFilePanel {
public:
								BFilePanel(file_panel_mode mode = B_OPEN_PANEL,
									BMessenger* target = NULL,
									const entry_ref* directory = NULL,
									uint32 nodeFlavors = 0,
									bool allowMultipleSelection = true,
									BMessage* message = NULL,
									BRefFilter* filter = NULL,
									bool modal = false,
									bool hideWhenDone = true);
	virtual						~BFilePanel();

			void				Show();
			void				Hide();
			bool				IsShowing() const;

			BWindow*			Window() const;
			file_panel_mode		PanelMode() const { return fMode; }
			uint32				NodeFlavors() const { return fFlavors; }

			void				SetTarget(BMessenger target);
			void				SetMessage(BMessage* message);
			void				SetRefFilter(BRefFilter* filter);
			BRefFilter*			RefFilter() const;
			void				SetButtonLabel(file_panel_button button,
									const char* label);
			void				SetHideWhenDone(bool hideWhenDone);
			bool				HidesWhenDone() const;
			// The name a save panel shows to save under, selected.
			void				SetSaveText(const char* text);
			void				SetPanelDirectory(const char* path);
			void				SetPanelDirectory(const entry_ref* directory);
			void				GetPanelDirectory(entry_ref* directory) const;

private:
			file_panel_mode		fMode;
			uint32				fFlavors;
			class PanelWindow;
			PanelWindow*		fWindow;
			// The window may be gone when the application quit it first.
			BMessenger			fMessenger;
};

#endif // _FILE_PANEL_H
