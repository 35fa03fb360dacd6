#include <gtest/gtest.h>

#include <string.h>

#include <Entry.h>
#include <Message.h>
#include <Messenger.h>

TEST(MessageTest, TypedFieldsByNameAndIndex)
{
	BMessage message('TEST');
	EXPECT_TRUE(message.IsEmpty());
	ASSERT_EQ(B_OK, message.AddInt32("number", 7));
	ASSERT_EQ(B_OK, message.AddInt32("number", -3));
	ASSERT_EQ(B_OK, message.AddBool("flag", true));
	ASSERT_EQ(B_OK, message.AddString("text", "ciao"));
	ASSERT_EQ(B_OK, message.AddPointer("pointer", &message));
	entry_ref ref(3, 42, "brano.wav");
	ASSERT_EQ(B_OK, message.AddRef("refs", &ref));

	int32 number;
	EXPECT_EQ(B_OK, message.FindInt32("number", &number));
	EXPECT_EQ(7, number);
	EXPECT_EQ(B_OK, message.FindInt32("number", 1, &number));
	EXPECT_EQ(-3, number);
	EXPECT_EQ(B_BAD_INDEX, message.FindInt32("number", 2, &number));
	EXPECT_EQ(B_NAME_NOT_FOUND, message.FindInt32("missing", &number));
	EXPECT_EQ(B_BAD_TYPE, message.FindInt32("text", &number));
	EXPECT_EQ(B_BAD_TYPE, message.AddString("number", "no"));

	bool flag = false;
	EXPECT_EQ(B_OK, message.FindBool("flag", &flag));
	EXPECT_TRUE(flag);
	const char* text;
	EXPECT_EQ(B_OK, message.FindString("text", &text));
	EXPECT_STREQ("ciao", text);
	void* pointer;
	EXPECT_EQ(B_OK, message.FindPointer("pointer", &pointer));
	EXPECT_EQ(&message, pointer);
	entry_ref found;
	EXPECT_EQ(B_OK, message.FindRef("refs", &found));
	EXPECT_TRUE(found == ref);

	EXPECT_EQ(B_OK, message.ReplaceInt32("number", 1, 99));
	EXPECT_EQ(B_OK, message.FindInt32("number", 1, &number));
	EXPECT_EQ(99, number);
	EXPECT_EQ(B_OK, message.ReplaceString("text", "addio"));
	EXPECT_EQ(B_OK, message.FindString("text", &text));
	EXPECT_STREQ("addio", text);
	EXPECT_EQ(B_BAD_INDEX, message.ReplaceBool("flag", 3, false));

	type_code type;
	int32 count;
	EXPECT_EQ(B_OK, message.GetInfo("number", &type, &count));
	EXPECT_EQ((type_code)B_INT32_TYPE, type);
	EXPECT_EQ(2, count);
	EXPECT_EQ(B_OK, message.RemoveData("number", 0));
	EXPECT_EQ(B_OK, message.FindInt32("number", &number));
	EXPECT_EQ(99, number);
	EXPECT_EQ(B_OK, message.RemoveName("number"));
	EXPECT_EQ(B_NAME_NOT_FOUND, message.GetInfo("number", &type));
}


TEST(MessageTest, FlattensAndUnflattensEveryType)
{
	BMessage inner('INNR');
	inner.AddString("extensions", "tvx");
	BMessage message('OUTR');
	message.AddInt32("int", 123456);
	message.AddInt64("big", -5000000000LL);
	message.AddBool("bool", false);
	message.AddString("string", "\xc3\xa8 gi\xc3\xa0");
	message.AddString("string", "");
	entry_ref ref(1, 2, "a b.wav");
	message.AddRef("refs", &ref);
	message.AddMessenger("messenger", BMessenger());
	message.AddMessage("message", &inner);

	ssize_t size = message.FlattenedSize();
	ASSERT_GT(size, 0);
	std::string buffer(size, '\0');
	ASSERT_EQ(B_OK, message.Flatten(&buffer[0], size));
	EXPECT_EQ(B_BAD_VALUE, message.Flatten(&buffer[0], size - 1));

	BMessage copy;
	ASSERT_EQ(B_OK, copy.Unflatten(buffer.data(), buffer.size()));
	EXPECT_EQ((uint32)'OUTR', copy.what);
	int32 value;
	EXPECT_EQ(B_OK, copy.FindInt32("int", &value));
	EXPECT_EQ(123456, value);
	int64 big;
	EXPECT_EQ(B_OK, copy.FindInt64("big", &big));
	EXPECT_EQ(-5000000000LL, big);
	const char* text;
	EXPECT_EQ(B_OK, copy.FindString("string", 0, &text));
	EXPECT_STREQ("\xc3\xa8 gi\xc3\xa0", text);
	EXPECT_EQ(B_OK, copy.FindString("string", 1, &text));
	EXPECT_STREQ("", text);
	entry_ref foundRef;
	EXPECT_EQ(B_OK, copy.FindRef("refs", &foundRef));
	EXPECT_TRUE(foundRef == ref);
	BMessage foundInner;
	EXPECT_EQ(B_OK, copy.FindMessage("message", &foundInner));
	EXPECT_EQ((uint32)'INNR', foundInner.what);
	EXPECT_EQ(B_OK, foundInner.FindString("extensions", &text));
	EXPECT_STREQ("tvx", text);

	// The same bytes again: the format is stable.
	std::string again(copy.FlattenedSize(), '\0');
	ASSERT_EQ(B_OK, copy.Flatten(&again[0], again.size()));
	EXPECT_EQ(buffer, again);
}


// Bad input is refused with a status, never read past its end.
TEST(MessageTest, UnflattenRefusesDamagedData)
{
	BMessage message('DAMG');
	message.AddString("name", "valore");
	entry_ref ref(1, 2, "x");
	message.AddRef("refs", &ref);
	BMessage inner('IN');
	inner.AddInt32("n", 1);
	message.AddMessage("inner", &inner);
	std::string flat(message.FlattenedSize(), '\0');
	ASSERT_EQ(B_OK, message.Flatten(&flat[0], flat.size()));

	for (size_t length = 0; length < flat.size(); length++) {
		// A copy of exactly this length, so that the sanitizers see any
		// read beyond it.
		std::string truncated = flat.substr(0, length);
		std::vector<char> bytes(truncated.begin(), truncated.end());
		BMessage result('KEEP');
		EXPECT_NE(B_OK, result.Unflatten(bytes.data(), bytes.size()))
			<< "length " << length;
		EXPECT_EQ((uint32)'KEEP', result.what);
	}
	for (size_t i = 0; i < flat.size(); i++) {
		std::string damaged = flat;
		damaged[i] ^= 0xff;
		BMessage result;
		result.Unflatten(damaged.data(), damaged.size());
		const char* text;
		if (result.FindString("name", &text) == B_OK) {
			EXPECT_LT(strlen(text), flat.size());
		}
	}
}


// Counts and sizes must add up to the bytes there are: a message whose
// header promises fewer or more fields, or a total size other than its
// own, is refused whole instead of read in part.
TEST(MessageTest, UnflattenRefusesCountsThatDoNotAddUp)
{
	BMessage message('SUMS');
	message.AddString("first", "uno");
	message.AddInt32("second", 2);
	std::string flat(message.FlattenedSize(), '\0');
	ASSERT_EQ(B_OK, message.Flatten(&flat[0], flat.size()));

	auto setWord = [](std::string& bytes, size_t offset, uint32 value) {
		for (int i = 0; i < 4; i++)
			bytes[offset + i] = (char)((value >> (8 * i)) & 0xff);
	};
	struct Case {
		const char* what;
		size_t offset;
		uint32 value;
	} cases[] = {
		{ "one field fewer", 12, 1 },
		{ "one field more", 12, 3 },
		{ "a total size too small", 4, (uint32)flat.size() - 1 },
		{ "a total size too big", 4, (uint32)flat.size() + 1 },
	};
	for (const Case& test : cases) {
		std::string damaged = flat;
		setWord(damaged, test.offset, test.value);
		BMessage result('KEEP');
		EXPECT_EQ(B_BAD_DATA, result.Unflatten(damaged.data(),
			damaged.size())) << test.what;
		EXPECT_EQ((uint32)'KEEP', result.what) << test.what;
		EXPECT_TRUE(result.IsEmpty()) << test.what;
	}
	// Bytes left over after the last field are damage too.
	std::string longer = flat + std::string(4, '\0');
	setWord(longer, 4, (uint32)longer.size());
	BMessage result('KEEP');
	EXPECT_EQ(B_BAD_DATA, result.Unflatten(longer.data(), longer.size()));
}
