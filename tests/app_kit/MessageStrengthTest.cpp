#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <Message.h>

namespace {

// A message holding a message holding a message..., `depth` deep.
std::string
FlattenedNest(int depth)
{
	BMessage inner('LEAF');
	inner.AddInt32("depth", depth);
	for (int i = 0; i < depth; i++) {
		BMessage outer('NEST');
		outer.AddMessage("inner", &inner);
		inner = outer;
	}
	std::string flat(inner.FlattenedSize(), '\0');
	inner.Flatten(&flat[0], flat.size());
	return flat;
}


// A one-field message whose string item is ITEM, as bytes are in a file:
// the item's size stated, its bytes as they are.
std::string
FlattenedStringItem(const std::string& item)
{
	BMessage message('STRS');
	message.AddString("s", "x");
	std::string flat(message.FlattenedSize(), '\0');
	message.Flatten(&flat[0], flat.size());
	// The item "x\0" is last, after its 4-byte size.
	std::string head = flat.substr(0, flat.size() - 2 - 4);
	auto word = [](uint32 value) {
		std::string bytes(4, '\0');
		for (int i = 0; i < 4; i++)
			bytes[i] = (char)((value >> (8 * i)) & 0xff);
		return bytes;
	};
	std::string result = head + word((uint32)item.size()) + item;
	result.replace(4, 4, word((uint32)result.size()));
	return result;
}

} // namespace


// Nesting is bounded, so that a crafted file cannot take the stack; the
// depths the program itself writes are well inside the bound.
TEST(MessageStrengthTest, NestingIsBoundedWhole)
{
	std::string shallow = FlattenedNest(8);
	BMessage result('KEEP');
	EXPECT_EQ(B_OK, result.Unflatten(shallow.data(), shallow.size()));
	EXPECT_EQ((uint32)'NEST', result.what);

	std::string deep = FlattenedNest(200);
	BMessage refused('KEEP');
	EXPECT_EQ(B_BAD_DATA, refused.Unflatten(deep.data(), deep.size()));
	EXPECT_EQ((uint32)'KEEP', refused.what);
	EXPECT_TRUE(refused.IsEmpty());
}


// A string item is one text and its NUL: without the NUL, or with a NUL
// inside, the message is damaged and refused, not read in part.
TEST(MessageStrengthTest, StringItemsEndInTheirOnlyNul)
{
	BMessage result('KEEP');
	std::string good = FlattenedStringItem(std::string("abc", 4));
	ASSERT_EQ(B_OK, result.Unflatten(good.data(), good.size()));
	const char* text = NULL;
	EXPECT_EQ(B_OK, result.FindString("s", &text));
	EXPECT_STREQ("abc", text);

	const std::string damaged[] = { std::string("abc"),
		std::string("ab\0c\0", 5), std::string("\0\0", 2) };
	for (const std::string& item : damaged) {
		std::string flat = FlattenedStringItem(item);
		BMessage refused('KEEP');
		EXPECT_EQ(B_BAD_DATA, refused.Unflatten(flat.data(), flat.size()))
			<< item.size() << " bytes";
		EXPECT_EQ((uint32)'KEEP', refused.what);
	}
}


// An item whose stated size runs past the end, by as little as a byte, is
// refused without a byte beyond the data being read (the sanitizer build
// sees any such read: the copy is exactly as long as the data).
TEST(MessageStrengthTest, ItemsEndingPastTheDataAreNotRead)
{
	BMessage message('LAST');
	message.AddInt32("n", 7);
	message.AddString("s", "fine");
	std::string flat(message.FlattenedSize(), '\0');
	ASSERT_EQ(B_OK, message.Flatten(&flat[0], flat.size()));
	// The last item, "fine\0", follows its 4-byte size.
	size_t sizeAt = flat.size() - 5 - 4;
	ASSERT_EQ(5, flat[sizeAt]);
	for (char more = 1; more <= 4; more++) {
		std::vector<char> bytes(flat.begin(), flat.end());
		bytes[sizeAt] = (char)(5 + more);
		BMessage result('KEEP');
		EXPECT_EQ(B_BAD_DATA, result.Unflatten(bytes.data(), bytes.size()))
			<< (int)more << " bytes past";
		EXPECT_EQ((uint32)'KEEP', result.what);
	}
}
