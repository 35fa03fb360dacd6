#include <Control.h>

#include <stdlib.h>
#include <string.h>

#include <Window.h>

#include "private/interface/ViewPrivate.h"

BControl::BControl(BRect frame, const char* name, const char* label,
	BMessage* message, uint32 resizingMode, uint32 flags)
	:
	BView(frame, name, resizingMode, flags),
	BInvoker(message, NULL),
	fLabel(NULL),
	fValue(B_CONTROL_OFF),
	fEnabled(true)
{
	SetLabel(label);
}


BControl::~BControl()
{
	free(fLabel);
}


void
BControl::SetLabel(const char* label)
{
	BView::Private view(this);
	view.CheckLock();
	free(fLabel);
	fLabel = label != NULL ? strdup(label) : NULL;
	view.SendText(BPrivate::B_DISPLAY_VIEW_LABEL, fLabel);
}


void
BControl::SetValue(int32 value)
{
	SetValueNoUpdate(value);
}


// The display draws from its own copy, so even a value set without a
// redraw is told to it.
void
BControl::SetValueNoUpdate(int32 value)
{
	BView::Private view(this);
	view.CheckLock();
	fValue = value;
	view.SendValue(BPrivate::B_DISPLAY_VIEW_VALUE, fValue);
}


void
BControl::SetEnabled(bool enabled)
{
	BView::Private view(this);
	view.CheckLock();
	// As on Haiku: nothing to tell when nothing changes, which keeps a
	// list's thousands of additions from sending as many commands.
	if (enabled == fEnabled)
		return;
	fEnabled = enabled;
	view.SendValue(BPrivate::B_DISPLAY_VIEW_ENABLED, fEnabled ? 1 : 0);
}


status_t
BControl::Invoke(BMessage* message)
{
	const BMessage* toSend = message != NULL ? message : Message();
	if (toSend == NULL)
		return B_BAD_VALUE;
	BMessage copy(*toSend);
	copy.AddInt32("be:value", fValue);
	BMessenger window;
	if (Window() != NULL)
		window = BMessenger(Window());
	return _SendCopy(&copy, window, this);
}


void
BControl::_SendState()
{
	BView::Private view(this);
	view.SendText(BPrivate::B_DISPLAY_VIEW_LABEL, fLabel);
	view.SendValue(BPrivate::B_DISPLAY_VIEW_ENABLED, fEnabled ? 1 : 0);
	view.SendValue(BPrivate::B_DISPLAY_VIEW_VALUE, fValue);
}
