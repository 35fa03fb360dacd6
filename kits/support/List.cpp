#include <List.h>

#include <new>

BList::BList(int32 count)
{
	if (count > 0)
		fItems.reserve(count);
}


BList::~BList()
{
}


// As on BeOS, a list that cannot grow says so instead of throwing.
bool
BList::AddItem(void* item)
{
	try {
		fItems.push_back(item);
	} catch (const std::bad_alloc&) {
		return false;
	}
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
