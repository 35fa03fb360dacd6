#include <gtest/gtest.h>

#include <string.h>

#include <functional>
#include <string>

#include <Button.h>
#include <ListView.h>
#include <CheckBox.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <ScrollView.h>
#include <PopUpMenu.h>
#include <StringView.h>
#include <TabView.h>
#include <TextControl.h>
#include <View.h>
#include <Window.h>

#include "display/headless/HeadlessDisplay.h"
#include "private/interface/MenuPrivate.h"
#include "private/app/HandlerPrivate.h"

using namespace BPrivate;

namespace {

// The display views talk to when no application runs: a headless one
// that keeps the mirror.
HeadlessDisplay*
Display()
{
	return static_cast<HeadlessDisplay*>(DisplayServer::Current());
}


std::string
Describe(const BView* view)
{
	return std::string("view \"") + (view->Name() != NULL ? view->Name() : "")
		+ "\"";
}


void ExpectItemsMatch(const MirrorWindow& window, BMenu* menu,
	const std::vector<int32>& mirrored);


void
ExpectItemMatches(const MirrorWindow& window, BMenuItem* item, int32 id)
{
	auto found = window.items.find(id);
	ASSERT_NE(window.items.end(), found) << item->Label();
	const MirrorMenuItem& mirrored = found->second;
	EXPECT_EQ(BMenuItem::Private(item).Id(), mirrored.id);
	EXPECT_EQ(std::string(item->Label() != NULL ? item->Label() : ""),
		mirrored.label);
	EXPECT_EQ(item->IsEnabled(), mirrored.enabled) << item->Label();
	EXPECT_EQ(item->IsMarked(),
		(mirrored.flags & B_DISPLAY_ITEM_MARKED) != 0) << item->Label();
	EXPECT_EQ(item->Submenu() != NULL,
		(mirrored.flags & B_DISPLAY_ITEM_SUBMENU) != 0) << item->Label();
	if (item->Submenu() != NULL)
		ExpectItemsMatch(window, item->Submenu(), mirrored.children);
}


void
ExpectItemsMatch(const MirrorWindow& window, BMenu* menu,
	const std::vector<int32>& mirrored)
{
	ASSERT_EQ((size_t)menu->CountItems(), mirrored.size()) << menu->Name();
	for (int32 i = 0; i < menu->CountItems(); i++)
		ExpectItemMatches(window, menu->ItemAt(i), mirrored[i]);
}


// Everything the kit object holds that a display draws, against what the
// display was told.
void
ExpectViewMatches(const MirrorWindow& window, BView* view)
{
	const MirrorView* mirrored = window.FindView(BHandler::Private(view).Token());
	ASSERT_NE(nullptr, mirrored) << Describe(view);
	EXPECT_EQ(std::string(view->Name()), mirrored->name);
	EXPECT_EQ(view->Frame(), mirrored->frame) << Describe(view);
	int32 token = BHandler::Private(view).Token();
	EXPECT_EQ(BHandler::Private(view->Parent()).Token(), mirrored->parent)
		<< Describe(view);
	EXPECT_EQ(view->IsHidden(), window.IsHidden(token) || !window.shown)
		<< Describe(view);
	rgb_color color = view->ViewColor();
	EXPECT_EQ(0, memcmp(&color, &mirrored->color, sizeof(color)))
		<< Describe(view);
	EXPECT_EQ(view->ResizingMode(), mirrored->mode) << Describe(view);

	if (BControl* control = dynamic_cast<BControl*>(view)) {
		EXPECT_EQ(std::string(control->Label() != NULL ? control->Label()
			: ""), mirrored->label) << Describe(view);
		EXPECT_EQ(control->Value(), mirrored->value) << Describe(view);
		EXPECT_EQ(control->IsEnabled(), mirrored->enabled) << Describe(view);
	}
	if (BStringView* string = dynamic_cast<BStringView*>(view)) {
		EXPECT_EQ(std::string(string->Text() != NULL ? string->Text() : ""),
			mirrored->text) << Describe(view);
	}
	if (BMenuBar* bar = dynamic_cast<BMenuBar*>(view))
		ExpectItemsMatch(window, bar, mirrored->items);
	if (BListView* list = dynamic_cast<BListView*>(view)) {
		ASSERT_EQ((size_t)list->CountItems(), mirrored->listItems.size());
		for (int32 i = 0; i < list->CountItems(); i++) {
			BStringItem* item = dynamic_cast<BStringItem*>(list->ItemAt(i));
			ASSERT_NE(nullptr, item);
			EXPECT_EQ(std::string(item->Text()),
				mirrored->listItems.TextString(i));
			EXPECT_EQ(list->IsItemSelected(i), mirrored->listItems.IsSelected(i))
				<< "entry " << i;
		}
	}
	if (BMenuField* field = dynamic_cast<BMenuField*>(view)) {
		EXPECT_EQ(std::string(field->Label() != NULL ? field->Label() : ""),
			mirrored->label) << Describe(view);
		EXPECT_EQ(field->IsEnabled(), mirrored->enabled) << Describe(view);
		EXPECT_EQ((int32)field->Divider(), mirrored->divider)
			<< Describe(view);
		// The menu part shows the marked item's label, where the menu
		// takes its label from it.
		BMenuItem* marked = field->Menu()->IsLabelFromMarked()
			? field->Menu()->FindMarked() : NULL;
		EXPECT_EQ(std::string(marked != NULL ? marked->Label()
			: field->Menu()->Name()), mirrored->text) << Describe(view);
		ExpectItemsMatch(window, field->Menu(), mirrored->items);
	}
	if (BTextControl* control = dynamic_cast<BTextControl*>(view)) {
		EXPECT_EQ((int32)control->Divider(), mirrored->divider)
			<< Describe(view);
	}
	if (BTextView* textView = dynamic_cast<BTextView*>(view)) {
		EXPECT_EQ(std::string(textView->Text()), mirrored->text)
			<< Describe(view);
		EXPECT_EQ(textView->MaxBytes(), mirrored->maxBytes) << Describe(view);
		EXPECT_EQ(textView->IsEditable(), mirrored->enabled)
			<< Describe(view);
		int32 start;
		int32 end;
		textView->GetSelection(&start, &end);
		EXPECT_EQ(start, mirrored->selectionStart) << Describe(view);
		EXPECT_EQ(end, mirrored->selectionEnd) << Describe(view);
	}
	if (BTabView* tabs = dynamic_cast<BTabView*>(view)) {
		ASSERT_EQ((size_t)tabs->CountTabs(), mirrored->tabs.size());
		for (int32 i = 0; i < tabs->CountTabs(); i++) {
			EXPECT_EQ(std::string(tabs->TabAt(i)->Label()),
				mirrored->tabs[i].label);
			EXPECT_EQ(tabs->TabAt(i)->IsEnabled(), mirrored->tabs[i].enabled);
		}
		EXPECT_EQ(tabs->Selection(), mirrored->selectedTab);
	}

	ASSERT_EQ((size_t)view->CountChildren(), mirrored->children.size())
		<< Describe(view);
	for (int32 i = 0; i < view->CountChildren(); i++) {
		EXPECT_EQ(BHandler::Private(view->ChildAt(i)).Token(), mirrored->children[i])
			<< Describe(view) << " child " << i;
		ExpectViewMatches(window, view->ChildAt(i));
	}
}


void
ExpectMirrorMatches(BWindow* window, const char* step)
{
	SCOPED_TRACE(step);
	std::lock_guard<std::mutex> lock(Display()->MirrorLock());
	MirrorWindow* mirrored
		= Display()->Mirror().FindWindow(BHandler::Private(window).Token());
	ASSERT_NE(nullptr, mirrored);
	EXPECT_EQ(std::string(window->Title()), mirrored->title);
	EXPECT_EQ(window->Frame(), mirrored->frame);
	EXPECT_EQ(!window->IsHidden(), mirrored->shown);
	EXPECT_EQ(window->Feel(), mirrored->feel);
	EXPECT_EQ(window->Flags(), mirrored->flags);
	EXPECT_EQ(window->CurrentFocus() != NULL
		? BHandler::Private(window->CurrentFocus()).Token() : -1,
		mirrored->focus);
	const MirrorView* top = mirrored->FindView(mirrored->topView);
	ASSERT_NE(nullptr, top);
	ASSERT_EQ((size_t)window->CountChildren(), top->children.size());
	for (int32 i = 0; BView* child = window->ChildAt(i); i++) {
		EXPECT_EQ(BHandler::Private(child).Token(), top->children[i]);
		ExpectViewMatches(*mirrored, child);
	}
}

} // namespace


// Every setter of every view class tells the display: after each one the
// mirror, built only from the commands, equals the kit's own state. A
// setter that forgets its command fails here.
TEST(MirrorTest, TheMirrorFollowsEverySetter)
{
	BWindow* window = new BWindow(BRect(100, 100, 540, 380), "Finestra",
		B_TITLED_WINDOW, B_NOT_RESIZABLE);
	ExpectMirrorMatches(window, "created");

	BMenuBar* bar = new BMenuBar(BRect(0, 0, 10, 10), "MenuBar");
	BMenu* list = new BMenu("Lista");
	BMenuItem* first = new BMenuItem("Nuova", new BMessage('NWLS'));
	list->AddItem(first);
	list->AddSeparatorItem();
	bar->AddItem(list);
	window->AddChild(bar);
	ExpectMirrorMatches(window, "menu bar added");

	BView* back = new BView(BRect(0, 19, 440, 280), "BackView",
		B_FOLLOW_ALL_SIDES, 0);
	BButton* button = new BButton(BRect(10, 10, 80, 30), "Button", "Vai",
		new BMessage('GOGO'), B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM);
	BStringView* text = new BStringView(BRect(10, 40, 200, 55), "Text",
		"#");
	back->AddChild(button);
	back->AddChild(text);
	window->AddChild(back);
	ExpectMirrorMatches(window, "subtree added");

	BTabView* tabs = new BTabView(BRect(5, 60, 430, 200), "Tabs");
	tabs->AddTab(new BView(BRect(0, 0, 50, 50), "Primo", B_FOLLOW_NONE, 0));
	back->AddChild(tabs, text);
	ExpectMirrorMatches(window, "tab view added before a sibling");
	tabs->AddTab(new BView(BRect(0, 0, 50, 50), "Secondo", B_FOLLOW_NONE, 0));
	ExpectMirrorMatches(window, "tab added while attached");

	BListView* entries = new BListView(BRect(10, 210, 100, 250), "Entries",
		B_MULTIPLE_SELECTION_LIST);
	entries->AddItem(new BStringItem("before attaching"));
	entries->Select(0);
	back->AddChild(new BScrollView("Scroll", entries, B_FOLLOW_NONE, 0,
		false, true));
	ExpectMirrorMatches(window, "list in a scroll view added");
	BPopUpMenu* rates = new BPopUpMenu("BitRate");
	rates->AddItem(new BMenuItem("Default", NULL));
	rates->AddSeparatorItem();
	rates->AddItem(new BMenuItem("128 kbps", NULL));
	rates->ItemAt(0)->SetMarked(true);
	BMenuField* field = new BMenuField(BRect(0, 200, 200, 220), "Field",
		"Bit rate:", rates);
	BCheckBox* check = new BCheckBox(BRect(0, 225, 100, 240), "Check",
		"Elimina", NULL);
	BTextControl* textControl = new BTextControl(BRect(0, 245, 300, 265),
		"TextControl", "Cartella:", "/tmp", NULL);
	back->AddChild(field);
	back->AddChild(check);
	back->AddChild(textControl);
	ExpectMirrorMatches(window, "menu field, check box, text control added");

	struct Step {
		const char* name;
		std::function<void()> change;
	} steps[] = {
		{ "BWindow::SetTitle", [&] { window->SetTitle("Altro titolo"); } },
		{ "BWindow::MoveTo", [&] { window->MoveTo(30, 40); } },
		{ "BWindow::ResizeTo", [&] { window->ResizeTo(500, 300); } },
		{ "BWindow::Show", [&] { window->Show(); } },
		{ "BView::MoveTo", [&] { text->MoveTo(12, 44); } },
		{ "BView::ResizeTo", [&] { text->ResizeTo(150, 20); } },
		{ "BView::ResizeBy", [&] { back->ResizeBy(-20, -10); } },
		{ "BView::Hide", [&] { text->Hide(); } },
		{ "BView::Show", [&] { text->Show(); } },
		{ "BView::SetViewColor", [&] { back->SetViewColor(216, 216, 216); } },
		{ "BControl::SetLabel", [&] { button->SetLabel("Ferma"); } },
		{ "BControl::SetValue", [&] { button->SetValue(B_CONTROL_ON); } },
		{ "BControl::SetValueNoUpdate",
			[&] { button->SetValueNoUpdate(B_CONTROL_OFF); } },
		{ "BControl::SetEnabled", [&] { button->SetEnabled(false); } },
		{ "BStringView::SetText", [&] { text->SetText("File 1 di 2"); } },
		{ "BMenuItem::SetLabel", [&] { first->SetLabel("Nuovissima"); } },
		{ "BMenuItem::SetEnabled", [&] { first->SetEnabled(false); } },
		{ "BMenu::AddItem at an index",
			[&] { list->AddItem(new BMenuItem("Apri", NULL), 1); } },
		{ "BMenu::SetRadioMode and BMenuItem::SetMarked", [&] {
			list->SetRadioMode(true);
			list->ItemAt(1)->SetMarked(true);
			first->SetMarked(true);
		} },
		{ "BMenu::SetEnabled", [&] { list->SetEnabled(false); } },
		{ "BMenu::RemoveItem", [&] { list->RemoveItem(first); } },
		{ "a submenu added to an attached bar", [&] {
			BMenu* help = new BMenu("?");
			help->AddItem(new BMenuItem("Leggimi", NULL));
			bar->AddItem(help);
		} },
		{ "BMenuItem::SetMarked in a menu field",
			[&] { rates->ItemAt(2)->SetMarked(true); } },
		{ "BMenu::AddItem to a field's menu",
			[&] { rates->AddItem(new BMenuItem("320 kbps", NULL)); } },
		{ "BMenu::SetLabelFromMarked off",
			[&] { rates->SetLabelFromMarked(false); } },
		{ "BMenu::SetLabelFromMarked on",
			[&] { rates->SetLabelFromMarked(true); } },
		{ "BMenuField::SetLabel", [&] { field->SetLabel("Velocità:"); } },
		{ "BMenuField::SetDivider", [&] { field->SetDivider(117); } },
		{ "BMenuField::SetEnabled", [&] { field->SetEnabled(false); } },
		{ "BCheckBox value", [&] { check->SetValue(B_CONTROL_ON); } },
		{ "BCheckBox::SetEnabled", [&] { check->SetEnabled(false); } },
		{ "BTextControl::SetText", [&] { textControl->SetText("/altro"); } },
		{ "BTextView::Select",
			[&] { textControl->TextView()->Select(1, 4); } },
		{ "BTextControl::MakeFocus", [&] { textControl->MakeFocus(true); } },
		{ "BTextControl::SetDivider", [&] { textControl->SetDivider(115); } },
		{ "BTextView::SetMaxBytes cuts the text",
			[&] { textControl->TextView()->SetMaxBytes(3); } },
		{ "BTextControl::SetEnabled",
			[&] { textControl->SetEnabled(false); } },
		{ "BTextControl::SetLabel", [&] { textControl->SetLabel("Dove:"); } },
		{ "BView::ResizeTo of a text control",
			[&] { textControl->ResizeTo(250, 22); } },
		{ "BTabView::Select", [&] { tabs->Select(1); } },
		{ "BTab::SetLabel", [&] { tabs->TabAt(0)->SetLabel("Uno"); } },
		{ "BTab::SetEnabled", [&] { tabs->TabAt(0)->SetEnabled(false); } },
		{ "BView::MakeFocus", [&] { button->MakeFocus(true); } },
		{ "BView::RemoveChild of the focus", [&] {
			back->RemoveChild(button);
			delete button;
		} },
		{ "BView::AddChild of a view with children", [&] {
			BView* box = new BView(BRect(0, 0, 30, 30), "Box", B_FOLLOW_NONE,
				0);
			box->AddChild(new BButton(BRect(1, 1, 20, 20), "Inner", "x",
				NULL));
			box->Hide();
			back->AddChild(box);
		} },
		{ "BListView::AddItem", [&] {
			entries->AddItem(new BStringItem("b"));
			entries->AddItem(new BStringItem("c"));
		} },
		{ "BListView::AddItem at an index",
			[&] { entries->AddItem(new BStringItem("a"), 0); } },
		{ "BListView::Select extending", [&] { entries->Select(3, true); } },
		{ "BListView::AddList before the selection", [&] {
			BList batch;
			batch.AddItem(new BStringItem("x"));
			batch.AddItem(new BStringItem(""));
			entries->AddList(&batch, 1);
		} },
		{ "BListView::MoveItem", [&] { entries->MoveItem(3, 0); } },
		{ "BListView::Deselect", [&] { entries->Deselect(0); } },
		{ "BListView::RemoveItem", [&] { delete entries->RemoveItem(1); } },
		{ "BListView::Select", [&] { entries->Select(2); } },
		{ "BListView::DeselectAll", [&] { entries->DeselectAll(); } },
		{ "BListView::MakeEmpty", [&] {
			std::vector<BListItem*> items;
			for (int32 i = 0; i < entries->CountItems(); i++)
				items.push_back(entries->ItemAt(i));
			entries->MakeEmpty();
			for (BListItem* item : items)
				delete item;
		} },
		{ "BWindow::Hide", [&] { window->Hide(); } },
	};
	// Once shown the window's thread runs: changes need its lock.
	for (const Step& step : steps) {
		ASSERT_TRUE(window->Lock());
		step.change();
		ExpectMirrorMatches(window, step.name);
		window->Unlock();
	}

	int32 token = BHandler::Private(window).Token();
	window->Lock();
	window->Quit();
	std::lock_guard<std::mutex> lock(Display()->MirrorLock());
	EXPECT_EQ(nullptr, Display()->Mirror().FindWindow(token));
}


// The mirror knows a window's views by id, where they are in the window,
// and which one a point falls on: what a display needs to send input.
TEST(MirrorTest, PlacesAndHitsAreComputedFromFrames)
{
	DisplayMirror mirror;
	DisplayCommand window(B_DISPLAY_WINDOW_CREATED);
	window.window = 1;
	window.view = 2;
	window.rect = BRect(100, 100, 299, 199);
	ASSERT_TRUE(mirror.Apply(window));

	auto add = [&](int32 id, int32 parent, BRect frame, const char* name) {
		DisplayCommand command(B_DISPLAY_VIEW_ADDED);
		command.window = 1;
		command.view = id;
		command.parent = parent;
		command.rect = frame;
		command.name = name;
		return mirror.Apply(command);
	};
	ASSERT_TRUE(add(3, 2, BRect(10, 10, 109, 89), "outer"));
	ASSERT_TRUE(add(4, 3, BRect(5, 5, 24, 24), "inner"));
	ASSERT_TRUE(add(5, 2, BRect(50, 50, 149, 99), "over"));
	// Unknown windows, parents and duplicates change nothing.
	EXPECT_FALSE(add(6, 99, BRect(0, 0, 1, 1), "orphan"));
	EXPECT_FALSE(add(4, 2, BRect(0, 0, 1, 1), "again"));
	DisplayCommand stray(B_DISPLAY_VIEW_TEXT);
	stray.window = 7;
	stray.view = 4;
	EXPECT_FALSE(mirror.Apply(stray));

	MirrorWindow* mirrored = mirror.FindWindow(1);
	ASSERT_NE(nullptr, mirrored);
	EXPECT_EQ(BRect(15, 15, 34, 34), mirrored->FrameInWindow(4));
	EXPECT_EQ(4, mirrored->ViewAt(20, 20)->id);
	EXPECT_EQ(3, mirrored->ViewAt(40, 40)->id);
	// The later sibling lies on top where they overlap.
	EXPECT_EQ(5, mirrored->ViewAt(60, 60)->id);
	EXPECT_EQ(2, mirrored->ViewAt(190, 10)->id);
	EXPECT_EQ(4, mirrored->FindView("inner")->id);

	DisplayCommand hide(B_DISPLAY_VIEW_HIDDEN);
	hide.window = 1;
	hide.view = 3;
	hide.value = 1;
	ASSERT_TRUE(mirror.Apply(hide));
	EXPECT_TRUE(mirrored->IsHidden(4));
	EXPECT_EQ(2, mirrored->ViewAt(20, 20)->id);

	DisplayCommand remove(B_DISPLAY_VIEW_REMOVED);
	remove.window = 1;
	remove.view = 3;
	ASSERT_TRUE(mirror.Apply(remove));
	EXPECT_EQ(nullptr, mirrored->FindView(4));
	EXPECT_EQ(nullptr, mirrored->FindView("outer"));

	DisplayCommand gone(B_DISPLAY_WINDOW_GONE);
	gone.window = 1;
	ASSERT_TRUE(mirror.Apply(gone));
	EXPECT_EQ(nullptr, mirror.FindWindow(1));
	EXPECT_TRUE(mirror.Windows().empty());
}
