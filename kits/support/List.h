#ifndef _BE_LIST_H
#define _BE_LIST_H

#include <vector>

#include <SupportDefs.h>

// An ordered list of pointers, owning none of them.
class BList {
public:
								BList(int32 count = 20);
	virtual						~BList();

			bool				AddItem(void* item);
			void*				ItemAt(int32 index) const;
			// The items in place, CountItems() of them.
			void*				Items() const
									{ return (void*)fItems.data(); }
			int32				CountItems() const
									{ return (int32)fItems.size(); }
			bool				IsEmpty() const { return fItems.empty(); }
			void				MakeEmpty();

private:
			std::vector<void*>	fItems;
};

#endif // _BE_LIST_H
