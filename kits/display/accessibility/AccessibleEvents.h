#ifndef _KITS_DISPLAY_ACCESSIBILITY_ACCESSIBLE_EVENTS_H
#define _KITS_DISPLAY_ACCESSIBILITY_ACCESSIBLE_EVENTS_H

#include <map>
#include <string>

#include "display/DisplayMirror.h"
#include "display/accessibility/AccessibleTree.h"

namespace BPrivate {

extern const char* const kObjectEvent;
extern const char* const kWindowEvent;
extern const char* const kFocusEvent;

// One AT-SPI event (org.a11y.atspi.Event.*): what it carries beside its
// details is a text, an object, or else nothing.
struct AccessibleEvent {
	AccessibleRef			source;
	const char*				interface = NULL;
	const char*				member = NULL;
	std::string				detail;
	int32					detail1 = 0;
	int32					detail2 = 0;
	bool					hasText = false;
	std::string				text;
	bool					hasObject = false;
	AccessibleRef			object;
};

class AccessibleEventSink {
public:
	virtual						~AccessibleEventSink() {}
	virtual	void				Emit(const AccessibleEvent& event) = 0;
};

// What a screen reader is told of each command the display gets: the
// mirror is brought up to date, and the events are handed to the sink.
// Apart from the bus, so that what is told can be checked without one.
class AccessibleEvents {
public:
								AccessibleEvents(DisplayMirror& mirror,
									AccessibleTree& tree,
									AccessibleEventSink& sink);

			void				Apply(DisplayCommand& command);
			// Changes to children and selections, told once a batch.
			void				Flush();

private:
			void				_Emit(const AccessibleRef& source,
									const char* interface, const char* member,
									const char* detail, int32 detail1,
									int32 detail2,
									const std::string* text = NULL,
									const AccessibleRef* object = NULL);
			void				_State(const AccessibleRef& source,
									const char* state, bool on);
			void				_TextChanged(const AccessibleRef& view,
									const std::string& oldText,
									size_t oldFrom, size_t oldEnd,
									const std::string& newText,
									size_t newFrom, size_t newEnd);

			DisplayMirror&		fMirror;
			AccessibleTree&		fTree;
			AccessibleEventSink& fSink;
			std::map<std::string, AccessibleRef> fChildrenChanged;
			std::map<std::string, AccessibleRef> fSelectionChanged;
};

} // namespace BPrivate

#endif
