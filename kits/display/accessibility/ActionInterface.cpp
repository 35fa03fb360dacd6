#include "display/accessibility/AccessibleBus.h"

#include <vector>

#include <Message.h>

namespace BPrivate {

namespace {

int
GetNActions(sd_bus*, const char* path, const char*, const char*,
	sd_bus_message* reply, void* userdata, sd_bus_error*)
{
	return sd_bus_message_append(reply, "i",
		(int32)Bridge(userdata)->tree.Actions(PathRef(path)).size());
}


std::string
ActionName(sd_bus_message* call, void* userdata, int* result)
{
	AccessibleRef ref = CallRef(call);
	int32 index;
	*result = sd_bus_message_read(call, "i", &index);
	if (*result < 0)
		return "";
	std::vector<std::string> actions
		= Bridge(userdata)->tree.Actions(ref);
	return index >= 0 && index < (int32)actions.size()
		? actions[index] : "";
}


int
GetActionName(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	int result;
	std::string name = ActionName(call, userdata, &result);
	if (result < 0)
		return result;
	return sd_bus_reply_method_return(call, "s", name.c_str());
}


int
GetActionEmpty(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	int result;
	ActionName(call, userdata, &result);
	if (result < 0)
		return result;
	return sd_bus_reply_method_return(call, "s", "");
}


int
GetActions(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	AccessibleRef ref = CallRef(call);
	return Reply(call, [&](sd_bus_message* reply) {
		return AppendArray(reply, "(sss)",
			Bridge(userdata)->tree.Actions(ref),
			[&](const std::string& name) {
				return sd_bus_message_append(reply, "(sss)", name.c_str(),
					"", "");
			});
	});
}


int
DoAction(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
	AccessibleRef ref;
	int32 index;
	int result = Arguments(call, &ref, "i", &index);
	if (result < 0)
		return result;
	BMessage input;
	int32 window;
	bool made = bridge->tree.ActionInput(ref, index, &input, &window);
	return PostInput(call, made, window, &input);
}


} // namespace


const sd_bus_vtable kActionTable[] = {
	SD_BUS_VTABLE_START(0),
	SD_BUS_PROPERTY("NActions", "i", GetNActions, 0, 0),
	SD_BUS_METHOD("GetDescription", "i", "s", GetActionEmpty, 0),
	SD_BUS_METHOD("GetName", "i", "s", GetActionName, 0),
	SD_BUS_METHOD("GetLocalizedName", "i", "s", GetActionName, 0),
	SD_BUS_METHOD("GetKeyBinding", "i", "s", GetActionEmpty, 0),
	SD_BUS_METHOD("GetActions", "", "a(sss)", GetActions, 0),
	SD_BUS_METHOD("DoAction", "i", "b", DoAction, 0),
	SD_BUS_VTABLE_END
};

} // namespace BPrivate
