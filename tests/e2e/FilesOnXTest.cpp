#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <string>
#include <thread>

#include <Alert.h>
#include <Application.h>
#include <Button.h>
#include <Entry.h>
#include <ListView.h>
#include <TextControl.h>
#include <Window.h>

#include "Commands.h"

#include "FilesList.h"
#include "MainWindow.h"
#include "AppOnX.h"
#include "TestSupport.h"
#include "TolvexApp.h"
#include "XProbe.h"
#include "XvfbServer.h"
#include "display/DisplayServer.h"

namespace {

const char* kMainTitle = "Tolvex 1.2a";


// Waits for a client message of this type to the window, serving the
// selection meanwhile as a drag source must.
bool
WaitForMessage(Display* display, Window source, Atom type,
	const std::string& uriList, Atom uriAtom)
{
	bigtime_t deadline = system_time() + 5000000;
	while (system_time() < deadline) {
		while (XPending(display) > 0) {
			XEvent event;
			XNextEvent(display, &event);
			if (event.type == ClientMessage
				&& event.xclient.message_type == type)
				return true;
			if (event.type != SelectionRequest)
				continue;
			XSelectionRequestEvent& request = event.xselectionrequest;
			XEvent reply = {};
			reply.xselection.type = SelectionNotify;
			reply.xselection.requestor = request.requestor;
			reply.xselection.selection = request.selection;
			reply.xselection.target = request.target;
			reply.xselection.time = request.time;
			reply.xselection.property = None;
			if (request.target == uriAtom) {
				Atom property = request.property != None ? request.property
					: request.target;
				XChangeProperty(display, request.requestor, property,
					uriAtom, 8, PropModeReplace,
					(const unsigned char*)uriList.data(),
					(int)uriList.size());
				reply.xselection.property = property;
			}
			XSendEvent(display, request.requestor, False, 0, &reply);
			XFlush(display);
		}
		snooze(5000);
	}
	(void)source;
	return false;
}


void
SendClient(Display* display, Window target, Atom type, long l0, long l1,
	long l2, long l3, long l4)
{
	XEvent event = {};
	event.xclient.type = ClientMessage;
	event.xclient.window = target;
	event.xclient.message_type = type;
	event.xclient.format = 32;
	event.xclient.data.l[0] = l0;
	event.xclient.data.l[1] = l1;
	event.xclient.data.l[2] = l2;
	event.xclient.data.l[3] = l3;
	event.xclient.data.l[4] = l4;
	XSendEvent(display, target, False, NoEventMask, &event);
	XFlush(display);
}


// A file manager dragging a text/uri-list onto a point of the screen, by
// the XDND protocol: enter, position, (status), drop, the selection
// served, (finished).
bool
DragUriList(Window target, int x, int y, const std::string& uriList)
{
	Display* display = XOpenDisplay(NULL);
	if (display == NULL)
		return false;
	Window root = DefaultRootWindow(display);
	Window source = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
	Atom aware = XInternAtom(display, "XdndAware", False);
	Atom enter = XInternAtom(display, "XdndEnter", False);
	Atom position = XInternAtom(display, "XdndPosition", False);
	Atom status = XInternAtom(display, "XdndStatus", False);
	Atom drop = XInternAtom(display, "XdndDrop", False);
	Atom finished = XInternAtom(display, "XdndFinished", False);
	Atom selection = XInternAtom(display, "XdndSelection", False);
	Atom copy = XInternAtom(display, "XdndActionCopy", False);
	Atom uri = XInternAtom(display, "text/uri-list", False);

	Atom type;
	int format;
	unsigned long count, after;
	unsigned char* data = NULL;
	long version = 0;
	if (XGetWindowProperty(display, target, aware, 0, 1, False, XA_ATOM,
			&type, &format, &count, &after, &data) == Success
		&& data != NULL && count == 1)
		version = *(long*)data;
	if (data != NULL)
		XFree(data);
	if (version < 3) {
		XCloseDisplay(display);
		return false;
	}
	if (version > 5)
		version = 5;

	XSetSelectionOwner(display, selection, source, CurrentTime);
	SendClient(display, target, enter, source, version << 24, uri, 0, 0);
	SendClient(display, target, position, source, 0, (x << 16) | y,
		CurrentTime, copy);
	bool ok = WaitForMessage(display, source, status, uriList, uri);
	if (ok) {
		SendClient(display, target, drop, source, 0, CurrentTime, 0, 0);
		ok = WaitForMessage(display, source, finished, uriList, uri);
	}
	XDestroyWindow(display, source);
	XCloseDisplay(display);
	return ok;
}


// Two clicks in quick succession where a user would make them.
bool
DoubleClickAt(int x, int y)
{
	std::string command = "xdotool mousemove " + std::to_string(x) + " "
		+ std::to_string(y) + " click --repeat 2 --delay 60 1";
	return system(command.c_str()) == 0;
}


class FilesOnX : public AppOnX {
protected:
	BWindow* WindowTitled(const char* title)
	{
		for (int32 i = 0; BWindow* window = fApp->WindowAt(i); i++) {
			if (strcmp(window->Title(), title) == 0)
				return window;
		}
		return NULL;
	}

	// The centre of a view on the screen.
	bool ClickView(unsigned long xWindow, BView* view)
	{
		BWindow* window = view->Window();
		if (!window->Lock())
			return false;
		BRect frame = FrameInWindow(view);
		window->Unlock();
		WindowGeometry geometry;
		if (!fProbe->Geometry(xWindow, &geometry))
			return false;
		return ClickAt(geometry.x + (int)(frame.left + frame.right) / 2,
			geometry.y + (int)(frame.top + frame.bottom) / 2);
	}

	// Opens the add-files panel with a click on its button and finds the
	// entry named in it: the panel, its X window, its entry list, the
	// entry's index and the screen point of the row's left part (rows are
	// 16 pixels high from the list's top).
	struct PanelRow {
		BWindow* panel = NULL;
		unsigned long xWindow = 0;
		BListView* entries = NULL;
		int32 index = -1;
		int x = 0;
		int firstRowY = 0;
		int y = 0;
	};

	bool OpenAddPanelAt(const char* name, PanelRow* row)
	{
		unsigned long window = fProbe->WaitForWindow(kMainTitle);
		if (window == 0 || !ClickView(window, Main()->FindView("AddFiles")))
			return false;
		row->xWindow = fProbe->WaitForWindow("Aggiungi file");
		if (row->xWindow == 0 || !WaitUntilSettled())
			return false;
		row->panel = WindowTitled("Aggiungi file");
		if (row->panel == NULL || !row->panel->Lock())
			return false;
		row->entries = dynamic_cast<BListView*>(
			row->panel->FindView("PanelEntries"));
		BRect list;
		if (row->entries != NULL) {
			for (int32 i = 0; i < row->entries->CountItems(); i++) {
				if (strcmp(static_cast<BStringItem*>(
						row->entries->ItemAt(i))->Text(), name) == 0)
					row->index = i;
			}
			list = FrameInWindow(row->entries);
		}
		row->panel->Unlock();
		WindowGeometry geometry;
		if (row->entries == NULL || row->index < 0
			|| !fProbe->Geometry(row->xWindow, &geometry))
			return false;
		row->x = geometry.x + (int)list.left + 20;
		row->firstRowY = geometry.y + (int)list.top + 8;
		row->y = row->firstRowY + row->index * 16;
		return true;
	}

	std::vector<std::string> Entries()
	{
		std::vector<std::string> entries;
		MainWindow* main = Main();
		if (main == NULL || !main->Lock())
			return entries;
		for (int32 i = 0; i < main->fFilesList->CountItems(); i++) {
			entries.push_back(static_cast<BStringItem*>(
				main->fFilesList->ItemAt(i))->Text());
		}
		main->Unlock();
		return entries;
	}

};

} // namespace


// Files dragged from a file manager onto the list join it, in order;
// what is not a local file is left out.
TEST_F(FilesOnX, FilesDroppedFromOutsideJoinTheList)
{
	std::string first = fHome.WriteFile("drop/un brano.wav", "");
	std::string second = fHome.WriteFile("drop/b;c.wav", "");
	unsigned long window = fProbe->WaitForWindow(kMainTitle);
	ASSERT_NE(0ul, window);
	MainWindow* main = Main();
	ASSERT_TRUE(main->Lock());
	BRect frame = FrameInWindow(main->fFilesList);
	main->Unlock();
	WindowGeometry geometry;
	ASSERT_TRUE(fProbe->Geometry(window, &geometry));

	std::string list = "file://" + fHome.File("drop/un%20brano.wav")
		+ "\r\nhttps://example.org/x.wav\r\nfile://"
		+ fHome.File("drop/b%3Bc.wav") + "\r\n";
	ASSERT_TRUE(DragUriList(window, geometry.x + (int)(frame.left
		+ frame.right) / 2, geometry.y + (int)(frame.top + frame.bottom) / 2,
		list));
	bigtime_t deadline = system_time() + 5000000;
	while (Entries().size() < 2 && system_time() < deadline)
		snooze(20000);
	EXPECT_EQ(std::vector<std::string>({ first, second }), Entries());
	ASSERT_TRUE(WaitUntilSettled());
	ASSERT_TRUE(main->Lock());
	EXPECT_TRUE(main->fEncodeButton->IsEnabled());
	main->Unlock();
}


// The add-files panel with real clicks: the button, an entry of the
// folder shown, the panel's default button.
TEST_F(FilesOnX, TheAddFilesPanelTakesClicks)
{
	std::string wav = fHome.WriteFile("zz-chosen.wav", "");
	PanelRow row;
	ASSERT_TRUE(OpenAddPanelAt("zz-chosen.wav", &row));
	BWindow* panel = row.panel;
	BListView* entries = row.entries;
	int32 index = row.index;
	unsigned long panelWindow = row.xWindow;
	ASSERT_TRUE(ClickAt(row.x, row.y));
	ASSERT_TRUE(WaitUntilSettled());
	ASSERT_TRUE(panel->Lock());
	EXPECT_TRUE(entries->IsItemSelected(index));
	panel->Unlock();

	ASSERT_TRUE(ClickView(panelWindow, panel->FindView("PanelDefault")));
	EXPECT_TRUE(fProbe->WaitUntilUnmapped(panelWindow));
	ASSERT_TRUE(WaitUntilSettled());
	EXPECT_EQ(std::vector<std::string>({ wav }), Entries());
}


// Real double clicks in the add-files panel: on a folder it is entered,
// on a file in it the file is chosen and the panel closes. A click soon
// after the double click that entered the folder, on the file now under
// the pointer, only selects it.
TEST_F(FilesOnX, ADoubleClickInThePanelEntersAFolderAndChoosesAFile)
{
	std::string wav = fHome.WriteFile("aa-folder/inner.wav", "");
	PanelRow row;
	ASSERT_TRUE(OpenAddPanelAt("aa-folder/", &row));
	BWindow* panel = row.panel;
	BListView* entries = row.entries;
	unsigned long panelWindow = row.xWindow;
	// The folder is the first row, as the file in it will be.
	ASSERT_EQ(0, row.index);
	ASSERT_TRUE(DoubleClickAt(row.x, row.y));
	bigtime_t entered = system_time();
	ASSERT_TRUE(WaitUntilSettled());
	ASSERT_TRUE(panel->Lock());
	ASSERT_EQ(1, entries->CountItems());
	EXPECT_STREQ("inner.wav",
		static_cast<BStringItem*>(entries->ItemAt(0))->Text());
	panel->Unlock();
	EXPECT_TRUE(Entries().empty());

	// Half a second later, in the same place: within the time FLTK counts
	// as one run of clicks.
	bigtime_t wait = entered + 500000 - system_time();
	ASSERT_GT(wait, 0);
	snooze(wait);
	ASSERT_TRUE(ClickAt(row.x, row.y));
	ASSERT_TRUE(WaitUntilSettled());
	snooze(200000);
	ASSERT_TRUE(WaitUntilSettled());
	ASSERT_TRUE(panel->Lock());
	EXPECT_FALSE(panel->IsHidden());
	EXPECT_TRUE(entries->IsItemSelected(0));
	panel->Unlock();
	EXPECT_TRUE(Entries().empty());

	// The first row now; a pause first, so that this is no third click.
	snooze(600000);
	ASSERT_TRUE(DoubleClickAt(row.x, row.firstRowY));
	EXPECT_TRUE(fProbe->WaitUntilUnmapped(panelWindow));
	ASSERT_TRUE(WaitUntilSettled());
	EXPECT_EQ(std::vector<std::string>({ wav }), Entries());
}


// A path typed into the add-files panel's path field, then Return: the
// folder is shown; a file typed there is added and the panel closes.
TEST_F(FilesOnX, APathTypedInThePanelIsFollowed)
{
	std::string wav = fHome.WriteFile("scritto/a mano/brano.wav", "");
	fHome.WriteFile("zz-other.wav", "");
	PanelRow row;
	ASSERT_TRUE(OpenAddPanelAt("zz-other.wav", &row));
	BWindow* panel = row.panel;
	unsigned long panelWindow = row.xWindow;
	ASSERT_TRUE(panel->Lock());
	BView* field = panel->FindView("PanelPath");
	panel->Unlock();
	ASSERT_NE(nullptr, field);

	ASSERT_TRUE(ClickView(panelWindow, field));
	ASSERT_TRUE(PressKey("ctrl+a"));
	ASSERT_TRUE(TypeText(fHome.File("scritto/a mano")));
	ASSERT_TRUE(PressKey("Return"));
	bigtime_t deadline = system_time() + 5000000;
	bool entered = false;
	while (!entered && system_time() < deadline) {
		snooze(20000);
		ASSERT_TRUE(panel->Lock());
		BListView* entries = row.entries;
		entered = entries->CountItems() == 1 && strcmp("brano.wav",
			static_cast<BStringItem*>(entries->ItemAt(0))->Text()) == 0;
		panel->Unlock();
	}
	EXPECT_TRUE(entered);
	EXPECT_TRUE(Entries().empty());

	ASSERT_TRUE(ClickView(panelWindow, field));
	ASSERT_TRUE(PressKey("ctrl+a"));
	ASSERT_TRUE(TypeText(wav));
	ASSERT_TRUE(PressKey("Return"));
	EXPECT_TRUE(fProbe->WaitUntilUnmapped(panelWindow));
	ASSERT_TRUE(WaitUntilSettled());
	EXPECT_EQ(std::vector<std::string>({ wav }), Entries());
}


// The save-list panel on real windows: it opens centred over the main
// window and can be made larger, its entries with it; the name it shows
// again is selected, so that what is typed replaces it; saving over a
// list asks first, "Annulla" keeping the file and the panel, "Sostituisci"
// replacing the file.
TEST_F(FilesOnX, TheSavePanelSelectsItsNameAndAsksBeforeReplacing)
{
	std::string first = fHome.WriteFile("brani/uno.wav", "");
	std::string second = fHome.WriteFile("brani/due.wav", "");
	auto add = [this](const std::string& path) {
		entry_ref ref;
		ASSERT_EQ(B_OK, get_ref_for_path(path.c_str(), &ref));
		BMessage refs(B_REFS_RECEIVED);
		refs.AddRef("refs", &ref);
		ASSERT_EQ(B_OK, be_app_messenger.SendMessage(&refs));
		ASSERT_TRUE(WaitUntilSettled());
	};
	unsigned long mainWindow = fProbe->WaitForWindow(kMainTitle);
	ASSERT_NE(0ul, mainWindow);
	add(first);
	auto showPanel = [this]() -> unsigned long {
		Main()->PostMessage(MSG_SAVE_LIST);
		unsigned long window = fProbe->WaitForWindow("Salva lista");
		// What a window manager does with a window that maps.
		std::string focus = "xdotool windowfocus --sync "
			+ std::to_string(window);
		if (window == 0 || system(focus.c_str()) != 0 || !WaitUntilSettled())
			return 0;
		return window;
	};
	auto typeName = [](const std::string& name) {
		ASSERT_TRUE(TypeText(name));
		ASSERT_TRUE(PressKey("Return"));
		ASSERT_TRUE(WaitUntilSettled());
	};

	unsigned long panelWindow = showPanel();
	ASSERT_NE(0ul, panelWindow);
	WindowGeometry main;
	WindowGeometry shown;
	ASSERT_TRUE(fProbe->Geometry(mainWindow, &main));
	ASSERT_TRUE(fProbe->Geometry(panelWindow, &shown));
	EXPECT_NEAR(main.x + main.width / 2, shown.x + shown.width / 2, 1);
	EXPECT_NEAR(main.y + main.height / 2, shown.y + shown.height / 2, 1);

	BWindow* panel = WindowTitled("Salva lista");
	ASSERT_NE(nullptr, panel);
	ASSERT_TRUE(panel->Lock());
	BView* list = panel->FindView("PanelEntries");
	BRect before = FrameInWindow(list);
	panel->Unlock();
	std::string resize = "xdotool windowsize " + std::to_string(panelWindow)
		+ " " + std::to_string(shown.width + 100) + " "
		+ std::to_string(shown.height + 80);
	ASSERT_EQ(0, system(resize.c_str()));
	bigtime_t deadline = system_time() + 5000000;
	BRect after = before;
	while (after == before && system_time() < deadline) {
		snooze(20000);
		ASSERT_TRUE(panel->Lock());
		after = FrameInWindow(list);
		panel->Unlock();
	}
	EXPECT_EQ(before.Width() + 100, after.Width());
	EXPECT_EQ(before.Height() + 80, after.Height());

	std::string lista = fHome.File("lista.tvx");
	typeName("lista.tvx");
	EXPECT_TRUE(fProbe->WaitUntilUnmapped(panelWindow));
	std::string saved = WaitForFile(lista);
	EXPECT_TRUE(Contains(saved, first)) << saved;

	// Shown again, the name is there, selected: typing replaces it.
	add(second);
	ASSERT_NE(0ul, showPanel());
	typeName("altra.tvx");
	EXPECT_TRUE(fProbe->WaitUntilUnmapped(panelWindow));
	EXPECT_TRUE(Contains(WaitForFile(fHome.File("altra.tvx")), second));
	EXPECT_TRUE(BEntry(lista.c_str()).Exists());

	// The name of a list that is there: the user is asked.
	auto pressInAlert = [this](int32 index) {
		BAlert* alert = NULL;
		bigtime_t until = system_time() + 5000000;
		while ((alert = ShowingAlert()) == NULL && system_time() < until)
			snooze(20000);
		ASSERT_NE(nullptr, alert);
		ASSERT_TRUE(WaitUntilSettled());
		ASSERT_TRUE(alert->Lock());
		EXPECT_STREQ("ReplaceFile", alert->Name());
		EXPECT_STREQ("Il file \"lista.tvx\" esiste già. Vuoi sostituirlo?",
			alert->Text());
		BRect button = FrameInWindow(alert->ButtonAt(index));
		alert->Unlock();
		// The display centres an alert over the panel: where it is, the
		// screen tells.
		WindowGeometry frame;
		ASSERT_TRUE(fProbe->Geometry(fProbe->WaitForWindow("Tolvex"),
			&frame));
		ASSERT_TRUE(ClickAt(frame.x + (int)(button.left + button.right) / 2,
			frame.y + (int)(button.top + button.bottom) / 2));
		ASSERT_TRUE(WaitUntilSettled());
	};
	ASSERT_NE(0ul, showPanel());
	typeName("lista.tvx");
	pressInAlert(0);
	EXPECT_EQ(nullptr, ShowingAlert());
	EXPECT_EQ(saved, ReadFile(lista));
	ASSERT_TRUE(panel->Lock());
	EXPECT_FALSE(panel->IsHidden());
	panel->Unlock();

	ASSERT_TRUE(PressKey("Return"));
	pressInAlert(1);
	EXPECT_TRUE(fProbe->WaitUntilUnmapped(panelWindow));
	deadline = system_time() + 5000000;
	while (!Contains(ReadFile(lista), second) && system_time() < deadline)
		snooze(20000);
	EXPECT_TRUE(Contains(ReadFile(lista), second));
}
