#include <TabView.h>

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <Message.h>

#include "private/InputMessages.h"
#include "private/ViewDump.h"

BTab::BTab(BView* target)
	:
	fLabel(NULL),
	fView(NULL),
	fSelected(false),
	fEnabled(true)
{
	SetView(target);
}


BTab::~BTab()
{
	if (fView != NULL) {
		fView->RemoveSelf();
		delete fView;
	}
	free(fLabel);
}


const char*
BTab::Label() const
{
	return fLabel;
}


void
BTab::SetLabel(const char* label)
{
	free(fLabel);
	fLabel = label != NULL ? strdup(label) : NULL;
}


void
BTab::SetEnabled(bool enabled)
{
	fEnabled = enabled;
}


void
BTab::SetView(BView* view)
{
	fView = view;
	if (view != NULL)
		SetLabel(view->Name());
}


void
BTab::_SetSelected(bool selected)
{
	fSelected = selected;
	if (fView == NULL)
		return;
	if (selected)
		fView->Show();
	else
		fView->Hide();
}


BTabView::BTabView(BRect frame, const char* name, button_width width,
	uint32 resizingMode, uint32 flags)
	:
	BView(frame, name, resizingMode, flags),
	fTabWidth(width),
	fSelection(-1)
{
	font_height fontHeight;
	GetFontHeight(&fontHeight);
	fTabHeight = ceilf(fontHeight.ascent + fontHeight.descent
		+ fontHeight.leading) + 6;

	BRect bounds = Bounds();
	fContainer = new BView(BRect(3, fTabHeight + 3, bounds.right - 3,
		bounds.bottom - 3), "view container", B_FOLLOW_ALL, B_WILL_DRAW);
	fContainer->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	AddChild(fContainer);
}


BTabView::~BTabView()
{
	for (BTab* tab : fTabs)
		delete tab;
}


void
BTabView::AddTab(BView* target, BTab* tab)
{
	if (target == NULL)
		return;
	if (tab == NULL)
		tab = new BTab(target);
	else
		tab->SetView(target);
	fTabs.push_back(tab);
	fContainer->AddChild(target);
	if (fSelection < 0)
		Select(0);
	else
		tab->_SetSelected(false);
}


BTab*
BTabView::TabAt(int32 index) const
{
	if (index < 0 || index >= CountTabs())
		return NULL;
	return fTabs[index];
}


int32
BTabView::CountTabs() const
{
	return (int32)fTabs.size();
}


void
BTabView::Select(int32 index)
{
	if (index < 0 || index >= CountTabs())
		return;
	if (fSelection >= 0 && fSelection < CountTabs() && fSelection != index)
		fTabs[fSelection]->_SetSelected(false);
	fSelection = index;
	fTabs[index]->_SetSelected(true);
	Invalidate();
}


void
BTabView::SetTabWidth(button_width width)
{
	fTabWidth = width;
	Invalidate();
}


void
BTabView::_Dump(BPrivate::ViewDump& dump) const
{
	dump.hasSelected = true;
	dump.selected = fSelection;
	dump.hasItems = true;
	dump.items = CountTabs();
	for (int32 i = 0; i < CountTabs(); i++) {
		std::string line = "BTab " + BPrivate::QuoteForDump(fTabs[i]->Label())
			+ " enabled=" + (fTabs[i]->IsEnabled() ? "1" : "0")
			+ " selected=" + (i == fSelection ? "1" : "0");
		dump.extraLines.push_back(std::make_pair(1, line));
	}
}


bool
BTabView::_AcceptsInput(uint32 action) const
{
	return action == B_INPUT_TAB;
}


void
BTabView::_HandleInput(BMessage* input)
{
	int32 index;
	if (input->what == B_INPUT_TAB && input->FindInt32("index", &index) == B_OK
		&& TabAt(index) != NULL && TabAt(index)->IsEnabled())
		Select(index);
}
