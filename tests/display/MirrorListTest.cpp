#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "display/MirrorList.h"

using BPrivate::MirrorList;

namespace {

struct Row {
	std::string text;
	bool selected;

	bool operator==(const Row& other) const
		{ return text == other.text && selected == other.selected; }
};


std::vector<Row>
Rows(const MirrorList& list)
{
	std::vector<Row> rows;
	for (size_t i = 0; i < list.size(); i++) {
		rows.push_back({ list.TextString(i), list.IsSelected(i) });
		// Each text is ended where a drawing call would read it.
		EXPECT_EQ('\0', list.Text(i)[list.TextLength(i)]);
	}
	return rows;
}


std::string
Batch(const std::vector<std::string>& texts)
{
	std::string batch;
	for (const std::string& text : texts)
		batch += text + '\0';
	return batch;
}

} // namespace


// Entries added one by one and in batches, anywhere, removed and selected,
// read back as a plain vector of rows would hold them, also once the pool
// has been compacted after many removals.
TEST(MirrorListTest, FollowsAPlainListThroughEveryChange)
{
	MirrorList list;
	std::vector<Row> model;
	auto insert = [&](int32 index, const std::string& text, bool selected) {
		list.Insert(index, text.data(), text.size(), selected);
		if (index < 0 || index > (int32)model.size())
			model.push_back({ text, selected });
		else
			model.insert(model.begin() + index, { text, selected });
	};
	insert(0, "/b.wav", false);
	insert(0, "/a.wav", true);
	insert(-1, "", false);
	insert(99, "/z.wav", true);
	std::string batch = Batch({ "/x1", "", "/x3" });
	list.InsertBatch(1, batch.data(), batch.size());
	model.insert(model.begin() + 1, { { "/x1", false }, { "", false },
		{ "/x3", false } });
	EXPECT_EQ(model, Rows(list));

	// Big enough that removals make the pool compact itself.
	std::vector<std::string> many;
	for (int i = 0; i < 5000; i++)
		many.push_back("/musica/brano " + std::to_string(i) + ".wav");
	batch = Batch(many);
	list.InsertBatch(list.size(), batch.data(), batch.size());
	for (const std::string& text : many)
		model.push_back({ text, false });
	list.SetSelected(7, true);
	model[7].selected = true;
	for (size_t i = model.size() - 1; i > 10; i -= 2) {
		list.Erase(i);
		model.erase(model.begin() + i);
	}
	for (int i = 0; i < 2000; i++) {
		list.Erase(3);
		model.erase(model.begin() + 3);
	}
	EXPECT_EQ(model, Rows(list));

	list.Clear();
	EXPECT_TRUE(list.empty());
	insert(0, "/dopo.wav", false);
	EXPECT_EQ(std::vector<Row>({ { "/dopo.wav", false } }), Rows(list));
}


// A batch handed over whole: into an empty list it is taken as the pool,
// into a list with entries it is copied in at its place; a last text
// without its NUL is still ended.
TEST(MirrorListTest, BatchesHandedOverWhole)
{
	MirrorList list;
	std::string first = "/uno";
	first += '\0';
	first += "/due";
	list.InsertBatch(0, std::move(first));
	EXPECT_EQ(std::vector<Row>({ { "/uno", false }, { "/due", false } }),
		Rows(list));

	std::string second = Batch({ "/mezzo", "" });
	list.InsertBatch(1, std::move(second));
	EXPECT_EQ(std::vector<Row>({ { "/uno", false }, { "/mezzo", false },
		{ "", false }, { "/due", false } }), Rows(list));

	list.InsertBatch(4, std::string());
	EXPECT_EQ(4u, list.size());
}
