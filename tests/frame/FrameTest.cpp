#include <gtest/gtest.h>

#include <regex>
#include <string>

#include <Alert.h>
#include <Button.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <StringView.h>

#include "Commands.h"
#include "OptionsView.h"
#include "ProgressWindow.h"
#include "RunningApp.h"
#include "TabView.h"

namespace {

void
ExpectItem(BMenu* menu, int32 index, const char* label, uint32 command)
{
	BMenuItem* item = menu->ItemAt(index);
	ASSERT_NE(nullptr, item);
	EXPECT_STREQ(label, item->Label());
	ASSERT_NE(nullptr, item->Message());
	EXPECT_EQ(command, item->Command()) << label;
	uint32 modifiers;
	EXPECT_EQ(0, item->Shortcut(&modifiers)) << label;
}

} // namespace


TEST(FrameTest, MainWindowIsBuiltAsDescribed)
{
	RunningApp running;
	MainWindow* window = running.Window();
	ASSERT_NE(nullptr, window);
	ASSERT_TRUE(window->Lock());

	EXPECT_STREQ("Tolvex 1.2a", window->Title());
	EXPECT_EQ(BRect(100, 100, 540, 380), window->Frame());
	EXPECT_EQ(B_TITLED_WINDOW_LOOK, window->Look());
	EXPECT_EQ(B_NORMAL_WINDOW_FEEL, window->Feel());
	EXPECT_EQ((uint32)(B_NOT_RESIZABLE | B_NOT_ZOOMABLE
		| B_ASYNCHRONOUS_CONTROLS), window->Flags());
	EXPECT_FALSE(window->IsHidden());

	// The menu bar, its two menus, their items and messages.
	BMenuBar* bar = dynamic_cast<BMenuBar*>(window->FindView("MenuBar"));
	ASSERT_EQ(window->fMenuBar, bar);
	EXPECT_EQ(0, bar->Frame().left);
	EXPECT_EQ(0, bar->Frame().top);
	EXPECT_EQ(window->Bounds().right, bar->Frame().right);
	EXPECT_EQ((uint32)(B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP), bar->ResizingMode());
	EXPECT_EQ(B_ITEMS_IN_ROW, bar->Layout());
	ASSERT_EQ(2, bar->CountItems());
	BMenu* list = bar->ItemAt(0)->Submenu();
	BMenu* help = bar->ItemAt(1)->Submenu();
	ASSERT_NE(nullptr, list);
	ASSERT_NE(nullptr, help);
	EXPECT_STREQ("Lista", bar->ItemAt(0)->Label());
	EXPECT_STREQ("?", bar->ItemAt(1)->Label());
	EXPECT_EQ(B_ITEMS_IN_COLUMN, list->Layout());
	EXPECT_EQ(B_ITEMS_IN_COLUMN, help->Layout());
	ASSERT_EQ(5, list->CountItems());
	ExpectItem(list, 0, "Nuova", MSG_NEW_LIST);
	ExpectItem(list, 1, "Salva...", MSG_SAVE_LIST);
	ExpectItem(list, 2, "Apri...", MSG_OPEN_LIST);
	EXPECT_NE(nullptr, dynamic_cast<BSeparatorItem*>(list->ItemAt(3)));
	ExpectItem(list, 4, "Esci", MSG_CLOSE);
	ASSERT_EQ(3, help->CountItems());
	ExpectItem(help, 0, "Leggimi", MSG_README);
	EXPECT_NE(nullptr, dynamic_cast<BSeparatorItem*>(help->ItemAt(1)));
	ExpectItem(help, 2, "Informazioni su...", B_ABOUT_REQUESTED);
	// Only the About item has a target: the application object.
	for (int32 i = 0; i < list->CountItems(); i++)
		EXPECT_FALSE(list->ItemAt(i)->Messenger().IsValid());
	EXPECT_FALSE(help->ItemAt(0)->Messenger().IsValid());
	EXPECT_EQ(BMessenger(be_app), help->ItemAt(2)->Messenger());

	// The background view, one below the menu bar; R is 440.
	BView* back = window->FindView("BackView");
	ASSERT_EQ(window->fBackView, back);
	EXPECT_EQ(bar->Frame().bottom + 1, back->Frame().top);
	EXPECT_EQ(window->Bounds().right, back->Frame().right);
	EXPECT_EQ(window->Bounds().bottom, back->Frame().bottom);
	EXPECT_EQ((uint32)B_FOLLOW_ALL_SIDES, back->ResizingMode());
	EXPECT_EQ(0u, back->Flags());
	rgb_color grey = back->ViewColor();
	EXPECT_EQ(216, grey.red);
	EXPECT_EQ(216, grey.green);
	EXPECT_EQ(216, grey.blue);
	float R = back->Bounds().right;
	float B = back->Bounds().bottom;
	EXPECT_EQ(440, R);

	BButton* close = dynamic_cast<BButton*>(window->FindView("CloseButton"));
	ASSERT_EQ(window->fCloseButton, close);
	EXPECT_EQ(back, close->Parent());
	EXPECT_STREQ("Esci", close->Label());
	EXPECT_EQ((uint32)MSG_CLOSE, close->Command());
	EXPECT_EQ(R - 79, close->Frame().left);
	EXPECT_EQ(B - 29, close->Frame().top);
	EXPECT_EQ((uint32)(B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM), close->ResizingMode());
	EXPECT_EQ((uint32)(B_WILL_DRAW | B_NAVIGABLE), close->Flags());
	EXPECT_TRUE(close->IsEnabled());
	EXPECT_FALSE(close->Messenger().IsValid());

	BButton* encode = dynamic_cast<BButton*>(window->FindView("EncodeButton"));
	ASSERT_EQ(window->fEncodeButton, encode);
	EXPECT_EQ(back, encode->Parent());
	EXPECT_STREQ("Codifica!", encode->Label());
	EXPECT_EQ((uint32)MSG_ENCODE, encode->Command());
	float w = close->Bounds().right - close->Bounds().left;
	EXPECT_EQ(R - w - 83, encode->Frame().left);
	EXPECT_EQ(B - 29, encode->Frame().top);
	EXPECT_EQ((uint32)(B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM),
		encode->ResizingMode());
	EXPECT_EQ((uint32)(B_WILL_DRAW | B_NAVIGABLE), encode->Flags());
	EXPECT_FALSE(encode->IsEnabled());

	// The tab view and its three panels.
	TabView* tabs = dynamic_cast<TabView*>(window->FindView("TabView"));
	ASSERT_EQ(window->fTabView, tabs);
	EXPECT_EQ(back, tabs->Parent());
	EXPECT_EQ(BRect(5, 5, R - 5, B - 34), tabs->Frame());
	EXPECT_EQ((uint32)B_FOLLOW_ALL_SIDES, tabs->ResizingMode());
	EXPECT_EQ((uint32)(B_FULL_UPDATE_ON_RESIZE | B_WILL_DRAW | B_NAVIGABLE_JUMP
		| B_FRAME_EVENTS | B_NAVIGABLE), tabs->Flags());
	EXPECT_EQ(B_WIDTH_FROM_WIDEST, tabs->TabWidth());
	ASSERT_EQ(3, tabs->CountTabs());
	EXPECT_STREQ("File", tabs->TabAt(0)->Label());
	EXPECT_STREQ("Opzioni di Gogo", tabs->TabAt(1)->Label());
	EXPECT_STREQ("Opzioni del programma", tabs->TabAt(2)->Label());
	EXPECT_EQ(0, tabs->Selection());
	EXPECT_EQ((BView*)tabs->fFilesView, tabs->TabAt(0)->View());
	EXPECT_EQ(tabs->fEncoderView, tabs->TabAt(1)->View());
	EXPECT_EQ((BView*)tabs->fOptionsView, tabs->TabAt(2)->View());
	float W = tabs->Bounds().Width();
	float H = tabs->Bounds().Height();
	BRect panel(10, 10, W - 12, H - 13 - tabs->TabHeight());
	for (int32 i = 0; i < 3; i++) {
		BView* view = tabs->TabAt(i)->View();
		EXPECT_EQ(panel, view->Frame()) << view->Name();
		EXPECT_EQ(window, view->Window()) << view->Name();
		EXPECT_EQ(i != 0, view->IsHidden()) << view->Name();
	}

	// The members a run starts from.
	EXPECT_FALSE(window->fEncoding);
	EXPECT_EQ(0, window->fFileIndex);
	EXPECT_EQ('\0', window->fOptionsBefore[0]);
	EXPECT_EQ('\0', window->fOptionsAfter[0]);
	EXPECT_TRUE(window->fEncoderRef == entry_ref());
	window->Unlock();
}


TEST(FrameTest, ProgressWindowIsBuiltAsDescribed)
{
	RunningApp running;
	MainWindow* main = running.Window();
	ASSERT_NE(nullptr, main);
	ProgressWindow* progress = main->fProgressWindow;
	ASSERT_NE(nullptr, progress);
	ASSERT_TRUE(progress->Lock());

	EXPECT_STREQ("Stato della codifica", progress->Title());
	EXPECT_EQ(B_FLOATING_WINDOW_LOOK, progress->Look());
	EXPECT_EQ(B_MODAL_APP_WINDOW_FEEL, progress->Feel());
	EXPECT_EQ((uint32)(B_NOT_RESIZABLE | B_NOT_CLOSABLE | B_NOT_ZOOMABLE
		| B_NOT_MINIMIZABLE | B_ASYNCHRONOUS_CONTROLS), progress->Flags());
	EXPECT_TRUE(progress->IsHidden());
	EXPECT_GE(progress->Thread(), 0);

	BView* back = progress->fBackView;
	EXPECT_STREQ("BackView", back->Name());
	EXPECT_EQ(progress->Bounds(), back->Frame());
	EXPECT_EQ(216, back->ViewColor().red);

	BView* caption = progress->FindView("NowEncoding");
	ASSERT_NE(nullptr, caption);
	EXPECT_STREQ("Codifica in corso del file:",
		dynamic_cast<BStringView*>(caption)->Text());
	BRect N = caption->Frame();
	EXPECT_EQ(5, N.left);
	EXPECT_EQ(5, N.top);

	EXPECT_STREQ("FileName", progress->fFileName->Name());
	EXPECT_STREQ("#", progress->fFileName->Text());
	BRect F = progress->fFileName->Frame();
	EXPECT_EQ(BRect(5, N.bottom + 6, 335, N.bottom + 21), F);
	EXPECT_STREQ("FileNumber", progress->fFileNumber->Name());
	EXPECT_STREQ("#", progress->fFileNumber->Text());
	BRect C = progress->fFileNumber->Frame();
	EXPECT_EQ(BRect(5, F.bottom + 6, 335, F.bottom + 21), C);

	BButton* skip = progress->fSkipButton;
	EXPECT_STREQ("SkipFile", skip->Name());
	EXPECT_STREQ("Salta file", skip->Label());
	EXPECT_EQ((uint32)MSG_SKIP_FILE, skip->Command());
	BRect S = skip->Frame();
	EXPECT_EQ(5, S.left);
	EXPECT_EQ(C.bottom + 6, S.top);
	BButton* stop = progress->fStopButton;
	EXPECT_STREQ("StopEncoding", stop->Name());
	EXPECT_STREQ("Ferma codifica", stop->Label());
	EXPECT_EQ((uint32)MSG_STOP_ENCODING, stop->Command());
	EXPECT_EQ(S.right + 5, stop->Frame().left);
	EXPECT_EQ(C.bottom + 6, stop->Frame().top);
	EXPECT_TRUE(skip->IsEnabled());
	EXPECT_TRUE(stop->IsEnabled());
	// Both buttons talk to the main window.
	EXPECT_EQ(BMessenger(main), skip->Messenger());
	EXPECT_EQ(BMessenger(main), stop->Messenger());

	EXPECT_EQ(340, progress->Bounds().Width());
	EXPECT_EQ(3 * (N.bottom - N.top) + 28 + (S.bottom - S.top),
		progress->Bounds().Height());
	progress->Unlock();
}


TEST(FrameTest, AboutBoxTextAndButtons)
{
	RunningApp running;
	char text[kWebAddressSize + 512];
	TolvexApp::GetAboutText(text, sizeof(text));
	std::regex expected("Tolvex 1\\.2a \\(Italiano\\)\n"
		"[^\n]+\n\n"
		"Per le istruzioni e la licenza vedi il file leggimi\\.\n\n"
		"E-Mail: : [^@\n ]+@[^\n ]+\n"
		"Web: : (file://[^\n ]+)\n\n"
		"Compilato il (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
		"[ 1-3][0-9] [0-9]{4} [0-2][0-9]:[0-5][0-9]:[0-5][0-9]");
	std::cmatch match;
	ASSERT_TRUE(std::regex_match(text, match, expected)) << text;
	// The installed manual, beside the prefix the program runs from.
	char address[kWebAddressSize];
	TolvexApp::GetWebAddress(address, sizeof(address));
	EXPECT_EQ(std::string(address), match[1].str());
	EXPECT_TRUE(Contains(address, "/share/doc/tolvex/leggimi.html"))
		<< address;

	// "Chiudi" only closes it.
	BMessage about(B_ABOUT_REQUESTED);
	running.Post(running.App(), &about);
	BAlert* alert = running.ShowingAlert();
	ASSERT_NE(nullptr, alert);
	EXPECT_STREQ("AboutDialog", alert->Title());
	EXPECT_STREQ(text, alert->Text());
	ASSERT_EQ(2, alert->CountButtons());
	EXPECT_STREQ("Apri sito", alert->ButtonAt(0)->Label());
	EXPECT_STREQ("Chiudi", alert->ButtonAt(1)->Label());
	EXPECT_EQ(B_INFO_ALERT, alert->AlertType());
	running.Press(alert, alert->ButtonAt(1));
	EXPECT_EQ(nullptr, running.ShowingAlert());
}
