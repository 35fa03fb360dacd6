#include "private/tracker/PanelWindow.h"

#include <dirent.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>

#include <Alert.h>
#include <Application.h>
#include <Button.h>
#include <Entry.h>
#include <ListView.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Path.h>
#include <ScrollView.h>
#include <TextControl.h>
#include <TextView.h>

#include <OS.h>

#include "display/DisplayProtocol.h"
#include "private/app/HandlerPrivate.h"
#include "private/interface/ListViewPrivate.h"
#include "private/interface/WindowPrivate.h"

namespace {

enum {
	kUp = '_PUP',
	kChoose = '_PCH',
	kCancel = '_PCA',
	kInvoked = '_PIN'
};

const float kWidth = 439;
const float kHeight = 299;
const float kMinWidth = 329;
const float kMinHeight = 219;


bool
IsFolder(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}


std::string
Join(const std::string& folder, const std::string& name)
{
	return folder == "/" ? "/" + name : folder + "/" + name;
}


// Where a link really leads; anything else, or a link that cannot be
// followed, as it is.
std::string
Resolved(const std::string& path)
{
	BEntry entry(path.c_str(), true);
	BPath resolved;
	if (entry.InitCheck() != B_OK || entry.GetPath(&resolved) != B_OK)
		return path;
	return resolved.Path();
}


bool
IsDigit(char c)
{
	return c >= '0' && c <= '9';
}


char
Lower(char c)
{
	return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}


// Names as a person reads them: capitals and small letters alike, and a
// run of digits a number, so "traccia 2" comes before "traccia 10". Names
// that read alike ("a" and "A", "7" and "07") keep a fixed order.
bool
ReadsBefore(const std::string& a, const std::string& b)
{
	size_t i = 0;
	size_t j = 0;
	while (i < a.size() && j < b.size()) {
		if (IsDigit(a[i]) && IsDigit(b[j])) {
			size_t aEnd = i;
			while (aEnd < a.size() && IsDigit(a[aEnd]))
				aEnd++;
			size_t bEnd = j;
			while (bEnd < b.size() && IsDigit(b[bEnd]))
				bEnd++;
			while (i + 1 < aEnd && a[i] == '0')
				i++;
			while (j + 1 < bEnd && b[j] == '0')
				j++;
			// Without leading zeros, the longer number is the greater.
			if (aEnd - i != bEnd - j)
				return aEnd - i < bEnd - j;
			int order = a.compare(i, aEnd - i, b, j, bEnd - j);
			if (order != 0)
				return order < 0;
			i = aEnd;
			j = bEnd;
			continue;
		}
		char x = Lower(a[i]);
		char y = Lower(b[j]);
		if (x != y)
			return (unsigned char)x < (unsigned char)y;
		i++;
		j++;
	}
	if (i < a.size() || j < b.size())
		return j < b.size();
	return a < b;
}

} // namespace


// The panel's entries: a user's click in a save panel names the file.
class BFilePanel::PanelWindow::EntriesList : public BListView {
public:
	EntriesList(BRect frame, list_view_type type, PanelWindow* panel)
		:
		BListView(frame, "PanelEntries", type, B_FOLLOW_ALL_SIDES),
		fPanel(panel)
	{
	}

	virtual void SelectionChanged()
	{
		fPanel->EntriesSelected();
	}

	// Typing selects the first entry whose name begins with what was
	// typed; a pause starts the name over.
	virtual void KeyDown(const char* bytes, int32 numBytes)
	{
		unsigned char first = (unsigned char)bytes[0];
		if (numBytes < 1 || first < B_SPACE || first == B_DELETE) {
			// Enter, the arrows: what follows is a new name, typed in
			// what may be another folder by then.
			fTyped.clear();
			BListView::KeyDown(bytes, numBytes);
			return;
		}
		bigtime_t now = system_time();
		if (now - fLastTyped > kTypingPause)
			fTyped.clear();
		fLastTyped = now;
		// No name holds a '/', and one that begins a name with '~' is a
		// path from home: both start a path, typed in the path field.
		if (numBytes == 1 && (first == '/' || (first == '~'
				&& fTyped.empty()))) {
			fTyped.clear();
			fPanel->_StartPath(bytes[0]);
			return;
		}
		fTyped.append(bytes, numBytes);
		for (int32 i = 0; i < CountItems(); i++) {
			const char* text = static_cast<BStringItem*>(ItemAt(i))->Text();
			if (strncasecmp(text, fTyped.c_str(), fTyped.size()) == 0) {
				BListView::Private(this).UserSelect(std::vector<int32>(1, i));
				return;
			}
		}
	}

	void ResetTyping()
	{
		fTyped.clear();
	}

private:
	static const bigtime_t kTypingPause = 1000000;

	PanelWindow* fPanel;
	std::string fTyped;
	bigtime_t fLastTyped = 0;
};


BFilePanel::PanelWindow::PanelWindow(BFilePanel*, file_panel_mode mode,
	uint32 flavors, bool multiple, bool modal)
	:
	BWindow(BRect(150, 120, 150 + kWidth, 120 + kHeight),
		mode == B_SAVE_PANEL ? "Salva" : "Apri", B_TITLED_WINDOW_LOOK,
		modal ? B_MODAL_APP_WINDOW_FEEL : B_NORMAL_WINDOW_FEEL,
		B_NOT_ZOOMABLE),
	fDefaultButton(NULL),
	fCancelButton(NULL),
	fMessage(NULL),
	fHideWhenDone(true),
	fMode(mode),
	fFlavors(flavors),
	fFilter(NULL),
	fNameView(NULL),
	fListing(0),
	fClickListing(0),
	fClickIndex(-1)
{
	BView* back = new BView(Bounds(), "FilePanel", B_FOLLOW_ALL_SIDES, 0);
	back->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	AddChild(back);

	BButton* up = new BButton(BRect(5, 5, 79, 29), "PanelUp", "Su",
		new BMessage(kUp));
	up->ResizeToPreferred();
	back->AddChild(up);
	float bottom = kHeight - 40;
	if (mode == B_SAVE_PANEL) {
		// The name to save under, typed, or filled in by a click on an
		// entry. Added before the path field, so that it is the field
		// typing goes to when the panel shows.
		fNameView = new BTextControl(BRect(5, bottom - 20, kWidth - 5,
			bottom), "PanelName", "Nome:", "", NULL,
			B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM);
		fNameView->SetDivider(55);
		fNameView->TextView()->SetMaxBytes(B_FILE_NAME_LENGTH - 1);
		back->AddChild(fNameView);
		bottom -= 26;
	}

	// The folder shown, which a user may also type, Enter (or the default
	// button) going there.
	fPathView = new BTextControl(BRect(up->Frame().right + 8, 7, kWidth - 5,
		27), "PanelPath", NULL, "", NULL, B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP);
	fPathView->SetDivider(0);
	fPathView->TextView()->SetMaxBytes(B_PATH_NAME_LENGTH - 1);
	back->AddChild(fPathView);

	fEntries = new EntriesList(BRect(7, 39, kWidth - 7 - B_V_SCROLL_BAR_WIDTH,
			bottom),
		multiple ? B_MULTIPLE_SELECTION_LIST : B_SINGLE_SELECTION_LIST, this);
	fEntries->SetInvocationMessage(new BMessage(kInvoked));
	back->AddChild(new BScrollView("PanelScroll", fEntries,
		B_FOLLOW_ALL_SIDES, 0, false, true, B_FANCY_BORDER));

	fDefaultButton = new BButton(BRect(kWidth - 84, kHeight - 30,
		kWidth - 10, kHeight - 6), "PanelDefault",
		mode == B_SAVE_PANEL ? "Salva" : "Apri", new BMessage(kChoose),
		B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM);
	back->AddChild(fDefaultButton);
	fDefaultButton->MakeDefault(true);
	fCancelButton = new BButton(BRect(kWidth - 168, kHeight - 30,
		kWidth - 94, kHeight - 6), "PanelCancel", "Annulla",
		new BMessage(kCancel), B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM);
	back->AddChild(fCancelButton);

	// Made larger, the entries get the room; smaller, everything still
	// fits.
	SetSizeLimits(kMinWidth, 32768, kMinHeight, 32768);

	const char* home = getenv("HOME");
	SetDirectory(home != NULL && IsFolder(home) ? home : "/");
	// Typing goes to the name to save under, or to the path.
	(fNameView != NULL ? fNameView : fPathView)->MakeFocus(true);
}


BFilePanel::PanelWindow::~PanelWindow()
{
	for (int32 i = fEntries->CountItems() - 1; i >= 0; i--)
		delete fEntries->RemoveItem(i);
	delete fMessage;
}


// The close box cancels: the panel is hidden, to be shown again.
void
BFilePanel::PanelWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (BPrivate::IsUserInput(message->what)
		&& BWindow::Private(this).IsBehindModal()) {
		BWindow::DispatchMessage(message, handler);
		return;
	}
	if (message->what == BPrivate::B_INPUT_CLOSE) {
		if (!IsHidden())
			_Cancel();
		return;
	}
	int32 view;
	if (message->what == BPrivate::B_INPUT_SELECTION
		&& message->FindInt32("view", &view) == B_OK
		&& view == BHandler::Private(fEntries).Token()) {
		// The display counts clicks by time and place alone; the entry
		// under the pointer may be another since the first click, when a
		// folder was entered meanwhile. A double click is two clicks on
		// one entry of one listing, and what it does ends the count.
		int32 index = -1;
		int32 more;
		bool one = message->FindInt32("index", 0, &index) == B_OK
			&& message->FindInt32("index", 1, &more) != B_OK;
		bool invoke = false;
		message->FindBool("invoke", &invoke);
		bool second = invoke && one && fClickIndex == index
			&& fClickListing == fListing;
		fClickIndex = one && !second ? index : -1;
		fClickListing = fListing;
		if (invoke && !second) {
			BMessage click(*message);
			click.RemoveName("invoke");
			BWindow::DispatchMessage(&click, handler);
			return;
		}
	}
	const char* bytes;
	if (message->what == BPrivate::B_INPUT_KEY && !IsHidden()
		&& message->FindString("bytes", &bytes) == B_OK
		&& message->FindInt32("view", &view) != B_OK && _PanelKey(message,
			bytes))
		return;
	BWindow::DispatchMessage(message, handler);
}


// Escape cancels; Alt+Up, and Backspace where no text is edited, go to
// the parent folder. True when the key was the panel's.
bool
BFilePanel::PanelWindow::_PanelKey(BMessage* message, const char* bytes)
{
	if (bytes[0] == '\0' || bytes[1] != '\0')
		return false;
	int32 modifiers = 0;
	message->FindInt32("modifiers", &modifiers);
	bool editing = dynamic_cast<BTextView*>(CurrentFocus()) != NULL;
	if (bytes[0] == B_ESCAPE) {
		static_cast<EntriesList*>(fEntries)->ResetTyping();
		_Cancel();
		return true;
	}
	if ((bytes[0] == B_UP_ARROW && (modifiers & B_COMMAND_KEY) != 0)
		|| (bytes[0] == B_BACKSPACE && !editing)) {
		static_cast<EntriesList*>(fEntries)->ResetTyping();
		BMessage up(kUp);
		MessageReceived(&up);
		return true;
	}
	return false;
}


void
BFilePanel::PanelWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kUp:
		{
			BPath path(fDirectory.c_str());
			BPath parent;
			if (path.GetParent(&parent) == B_OK)
				SetDirectory(parent.Path());
			break;
		}
		case kChoose:
			_Choose();
			break;
		case kCancel:
			_Cancel();
			break;
		case kInvoked:
			_Invoked();
			break;
		case BPrivate::B_INPUT_PANEL_FILL:
		{
			if (IsHidden())
				break;
			const char* directory;
			if (message->FindString("directory", &directory) == B_OK)
				SetDirectory(directory);
			const char* name;
			if (fMode == B_SAVE_PANEL) {
				if (message->FindString("name", &name) == B_OK)
					SetName(name);
				break;
			}
			fEntries->DeselectAll();
			for (int32 i = 0; message->FindString("name", i, &name) == B_OK;
					i++) {
				auto found = std::find(fNames.begin(), fNames.end(), name);
				if (found != fNames.end())
					fEntries->Select((int32)(found - fNames.begin()), true);
			}
			break;
		}
		default:
			BWindow::MessageReceived(message);
			break;
	}
}


void
BFilePanel::PanelWindow::SetDirectory(const std::string& path)
{
	BPath normal(path.c_str(), NULL, true);
	if (normal.InitCheck() != B_OK || !IsFolder(normal.Path()))
		return;
	fDirectory = normal.Path();
	fPathView->SetText(fDirectory.c_str());
	fListing++;

	for (int32 i = fEntries->CountItems() - 1; i >= 0; i--)
		delete fEntries->RemoveItem(i);
	// (name, is a link that stands for its target)
	std::vector<std::pair<std::string, bool>> folders;
	std::vector<std::pair<std::string, bool>> files;
	if (DIR* dir = opendir(fDirectory.c_str())) {
		while (struct dirent* entry = readdir(dir)) {
			// Hidden, as a desktop's file manager hides them; and "." and
			// "..", which the way up stands for.
			if (entry->d_name[0] == '.')
				continue;
			std::string path = Join(fDirectory, entry->d_name);
			struct stat info;
			if (lstat(path.c_str(), &info) != 0)
				continue;
			// A link is offered as itself where links are asked for;
			// elsewhere it is what it points to, and a dangling one is
			// nothing to choose.
			bool resolve = false;
			if (S_ISLNK(info.st_mode) && (fFlavors & B_SYMLINK_NODE) == 0) {
				if (stat(path.c_str(), &info) != 0)
					continue;
				resolve = true;
			}
			if (fFilter != NULL && !_Accepts(path, &info))
				continue;
			if (S_ISDIR(info.st_mode))
				folders.emplace_back(entry->d_name, resolve);
			else
				files.emplace_back(entry->d_name, resolve);
		}
		closedir(dir);
	}
	auto readsBefore = [](const std::pair<std::string, bool>& a,
		const std::pair<std::string, bool>& b) {
		return ReadsBefore(a.first, b.first);
	};
	std::sort(folders.begin(), folders.end(), readsBefore);
	std::sort(files.begin(), files.end(), readsBefore);
	fNames.clear();
	fFolders.clear();
	fResolve.clear();
	for (const auto& folder : folders) {
		fNames.push_back(folder.first);
		fFolders.push_back(true);
		fResolve.push_back(folder.second);
		fEntries->AddItem(new BStringItem((folder.first + "/").c_str()));
	}
	for (const auto& file : files) {
		fNames.push_back(file.first);
		fFolders.push_back(false);
		fResolve.push_back(file.second);
		fEntries->AddItem(new BStringItem(file.first.c_str()));
	}
}


void
BFilePanel::PanelWindow::SetRefFilter(BRefFilter* filter)
{
	fFilter = filter;
	SetDirectory(fDirectory);
}


// What the filter is shown of an entry: its ref, its node and type, and
// the stat of what the entry stands for in this panel.
bool
BFilePanel::PanelWindow::_Accepts(const std::string& path, struct stat* info)
{
	entry_ref ref;
	if (get_ref_for_path(path.c_str(), &ref) != B_OK)
		return false;
	BNode node(&ref);
	char type[B_MIME_TYPE_LENGTH] = "";
	if (node.InitCheck() == B_OK) {
		BNodeInfo nodeInfo(&node);
		if (nodeInfo.GetType(type) != B_OK)
			type[0] = '\0';
	}
	return fFilter->Filter(&ref, &node, info, type);
}


void
BFilePanel::PanelWindow::SetName(const char* name)
{
	fName = name != NULL ? name : "";
	if (fNameView != NULL)
		fNameView->SetText(fName.c_str());
	SelectName();
}


void
BFilePanel::PanelWindow::SelectName()
{
	// What typing goes to is selected, so that typing replaces it: the
	// name to save under, or in an open panel the folder's path.
	(fNameView != NULL ? fNameView : fPathView)->TextView()->SelectAll();
}


void
BFilePanel::PanelWindow::CenterOver(BRect frame)
{
	BRect own = Frame();
	float left = floorf((frame.left + frame.right - own.Width()) / 2);
	float top = floorf((frame.top + frame.bottom - own.Height()) / 2);
	MoveTo(left > 0 ? left : 0, top > 0 ? top : 0);
}


void
BFilePanel::PanelWindow::EntriesSelected()
{
	int32 selected = fEntries->CurrentSelection(0);
	if (fMode == B_SAVE_PANEL && selected >= 0 && !fFolders[selected])
		SetName(fNames[selected].c_str());
}


void
BFilePanel::PanelWindow::_Choose()
{
	if (_FollowTypedPath())
		return;
	if (fMode == B_SAVE_PANEL) {
		fName = fNameView->Text();
		int32 selected = fEntries->CurrentSelection(0);
		if (selected >= 0 && fFolders[selected]) {
			SetDirectory(_PathOf(selected));
			return;
		}
		if (selected >= 0 && fName.empty())
			SetName(fNames[selected].c_str());
		if (fName.find('/') != std::string::npos && !_FollowTypedName())
			return;
		if (fName.empty())
			return;
		entry_ref directory;
		if (get_ref_for_path(fDirectory.c_str(), &directory) != B_OK)
			return;
		if (!_MayReplace())
			return;
		BMessage reply(fMessage != NULL ? *fMessage
			: BMessage(B_SAVE_REQUESTED));
		reply.AddRef("directory", &directory);
		reply.AddString("name", fName.c_str());
		_Send(&reply);
		return;
	}

	// A folder chosen where folders are not wanted is opened instead.
	int32 first = fEntries->CurrentSelection(0);
	if (first >= 0 && fEntries->CurrentSelection(1) < 0 && fFolders[first]
		&& (fFlavors & B_DIRECTORY_NODE) == 0) {
		SetDirectory(_PathOf(first));
		return;
	}
	BMessage reply(fMessage != NULL ? *fMessage : BMessage(B_REFS_RECEIVED));
	for (int32 n = 0; fEntries->CurrentSelection(n) >= 0; n++) {
		entry_ref ref;
		if (_RefOf(fEntries->CurrentSelection(n), &ref))
			reply.AddRef("refs", &ref);
	}
	// Nothing chosen in a folder panel: the folder shown is the choice.
	if (first < 0 && (fFlavors & B_DIRECTORY_NODE) != 0) {
		entry_ref ref;
		if (get_ref_for_path(fDirectory.c_str(), &ref) == B_OK)
			reply.AddRef("refs", &ref);
	}
	entry_ref any;
	if (reply.FindRef("refs", &any) != B_OK)
		return;
	_Send(&reply);
}


// A path typed in place of the folder shown: a folder is entered; in an
// open panel, a file there is selected and then chosen as usual; in a save
// panel, its folder is entered and its name becomes the one to save under.
// Something that is not there leaves the panel where it was. True when
// that is all the default button does.
bool
BFilePanel::PanelWindow::_FollowTypedPath()
{
	std::string typed = fPathView->Text() != NULL ? fPathView->Text() : "";
	if (typed == fDirectory)
		return false;
	const char* home = getenv("HOME");
	if (home != NULL && (typed == "~" || typed.compare(0, 2, "~/") == 0))
		typed = home + typed.substr(1);
	else if (typed.empty() || typed[0] != '/')
		typed = Join(fDirectory, typed);
	if (IsFolder(typed)) {
		// A linked folder shows where it really is, as when entered with
		// a double click.
		SetDirectory(Resolved(typed));
		return true;
	}

	BPath path(typed.c_str(), NULL, true);
	BPath folder;
	if (path.InitCheck() != B_OK || path.GetParent(&folder) != B_OK
		|| !IsFolder(folder.Path()) || path.Leaf() == NULL) {
		fPathView->SetText(fDirectory.c_str());
		return true;
	}
	std::string name = path.Leaf();
	SetDirectory(folder.Path());
	if (fMode == B_SAVE_PANEL) {
		SetName(name.c_str());
		fEntries->DeselectAll();
		return false;
	}
	auto found = std::find(fNames.begin(), fNames.end(), name);
	if (found == fNames.end()) {
		if (name[0] == '.')
			_ChooseHidden(name);
		return true;
	}
	fEntries->DeselectAll();
	fEntries->Select((int32)(found - fNames.begin()));
	return false;
}


// A name typed with a '/' in a save panel is a path: its folder is
// entered and its last part becomes the name; a folder is entered alone.
// A folder that is not there is said so, and the panel stays as it was.
// True when the save goes on with the name.
bool
BFilePanel::PanelWindow::_FollowTypedName()
{
	std::string typed = fName;
	const char* home = getenv("HOME");
	if (home != NULL && (typed == "~" || typed.compare(0, 2, "~/") == 0))
		typed = home + typed.substr(1);
	else if (typed[0] != '/')
		typed = Join(fDirectory, typed);
	bool folderOnly = typed.back() == '/';
	while (typed.size() > 1 && typed.back() == '/')
		typed.pop_back();
	if (IsFolder(typed)) {
		SetDirectory(Resolved(typed));
		SetName("");
		return false;
	}
	size_t slash = typed.rfind('/');
	std::string folder = folderOnly ? typed : slash == 0 ? std::string("/")
		: typed.substr(0, slash);
	std::string name = typed.substr(slash + 1);
	if (folderOnly || !IsFolder(folder)) {
		std::string text = "La cartella \"" + folder + "\" non esiste.";
		BAlert* alert = new BAlert("NoSuchFolder", text.c_str(), "OK", NULL,
			NULL, B_WIDTH_AS_USUAL, B_STOP_ALERT);
		alert->Go();
		SelectName();
		return false;
	}
	SetDirectory(Resolved(folder));
	SetName(name.c_str());
	fEntries->DeselectAll();
	return true;
}


// A path begun by typing in the entries: the path field takes it, with
// the character typed, and nothing selected, so that the typing that
// follows goes after it.
void
BFilePanel::PanelWindow::_StartPath(char first)
{
	char text[2] = { first, '\0' };
	fPathView->MakeFocus(true);
	fPathView->SetText(text);
	fPathView->TextView()->Select(0, 0);
}


// A file whose name begins with a dot is not listed, but one a user types
// the path of is chosen as a listed one would be.
void
BFilePanel::PanelWindow::_ChooseHidden(const std::string& name)
{
	std::string path = Join(fDirectory, name);
	struct stat info;
	if (lstat(path.c_str(), &info) != 0)
		return;
	bool resolve = S_ISLNK(info.st_mode) && (fFlavors & B_SYMLINK_NODE) == 0;
	if (resolve && stat(path.c_str(), &info) != 0)
		return;
	if (S_ISDIR(info.st_mode) || (fFlavors & (S_ISLNK(info.st_mode)
			? B_SYMLINK_NODE : B_FILE_NODE)) == 0
		|| (fFilter != NULL && !_Accepts(path, &info)))
		return;
	entry_ref ref;
	if (get_ref_for_path((resolve ? Resolved(path) : path).c_str(), &ref)
			!= B_OK)
		return;
	BMessage reply(fMessage != NULL ? *fMessage : BMessage(B_REFS_RECEIVED));
	reply.AddRef("refs", &ref);
	_Send(&reply);
}


// A double click: a folder is entered, anything else chosen as the
// default button would.
void
BFilePanel::PanelWindow::_Invoked()
{
	int32 selected = fEntries->CurrentSelection(0);
	if (selected < 0)
		return;
	if (fFolders[selected] && fEntries->CurrentSelection(1) < 0) {
		SetDirectory(_PathOf(selected));
		return;
	}
	_Choose();
}


// The entry's path; for a link that stands for its target, the target's,
// so that an entered folder shows where it really is.
std::string
BFilePanel::PanelWindow::_PathOf(int32 index) const
{
	std::string path = Join(fDirectory, fNames[index]);
	return fResolve[index] ? Resolved(path) : path;
}


bool
BFilePanel::PanelWindow::_RefOf(int32 index, entry_ref* ref) const
{
	return get_ref_for_path(_PathOf(index).c_str(), ref) == B_OK;
}


// Saving over a file that is there replaces it: the user is asked first,
// and "Annulla" leaves the panel as it was.
bool
BFilePanel::PanelWindow::_MayReplace()
{
	struct stat info;
	if (lstat(Join(fDirectory, fName).c_str(), &info) != 0
		|| S_ISDIR(info.st_mode))
		return true;
	std::string text = "Il file \"" + fName
		+ "\" esiste già. Vuoi sostituirlo?";
	BAlert* alert = new BAlert("ReplaceFile", text.c_str(), "Annulla",
		"Sostituisci", NULL, B_WIDTH_AS_USUAL, B_STOP_ALERT);
	alert->SetShortcut(0, B_ESCAPE);
	return alert->Go() == 1;
}


void
BFilePanel::PanelWindow::_Cancel()
{
	Hide();
}


void
BFilePanel::PanelWindow::_Send(BMessage* reply)
{
	if (fTarget.IsValid())
		fTarget.SendMessage(reply);
	else
		be_app_messenger.SendMessage(reply);
	if (fHideWhenDone)
		Hide();
}
