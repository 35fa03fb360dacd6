#ifndef _KITS_DISPLAY_ACCESSIBILITY_ACCESSIBLE_BUS_H
#define _KITS_DISPLAY_ACCESSIBILITY_ACCESSIBLE_BUS_H

// What the bridge's interface files share: the state their handlers serve,
// the names on the bus, and the reading of calls and writing of replies.
// Private to kits/display/accessibility.

#include <stdarg.h>
#include <string.h>

#include <string>

#include <systemd/sd-bus.h>

#include "display/DisplayMirror.h"
#include "display/MirrorInput.h"
#include "display/accessibility/AccessibleTree.h"

namespace BPrivate {

// What the handlers read: the bridge's mirror and tree, and who we are on
// the bus. Touched only in the bridge's thread.
struct BridgeState {
								BridgeState(const std::string& application)
									: tree(mirror, application) {}

	DisplayMirror				mirror;
	AccessibleTree				tree;
	std::string					uniqueName;
	// The registry's desktop: the application's parent.
	std::string					desktopName;
	std::string					desktopPath;
	int32						applicationId = 0;
};

extern const char* const kRootPath;
extern const char* const kPrefix;
extern const char* const kNullPath;

extern const char* const kAccessible;
extern const char* const kApplication;
extern const char* const kComponent;
extern const char* const kAction;
extern const char* const kText;
extern const char* const kEditableText;
extern const char* const kSelection;

// One table per interface, in the interface's own file.
extern const sd_bus_vtable kAccessibleTable[];
extern const sd_bus_vtable kApplicationTable[];
extern const sd_bus_vtable kCacheTable[];
extern const sd_bus_vtable kComponentTable[];
extern const sd_bus_vtable kActionTable[];
extern const sd_bus_vtable kTextTable[];
extern const sd_bus_vtable kEditableTextTable[];
extern const sd_bus_vtable kSelectionTable[];

// sd-bus's object finder: our objects that have the interface asked for.
int FindObject(sd_bus* bus, const char* path, const char* interface,
	void* userdata, void** found, sd_bus_error* error);

// AT-SPI's coordinate types.
enum {
	kCoordScreen = 0,
	kCoordWindow = 1
};


inline BridgeState*
Bridge(void* userdata)
{
	return static_cast<BridgeState*>(userdata);
}


inline AccessibleRef
PathRef(const char* path)
{
	AccessibleRef ref;
	AccessibleRef::FromPath(path, &ref);
	return ref;
}


inline AccessibleRef
CallRef(sd_bus_message* call)
{
	return PathRef(sd_bus_message_get_path(call));
}


// The object a call is for, and the call's arguments as the types give
// them; a negative result when they do not read.
inline int
Arguments(sd_bus_message* call, AccessibleRef* ref, const char* types, ...)
{
	*ref = CallRef(call);
	va_list arguments;
	va_start(arguments, types);
	int result = sd_bus_message_readv(call, types, arguments);
	va_end(arguments);
	return result;
}


// A reply that fill() writes the values of, sent.
template<typename Fill>
inline int
Reply(sd_bus_message* call, Fill fill)
{
	sd_bus_message* reply = NULL;
	int result = sd_bus_message_new_method_return(call, &reply);
	if (result >= 0)
		result = fill(reply);
	if (result >= 0)
		result = sd_bus_send(NULL, reply, NULL);
	sd_bus_message_unref(reply);
	return result;
}


// An array of the items, each appended by append().
template<typename Items, typename Append>
inline int
AppendArray(sd_bus_message* reply, const char* type, const Items& items,
	Append append)
{
	int result = sd_bus_message_open_container(reply, 'a', type);
	for (const auto& item : items) {
		if (result >= 0)
			result = append(item);
	}
	if (result >= 0)
		result = sd_bus_message_close_container(reply);
	return result;
}


// An input event as a display would post it, and whether it went.
inline int
PostInput(sd_bus_message* call, bool made, int32 window, BMessage* input)
{
	return sd_bus_reply_method_return(call, "b",
		made && MirrorInput::Post(window, input));
}


inline const MirrorView*
View(BridgeState* bridge, const AccessibleRef& ref)
{
	MirrorWindow* window = bridge->mirror.FindWindow(ref.window);
	return window != NULL ? window->FindView(ref.id) : NULL;
}


inline int
AppendRef(sd_bus_message* reply, BridgeState* bridge,
	const AccessibleRef& ref)
{
	if (ref.type == AccessibleRef::kNone)
		return sd_bus_message_append(reply, "(so)",
			bridge->uniqueName.c_str(), kNullPath);
	return sd_bus_message_append(reply, "(so)", bridge->uniqueName.c_str(),
		ref.Path().c_str());
}


inline int
ReplyRef(sd_bus_message* call, BridgeState* bridge, const AccessibleRef& ref)
{
	return Reply(call, [&](sd_bus_message* reply) {
		return AppendRef(reply, bridge, ref);
	});
}


// An object's extents in the coordinates asked for.
inline void
Extents(BridgeState* bridge, const AccessibleRef& ref, uint32 coordType,
	int32 extents[4])
{
	bridge->tree.GetExtents(ref, extents);
	if (coordType == kCoordWindow && ref.type != AccessibleRef::kWindow) {
		int32 window[4];
		bridge->tree.GetExtents(AccessibleRef::Window(ref.window), window);
		extents[0] -= window[0];
		extents[1] -= window[1];
	}
}


inline int
ReplyFalse(sd_bus_message* call, void*, sd_bus_error*)
{
	// The kit owns the focus, the caret and the scrolling; a screen reader
	// moves them as a user does, with keys.
	return sd_bus_reply_method_return(call, "b", 0);
}

} // namespace BPrivate

#endif
