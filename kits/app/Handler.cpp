#include <Handler.h>

#include <stdlib.h>
#include <string.h>

#include <Looper.h>
#include <Message.h>

#include "private/app/LooperState.h"

BHandler::BHandler(const char* name)
	:
	fName(NULL),
	fToken(BPrivate::NewHandlerToken()),
	fLooper(NULL),
	fNextHandler(NULL)
{
	SetName(name);
}


BHandler::~BHandler()
{
	if (fLooper != NULL && fLooper != this)
		fLooper->RemoveHandler(this);
	free(fName);
}


void
BHandler::MessageReceived(BMessage* message)
{
	if (fNextHandler != NULL)
		fNextHandler->MessageReceived(message);
}


void
BHandler::SetName(const char* name)
{
	free(fName);
	fName = name != NULL ? strdup(name) : NULL;
}


const char*
BHandler::Name() const
{
	return fName;
}


void
BHandler::SetNextHandler(BHandler* handler)
{
	fNextHandler = handler;
}


bool
BHandler::LockLooper()
{
	BLooper* looper = fLooper;
	if (looper == NULL || !looper->Lock())
		return false;
	if (fLooper != looper) {
		looper->Unlock();
		return false;
	}
	return true;
}


void
BHandler::UnlockLooper()
{
	if (fLooper != NULL)
		fLooper->Unlock();
}


void
BHandler::_SetLooper(BLooper* looper)
{
	fLooper = looper;
	if (looper != NULL && looper != this && fNextHandler == NULL)
		fNextHandler = looper;
	else if (looper == NULL && fNextHandler != NULL)
		fNextHandler = NULL;
}
