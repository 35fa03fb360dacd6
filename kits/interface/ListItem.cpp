#include <ListItem.h>

#include <stdlib.h>
#include <string.h>

BListItem::BListItem(uint32 outlineLevel, bool expanded)
	:
	fLevel(outlineLevel),
	fExpanded(expanded),
	fSelected(false)
{
}


BListItem::~BListItem()
{
}


BStringItem::BStringItem(const char* text, uint32 outlineLevel,
	bool expanded)
	:
	BListItem(outlineLevel, expanded),
	fText(strdup(text != NULL ? text : ""))
{
}


BStringItem::~BStringItem()
{
	free(fText);
}
