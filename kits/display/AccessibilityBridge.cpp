#include "display/AccessibilityBridge.h"

#include <poll.h>
#include <stdint.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include <systemd/sd-bus.h>

#include <Message.h>

#include "display/MirrorInput.h"

namespace BPrivate {

namespace {

const char* kRootPath = "/org/a11y/atspi/accessible/root";
const char* kPrefix = "/org/a11y/atspi/accessible";
const char* kNullPath = "/org/a11y/atspi/null";

const char* kAccessible = "org.a11y.atspi.Accessible";
const char* kApplication = "org.a11y.atspi.Application";
const char* kComponent = "org.a11y.atspi.Component";
const char* kAction = "org.a11y.atspi.Action";
const char* kText = "org.a11y.atspi.Text";
const char* kEditableText = "org.a11y.atspi.EditableText";
const char* kSelection = "org.a11y.atspi.Selection";

const char* kObjectEvent = "org.a11y.atspi.Event.Object";
const char* kWindowEvent = "org.a11y.atspi.Event.Window";
const char* kFocusEvent = "org.a11y.atspi.Event.Focus";

// How long after the first window is shown the bus is connected to.
const int64 kFirstWindowGrace = 100000;


int64
Now()
{
	return std::chrono::duration_cast<std::chrono::microseconds>(
		std::chrono::steady_clock::now().time_since_epoch()).count();
}


// AT-SPI's coordinate types and layers.
enum {
	kCoordScreen = 0,
	kCoordWindow = 1
};
enum {
	kLayerWidget = 3,
	kLayerWindow = 7
};


// Characters of UTF-8 text and the bytes they start at: AT-SPI counts
// characters, the kits bytes.
int32
CountCharacters(const std::string& text)
{
	int32 count = 0;
	for (unsigned char c : text) {
		if ((c & 0xc0) != 0x80)
			count++;
	}
	return count;
}


size_t
ByteOffset(const std::string& text, int32 characters)
{
	if (characters <= 0)
		return 0;
	int32 seen = 0;
	for (size_t i = 0; i < text.size(); i++) {
		if (((unsigned char)text[i] & 0xc0) != 0x80) {
			if (seen == characters)
				return i;
			seen++;
		}
	}
	return text.size();
}


std::string
Substring(const std::string& text, int32 start, int32 end)
{
	if (end < 0)
		end = CountCharacters(text);
	if (start < 0)
		start = 0;
	if (end < start)
		return "";
	size_t from = ByteOffset(text, start);
	size_t to = ByteOffset(text, end);
	return text.substr(from, to - from);
}

} // namespace


// The bus's callbacks, which reach the bridge's private parts.
class AccessibilityBridge::Dispatch {
public:
	static	AccessibilityBridge* Bridge(void* userdata)
								{ return static_cast<AccessibilityBridge*>(
									userdata); }

	static	AccessibleRef	PathRef(const char* path)
	{
		AccessibleRef ref;
		AccessibleRef::FromPath(path, &ref);
		return ref;
	}

	static	AccessibleRef	CallRef(sd_bus_message* call)
								{ return PathRef(sd_bus_message_get_path(
									call)); }

	// The object a call is for, and the call's arguments as the types
	// give them; a negative result when they do not read.
	static	int				Arguments(sd_bus_message* call, AccessibleRef* ref,
								const char* types, ...)
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
	static	int				Reply(sd_bus_message* call, Fill fill)
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
	static	int				AppendArray(sd_bus_message* reply,
								const char* type, const Items& items,
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
	static	int				PostInput(sd_bus_message* call, bool made,
								int32 window, BMessage* input)
	{
		return sd_bus_reply_method_return(call, "b",
			made && MirrorInput::Post(window, input));
	}

	static	const MirrorView* View(AccessibilityBridge* bridge,
								const AccessibleRef& ref)
	{
		MirrorWindow* window = bridge->fMirror.FindWindow(ref.window);
		return window != NULL ? window->FindView(ref.id) : NULL;
	}

	// A byte offset of the kit's, clamped to the text, in characters.
	static	int32			Characters(const std::string& text, int32 offset)
	{
		return CountCharacters(text.substr(0,
			std::min((size_t)std::max(offset, 0), text.size())));
	}

	static	int				AppendRef(sd_bus_message* reply,
								AccessibilityBridge* bridge,
								const AccessibleRef& ref)
	{
		if (ref.type == AccessibleRef::kNone)
			return sd_bus_message_append(reply, "(so)",
				bridge->fUniqueName.c_str(), kNullPath);
		return sd_bus_message_append(reply, "(so)",
			bridge->fUniqueName.c_str(), ref.Path().c_str());
	}

	static	int				ReplyRef(sd_bus_message* call,
								AccessibilityBridge* bridge,
								const AccessibleRef& ref)
	{
		return Reply(call, [&](sd_bus_message* reply) {
			return AppendRef(reply, bridge, ref);
		});
	}

	static	int				Find(sd_bus* /*bus*/, const char* path,
								const char* interface, void* userdata,
								void** found, sd_bus_error* /*error*/)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref;
		if (!AccessibleRef::FromPath(path, &ref)
			|| !bridge->fTree.Exists(ref))
			return 0;
		uint32 interfaces = bridge->fTree.Interfaces(ref);
		uint32 wanted = 0;
		if (strcmp(interface, kApplication) == 0)
			wanted = AccessibleTree::kApplicationInterface;
		else if (strcmp(interface, kComponent) == 0)
			wanted = AccessibleTree::kComponent;
		else if (strcmp(interface, kAction) == 0)
			wanted = AccessibleTree::kAction;
		else if (strcmp(interface, kText) == 0)
			wanted = AccessibleTree::kText;
		else if (strcmp(interface, kEditableText) == 0)
			wanted = AccessibleTree::kEditableText;
		else if (strcmp(interface, kSelection) == 0)
			wanted = AccessibleTree::kSelection;
		if (wanted != 0 && (interfaces & wanted) == 0)
			return 0;
		*found = userdata;
		return 1;
	}

	// org.a11y.atspi.Accessible

	static	int				GetName(sd_bus*, const char* path, const char*,
								const char*, sd_bus_message* reply,
								void* userdata, sd_bus_error*)
	{
		return sd_bus_message_append(reply, "s",
			Bridge(userdata)->fTree.Name(PathRef(path)).c_str());
	}

	static	int				GetDescription(sd_bus*, const char* path,
								const char*, const char*,
								sd_bus_message* reply, void* userdata,
								sd_bus_error*)
	{
		return sd_bus_message_append(reply, "s",
			Bridge(userdata)->fTree.Description(PathRef(path)).c_str());
	}

	static	int				GetParent(sd_bus*, const char* path, const char*,
								const char*, sd_bus_message* reply,
								void* userdata, sd_bus_error*)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref = PathRef(path);
		if (ref.type == AccessibleRef::kApplication) {
			if (bridge->fDesktopName.empty())
				return AppendRef(reply, bridge, AccessibleRef());
			return sd_bus_message_append(reply, "(so)",
				bridge->fDesktopName.c_str(), bridge->fDesktopPath.c_str());
		}
		return AppendRef(reply, bridge, bridge->fTree.Parent(ref));
	}

	static	int				GetChildCount(sd_bus*, const char* path,
								const char*, const char*,
								sd_bus_message* reply, void* userdata,
								sd_bus_error*)
	{
		return sd_bus_message_append(reply, "i",
			Bridge(userdata)->fTree.CountChildren(PathRef(path)));
	}

	static	int				GetLocale(sd_bus*, const char*, const char*,
								const char*, sd_bus_message* reply, void*,
								sd_bus_error*)
	{
		// The interface is Italian.
		return sd_bus_message_append(reply, "s", "it");
	}

	static	int				GetEmpty(sd_bus*, const char*, const char*,
								const char*, sd_bus_message* reply, void*,
								sd_bus_error*)
	{
		return sd_bus_message_append(reply, "s", "");
	}

	static	int				GetChildAtIndex(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref;
		int32 index;
		int result = Arguments(call, &ref, "i", &index);
		if (result < 0)
			return result;
		return ReplyRef(call, bridge, bridge->fTree.ChildAt(ref, index));
	}

	static	int				GetChildren(sd_bus_message* call, void* userdata,
								sd_bus_error*)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref = CallRef(call);
		std::vector<AccessibleRef> children;
		int32 count = bridge->fTree.CountChildren(ref);
		for (int32 i = 0; i < count; i++)
			children.push_back(bridge->fTree.ChildAt(ref, i));
		return Reply(call, [&](sd_bus_message* reply) {
			return AppendArray(reply, "(so)", children,
				[&](const AccessibleRef& child) {
					return AppendRef(reply, bridge, child);
				});
		});
	}

	static	int				GetIndexInParent(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		AccessibleRef ref = CallRef(call);
		return sd_bus_reply_method_return(call, "i",
			Bridge(userdata)->fTree.IndexInParent(ref));
	}

	static	int				GetRelationSet(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref = CallRef(call);
		// Each relation with its one target.
		return Reply(call, [&](sd_bus_message* reply) {
			return AppendArray(reply, "(ua(so))", bridge->fTree.Relations(ref),
				[&](const std::pair<uint32, AccessibleRef>& relation) {
					int result = sd_bus_message_open_container(reply, 'r',
						"ua(so)");
					if (result >= 0)
						result = sd_bus_message_append(reply, "u",
							relation.first);
					if (result >= 0)
						result = AppendArray(reply, "(so)",
							std::vector<AccessibleRef>(1, relation.second),
							[&](const AccessibleRef& target) {
								return AppendRef(reply, bridge, target);
							});
					if (result >= 0)
						result = sd_bus_message_close_container(reply);
					return result;
				});
		});
	}

	static	int				GetRole(sd_bus_message* call, void* userdata,
								sd_bus_error*)
	{
		AccessibleRef ref = CallRef(call);
		return sd_bus_reply_method_return(call, "u",
			Bridge(userdata)->fTree.Role(ref));
	}

	static	int				GetRoleName(sd_bus_message* call, void* userdata,
								sd_bus_error*)
	{
		// Screen readers name roles from the number; this is for people
		// looking at the tree.
		static const std::map<uint32, const char*> kNames = {
			{ 2, "alert" }, { 7, "check box" }, { 8, "check menu item" },
			{ 11, "combo box" }, { 16, "dialog" }, { 23, "frame" },
			{ 26, "icon" }, { 29, "label" }, { 31, "list" },
			{ 32, "list item" }, { 33, "menu" }, { 34, "menu bar" },
			{ 35, "menu item" }, { 37, "page tab" }, { 38, "page tab list" },
			{ 39, "panel" }, { 43, "push button" }, { 49, "scroll pane" },
			{ 50, "separator" }, { 75, "application" }, { 79, "entry" }
		};
		AccessibleRef ref = CallRef(call);
		auto name = kNames.find(Bridge(userdata)->fTree.Role(ref));
		return sd_bus_reply_method_return(call, "s",
			name != kNames.end() ? name->second : "unknown");
	}

	static	int				GetState(sd_bus_message* call, void* userdata,
								sd_bus_error*)
	{
		AccessibleRef ref = CallRef(call);
		uint32 states[2];
		Bridge(userdata)->fTree.GetStates(ref, states);
		return sd_bus_reply_method_return(call, "au", 2, states[0],
			states[1]);
	}

	static	int				GetAttributes(sd_bus_message* call, void*,
								sd_bus_error*)
	{
		return sd_bus_reply_method_return(call, "a{ss}", 1, "toolkit",
			"Tolvex");
	}

	static	int				GetApplication(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		return ReplyRef(call, Bridge(userdata),
			AccessibleRef::Application());
	}

	static	int				GetInterfaces(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		AccessibleRef ref = CallRef(call);
		uint32 interfaces = Bridge(userdata)->fTree.Interfaces(ref);
		std::vector<const char*> names(1, kAccessible);
		if ((interfaces & AccessibleTree::kApplicationInterface) != 0)
			names.push_back(kApplication);
		if ((interfaces & AccessibleTree::kComponent) != 0)
			names.push_back(kComponent);
		if ((interfaces & AccessibleTree::kAction) != 0)
			names.push_back(kAction);
		if ((interfaces & AccessibleTree::kText) != 0)
			names.push_back(kText);
		if ((interfaces & AccessibleTree::kEditableText) != 0)
			names.push_back(kEditableText);
		if ((interfaces & AccessibleTree::kSelection) != 0)
			names.push_back(kSelection);
		return Reply(call, [&](sd_bus_message* reply) {
			return AppendArray(reply, "s", names, [&](const char* name) {
				return sd_bus_message_append(reply, "s", name);
			});
		});
	}

	// org.a11y.atspi.Application

	static	int				GetToolkit(sd_bus*, const char*, const char*,
								const char*, sd_bus_message* reply, void*,
								sd_bus_error*)
	{
		return sd_bus_message_append(reply, "s", "Tolvex");
	}

	static	int				GetVersion(sd_bus*, const char*, const char*,
								const char*, sd_bus_message* reply, void*,
								sd_bus_error*)
	{
		return sd_bus_message_append(reply, "s", "1.0");
	}

	static	int				GetAtspiVersion(sd_bus*, const char*,
								const char*, const char*,
								sd_bus_message* reply, void*, sd_bus_error*)
	{
		return sd_bus_message_append(reply, "s", "2.1");
	}

	static	int				GetId(sd_bus*, const char*, const char*,
								const char*, sd_bus_message* reply,
								void* userdata, sd_bus_error*)
	{
		return sd_bus_message_append(reply, "i",
			Bridge(userdata)->fApplicationId);
	}

	static	int				SetId(sd_bus*, const char*, const char*,
								const char*, sd_bus_message* value,
								void* userdata, sd_bus_error*)
	{
		return sd_bus_message_read(value, "i",
			&Bridge(userdata)->fApplicationId);
	}

	static	int				GetApplicationLocale(sd_bus_message* call, void*,
								sd_bus_error*)
	{
		return sd_bus_reply_method_return(call, "s", "it");
	}

	// org.a11y.atspi.Component

	static	void			Extents(AccessibilityBridge* bridge,
								const AccessibleRef& ref, uint32 coordType,
								int32 extents[4])
	{
		bridge->fTree.GetExtents(ref, extents);
		if (coordType == kCoordWindow && ref.type != AccessibleRef::kWindow) {
			int32 window[4];
			bridge->fTree.GetExtents(AccessibleRef::Window(ref.window),
				window);
			extents[0] -= window[0];
			extents[1] -= window[1];
		}
	}

	static	void			ToScreen(AccessibilityBridge* bridge,
								const AccessibleRef& ref, uint32 coordType,
								int32* x, int32* y)
	{
		if (coordType != kCoordWindow)
			return;
		int32 window[4];
		bridge->fTree.GetExtents(AccessibleRef::Window(ref.window), window);
		// Any client may ask for any point: far ones stay far, and do not
		// wrap round to a point on the screen.
		*x = (int32)std::max<int64>(INT32_MIN,
			std::min<int64>(INT32_MAX, (int64)*x + window[0]));
		*y = (int32)std::max<int64>(INT32_MIN,
			std::min<int64>(INT32_MAX, (int64)*y + window[1]));
	}

	static	int				Contains(sd_bus_message* call, void* userdata,
								sd_bus_error*)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref;
		int32 x, y;
		uint32 coordType;
		int result = Arguments(call, &ref, "iiu", &x, &y, &coordType);
		if (result < 0)
			return result;
		int32 extents[4];
		Extents(bridge, ref, coordType, extents);
		return sd_bus_reply_method_return(call, "b",
			x >= extents[0] && y >= extents[1]
				&& x < extents[0] + extents[2] && y < extents[1] + extents[3]);
	}

	static	int				GetAccessibleAtPoint(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref;
		int32 x, y;
		uint32 coordType;
		int result = Arguments(call, &ref, "iiu", &x, &y, &coordType);
		if (result < 0)
			return result;
		ToScreen(bridge, ref, coordType, &x, &y);
		return ReplyRef(call, bridge, bridge->fTree.ObjectAt(ref, x, y));
	}

	static	int				GetExtents(sd_bus_message* call, void* userdata,
								sd_bus_error*)
	{
		AccessibleRef ref;
		uint32 coordType;
		int result = Arguments(call, &ref, "u", &coordType);
		if (result < 0)
			return result;
		int32 extents[4];
		Extents(Bridge(userdata), ref, coordType, extents);
		return sd_bus_reply_method_return(call, "(iiii)", extents[0],
			extents[1], extents[2], extents[3]);
	}

	static	int				GetPosition(sd_bus_message* call, void* userdata,
								sd_bus_error*)
	{
		AccessibleRef ref;
		uint32 coordType;
		int result = Arguments(call, &ref, "u", &coordType);
		if (result < 0)
			return result;
		int32 extents[4];
		Extents(Bridge(userdata), ref, coordType, extents);
		return sd_bus_reply_method_return(call, "ii", extents[0],
			extents[1]);
	}

	static	int				GetSize(sd_bus_message* call, void* userdata,
								sd_bus_error*)
	{
		AccessibleRef ref = CallRef(call);
		int32 extents[4];
		Extents(Bridge(userdata), ref, kCoordScreen, extents);
		return sd_bus_reply_method_return(call, "ii", extents[2],
			extents[3]);
	}

	static	int				GetLayer(sd_bus_message* call, void*,
								sd_bus_error*)
	{
		AccessibleRef ref = CallRef(call);
		return sd_bus_reply_method_return(call, "u",
			ref.type == AccessibleRef::kWindow ? kLayerWindow : kLayerWidget);
	}

	static	int				GetMDIZOrder(sd_bus_message* call, void*,
								sd_bus_error*)
	{
		return sd_bus_reply_method_return(call, "n", (int16_t)-1);
	}

	static	int				GetAlpha(sd_bus_message* call, void*,
								sd_bus_error*)
	{
		return sd_bus_reply_method_return(call, "d", 1.0);
	}

	static	int				ReplyFalse(sd_bus_message* call, void*,
								sd_bus_error*)
	{
		// The kit owns the focus and the scrolling; a screen reader moves
		// them as a user does, with keys.
		return sd_bus_reply_method_return(call, "b", 0);
	}

	// org.a11y.atspi.Action

	static	int				GetNActions(sd_bus*, const char* path,
								const char*, const char*,
								sd_bus_message* reply, void* userdata,
								sd_bus_error*)
	{
		return sd_bus_message_append(reply, "i",
			(int32)Bridge(userdata)->fTree.Actions(PathRef(path)).size());
	}

	static	std::string		ActionName(sd_bus_message* call, void* userdata,
								int* result)
	{
		AccessibleRef ref = CallRef(call);
		int32 index;
		*result = sd_bus_message_read(call, "i", &index);
		if (*result < 0)
			return "";
		std::vector<std::string> actions
			= Bridge(userdata)->fTree.Actions(ref);
		return index >= 0 && index < (int32)actions.size()
			? actions[index] : "";
	}

	static	int				GetActionName(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		int result;
		std::string name = ActionName(call, userdata, &result);
		if (result < 0)
			return result;
		return sd_bus_reply_method_return(call, "s", name.c_str());
	}

	static	int				GetActionEmpty(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		int result;
		ActionName(call, userdata, &result);
		if (result < 0)
			return result;
		return sd_bus_reply_method_return(call, "s", "");
	}

	static	int				GetActions(sd_bus_message* call, void* userdata,
								sd_bus_error*)
	{
		AccessibleRef ref = CallRef(call);
		return Reply(call, [&](sd_bus_message* reply) {
			return AppendArray(reply, "(sss)",
				Bridge(userdata)->fTree.Actions(ref),
				[&](const std::string& name) {
					return sd_bus_message_append(reply, "(sss)", name.c_str(),
						"", "");
				});
		});
	}

	static	int				DoAction(sd_bus_message* call, void* userdata,
								sd_bus_error*)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref;
		int32 index;
		int result = Arguments(call, &ref, "i", &index);
		if (result < 0)
			return result;
		BMessage input;
		int32 window;
		bool made = bridge->fTree.ActionInput(ref, index, &input, &window);
		return PostInput(call, made, window, &input);
	}

	// org.a11y.atspi.Text

	static	int				GetCharacterCount(sd_bus*, const char* path,
								const char*, const char*,
								sd_bus_message* reply, void* userdata,
								sd_bus_error*)
	{
		return sd_bus_message_append(reply, "i",
			CountCharacters(Bridge(userdata)->fTree.Text(PathRef(path))));
	}

	static	int				GetCaretOffset(sd_bus*, const char* path,
								const char*, const char*,
								sd_bus_message* reply, void* userdata,
								sd_bus_error*)
	{
		// The caret is the display's; the kit knows the selection's end.
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref = PathRef(path);
		const MirrorView* view = View(bridge, ref);
		return sd_bus_message_append(reply, "i", view != NULL
			? Characters(bridge->fTree.Text(ref), view->selectionEnd) : 0);
	}

	static	int				GetText(sd_bus_message* call, void* userdata,
								sd_bus_error*)
	{
		AccessibleRef ref;
		int32 start, end;
		int result = Arguments(call, &ref, "ii", &start, &end);
		if (result < 0)
			return result;
		return sd_bus_reply_method_return(call, "s",
			Substring(Bridge(userdata)->fTree.Text(ref), start, end).c_str());
	}

	static	int				GetCharacterAtOffset(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		AccessibleRef ref;
		int32 offset;
		int result = Arguments(call, &ref, "i", &offset);
		if (result < 0)
			return result;
		std::string text = Bridge(userdata)->fTree.Text(ref);
		std::string character;
		if (offset >= 0 && offset < CountCharacters(text))
			character = Substring(text, offset, offset + 1);
		// The code point of the UTF-8 character.
		int32 code = 0;
		if (!character.empty()) {
			unsigned char first = character[0];
			int extra = first >= 0xf0 ? 3 : first >= 0xe0 ? 2
				: first >= 0xc0 ? 1 : 0;
			code = extra == 0 ? first : first & (0x3f >> extra);
			for (int i = 1; i <= extra && i < (int)character.size(); i++)
				code = (code << 6) | (character[i] & 0x3f);
		}
		return sd_bus_reply_method_return(call, "i", code);
	}

	// The piece of the text at the offset, with its start and end: a
	// character (granularity 0), a word (1), or else the whole text, which
	// is one line, one sentence and one paragraph.
	static	int				ReplyPiece(sd_bus_message* call,
								const std::string& text, int32 offset,
								uint32 granularity)
	{
		int32 count = CountCharacters(text);
		int32 start = 0;
		int32 end = count;
		if (granularity == 0) {
			// A character.
			start = std::max(0, std::min(offset, count));
			end = std::min(start + 1, count);
		} else if (granularity == 1) {
			// A word: from the blank before the offset to the one after.
			size_t at = ByteOffset(text, offset);
			size_t from = text.rfind(' ', at > 0 ? at - 1 : 0);
			size_t to = text.find(' ', at);
			start = from == std::string::npos || at == 0 ? 0
				: CountCharacters(text.substr(0, from + 1));
			end = to == std::string::npos ? count
				: CountCharacters(text.substr(0, to));
		}
		return sd_bus_reply_method_return(call, "sii",
			Substring(text, start, end).c_str(), start, end);
	}

	// GetStringAtOffset by granularity, and the older GetTextAtOffset,
	// whose boundaries give a character (0), else the one line held, whole.
	static	int				GetPieceAtOffset(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		AccessibleRef ref;
		int32 offset;
		uint32 kind;
		int result = Arguments(call, &ref, "iu", &offset, &kind);
		if (result < 0)
			return result;
		const char* member = sd_bus_message_get_member(call);
		if (member != NULL && strcmp(member, "GetTextAtOffset") == 0
			&& kind != 0)
			kind = 3;
		return ReplyPiece(call, Bridge(userdata)->fTree.Text(ref), offset,
			kind);
	}

	static	int				GetNSelections(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		const MirrorView* view = View(bridge, CallRef(call));
		return sd_bus_reply_method_return(call, "i", view != NULL
			&& view->selectionStart != view->selectionEnd ? 1 : 0);
	}

	static	int				GetSelection(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref;
		int32 index;
		int result = Arguments(call, &ref, "i", &index);
		if (result < 0)
			return result;
		const MirrorView* view = View(bridge, ref);
		int32 start = 0;
		int32 end = 0;
		if (view != NULL && index == 0) {
			std::string text = bridge->fTree.Text(ref);
			start = Characters(text, view->selectionStart);
			end = Characters(text, view->selectionEnd);
		}
		return sd_bus_reply_method_return(call, "ii", start, end);
	}

	static	int				GetTextAttributes(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		AccessibleRef ref = CallRef(call);
		int32 count = CountCharacters(Bridge(userdata)->fTree.Text(ref));
		return sd_bus_reply_method_return(call, "a{ss}ii", 0, 0, count);
	}

	static	int				GetDefaultAttributes(sd_bus_message* call, void*,
								sd_bus_error*)
	{
		return sd_bus_reply_method_return(call, "a{ss}", 0);
	}

	static	int				GetCharacterExtents(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		AccessibleRef ref;
		int32 offset;
		uint32 coordType;
		int result = Arguments(call, &ref, "iu", &offset, &coordType);
		if (result < 0)
			return result;
		int32 extents[4];
		Extents(Bridge(userdata), ref, coordType, extents);
		return sd_bus_reply_method_return(call, "iiii", extents[0],
			extents[1], extents[2], extents[3]);
	}

	// org.a11y.atspi.EditableText: every change is the whole new text,
	// sent as typing sends it.

	static	int				SetText(AccessibilityBridge* bridge,
								sd_bus_message* call, const AccessibleRef& ref,
								const std::string& text)
	{
		BMessage input;
		int32 window;
		bool made = bridge->fTree.TextInput(ref, text, &input, &window);
		return PostInput(call, made, window, &input);
	}

	static	int				SetTextContents(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		AccessibleRef ref;
		const char* text;
		int result = Arguments(call, &ref, "s", &text);
		if (result < 0)
			return result;
		return SetText(Bridge(userdata), call, ref, text);
	}

	static	int				InsertText(sd_bus_message* call, void* userdata,
								sd_bus_error*)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref;
		int32 position;
		const char* inserted;
		int32 length;
		int result = Arguments(call, &ref, "isi", &position, &inserted,
			&length);
		if (result < 0)
			return result;
		std::string text = bridge->fTree.Text(ref);
		std::string piece = length >= 0
			? Substring(inserted, 0, length) : std::string(inserted);
		text.insert(ByteOffset(text, position), piece);
		return SetText(bridge, call, ref, text);
	}

	static	int				DeleteText(sd_bus_message* call, void* userdata,
								sd_bus_error*)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref;
		int32 start, end;
		int result = Arguments(call, &ref, "ii", &start, &end);
		if (result < 0)
			return result;
		std::string text = bridge->fTree.Text(ref);
		return SetText(bridge, call, ref, Substring(text, 0, start)
			+ Substring(text, std::max(start, end), -1));
	}

	static	int				CopyText(sd_bus_message* call, void*,
								sd_bus_error*)
	{
		// The kits have no clipboard to put it on.
		return sd_bus_reply_method_return(call, "");
	}

	// org.a11y.atspi.Selection

	static	int				GetNSelectedChildren(sd_bus*, const char* path,
								const char*, const char*,
								sd_bus_message* reply, void* userdata,
								sd_bus_error*)
	{
		return sd_bus_message_append(reply, "i",
			(int32)Bridge(userdata)->fTree.SelectedChildren(PathRef(path)).size());
	}

	static	int				GetSelectedChild(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref;
		int32 index;
		int result = Arguments(call, &ref, "i", &index);
		if (result < 0)
			return result;
		std::vector<int32> selected = bridge->fTree.SelectedChildren(ref);
		if (index < 0 || index >= (int32)selected.size())
			return ReplyRef(call, bridge, AccessibleRef());
		return ReplyRef(call, bridge,
			bridge->fTree.ChildAt(ref, selected[index]));
	}

	static	int				Select(AccessibilityBridge* bridge,
								sd_bus_message* call, const AccessibleRef& ref,
								const std::vector<int32>& children)
	{
		BMessage input;
		int32 window;
		bool made = bridge->fTree.SelectionInput(ref, children, &input,
			&window);
		return PostInput(call, made, window, &input);
	}

	static	int				SelectChild(sd_bus_message* call, void* userdata,
								sd_bus_error*)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref;
		int32 child;
		int result = Arguments(call, &ref, "i", &child);
		if (result < 0)
			return result;
		std::vector<int32> selected;
		if (bridge->fTree.Role(ref) == 31) {
			// A list adds to its selection; tabs and menu fields have one.
			selected = bridge->fTree.SelectedChildren(ref);
		}
		if (std::find(selected.begin(), selected.end(), child)
				== selected.end())
			selected.push_back(child);
		std::sort(selected.begin(), selected.end());
		return Select(bridge, call, ref, selected);
	}

	static	int				DeselectChild(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref;
		int32 child;
		int result = Arguments(call, &ref, "i", &child);
		if (result < 0)
			return result;
		std::vector<int32> selected = bridge->fTree.SelectedChildren(ref);
		// "Selected child" counts among the selected ones.
		const char* member = sd_bus_message_get_member(call);
		if (member != NULL && strcmp(member, "DeselectSelectedChild") == 0) {
			if (child < 0 || child >= (int32)selected.size())
				return sd_bus_reply_method_return(call, "b", 0);
			child = selected[child];
		}
		auto found = std::find(selected.begin(), selected.end(), child);
		if (found == selected.end() || bridge->fTree.Role(ref) != 31)
			return sd_bus_reply_method_return(call, "b", 0);
		selected.erase(found);
		return Select(bridge, call, ref, selected);
	}

	static	int				IsChildSelected(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		AccessibleRef ref;
		int32 child;
		int result = Arguments(call, &ref, "i", &child);
		if (result < 0)
			return result;
		std::vector<int32> selected
			= Bridge(userdata)->fTree.SelectedChildren(ref);
		return sd_bus_reply_method_return(call, "b",
			std::find(selected.begin(), selected.end(), child)
				!= selected.end());
	}

	static	int				SelectAll(sd_bus_message* call, void* userdata,
								sd_bus_error*)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref = CallRef(call);
		if (bridge->fTree.Role(ref) != 31)
			return sd_bus_reply_method_return(call, "b", 0);
		std::vector<int32> all((size_t)bridge->fTree.CountChildren(ref));
		for (size_t i = 0; i < all.size(); i++)
			all[i] = (int32)i;
		return Select(bridge, call, ref, all);
	}

	// org.a11y.atspi.Cache: nothing is pushed ahead; clients ask.
	static	int				GetItems(sd_bus_message* call, void*,
								sd_bus_error*)
	{
		return sd_bus_reply_method_return(call,
			"a((so)(so)(so)iiassusau)", 0);
	}

	static	int				ClearSelection(sd_bus_message* call,
								void* userdata, sd_bus_error*)
	{
		AccessibilityBridge* bridge = Bridge(userdata);
		AccessibleRef ref = CallRef(call);
		if (bridge->fTree.Role(ref) != 31)
			return sd_bus_reply_method_return(call, "b", 0);
		return Select(bridge, call, ref, std::vector<int32>());
	}
};


namespace {

typedef AccessibilityBridge::Dispatch D;

}


static const sd_bus_vtable kAccessibleTable[] = {
	SD_BUS_VTABLE_START(0),
	SD_BUS_PROPERTY("Name", "s", D::GetName, 0, 0),
	SD_BUS_PROPERTY("Description", "s", D::GetDescription, 0, 0),
	SD_BUS_PROPERTY("Parent", "(so)", D::GetParent, 0, 0),
	SD_BUS_PROPERTY("ChildCount", "i", D::GetChildCount, 0, 0),
	SD_BUS_PROPERTY("Locale", "s", D::GetLocale, 0, 0),
	SD_BUS_PROPERTY("AccessibleId", "s", D::GetEmpty, 0, 0),
	SD_BUS_PROPERTY("HelpText", "s", D::GetEmpty, 0, 0),
	SD_BUS_METHOD("GetChildAtIndex", "i", "(so)", D::GetChildAtIndex, 0),
	SD_BUS_METHOD("GetChildren", "", "a(so)", D::GetChildren, 0),
	SD_BUS_METHOD("GetIndexInParent", "", "i", D::GetIndexInParent, 0),
	SD_BUS_METHOD("GetRelationSet", "", "a(ua(so))", D::GetRelationSet, 0),
	SD_BUS_METHOD("GetRole", "", "u", D::GetRole, 0),
	SD_BUS_METHOD("GetRoleName", "", "s", D::GetRoleName, 0),
	SD_BUS_METHOD("GetLocalizedRoleName", "", "s", D::GetRoleName, 0),
	SD_BUS_METHOD("GetState", "", "au", D::GetState, 0),
	SD_BUS_METHOD("GetAttributes", "", "a{ss}", D::GetAttributes, 0),
	SD_BUS_METHOD("GetApplication", "", "(so)", D::GetApplication, 0),
	SD_BUS_METHOD("GetInterfaces", "", "as", D::GetInterfaces, 0),
	SD_BUS_VTABLE_END
};

static const sd_bus_vtable kApplicationTable[] = {
	SD_BUS_VTABLE_START(0),
	SD_BUS_PROPERTY("ToolkitName", "s", D::GetToolkit, 0, 0),
	SD_BUS_PROPERTY("Version", "s", D::GetVersion, 0, 0),
	SD_BUS_PROPERTY("AtspiVersion", "s", D::GetAtspiVersion, 0, 0),
	SD_BUS_WRITABLE_PROPERTY("Id", "i", D::GetId, D::SetId, 0, 0),
	SD_BUS_METHOD("GetLocale", "u", "s", D::GetApplicationLocale, 0),
	SD_BUS_VTABLE_END
};

static const sd_bus_vtable kComponentTable[] = {
	SD_BUS_VTABLE_START(0),
	SD_BUS_METHOD("Contains", "iiu", "b", D::Contains, 0),
	SD_BUS_METHOD("GetAccessibleAtPoint", "iiu", "(so)",
		D::GetAccessibleAtPoint, 0),
	SD_BUS_METHOD("GetExtents", "u", "(iiii)", D::GetExtents, 0),
	SD_BUS_METHOD("GetPosition", "u", "ii", D::GetPosition, 0),
	SD_BUS_METHOD("GetSize", "", "ii", D::GetSize, 0),
	SD_BUS_METHOD("GetLayer", "", "u", D::GetLayer, 0),
	SD_BUS_METHOD("GetMDIZOrder", "", "n", D::GetMDIZOrder, 0),
	SD_BUS_METHOD("GrabFocus", "", "b", D::ReplyFalse, 0),
	SD_BUS_METHOD("GetAlpha", "", "d", D::GetAlpha, 0),
	SD_BUS_VTABLE_END
};

static const sd_bus_vtable kActionTable[] = {
	SD_BUS_VTABLE_START(0),
	SD_BUS_PROPERTY("NActions", "i", D::GetNActions, 0, 0),
	SD_BUS_METHOD("GetDescription", "i", "s", D::GetActionEmpty, 0),
	SD_BUS_METHOD("GetName", "i", "s", D::GetActionName, 0),
	SD_BUS_METHOD("GetLocalizedName", "i", "s", D::GetActionName, 0),
	SD_BUS_METHOD("GetKeyBinding", "i", "s", D::GetActionEmpty, 0),
	SD_BUS_METHOD("GetActions", "", "a(sss)", D::GetActions, 0),
	SD_BUS_METHOD("DoAction", "i", "b", D::DoAction, 0),
	SD_BUS_VTABLE_END
};

static const sd_bus_vtable kTextTable[] = {
	SD_BUS_VTABLE_START(0),
	SD_BUS_PROPERTY("CharacterCount", "i", D::GetCharacterCount, 0, 0),
	SD_BUS_PROPERTY("CaretOffset", "i", D::GetCaretOffset, 0, 0),
	SD_BUS_METHOD("GetText", "ii", "s", D::GetText, 0),
	SD_BUS_METHOD("GetCharacterAtOffset", "i", "i", D::GetCharacterAtOffset,
		0),
	SD_BUS_METHOD("GetStringAtOffset", "iu", "sii", D::GetPieceAtOffset, 0),
	SD_BUS_METHOD("GetTextAtOffset", "iu", "sii", D::GetPieceAtOffset, 0),
	SD_BUS_METHOD("GetNSelections", "", "i", D::GetNSelections, 0),
	SD_BUS_METHOD("GetSelection", "i", "ii", D::GetSelection, 0),
	SD_BUS_METHOD("SetCaretOffset", "i", "b", D::ReplyFalse, 0),
	SD_BUS_METHOD("GetAttributes", "i", "a{ss}ii", D::GetTextAttributes, 0),
	SD_BUS_METHOD("GetAttributeRun", "ib", "a{ss}ii", D::GetTextAttributes,
		0),
	SD_BUS_METHOD("GetDefaultAttributes", "", "a{ss}",
		D::GetDefaultAttributes, 0),
	SD_BUS_METHOD("GetDefaultAttributeSet", "", "a{ss}",
		D::GetDefaultAttributes, 0),
	SD_BUS_METHOD("GetCharacterExtents", "iu", "iiii", D::GetCharacterExtents,
		0),
	SD_BUS_VTABLE_END
};

static const sd_bus_vtable kEditableTextTable[] = {
	SD_BUS_VTABLE_START(0),
	SD_BUS_METHOD("SetTextContents", "s", "b", D::SetTextContents, 0),
	SD_BUS_METHOD("InsertText", "isi", "b", D::InsertText, 0),
	SD_BUS_METHOD("DeleteText", "ii", "b", D::DeleteText, 0),
	SD_BUS_METHOD("CutText", "ii", "b", D::DeleteText, 0),
	SD_BUS_METHOD("CopyText", "ii", "", D::CopyText, 0),
	SD_BUS_METHOD("PasteText", "i", "b", D::ReplyFalse, 0),
	SD_BUS_VTABLE_END
};

static const sd_bus_vtable kCacheTable[] = {
	SD_BUS_VTABLE_START(0),
	SD_BUS_METHOD("GetItems", "", "a((so)(so)(so)iiassusau)", D::GetItems, 0),
	SD_BUS_VTABLE_END
};

static const sd_bus_vtable kSelectionTable[] = {
	SD_BUS_VTABLE_START(0),
	SD_BUS_PROPERTY("NSelectedChildren", "i", D::GetNSelectedChildren, 0, 0),
	SD_BUS_METHOD("GetSelectedChild", "i", "(so)", D::GetSelectedChild, 0),
	SD_BUS_METHOD("SelectChild", "i", "b", D::SelectChild, 0),
	SD_BUS_METHOD("DeselectSelectedChild", "i", "b", D::DeselectChild, 0),
	SD_BUS_METHOD("DeselectChild", "i", "b", D::DeselectChild, 0),
	SD_BUS_METHOD("IsChildSelected", "i", "b", D::IsChildSelected, 0),
	SD_BUS_METHOD("SelectAll", "", "b", D::SelectAll, 0),
	SD_BUS_METHOD("ClearSelection", "", "b", D::ClearSelection, 0),
	SD_BUS_VTABLE_END
};


AccessibilityBridge::AccessibilityBridge(const std::string& applicationName,
	float scale)
	:
	fTree(fMirror, applicationName),
	fBus(NULL),
	fApplicationId(0),
	fWake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
	fActive(true),
	fStopping(false),
	fFirstShown(0)
{
	fTree.SetScale(scale);
	if (fWake < 0) {
		fActive = false;
		return;
	}
	fThread = std::thread([this] { _Run(); });
}


AccessibilityBridge::~AccessibilityBridge()
{
	fStopping = true;
	if (fWake >= 0) {
		uint64_t one = 1;
		ssize_t written = write(fWake, &one, sizeof(one));
		(void)written;
	}
	if (fThread.joinable())
		fThread.join();
	if (fBus != NULL)
		sd_bus_flush_close_unref(fBus);
	if (fWake >= 0)
		close(fWake);
}


bool
AccessibilityBridge::MayHaveBus()
{
	const char* address = getenv("AT_SPI_BUS_ADDRESS");
	if (address != NULL && address[0] != '\0')
		return true;
	address = getenv("DBUS_SESSION_BUS_ADDRESS");
	if (address != NULL && address[0] != '\0')
		return true;
	const char* runtime = getenv("XDG_RUNTIME_DIR");
	if (runtime == NULL || runtime[0] == '\0')
		return false;
	struct stat st;
	return stat((std::string(runtime) + "/bus").c_str(), &st) == 0;
}


void
AccessibilityBridge::Feed(const DisplayCommand& command)
{
	if (!fActive)
		return;
	std::lock_guard<std::mutex> lock(fLock);
	if (!fActive)
		return;
	bool wake = fQueue.empty();
	if (command.code == B_DISPLAY_WINDOW_SHOWN && fFirstShown == 0) {
		fFirstShown = Now();
		wake = true;
	}
	fQueue.push_back(command);
	if (wake) {
		uint64_t one = 1;
		ssize_t written = write(fWake, &one, sizeof(one));
		(void)written;
	}
}


void
AccessibilityBridge::_Run()
{
	if (!_AwaitFirstWindow() || !_Connect() || !_Register()) {
		// Nobody to serve: what comes is dropped, and nothing is said.
		std::lock_guard<std::mutex> lock(fLock);
		fActive = false;
		fQueue.clear();
		return;
	}

	while (!fStopping) {
		int result;
		do {
			result = sd_bus_process(fBus, NULL);
		} while (result > 0 && !fStopping);
		if (result < 0)
			break;
		_Drain();
		sd_bus_flush(fBus);

		struct pollfd fds[2];
		fds[0].fd = sd_bus_get_fd(fBus);
		fds[0].events = (short)sd_bus_get_events(fBus);
		fds[0].revents = 0;
		fds[1].fd = fWake;
		fds[1].events = POLLIN;
		fds[1].revents = 0;
		uint64_t timeout;
		int wait = -1;
		if (sd_bus_get_timeout(fBus, &timeout) >= 0
			&& timeout != UINT64_MAX) {
			struct timespec now;
			clock_gettime(CLOCK_MONOTONIC, &now);
			uint64_t nowUsec = (uint64_t)now.tv_sec * 1000000
				+ now.tv_nsec / 1000;
			wait = timeout <= nowUsec ? 0
				: (int)std::min<uint64_t>((timeout - nowUsec + 999) / 1000,
					60000);
		}
		poll(fds, 2, wait);
		if ((fds[1].revents & POLLIN) != 0) {
			uint64_t count;
			ssize_t got = read(fWake, &count, sizeof(count));
			(void)got;
		}
	}

	std::lock_guard<std::mutex> lock(fLock);
	fActive = false;
	fQueue.clear();
}


// The first window comes first: connecting, and the work it makes the bus
// and the registry do, would take the processor from its drawing. What the
// kits send meanwhile waits in the queue, so nothing is lost; a program
// that ends before it has shown a window never connects.
bool
AccessibilityBridge::_AwaitFirstWindow()
{
	while (!fStopping) {
		int64 shown = fFirstShown;
		int wait = -1;
		if (shown != 0) {
			int64 left = shown + kFirstWindowGrace - Now();
			if (left <= 0)
				return true;
			wait = (int)((left + 999) / 1000);
		}
		struct pollfd fd;
		fd.fd = fWake;
		fd.events = POLLIN;
		fd.revents = 0;
		if (poll(&fd, 1, wait) > 0 && (fd.revents & POLLIN) != 0) {
			uint64_t count;
			ssize_t got = read(fWake, &count, sizeof(count));
			(void)got;
		}
	}
	return false;
}


bool
AccessibilityBridge::_Connect()
{
	std::string address;
	const char* given = getenv("AT_SPI_BUS_ADDRESS");
	if (given != NULL && given[0] != '\0')
		address = given;
	else {
		sd_bus* session = NULL;
		if (sd_bus_open_user(&session) < 0)
			return false;
		// Only a desktop whose accessibility bus runs is served: asking
		// for it would start one in every session, screen reader or not.
		sd_bus_message* reply = NULL;
		int owned = 0;
		if (sd_bus_call_method(session, "org.freedesktop.DBus",
				"/org/freedesktop/DBus", "org.freedesktop.DBus",
				"NameHasOwner", NULL, &reply, "s", "org.a11y.Bus") >= 0)
			sd_bus_message_read(reply, "b", &owned);
		reply = sd_bus_message_unref(reply);
		if (owned && sd_bus_call_method(session, "org.a11y.Bus",
				"/org/a11y/bus", "org.a11y.Bus", "GetAddress", NULL, &reply,
				"") >= 0) {
			const char* text = NULL;
			if (sd_bus_message_read(reply, "s", &text) >= 0 && text != NULL)
				address = text;
		}
		sd_bus_message_unref(reply);
		sd_bus_flush_close_unref(session);
	}
	if (address.empty() || fStopping)
		return false;

	if (sd_bus_new(&fBus) < 0)
		return false;
	if (sd_bus_set_address(fBus, address.c_str()) < 0
		|| sd_bus_set_bus_client(fBus, 1) < 0
		|| sd_bus_start(fBus) < 0) {
		fBus = sd_bus_unref(fBus);
		return false;
	}
	const char* unique = NULL;
	if (sd_bus_get_unique_name(fBus, &unique) < 0 || unique == NULL) {
		fBus = sd_bus_flush_close_unref(fBus);
		return false;
	}
	fUniqueName = unique;
	return true;
}


bool
AccessibilityBridge::_Register()
{
	struct Table {
		const char*				interface;
		const sd_bus_vtable*	vtable;
	};
	const Table tables[] = {
		{ kAccessible, kAccessibleTable },
		{ kApplication, kApplicationTable },
		{ kComponent, kComponentTable },
		{ kAction, kActionTable },
		{ kText, kTextTable },
		{ kEditableText, kEditableTextTable },
		{ kSelection, kSelectionTable }
	};
	for (const Table& table : tables) {
		if (sd_bus_add_fallback_vtable(fBus, NULL, kPrefix, table.interface,
				table.vtable, D::Find, this) < 0)
			return false;
	}

	if (sd_bus_add_object_vtable(fBus, NULL, "/org/a11y/atspi/cache",
			"org.a11y.atspi.Cache", kCacheTable, this) < 0)
		return false;

	// Embedded under the registry's desktop, as every AT-SPI application
	// is; the answer names our parent.
	sd_bus_message* reply = NULL;
	int result = sd_bus_call_method(fBus, "org.a11y.atspi.Registry",
		kRootPath, "org.a11y.atspi.Socket", "Embed", NULL, &reply, "(so)",
		fUniqueName.c_str(), kRootPath);
	if (result < 0)
		return false;
	const char* name = NULL;
	const char* path = NULL;
	if (sd_bus_message_read(reply, "(so)", &name, &path) >= 0
		&& name != NULL && path != NULL) {
		fDesktopName = name;
		fDesktopPath = path;
	}
	sd_bus_message_unref(reply);
	return true;
}


void
AccessibilityBridge::_Drain()
{
	std::deque<DisplayCommand> commands;
	{
		std::lock_guard<std::mutex> lock(fLock);
		commands.swap(fQueue);
	}
	for (DisplayCommand& command : commands)
		_Apply(command);
	_Flush();
}


// Children and selections of one parent change many times in a batch (a
// list of thousands of entries): each is told once, at the end.
void
AccessibilityBridge::_Flush()
{
	for (const auto& changed : fChildrenChanged) {
		const AccessibleRef& parent = changed.second;
		if (!fTree.Exists(parent))
			continue;
		int32 count = fTree.CountChildren(parent);
		AccessibleRef last = count > 0 ? fTree.ChildAt(parent, count - 1)
			: AccessibleRef();
		_Emit(parent, kObjectEvent, "ChildrenChanged",
			count > 0 ? "add" : "remove", std::max(count - 1, 0), 0, NULL,
			&last);
	}
	fChildrenChanged.clear();
	for (const auto& changed : fSelectionChanged) {
		if (fTree.Exists(changed.second))
			_Emit(changed.second, kObjectEvent, "SelectionChanged", "", 0, 0);
	}
	fSelectionChanged.clear();
}


void
AccessibilityBridge::_Apply(DisplayCommand& command)
{
	MirrorWindow* window = fMirror.FindWindow(command.window);
	bool wasShown = window != NULL && window->shown;
	const std::vector<int32>& front = fMirror.FrontToBack();
	int32 oldFront = front.empty() ? -1 : front[0];
	int32 oldFocus = window != NULL ? window->focus : -1;
	AccessibleRef view = AccessibleRef::View(command.window, command.view);
	AccessibleRef oldParent;
	int32 oldValue = 0;
	std::string oldText;
	int32 oldTab = -1;
	uint32 oldItemFlags = 0;
	bool oldItemEnabled = true;
	if (wasShown) {
		if (command.code == B_DISPLAY_VIEW_REMOVED)
			oldParent = fTree.Parent(view);
		if (command.code == B_DISPLAY_MENU_ITEM_REMOVED)
			oldParent = fTree.Parent(AccessibleRef::MenuItem(command.window,
				command.item));
		if (const MirrorView* mirror = window->FindView(command.view)) {
			oldValue = mirror->value;
			oldText = mirror->text;
			oldTab = mirror->selectedTab;
		}
		auto item = window->items.find(command.item);
		if (item != window->items.end()) {
			oldItemFlags = item->second.flags;
			oldItemEnabled = item->second.enabled;
		}
	}

	if (!fMirror.Apply(command))
		return;
	window = fMirror.FindWindow(command.window);
	bool shown = window != NULL && window->shown;
	int32 newFront = front.empty() ? -1 : front[0];
	AccessibleRef application = AccessibleRef::Application();
	AccessibleRef windowRef = AccessibleRef::Window(command.window);

	if (shown != wasShown) {
		fChildrenChanged[application.Path()] = application;
		if (shown)
			_Emit(windowRef, kWindowEvent, "Create", "", 0, 0);
		else {
			_Emit(windowRef, kWindowEvent,
				command.code == B_DISPLAY_WINDOW_GONE ? "Destroy" : "Deactivate",
				"", 0, 0);
		}
	}
	if (newFront != oldFront) {
		if (oldFront >= 0 && fTree.Exists(AccessibleRef::Window(oldFront))) {
			_Emit(AccessibleRef::Window(oldFront), kWindowEvent, "Deactivate",
				"", 0, 0);
			_State(AccessibleRef::Window(oldFront), "active", false);
		}
		if (newFront >= 0) {
			AccessibleRef frontRef = AccessibleRef::Window(newFront);
			_Emit(frontRef, kWindowEvent, "Activate", "", 0, 0);
			_State(frontRef, "active", true);
			MirrorWindow* frontWindow = fMirror.FindWindow(newFront);
			if (frontWindow != NULL && frontWindow->focus >= 0) {
				AccessibleRef focus = AccessibleRef::View(newFront,
					frontWindow->focus);
				_State(focus, "focused", true);
				_Emit(focus, kFocusEvent, "Focus", "", 0, 0);
			}
		}
	}
	if (!shown)
		return;

	switch (command.code) {
		case B_DISPLAY_ALERT_SHOWN:
			// What a screen reader reads out as the alert comes up: its
			// message, with the event.
			_Emit(windowRef, kObjectEvent, "StateChanged", "showing", 1, 0,
				&window->alertText);
			break;
		case B_DISPLAY_WINDOW_TITLE:
			_Emit(windowRef, kObjectEvent, "PropertyChange", "accessible-name",
				0, 0);
			break;
		case B_DISPLAY_WINDOW_FOCUS:
			if (oldFocus == window->focus || !fTree.IsActive(window->id))
				break;
			if (oldFocus >= 0) {
				_State(AccessibleRef::View(command.window, oldFocus),
					"focused", false);
			}
			if (window->focus >= 0) {
				AccessibleRef focus = AccessibleRef::View(command.window,
					window->focus);
				_State(focus, "focused", true);
				_Emit(focus, kFocusEvent, "Focus", "", 0, 0);
			}
			break;
		case B_DISPLAY_VIEW_ADDED:
		{
			AccessibleRef parent = fTree.Parent(view);
			fChildrenChanged[parent.Path()] = parent;
			break;
		}
		case B_DISPLAY_VIEW_REMOVED:
		case B_DISPLAY_MENU_ITEM_REMOVED:
			if (oldParent.type != AccessibleRef::kNone)
				fChildrenChanged[oldParent.Path()] = oldParent;
			break;
		case B_DISPLAY_MENU_ITEM_ADDED:
		{
			AccessibleRef parent = fTree.Parent(
				AccessibleRef::MenuItem(command.window, command.item));
			fChildrenChanged[parent.Path()] = parent;
			break;
		}
		case B_DISPLAY_MENU_ITEM_CHANGED:
		{
			auto item = window->items.find(command.item);
			if (item == window->items.end())
				break;
			AccessibleRef itemRef = AccessibleRef::MenuItem(command.window,
				command.item);
			uint32 marked = item->second.flags & B_DISPLAY_ITEM_MARKED;
			if (marked != (oldItemFlags & B_DISPLAY_ITEM_MARKED))
				_State(itemRef, "checked", marked != 0);
			if (item->second.enabled != oldItemEnabled)
				_State(itemRef, "enabled", item->second.enabled);
			break;
		}
		case B_DISPLAY_VIEW_HIDDEN:
			_State(view, "showing", !window->IsHidden(command.view));
			_State(view, "visible", command.value == 0);
			break;
		case B_DISPLAY_VIEW_ENABLED:
			_State(view, "enabled", command.value != 0);
			_State(view, "sensitive", command.value != 0);
			break;
		case B_DISPLAY_VIEW_LABEL:
			_Emit(view, kObjectEvent, "PropertyChange", "accessible-name", 0,
				0);
			break;
		case B_DISPLAY_VIEW_TEXT:
		{
			const MirrorView* mirror = window->FindView(command.view);
			if (mirror == NULL || mirror->text == oldText)
				break;
			if (mirror->kind == B_DISPLAY_STRING_VIEW) {
				_Emit(view, kObjectEvent, "PropertyChange",
					"accessible-name", 0, 0);
			}
			if (mirror->kind == B_DISPLAY_STRING_VIEW
				|| mirror->kind == B_DISPLAY_TEXT_VIEW) {
				if (!oldText.empty()) {
					_Emit(view, kObjectEvent, "TextChanged", "delete", 0,
						CountCharacters(oldText), &oldText);
				}
				if (!mirror->text.empty()) {
					_Emit(view, kObjectEvent, "TextChanged", "insert", 0,
						CountCharacters(mirror->text), &mirror->text);
				}
			}
			break;
		}
		case B_DISPLAY_VIEW_VALUE:
		{
			const MirrorView* mirror = window->FindView(command.view);
			if (mirror != NULL && mirror->kind == B_DISPLAY_CHECK_BOX
				&& (mirror->value == 1) != (oldValue == 1))
				_State(view, "checked", mirror->value == 1);
			break;
		}
		case B_DISPLAY_TAB_CHOSEN:
		{
			const MirrorView* mirror = window->FindView(command.view);
			if (mirror == NULL || mirror->selectedTab == oldTab)
				break;
			if (oldTab >= 0 && oldTab < (int32)mirror->tabs.size()) {
				_State(AccessibleRef::Tab(command.window, command.view,
					oldTab), "selected", false);
			}
			_State(AccessibleRef::Tab(command.window, command.view,
				mirror->selectedTab), "selected", true);
			fSelectionChanged[view.Path()] = view;
			break;
		}
		case B_DISPLAY_TAB_ADDED:
			fChildrenChanged[view.Path()] = view;
			break;
		case B_DISPLAY_LIST_ITEM_ADDED:
		case B_DISPLAY_LIST_ITEMS_ADDED:
		case B_DISPLAY_LIST_ITEM_REMOVED:
		case B_DISPLAY_LIST_ITEMS_REMOVED:
		case B_DISPLAY_LIST_EMPTIED:
			fChildrenChanged[view.Path()] = view;
			break;
		case B_DISPLAY_LIST_ITEM_SELECTED:
			fSelectionChanged[view.Path()] = view;
			break;
		default:
			break;
	}
}


void
AccessibilityBridge::_Emit(const AccessibleRef& source, const char* interface,
	const char* member, const char* detail, int32 detail1, int32 detail2,
	const std::string* text, const AccessibleRef* object)
{
	sd_bus_message* signal = NULL;
	int result = sd_bus_message_new_signal(fBus, &signal,
		source.Path().c_str(), interface, member);
	if (result >= 0)
		result = sd_bus_message_append(signal, "sii", detail, detail1, detail2);
	if (result >= 0) {
		if (object != NULL) {
			result = sd_bus_message_append(signal, "v", "(so)",
				fUniqueName.c_str(), object->Path().c_str());
		} else if (text != NULL)
			result = sd_bus_message_append(signal, "v", "s", text->c_str());
		else
			result = sd_bus_message_append(signal, "v", "i", 0);
	}
	if (result >= 0)
		result = sd_bus_message_append(signal, "a{sv}", 0);
	if (result >= 0)
		sd_bus_send(fBus, signal, NULL);
	sd_bus_message_unref(signal);
}


void
AccessibilityBridge::_State(const AccessibleRef& source, const char* state,
	bool on)
{
	if (!fTree.Exists(source))
		return;
	_Emit(source, kObjectEvent, "StateChanged", state, on ? 1 : 0, 0);
}

} // namespace BPrivate
