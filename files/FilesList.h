#ifndef FILES_LIST_H
#define FILES_LIST_H

#include <ListView.h>

class BButton;
class BFilePanel;
class BPath;
class MainWindow;
struct entry_ref;

// The batch: one entry per file, in encoding order. It keeps the Encode
// button and the Files tab's selection buttons in step, and reads and
// writes list files.
class FilesList : public BListView {
public:
								FilesList(BRect frame, MainWindow* window);
	virtual						~FilesList();

	virtual	void				MessageReceived(BMessage* message);
	virtual	bool				AddItem(BListItem* item);
	virtual	bool				AddItem(BListItem* item, int32 index);
	virtual	void				SelectionChanged();
	// Delete does what "Rimuovi" does, when it can be pressed.
	virtual	void				KeyDown(const char* bytes, int32 numBytes);

			void				ShowOpen();
			void				ShowSave();
			void				AddFile(const char* path);
			void				RemoveFiles();
			void				MoveUp();
			void				MoveDown();
			void				Clear();
			int32				CountSelected();

			void				Save(const char* path);
			void				Open(const char* path);
			// A save whose path could not even be formed: the user is
			// told the file cannot be created, nothing is written.
			void				RefuseSave();

			// The absolute path of what the ref names, links followed;
			// false when there is none to be had (a dangling link, a path
			// too long), so that no cut or empty path reaches the list.
	static	bool				PathOf(const entry_ref* ref, BPath* path);
			// A list file: its type is the list type, by its type
			// attribute or, when it has none, by its first line (the
			// header every saved list starts with) or the desktop's type
			// for its name (a .tvx file). Files handed over at launch and
			// later are told apart by this one test.
	static	bool				IsListFile(const char* path);

			BFilePanel*			fSavePanel;
			BFilePanel*			fOpenPanel;
			MainWindow*			fMainWindow;
			BButton*			fEncodeButton;
			BButton*			fRemoveButton;
			BButton*			fMoveUpButton;
			BButton*			fMoveDownButton;

private:
	static	bool				_StartsWithHeader(const char* path);
			void				_Enable(BButton* button, bool enabled);
			void				_Alert(const char* title, const char* text);
};

#endif // FILES_LIST_H
