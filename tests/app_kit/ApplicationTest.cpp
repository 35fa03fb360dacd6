#include <gtest/gtest.h>

#include <Application.h>
#include <Messenger.h>
#include <Window.h>

#include "TestSupport.h"

// Windows that quit by themselves while the application object goes away:
// the application reaches each window by its token, never through a
// pointer to a window that may just have been deleted (AddressSanitizer
// watches this one).
TEST(ApplicationTest, DeletedWhileItsWindowsQuitByThemselves)
{
	TemporaryHome home;
	for (int32 round = 0; round < 40; round++) {
		BApplication* app = new BApplication("application/x-vnd.tolvex-test");
		ASSERT_EQ(B_OK, app->InitCheck());
		std::vector<BMessenger> windows;
		for (int32 i = 0; i < 4; i++) {
			BWindow* window = new BWindow(BRect(10, 10, 100, 100), "window",
				B_TITLED_WINDOW, 0);
			window->Show();
			windows.push_back(BMessenger(window));
		}
		EXPECT_EQ(4, app->CountWindows());
		for (BMessenger& window : windows)
			window.SendMessage(B_QUIT_REQUESTED);
		delete app;
		// A window that quit by itself may still be ending in its own
		// thread; the rest were quit and waited for.
		ASSERT_TRUE(WaitUntilQuiet());
		for (BMessenger& window : windows)
			EXPECT_FALSE(window.IsValid());
	}
}
