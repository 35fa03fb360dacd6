// What reading a big list costs at the least, in a process of its own so
// that its heap is as cold as the program's is when it opens a list:
//
//   tolvex_list_floor FILE items   the fgets loop making a BStringItem of
//                                  each entry, as a list view needs at least
//   tolvex_list_floor FILE block   the fgets loop keeping each text in one
//                                  block and an item-sized record of each in
//                                  one array: no allocation an entry at all
//
// Prints the milliseconds taken. Most of either is the first touch of the
// new memory the entries need, which the plain fgets loop never makes.

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <List.h>
#include <ListItem.h>
#include <OS.h>

namespace {

// As big as a BStringItem, which is what a list holds an entry in.
struct Record {
	const char*	text;
	char		rest[sizeof(BStringItem) - sizeof(const char*)];
};

} // namespace


int
main(int argc, char** argv)
{
	if (argc != 3 || (strcmp(argv[2], "items") != 0
			&& strcmp(argv[2], "block") != 0)) {
		fprintf(stderr, "usage: %s FILE items|block\n", argv[0]);
		return 2;
	}
	bool items = strcmp(argv[2], "items") == 0;
	struct stat st;
	if (stat(argv[1], &st) != 0) {
		perror(argv[1]);
		return 1;
	}
	size_t size = (size_t)st.st_size;

	bigtime_t start = system_time();
	FILE* file = fopen(argv[1], "r");
	if (file == NULL) {
		perror(argv[1]);
		return 1;
	}
	char line[1026];
	BList list((int32)(size / 32 + 1024));
	char* block = NULL;
	Record* records = NULL;
	size_t used = 0;
	size_t count = 0;
	if (!items) {
		// Every text is a piece of its line, so the file's size bounds
		// them all.
		block = (char*)malloc(size + 1);
		records = (Record*)malloc((size / 2 + 1) * sizeof(Record));
		if (block == NULL || records == NULL)
			return 1;
	}
	while (fgets(line, sizeof(line), file) != NULL) {
		const char* text = strchr(line, ';');
		if (line[0] == '#' || text == NULL)
			continue;
		text++;
		size_t length = strcspn(text, "\n");
		line[text - line + length] = '\0';
		if (items) {
			list.AddItem(new BStringItem(text));
			continue;
		}
		memcpy(block + used, text, length + 1);
		Record* record = &records[count];
		memset(record, 0, sizeof(Record));
		record->text = block + used;
		list.AddItem(record);
		used += length + 1;
		count++;
	}
	fclose(file);
	printf("%.2f\n", (system_time() - start) / 1000.0);
	return list.CountItems() > 0 ? 0 : 1;
}
