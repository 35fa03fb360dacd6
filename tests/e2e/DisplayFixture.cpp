#include "DisplayFixture.h"

#include <sys/stat.h>

#include <Messenger.h>
#include <OS.h>

#include "PngWriter.h"
#include "private/app/HandlerPrivate.h"

using namespace BPrivate;

const rgb_color kPanelGrey = { 216, 216, 216, 255 };


int32
Int32Of(const BMessage& message, const char* name)
{
	int32 value;
	return message.FindInt32(name, &value) == B_OK ? value : -1;
}


std::string
StringOf(const BMessage& message, const char* name)
{
	const char* value;
	return message.FindString(name, &value) == B_OK ? value : "";
}


InputRecorder::InputRecorder()
	:
	BLooper("input recorder")
{
}


void
InputRecorder::MessageReceived(BMessage* message)
{
	std::lock_guard<std::mutex> lock(fLock);
	fEvents.push_back(*message);
	fArrived.notify_all();
}


int32
InputRecorder::Id() const
{
	return BHandler::Private(this).Token();
}


bool
InputRecorder::Next(BMessage* message, int timeoutMs)
{
	std::unique_lock<std::mutex> lock(fLock);
	if (!fArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
			[this] { return !fEvents.empty(); }))
		return false;
	*message = fEvents.front();
	fEvents.pop_front();
	return true;
}


int32
InputRecorder::CountWaiting()
{
	std::lock_guard<std::mutex> lock(fLock);
	return (int32)fEvents.size();
}


void
InputRecorder::End()
{
	if (Lock())
		Quit();
}


namespace Commands {

DisplayCommand
WindowCreated(int32 window, int32 topView, const char* title, BRect frame,
	int32 look, int32 feel, uint32 flags)
{
	DisplayCommand command(B_DISPLAY_WINDOW_CREATED);
	command.window = window;
	command.view = topView;
	command.text = title;
	command.rect = frame;
	command.look = look;
	command.feel = feel;
	command.flags = flags;
	return command;
}


DisplayCommand
WindowFrame(int32 window, BRect frame)
{
	DisplayCommand command(B_DISPLAY_WINDOW_FRAME);
	command.window = window;
	command.rect = frame;
	return command;
}


DisplayCommand
WindowTitle(int32 window, const char* title)
{
	DisplayCommand command(B_DISPLAY_WINDOW_TITLE);
	command.window = window;
	command.text = title;
	return command;
}


DisplayCommand
Window(uint32 code, int32 window)
{
	DisplayCommand command(code);
	command.window = window;
	return command;
}


DisplayCommand
ViewAdded(int32 window, int32 view, int32 parent, int32 kind,
	const char* name, BRect frame, rgb_color color, bool hidden)
{
	DisplayCommand command(B_DISPLAY_VIEW_ADDED);
	command.window = window;
	command.view = view;
	command.parent = parent;
	command.kind = kind;
	command.name = name;
	command.text = "BView";
	command.rect = frame;
	command.value = hidden ? 1 : 0;
	command.color = color;
	return command;
}


DisplayCommand
ViewText(uint32 code, int32 window, int32 view, const std::string& text)
{
	DisplayCommand command(code);
	command.window = window;
	command.view = view;
	command.text = text;
	return command;
}


DisplayCommand
ViewValue(uint32 code, int32 window, int32 view, int32 value)
{
	DisplayCommand command(code);
	command.window = window;
	command.view = view;
	command.value = value;
	return command;
}


DisplayCommand
MenuItemAdded(int32 window, int32 bar, int32 item, int32 parent,
	const char* label, bool enabled, uint32 flags)
{
	DisplayCommand command(B_DISPLAY_MENU_ITEM_ADDED);
	command.window = window;
	command.view = bar;
	command.item = item;
	command.parent = parent;
	command.text = label;
	command.name = "BMenuItem";
	command.value = enabled ? 1 : 0;
	command.flags = flags;
	return command;
}


DisplayCommand
TabAdded(int32 window, int32 view, int32 index, const char* label,
	bool enabled)
{
	DisplayCommand command(B_DISPLAY_TAB_ADDED);
	command.window = window;
	command.view = view;
	command.index = index;
	command.text = label;
	command.value = enabled ? 1 : 0;
	return command;
}


DisplayCommand
TabChosen(int32 window, int32 view, int32 index)
{
	DisplayCommand command(B_DISPLAY_TAB_CHOSEN);
	command.window = window;
	command.view = view;
	command.index = index;
	return command;
}

} // namespace Commands


void
DisplayTest::SetUp()
{
	ASSERT_TRUE(fServer.IsRunning()) << "Xvfb did not start";
	setenv("BE_DISPLAY", "fltk", 1);
	std::string message;
	fDisplay = DisplayServer::Create(&message);
	ASSERT_NE(nullptr, fDisplay) << message;
	fDisplay->Start();
	// After the display, whose X error handler the probe's passes on to.
	fProbe = new XProbe;
	ASSERT_TRUE(fProbe->IsOpen());
}


void
DisplayTest::TearDown()
{
	if (fDisplay != NULL) {
		fDisplay->Stop();
		delete fDisplay;
	}
	delete fProbe;
}


void
DisplayTest::Send(const DisplayCommand& command)
{
	fDisplay->Send(command);
}


bool
DisplayTest::WaitUntilIdle(int timeoutMs)
{
	bigtime_t deadline = system_time() + timeoutMs * 1000LL;
	int quiet = 0;
	while (system_time() < deadline) {
		quiet = fDisplay->IsBusy() ? 0 : quiet + 1;
		if (quiet >= 3)
			return true;
		snooze(10000);
	}
	return false;
}


void
DisplayTest::Centre(BRect frame, int left, int top, int* x, int* y)
{
	*x = left + (int)((frame.left + frame.right) / 2);
	*y = top + (int)((frame.top + frame.bottom) / 2);
}


std::string
DisplayTest::SaveScreenshot(const Screenshot& shot, const char* name)
{
	std::string folder = std::string(TOLVEX_BINARY_DIR) + "/e2e-screenshots";
	mkdir(folder.c_str(), 0755);
	std::string path = folder + "/" + name + ".png";
	EXPECT_TRUE(WritePng(path, shot.width, shot.height, shot.rgb)) << path;
	return path;
}
