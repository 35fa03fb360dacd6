// Keys offered to the registry's device event controller before a window
// gets them: a controller of a few lines (registry.py, beside this file) on
// a bus of the test's own records them, and consumes KP_Enter as a screen
// reader takes its own commands.

#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "display/accessibility/DeviceEvents.h"

using namespace BPrivate;

namespace {

const char* kRegistry = TOLVEX_SOURCE_DIR "/tests/accessibility/registry.py";

std::string sAddress;

std::string
TestAddress()
{
	return sAddress;
}


DeviceKey
Key(bool pressed, int32 keysym, uint32 keycode, uint32 modifiers,
	const char* text, bool isText)
{
	DeviceKey key;
	key.pressed = pressed;
	key.keysym = keysym;
	key.keycode = keycode;
	key.modifiers = modifiers;
	key.timestamp = 1234;
	key.text = text;
	key.isText = isText;
	return key;
}

} // namespace


TEST(DeviceEventsTest, KeysAreOfferedAndWhatIsConsumedIsSaid)
{
	TemporaryHome home;
	PrivateSessionBus bus;
	std::string record = home.File("record");
	std::string ready = home.File("ready");
	ASSERT_TRUE(bus.StartService("/usr/bin/python3 " + Quoted(kRegistry)
		+ " " + Quoted(record) + " " + Quoted(ready), ready));

	// No accessibility bus served: nothing is asked, nothing consumed.
	sAddress = "";
	DeviceEvents events(TestAddress);
	EXPECT_FALSE(events.Offer(Key(true, 0xff8d, 104, 0, "KP_Enter", false)));
	EXPECT_EQ("", ReadFile(record));

	sAddress = bus.Address();
	// "a" with Shift, pressed and released; Return; the screen reader's
	// KP_Enter, which it keeps.
	EXPECT_FALSE(events.Offer(Key(true, 'A', 38, 1, "A", true)));
	EXPECT_FALSE(events.Offer(Key(false, 'A', 38, 1, "A", true)));
	EXPECT_FALSE(events.Offer(Key(true, 0xff0d, 36, 0, "Return", false)));
	EXPECT_TRUE(events.Offer(Key(true, 0xff8d, 104, 16, "KP_Enter", false)));
	EXPECT_EQ("0 0x41 38 1 1234 A 1\n"
		"1 0x41 38 1 1234 A 1\n"
		"0 0xff0d 36 0 1234 Return 0\n"
		"0 0xff8d 104 16 1234 KP_Enter 0\n", ReadFile(record));

	// A bus that went away costs the key nothing: it goes to the window.
	sAddress = "unix:path=/nonexistent/bus";
	EXPECT_FALSE(events.Offer(Key(true, 'b', 56, 0, "b", true)));
}
