#include <Control.h>

#include <stdlib.h>
#include <string.h>

#include <Window.h>

#include "private/ViewDump.h"

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
	free(fLabel);
	fLabel = label != NULL ? strdup(label) : NULL;
	Invalidate();
}


void
BControl::SetValue(int32 value)
{
	fValue = value;
	Invalidate();
}


void
BControl::SetValueNoUpdate(int32 value)
{
	fValue = value;
}


void
BControl::SetEnabled(bool enabled)
{
	fEnabled = enabled;
	Invalidate();
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
BControl::_Dump(BPrivate::ViewDump& dump) const
{
	dump.hasLabel = true;
	dump.label = fLabel != NULL ? fLabel : "";
	dump.hasEnabled = true;
	dump.enabled = fEnabled;
}
