#include <TabView.h>

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <Message.h>

#include "private/interface/ViewPrivate.h"

using BPrivate::DisplayCommand;

// What a tab view needs of its tabs.
class BTab::Private {
public:
								Private(BTab* tab) : fTab(tab) {}

			void				SetTabView(BTabView* tabView)
									{ fTab->fTabView = tabView; }
			void				SetSelected(bool selected);

private:
			BTab*				fTab;
};


void
BTab::Private::SetSelected(bool selected)
{
	fTab->fSelected = selected;
	if (fTab->fView == NULL)
		return;
	if (selected)
		fTab->fView->Show();
	else
		fTab->fView->Hide();
}


BTab::BTab(BView* target)
	:
	fTabView(NULL),
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
	if (fTabView != NULL)
		BView::Private(fTabView).CheckLock();
	free(fLabel);
	fLabel = label != NULL ? strdup(label) : NULL;
	_SendChanged();
}


void
BTab::SetEnabled(bool enabled)
{
	if (fTabView != NULL)
		BView::Private(fTabView).CheckLock();
	fEnabled = enabled;
	_SendChanged();
}


void
BTab::SetView(BView* view)
{
	fView = view;
	if (view != NULL)
		SetLabel(view->Name());
}


void
BTab::_SendChanged()
{
	if (fTabView == NULL)
		return;
	for (int32 i = 0; BTab* tab = fTabView->TabAt(i); i++) {
		if (tab == this)
			fTabView->_SendTab(BPrivate::B_DISPLAY_TAB_CHANGED, i);
	}
}


BTabView::BTabView(BRect frame, const char* name, button_width width,
	uint32 resizingMode, uint32 flags)
	:
	BView(frame, name, resizingMode, flags),
	fTabWidth(width),
	fSelection(-1)
{
	BView::Private(this).SetKind(BPrivate::B_DISPLAY_TAB_VIEW);
	SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
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
	BView::Private(this).CheckLock();
	if (target == NULL)
		return;
	if (tab == NULL)
		tab = new BTab(target);
	else
		tab->SetView(target);
	fTabs.push_back(tab);
	BTab::Private(tab).SetTabView(this);
	_SendTab(BPrivate::B_DISPLAY_TAB_ADDED, CountTabs() - 1);
	fContainer->AddChild(target);
	if (fSelection < 0)
		Select(0);
	else
		BTab::Private(tab).SetSelected(false);
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
	BView::Private(this).CheckLock();
	if (index < 0 || index >= CountTabs())
		return;
	if (fSelection >= 0 && fSelection < CountTabs() && fSelection != index)
		BTab::Private(fTabs[fSelection]).SetSelected(false);
	fSelection = index;
	BTab::Private(fTabs[index]).SetSelected(true);
	_SendTab(BPrivate::B_DISPLAY_TAB_CHOSEN, index);
}


void
BTabView::SetTabWidth(button_width width)
{
	fTabWidth = width;
}


void
BTabView::_SendTab(uint32 code, int32 index)
{
	BView::Private view(this);
	if (!view.IsAttached())
		return;
	DisplayCommand command = view.Command(code);
	command.index = index;
	if (code != BPrivate::B_DISPLAY_TAB_CHOSEN) {
		command.text = fTabs[index]->Label() != NULL
			? fTabs[index]->Label() : "";
		command.value = fTabs[index]->IsEnabled() ? 1 : 0;
	}
	BPrivate::SendToDisplay(command);
}


void
BTabView::_SendState()
{
	for (int32 i = 0; i < CountTabs(); i++)
		_SendTab(BPrivate::B_DISPLAY_TAB_ADDED, i);
	if (fSelection >= 0)
		_SendTab(BPrivate::B_DISPLAY_TAB_CHOSEN, fSelection);
}


void
BTabView::KeyDown(const char* bytes, int32 numBytes)
{
	int32 step = 0;
	if (numBytes == 1 && bytes[0] == B_LEFT_ARROW)
		step = -1;
	else if (numBytes == 1 && bytes[0] == B_RIGHT_ARROW)
		step = 1;
	if (step == 0) {
		BView::KeyDown(bytes, numBytes);
		return;
	}
	for (int32 i = fSelection + step; i >= 0 && i < CountTabs(); i += step) {
		if (TabAt(i)->IsEnabled()) {
			Select(i);
			return;
		}
	}
}
