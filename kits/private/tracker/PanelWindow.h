#ifndef _KITS_PRIVATE_TRACKER_PANEL_WINDOW_H
#define _KITS_PRIVATE_TRACKER_PANEL_WINDOW_H

#include <string>
#include <vector>

#include <FilePanel.h>
#include <Window.h>

class BButton;
class BListView;
class BTextControl;

// The file panel's window: the folder shown (a way up, its path), its
// entries, the name in a save panel, the two buttons.
class BFilePanel::PanelWindow : public BWindow {
public:
								PanelWindow(BFilePanel* panel,
									file_panel_mode mode, uint32 flavors,
									bool multiple, bool modal);
	virtual						~PanelWindow();

	virtual	void				DispatchMessage(BMessage* message,
									BHandler* handler);
	virtual	void				MessageReceived(BMessage* message);

			void				SetDirectory(const std::string& path);
			const std::string&	Directory() const { return fDirectory; }
			// The name to save under, selected, so that typing replaces it.
			void				SetName(const char* name);
			// The name to save under, or in an open panel the path, selected.
			void				SelectName();
			void				CenterOver(BRect frame);
			// Entries it rejects are not shown; the folder is read again.
			void				SetRefFilter(BRefFilter* filter);
			BRefFilter*			RefFilter() const { return fFilter; }
			// A file clicked in a save panel gives its name.
			void				EntriesSelected();

			BButton*			fDefaultButton;
			BButton*			fCancelButton;
			BMessenger			fTarget;
			BMessage*			fMessage;
			bool				fHideWhenDone;

private:
			class EntriesList;

			bool				_PanelKey(BMessage* message,
									const char* bytes);
			void				_Choose();
			bool				_FollowTypedPath();
			bool				_FollowTypedName();
			void				_StartPath(char first);
			void				_ChooseHidden(const std::string& name);
			void				_Invoked();
			std::string			_PathOf(int32 index) const;
			bool				_RefOf(int32 index, entry_ref* ref) const;
			bool				_Accepts(const std::string& path,
									struct stat* info);
			bool				_MayReplace();
			void				_Cancel();
			void				_Send(BMessage* reply);

			file_panel_mode		fMode;
			uint32				fFlavors;
			std::string			fDirectory;
			// The entries shown, in the list's order, folders first.
			std::vector<std::string> fNames;
			std::vector<bool>	fFolders;
			// Links that stand for what they point to: chosen, they give
			// the target's ref.
			std::vector<bool>	fResolve;
			BRefFilter*			fFilter;
			// The folder shown; a user may type another there.
			BTextControl*		fPathView;
			BTextControl*		fNameView;
			BListView*			fEntries;
			std::string			fName;
			// Each folder read is a new listing; a double click counts
			// only on the entry of the listing its first click was on.
			uint32				fListing;
			uint32				fClickListing;
			int32				fClickIndex;
};

#endif
