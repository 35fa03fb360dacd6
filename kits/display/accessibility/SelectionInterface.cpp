#include "display/accessibility/AccessibleBus.h"

#include <string.h>

#include <algorithm>
#include <vector>

#include <Message.h>

namespace BPrivate {

namespace {

int
GetNSelectedChildren(sd_bus*, const char* path, const char*, const char*,
	sd_bus_message* reply, void* userdata, sd_bus_error*)
{
	return sd_bus_message_append(reply, "i",
		(int32)Bridge(userdata)->tree.SelectedChildren(PathRef(path)).size());
}


int
GetSelectedChild(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
	AccessibleRef ref;
	int32 index;
	int result = Arguments(call, &ref, "i", &index);
	if (result < 0)
		return result;
	std::vector<int32> selected = bridge->tree.SelectedChildren(ref);
	if (index < 0 || index >= (int32)selected.size())
		return ReplyRef(call, bridge, AccessibleRef());
	return ReplyRef(call, bridge,
		bridge->tree.ChildAt(ref, selected[index]));
}


int
Select(BridgeState* bridge, sd_bus_message* call, const AccessibleRef& ref,
	const std::vector<int32>& children)
{
	BMessage input;
	int32 window;
	bool made = bridge->tree.SelectionInput(ref, children, &input,
		&window);
	return PostInput(call, made, window, &input);
}


int
SelectChild(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
	AccessibleRef ref;
	int32 child;
	int result = Arguments(call, &ref, "i", &child);
	if (result < 0)
		return result;
	std::vector<int32> selected;
	if (bridge->tree.Role(ref) == 31) {
		// A list adds to its selection; tabs and menu fields have one.
		selected = bridge->tree.SelectedChildren(ref);
	}
	if (std::find(selected.begin(), selected.end(), child)
			== selected.end())
		selected.push_back(child);
	std::sort(selected.begin(), selected.end());
	return Select(bridge, call, ref, selected);
}


int
DeselectChild(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
	AccessibleRef ref;
	int32 child;
	int result = Arguments(call, &ref, "i", &child);
	if (result < 0)
		return result;
	std::vector<int32> selected = bridge->tree.SelectedChildren(ref);
	// "Selected child" counts among the selected ones.
	const char* member = sd_bus_message_get_member(call);
	if (member != NULL && strcmp(member, "DeselectSelectedChild") == 0) {
		if (child < 0 || child >= (int32)selected.size())
			return sd_bus_reply_method_return(call, "b", 0);
		child = selected[child];
	}
	auto found = std::find(selected.begin(), selected.end(), child);
	if (found == selected.end() || bridge->tree.Role(ref) != 31)
		return sd_bus_reply_method_return(call, "b", 0);
	selected.erase(found);
	return Select(bridge, call, ref, selected);
}


int
IsChildSelected(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	AccessibleRef ref;
	int32 child;
	int result = Arguments(call, &ref, "i", &child);
	if (result < 0)
		return result;
	std::vector<int32> selected
		= Bridge(userdata)->tree.SelectedChildren(ref);
	return sd_bus_reply_method_return(call, "b",
		std::find(selected.begin(), selected.end(), child)
			!= selected.end());
}


int
SelectAll(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
	AccessibleRef ref = CallRef(call);
	if (bridge->tree.Role(ref) != 31)
		return sd_bus_reply_method_return(call, "b", 0);
	std::vector<int32> all((size_t)bridge->tree.CountChildren(ref));
	for (size_t i = 0; i < all.size(); i++)
		all[i] = (int32)i;
	return Select(bridge, call, ref, all);
}


int
ClearSelection(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
	AccessibleRef ref = CallRef(call);
	if (bridge->tree.Role(ref) != 31)
		return sd_bus_reply_method_return(call, "b", 0);
	return Select(bridge, call, ref, std::vector<int32>());
}


} // namespace


const sd_bus_vtable kSelectionTable[] = {
	SD_BUS_VTABLE_START(0),
	SD_BUS_PROPERTY("NSelectedChildren", "i", GetNSelectedChildren, 0, 0),
	SD_BUS_METHOD("GetSelectedChild", "i", "(so)", GetSelectedChild, 0),
	SD_BUS_METHOD("SelectChild", "i", "b", SelectChild, 0),
	SD_BUS_METHOD("DeselectSelectedChild", "i", "b", DeselectChild, 0),
	SD_BUS_METHOD("DeselectChild", "i", "b", DeselectChild, 0),
	SD_BUS_METHOD("IsChildSelected", "i", "b", IsChildSelected, 0),
	SD_BUS_METHOD("SelectAll", "", "b", SelectAll, 0),
	SD_BUS_METHOD("ClearSelection", "", "b", ClearSelection, 0),
	SD_BUS_VTABLE_END
};

} // namespace BPrivate
