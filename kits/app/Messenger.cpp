#include <Messenger.h>

#include <unistd.h>

#include <Handler.h>
#include <Looper.h>
#include <Message.h>

#include "private/app/LooperState.h"
#include "private/app/HandlerPrivate.h"

BMessenger::BMessenger()
	:
	fLooperToken(-1),
	fHandlerToken(-1)
{
}


BMessenger::BMessenger(const BHandler* handler, const BLooper* looper,
	status_t* result)
	:
	fLooperToken(-1),
	fHandlerToken(-1)
{
	status_t status = B_OK;
	if (handler != NULL) {
		BLooper* owner = handler->Looper();
		if (owner == NULL || (looper != NULL && looper != owner))
			status = handler->Looper() == NULL ? B_BAD_HANDLER
				: B_MISMATCHED_VALUES;
		else {
			fLooperToken = BHandler::Private(owner).Token();
			fHandlerToken = BHandler::Private(handler).Token();
		}
	} else if (looper != NULL) {
		// No handler: the looper's preferred handler.
		fLooperToken = BHandler::Private(looper).Token();
		fHandlerToken = -1;
	} else
		status = B_BAD_VALUE;
	if (result != NULL)
		*result = status;
}


BMessenger::BMessenger(const BMessenger& other)
	:
	fLooperToken(other.fLooperToken),
	fHandlerToken(other.fHandlerToken)
{
}


BMessenger::~BMessenger()
{
}


BMessenger&
BMessenger::operator=(const BMessenger& other)
{
	fLooperToken = other.fLooperToken;
	fHandlerToken = other.fHandlerToken;
	return *this;
}


bool
BMessenger::operator==(const BMessenger& other) const
{
	return fLooperToken == other.fLooperToken
		&& fHandlerToken == other.fHandlerToken;
}


BHandler*
BMessenger::Target(BLooper** looper) const
{
	return BPrivate::FindHandler(BPrivate::FindLooperState(fLooperToken),
		fHandlerToken, looper);
}


bool
BMessenger::LockTarget() const
{
	return LockTargetWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}


status_t
BMessenger::LockTargetWithTimeout(bigtime_t timeout) const
{
	return BPrivate::LockLooperState(BPrivate::FindLooperState(fLooperToken),
		timeout);
}


bool
BMessenger::IsValid() const
{
	return (bool)BPrivate::FindLooperState(fLooperToken);
}


team_id
BMessenger::Team() const
{
	return IsValid() ? (team_id)getpid() : -1;
}


status_t
BMessenger::SendMessage(uint32 command, BHandler* replyTo) const
{
	BMessage message(command);
	return SendMessage(&message, replyTo);
}


status_t
BMessenger::SendMessage(BMessage* message, BHandler*, bigtime_t) const
{
	if (message == NULL)
		return B_BAD_VALUE;
	// A looper that has gone is a port that has gone.
	return BPrivate::PostToLooperState(
		BPrivate::FindLooperState(fLooperToken), new BMessage(*message),
		fHandlerToken, fHandlerToken == -1);
}
