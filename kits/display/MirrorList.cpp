#include "display/MirrorList.h"

#include <string.h>

#include <algorithm>

namespace BPrivate {

MirrorList::MirrorList()
	:
	fUnused(0)
{
}


void
MirrorList::Insert(int32 index, const char* text, size_t length,
	bool selected)
{
	Entry entry = { (uint32)fPool.size(), (uint32)length, selected };
	fPool.append(text, length);
	// Each text is ended by a NUL, so that a drawing call can take it as
	// it is.
	fPool += '\0';
	if (index < 0 || index > (int32)fEntries.size())
		fEntries.push_back(entry);
	else
		fEntries.insert(fEntries.begin() + index, entry);
}


void
MirrorList::InsertBatch(size_t index, std::string&& texts)
{
	if (!fPool.empty()) {
		InsertBatch(index, texts.data(), texts.size());
		return;
	}
	fPool.swap(texts);
	texts.clear();
	_Index(0, 0);
}


void
MirrorList::InsertBatch(size_t index, const char* texts, size_t length)
{
	if (index > fEntries.size())
		index = fEntries.size();
	size_t base = fPool.size();
	fPool.append(texts, length);
	_Index(index, base);
}


// Records for the texts the pool holds from base on, put at the index.
void
MirrorList::_Index(size_t index, size_t base)
{
	if (base == fPool.size())
		return;
	// A batch not ended by a NUL still has its last text ended.
	if (fPool.back() != '\0')
		fPool += '\0';

	size_t old = fEntries.size();
	const char* start = fPool.data() + base;
	const char* end = fPool.data() + fPool.size();
	if (index > old)
		index = old;
	// Counted first, so that the records are made in place once.
	size_t count = 0;
	for (const char* text = start; text < end; count++)
		text = (const char*)memchr(text, '\0', end - text) + 1;
	fEntries.reserve(old + count);
	for (const char* text = start; text < end;) {
		const char* nul = (const char*)memchr(text, '\0', end - text);
		Entry entry = { (uint32)(text - fPool.data()), (uint32)(nul - text),
			false };
		fEntries.push_back(entry);
		text = nul + 1;
	}
	// Appended in place, the usual case; elsewhere moved in after.
	if (index < old) {
		std::rotate(fEntries.begin() + index, fEntries.begin() + old,
			fEntries.end());
	}
}


void
MirrorList::Erase(size_t index)
{
	// The text last in the pool goes with it, as when a list is emptied
	// from its end; any other leaves a gap.
	const Entry& entry = fEntries[index];
	if (entry.offset + entry.length + 1 == fPool.size())
		fPool.resize(entry.offset);
	else
		fUnused += entry.length + 1;
	fEntries.erase(fEntries.begin() + index);
	if (fEntries.empty())
		Clear();
	else if (fUnused > 64 * 1024 && fUnused > fPool.size() / 2)
		_Compact();
}


void
MirrorList::Erase(size_t index, size_t count)
{
	if (count == 0)
		return;
	if (count == 1) {
		Erase(index);
		return;
	}
	if (count == fEntries.size()) {
		Clear();
		return;
	}
	for (size_t i = index; i < index + count; i++)
		fUnused += fEntries[i].length + 1;
	fEntries.erase(fEntries.begin() + index, fEntries.begin() + index + count);
	if (fUnused > 64 * 1024 && fUnused > fPool.size() / 2)
		_Compact();
}


void
MirrorList::Clear()
{
	// The memory goes too: an emptied big list keeps nothing.
	std::vector<Entry>().swap(fEntries);
	std::string().swap(fPool);
	fUnused = 0;
}


// Removals leave their texts behind; once they are most of the pool the
// texts still in use are copied together, so the pool stays within twice
// what the entries hold.
void
MirrorList::_Compact()
{
	std::string pool;
	pool.reserve(fPool.size() - fUnused);
	for (Entry& entry : fEntries) {
		uint32 offset = (uint32)pool.size();
		pool.append(fPool.data() + entry.offset, entry.length + 1);
		entry.offset = offset;
	}
	fPool.swap(pool);
	fUnused = 0;
}

} // namespace BPrivate
