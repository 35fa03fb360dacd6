#ifndef E2E_DISPLAY_FIXTURE_H
#define E2E_DISPLAY_FIXTURE_H

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

#include <Looper.h>
#include <Message.h>

#include "TestSupport.h"
#include "XProbe.h"
#include "XvfbServer.h"
#include "display/DisplayServer.h"

// Stands in for a window's looper: it keeps the input events the display
// posts to it. Its token is the window's id.
class InputRecorder : public BLooper {
public:
								InputRecorder();

	virtual	void				MessageReceived(BMessage* message);

			int32				Id() const;
			// The next event not taken yet; false when none came in time.
			bool				Next(BMessage* message, int timeoutMs = 5000);
			int32				CountWaiting();

			// Quits the looper (which deletes it).
			void				End();

private:
			std::mutex			fLock;
			std::condition_variable fArrived;
			std::deque<BMessage> fEvents;
};

// Builders for the command stream, with the fields each command uses.
namespace Commands {

using BPrivate::DisplayCommand;

DisplayCommand WindowCreated(int32 window, int32 topView, const char* title,
	BRect frame, int32 look, int32 feel, uint32 flags);
DisplayCommand WindowFrame(int32 window, BRect frame);
DisplayCommand WindowTitle(int32 window, const char* title);
DisplayCommand Window(uint32 code, int32 window);
DisplayCommand ViewAdded(int32 window, int32 view, int32 parent, int32 kind,
	const char* name, BRect frame, rgb_color color, bool hidden = false);
DisplayCommand ViewText(uint32 code, int32 window, int32 view,
	const std::string& text);
DisplayCommand ViewValue(uint32 code, int32 window, int32 view, int32 value);
DisplayCommand MenuItemAdded(int32 window, int32 bar, int32 item,
	int32 parent, const char* label, bool enabled, uint32 flags = 0);
DisplayCommand TabAdded(int32 window, int32 view, int32 index,
	const char* label, bool enabled = true);
DisplayCommand TabChosen(int32 window, int32 view, int32 index);

} // namespace Commands

extern const rgb_color kPanelGrey;

// A field of an input event; -1 or empty when it has none.
int32 Int32Of(const BMessage& message, const char* name);
std::string StringOf(const BMessage& message, const char* name);

// A private X server, a temporary home, and the real-window display on
// them, as the application would create it.
class DisplayTest : public ::testing::Test {
protected:
	virtual	void				SetUp();
	virtual	void				TearDown();

			void				Send(const BPrivate::DisplayCommand& command);
			// Until the display has handled all it was sent.
			bool				WaitUntilIdle(int timeoutMs = 5000);
			// Where the frame's centre (window coordinates) is on screen,
			// the window being at (left, top).
			static void			Centre(BRect frame, int left, int top,
									int* x, int* y);
			// Keeps a screenshot beside the build's other artefacts.
			std::string			SaveScreenshot(const Screenshot& shot,
									const char* name);

			TemporaryHome		fHome;
			XvfbServer			fServer;
			XProbe*				fProbe = NULL;
			BPrivate::DisplayServer* fDisplay = NULL;
};

#endif
