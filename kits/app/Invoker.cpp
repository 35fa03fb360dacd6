#include <Invoker.h>

#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <OS.h>

#include "private/app/MessengerPrivate.h"

BInvoker::BInvoker()
	:
	fMessage(NULL)
{
}


BInvoker::BInvoker(BMessage* message, const BHandler* handler,
	const BLooper* looper)
	:
	fMessage(message)
{
	SetTarget(handler, looper);
}


BInvoker::~BInvoker()
{
	delete fMessage;
}


status_t
BInvoker::SetMessage(BMessage* message)
{
	if (message == fMessage)
		return B_OK;
	delete fMessage;
	fMessage = message;
	return B_OK;
}


uint32
BInvoker::Command() const
{
	return fMessage != NULL ? fMessage->what : 0;
}


status_t
BInvoker::SetTarget(const BHandler* handler, const BLooper* looper)
{
	status_t status = B_OK;
	if (handler == NULL && looper == NULL) {
		fMessenger = BMessenger();
		return B_OK;
	}
	fMessenger = BMessenger(handler, looper, &status);
	return status;
}


status_t
BInvoker::SetTarget(BMessenger messenger)
{
	fMessenger = messenger;
	return B_OK;
}


BHandler*
BInvoker::Target(BLooper** looper) const
{
	return fMessenger.Target(looper);
}


status_t
BInvoker::Invoke(BMessage* message)
{
	return _SendCopy(message != NULL ? message : fMessage, BMessenger(), this);
}


status_t
BInvoker::_SendCopy(const BMessage* message, const BMessenger& fallback,
	const void* source)
{
	if (message == NULL)
		return B_BAD_VALUE;
	BMessage copy(*message);
	copy.AddInt64("when", system_time());
	copy.AddPointer("source", source);
	// The fallback stands in for a target that was never set (or was
	// cleared); a target that has gone is an error, as it is on BeOS, not
	// a reason to tell someone else.
	bool hasTarget = BMessenger::Private(&fMessenger).LooperToken() >= 0;
	return (hasTarget ? fMessenger : fallback).SendMessage(&copy);
}
