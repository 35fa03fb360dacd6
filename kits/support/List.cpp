#include <List.h>

BList::BList(int32 count)
{
	if (count > 0)
		fItems.reserve(count);
}


BList::~BList()
{
}


bool
BList::AddItem(void* item)
{
	fItems.push_back(item);
	return true;
}


void*
BList::ItemAt(int32 index) const
{
	if (index < 0 || index >= CountItems())
		return NULL;
	return fItems[index];
}


void
BList::MakeEmpty()
{
	fItems.clear();
}
