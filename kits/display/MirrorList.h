#ifndef _KITS_DISPLAY_MIRROR_LIST_H
#define _KITS_DISPLAY_MIRROR_LIST_H

#include <string>
#include <vector>

#include <SupportDefs.h>

namespace BPrivate {

// A list view's entries as a display keeps them: every text in one pool
// and a small record per entry, so that a list of a hundred thousand
// entries is two allocations rather than one per entry.
class MirrorList {
public:
								MirrorList();

			size_t				size() const { return fEntries.size(); }
			bool				empty() const { return fEntries.empty(); }

			// The entry's text; valid until the list next changes.
			const char*			Text(size_t index) const
									{ return fPool.data()
										+ fEntries[index].offset; }
			size_t				TextLength(size_t index) const
									{ return fEntries[index].length; }
			std::string			TextString(size_t index) const
									{ return std::string(Text(index),
										TextLength(index)); }
			bool				IsSelected(size_t index) const
									{ return fEntries[index].selected; }

			// At the index, or at the end when it is outside the list.
			void				Insert(int32 index, const char* text,
									size_t length, bool selected);
			// Texts one after another, each ended by a NUL, inserted
			// unselected at the index (0 to size()).
			void				InsertBatch(size_t index, const char* texts,
									size_t length);
			// The same; into an empty list the texts become the pool
			// as they are, without a copy.
			void				InsertBatch(size_t index, std::string&& texts);
			void				Erase(size_t index);
			// count entries from the index on (all within the list).
			void				Erase(size_t index, size_t count);
			void				SetSelected(size_t index, bool selected)
									{ fEntries[index].selected = selected; }
			void				Clear();

private:
			struct Entry {
				uint32			offset;
				uint32			length;
				bool			selected;
			};

			void				_Index(size_t index, size_t base);
			void				_Compact();

			std::string			fPool;
			std::vector<Entry>	fEntries;
			// Bytes of the pool no entry uses any more.
			size_t				fUnused;
};

} // namespace BPrivate

#endif
