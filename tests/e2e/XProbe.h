#ifndef E2E_X_PROBE_H
#define E2E_X_PROBE_H

#include <string>
#include <vector>

#include <SupportDefs.h>

// Pixels of a window, three bytes (red, green, blue) each.
struct Screenshot {
	int							width = 0;
	int							height = 0;
	std::vector<uint8>			rgb;

			bool				IsEmpty() const { return rgb.empty(); }
			bool				Has(uint8 red, uint8 green, uint8 blue) const;
			bool				Pixel(int x, int y, uint8* red, uint8* green,
									uint8* blue) const;
			int					CountColors() const;
			// Pixels in the rectangle (inclusive) that are not of the
			// colour given.
			int					CountOther(int left, int top, int right,
									int bottom, uint8 red, uint8 green,
									uint8 blue) const;
			bool				operator==(const Screenshot& other) const;
};

struct WindowGeometry {
	int							x = 0;			// on the screen
	int							y = 0;
	int							width = 0;
	int							height = 0;
	bool						mapped = false;
};

// What a test sees of the X server, through a connection of its own, as
// a window manager or a screenshot tool would.
class XProbe {
public:
								XProbe();
								~XProbe();

			bool				IsOpen() const { return fDisplay != NULL; }
			// Closed before the server goes away on purpose.
			void				Close();

			// The top-level window with this title, 0 if there is none;
			// Wait... polls until it is there and mapped (or the time runs
			// out).
			unsigned long		FindWindow(const std::string& title);
			unsigned long		WaitForWindow(const std::string& title,
									int timeoutMs = 10000);
			bool				WaitUntilUnmapped(unsigned long window,
									int timeoutMs = 10000);
			bool				WaitUntilGone(const std::string& title,
									int timeoutMs = 10000);

			// The screen's root window.
			unsigned long		Root();
			// The window as the screen shows it: the frame a window
			// manager put it in, with its title bar, or itself.
			unsigned long		Frame(unsigned long window);

			bool				Geometry(unsigned long window,
									WindowGeometry* geometry);
			std::string			Title(unsigned long window);
			// A property of 32-bit items (CARDINAL, ATOM, WINDOW...).
			std::vector<long>	Property(unsigned long window,
									const char* name);
			std::vector<std::string> AtomNames(unsigned long window,
									const char* name);
			// A property of 8-bit items (STRING: WM_CLASS...), as it is.
			std::string			StringProperty(unsigned long window,
									const char* name);
			// What xrdb would set: the resources that programs connecting
			// from now on read (Xft.dpi...).
			void				SetResources(const std::string& resources);
			unsigned long		TransientFor(unsigned long window);
			// From WM_NORMAL_HINTS; false when they give no such size.
			bool				MinSize(unsigned long window, int* width,
									int* height);
			bool				MaxSize(unsigned long window, int* width,
									int* height);

			Screenshot			Grab(unsigned long window);
			// Grabs until two grabs a little apart agree: drawing is done.
			Screenshot			GrabSettled(unsigned long window);

			// What a window manager sends for a click on the close box.
			void				SendDeleteWindow(unsigned long window);
			// Takes a window away from the server, as another client may.
			void				DestroyWindow(unsigned long window);

private:
			// An Xlib Display, kept out of this header.
			void*				fDisplay;
};

// Real input through the X server's test extension, as a user makes it.
bool ClickAt(int x, int y);
bool PressKey(const char* key);
// Types the text, a key a character, into what has the focus. The text
// holds no single quote.
bool TypeText(const std::string& text);

#endif
