#include <Window.h>

#include <stdlib.h>
#include <string.h>

#include <Application.h>
#include <Message.h>
#include <View.h>

#include "display/DisplayServer.h"
#include "private/InputMessages.h"
#include "private/app/ApplicationPrivate.h"

namespace {

window_look
LookForType(window_type type)
{
	switch (type) {
		case B_MODAL_WINDOW: return B_MODAL_WINDOW_LOOK;
		case B_DOCUMENT_WINDOW: return B_DOCUMENT_WINDOW_LOOK;
		case B_BORDERED_WINDOW: return B_BORDERED_WINDOW_LOOK;
		case B_FLOATING_WINDOW: return B_FLOATING_WINDOW_LOOK;
		default: return B_TITLED_WINDOW_LOOK;
	}
}


window_feel
FeelForType(window_type type)
{
	switch (type) {
		case B_MODAL_WINDOW: return B_MODAL_APP_WINDOW_FEEL;
		case B_FLOATING_WINDOW: return B_FLOATING_APP_WINDOW_FEEL;
		default: return B_NORMAL_WINDOW_FEEL;
	}
}

} // namespace


BWindow::BWindow(BRect frame, const char* title, window_type type,
	uint32 flags, uint32 workspace)
	:
	BLooper(title),
	fType(type),
	fLook(LookForType(type)),
	fFeel(FeelForType(type))
{
	_Init(frame, title, flags, workspace);
}


BWindow::BWindow(BRect frame, const char* title, window_look look,
	window_feel feel, uint32 flags, uint32 workspace)
	:
	BLooper(title),
	fType(B_UNTYPED_WINDOW),
	fLook(look),
	fFeel(feel)
{
	_Init(frame, title, flags, workspace);
}


void
BWindow::_Init(BRect frame, const char* title, uint32 flags, uint32 workspace)
{
	fTitle = NULL;
	SetTitle(title);
	fFrame = frame;
	fFlags = flags;
	fWorkspaces = workspace == B_CURRENT_WORKSPACE ? 1 : workspace;
	fShowLevel = 1;
	fTopView = new BView(Bounds(), "top view", B_FOLLOW_ALL_SIDES, 0);
	fTopView->_SetWindow(this);
	if (be_app != NULL)
		BApplication::Private::AddWindow(this);
}


BWindow::~BWindow()
{
	if (fShowLevel <= 0)
		BPrivate::DisplayServer::Current()->WindowHidden(this);
	BPrivate::DisplayServer::Current()->WindowGone(this);
	if (be_app != NULL)
		BApplication::Private::RemoveWindow(this);
	fTopView->_SetWindow(NULL);
	delete fTopView;
	free(fTitle);
}


void
BWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	switch (message->what) {
		case B_INPUT_CLICK:
		case B_INPUT_TYPE:
		case B_INPUT_MENU:
		case B_INPUT_PICK:
		case B_INPUT_TAB:
		case B_INPUT_SELECT:
			_HandleInput(message);
			return;
	}
	BLooper::DispatchMessage(message, handler);
}


// Input reaches the view it names only while the user could reach it.
void
BWindow::_HandleInput(BMessage* message)
{
	int32 token;
	if (message->FindInt32("view", &token) != B_OK || IsHidden())
		return;
	for (int32 i = 0; BHandler* handler = HandlerAt(i); i++) {
		BView* view = dynamic_cast<BView*>(handler);
		if (view != NULL && view->_Token() == token) {
			if (!view->IsHidden())
				view->_HandleInput(message);
			return;
		}
	}
}


void
BWindow::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}


bool
BWindow::QuitRequested()
{
	return true;
}


void
BWindow::Quit()
{
	BLooper::Quit();
}


void
BWindow::Show()
{
	bool run = false;
	if (Thread() < 0)
		run = true;
	if (!Lock())
		return;
	fShowLevel--;
	if (fShowLevel == 0)
		BPrivate::DisplayServer::Current()->WindowShown(this);
	Unlock();
	if (run)
		Run();
}


void
BWindow::Hide()
{
	if (!Lock())
		return;
	fShowLevel++;
	if (fShowLevel == 1)
		BPrivate::DisplayServer::Current()->WindowHidden(this);
	Unlock();
}


bool
BWindow::IsHidden() const
{
	return fShowLevel > 0;
}


void
BWindow::MoveTo(float x, float y)
{
	if (!Lock())
		return;
	fFrame.OffsetTo(x, y);
	Unlock();
}


void
BWindow::MoveTo(BPoint where)
{
	MoveTo(where.x, where.y);
}


void
BWindow::MoveBy(float dx, float dy)
{
	MoveTo(fFrame.left + dx, fFrame.top + dy);
}


void
BWindow::ResizeTo(float width, float height)
{
	if (!Lock())
		return;
	fFrame.right = fFrame.left + width;
	fFrame.bottom = fFrame.top + height;
	fTopView->ResizeTo(width, height);
	Unlock();
}


void
BWindow::ResizeBy(float dx, float dy)
{
	ResizeTo(fFrame.Width() + dx, fFrame.Height() + dy);
}


BRect
BWindow::Frame() const
{
	return fFrame;
}


BRect
BWindow::Bounds() const
{
	return BRect(0, 0, fFrame.Width(), fFrame.Height());
}


void
BWindow::SetTitle(const char* title)
{
	free(fTitle);
	fTitle = strdup(title != NULL ? title : "");
	SetName(fTitle);
}


const char*
BWindow::Title() const
{
	return fTitle;
}


void
BWindow::AddChild(BView* child, BView* before)
{
	fTopView->AddChild(child, before);
}


bool
BWindow::RemoveChild(BView* child)
{
	return fTopView->RemoveChild(child);
}


int32
BWindow::CountChildren() const
{
	return fTopView->CountChildren();
}


BView*
BWindow::ChildAt(int32 index) const
{
	return fTopView->ChildAt(index);
}


BView*
BWindow::FindView(const char* name) const
{
	return fTopView->FindView(name);
}


void
BWindow::Activate(bool active)
{
	if (active && !IsHidden())
		BPrivate::DisplayServer::Current()->WindowActivated(this);
}
