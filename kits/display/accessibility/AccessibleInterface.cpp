#include "display/accessibility/AccessibleBus.h"

#include <map>
#include <vector>

namespace BPrivate {

namespace {

int
GetName(sd_bus*, const char* path, const char*, const char*,
	sd_bus_message* reply, void* userdata, sd_bus_error*)
{
	return sd_bus_message_append(reply, "s",
		Bridge(userdata)->tree.Name(PathRef(path)).c_str());
}


int
GetDescription(sd_bus*, const char* path, const char*, const char*,
	sd_bus_message* reply, void* userdata, sd_bus_error*)
{
	return sd_bus_message_append(reply, "s",
		Bridge(userdata)->tree.Description(PathRef(path)).c_str());
}


int
GetParent(sd_bus*, const char* path, const char*, const char*,
	sd_bus_message* reply, void* userdata, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
	AccessibleRef ref = PathRef(path);
	if (ref.type == AccessibleRef::kApplication) {
		if (bridge->desktopName.empty())
			return AppendRef(reply, bridge, AccessibleRef());
		return sd_bus_message_append(reply, "(so)",
			bridge->desktopName.c_str(), bridge->desktopPath.c_str());
	}
	return AppendRef(reply, bridge, bridge->tree.Parent(ref));
}


int
GetChildCount(sd_bus*, const char* path, const char*, const char*,
	sd_bus_message* reply, void* userdata, sd_bus_error*)
{
	return sd_bus_message_append(reply, "i",
		Bridge(userdata)->tree.CountChildren(PathRef(path)));
}


int
GetLocale(sd_bus*, const char*, const char*, const char*,
	sd_bus_message* reply, void*, sd_bus_error*)
{
	// The interface is Italian.
	return sd_bus_message_append(reply, "s", "it");
}


int
GetEmpty(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
	void*, sd_bus_error*)
{
	return sd_bus_message_append(reply, "s", "");
}


int
GetChildAtIndex(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
	AccessibleRef ref;
	int32 index;
	int result = Arguments(call, &ref, "i", &index);
	if (result < 0)
		return result;
	return ReplyRef(call, bridge, bridge->tree.ChildAt(ref, index));
}


int
GetChildren(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
	AccessibleRef ref = CallRef(call);
	std::vector<AccessibleRef> children;
	int32 count = bridge->tree.CountChildren(ref);
	for (int32 i = 0; i < count; i++)
		children.push_back(bridge->tree.ChildAt(ref, i));
	return Reply(call, [&](sd_bus_message* reply) {
		return AppendArray(reply, "(so)", children,
			[&](const AccessibleRef& child) {
				return AppendRef(reply, bridge, child);
			});
	});
}


int
GetIndexInParent(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	AccessibleRef ref = CallRef(call);
	return sd_bus_reply_method_return(call, "i",
		Bridge(userdata)->tree.IndexInParent(ref));
}


int
GetRelationSet(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
	AccessibleRef ref = CallRef(call);
	// Each relation with its one target.
	return Reply(call, [&](sd_bus_message* reply) {
		return AppendArray(reply, "(ua(so))", bridge->tree.Relations(ref),
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


int
GetRole(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	AccessibleRef ref = CallRef(call);
	return sd_bus_reply_method_return(call, "u",
		Bridge(userdata)->tree.Role(ref));
}


int
GetRoleName(sd_bus_message* call, void* userdata, sd_bus_error*)
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
	auto name = kNames.find(Bridge(userdata)->tree.Role(ref));
	return sd_bus_reply_method_return(call, "s",
		name != kNames.end() ? name->second : "unknown");
}


int
GetState(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	AccessibleRef ref = CallRef(call);
	uint32 states[2];
	Bridge(userdata)->tree.GetStates(ref, states);
	return sd_bus_reply_method_return(call, "au", 2, states[0],
		states[1]);
}


int
GetAttributes(sd_bus_message* call, void*, sd_bus_error*)
{
	return sd_bus_reply_method_return(call, "a{ss}", 1, "toolkit",
		"Tolvex");
}


int
GetApplication(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	return ReplyRef(call, Bridge(userdata),
		AccessibleRef::Application());
}


int
GetInterfaces(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	AccessibleRef ref = CallRef(call);
	uint32 interfaces = Bridge(userdata)->tree.Interfaces(ref);
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

int
GetToolkit(sd_bus*, const char*, const char*, const char*,
	sd_bus_message* reply, void*, sd_bus_error*)
{
	return sd_bus_message_append(reply, "s", "Tolvex");
}


int
GetVersion(sd_bus*, const char*, const char*, const char*,
	sd_bus_message* reply, void*, sd_bus_error*)
{
	return sd_bus_message_append(reply, "s", "1.0");
}


int
GetAtspiVersion(sd_bus*, const char*, const char*, const char*,
	sd_bus_message* reply, void*, sd_bus_error*)
{
	return sd_bus_message_append(reply, "s", "2.1");
}


int
GetId(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
	void* userdata, sd_bus_error*)
{
	return sd_bus_message_append(reply, "i",
		Bridge(userdata)->applicationId);
}


int
SetId(sd_bus*, const char*, const char*, const char*, sd_bus_message* value,
	void* userdata, sd_bus_error*)
{
	return sd_bus_message_read(value, "i",
		&Bridge(userdata)->applicationId);
}


int
GetApplicationLocale(sd_bus_message* call, void*, sd_bus_error*)
{
	return sd_bus_reply_method_return(call, "s", "it");
}


// org.a11y.atspi.Cache: nothing is pushed ahead; clients ask.
int
GetItems(sd_bus_message* call, void*, sd_bus_error*)
{
	return sd_bus_reply_method_return(call,
		"a((so)(so)(so)iiassusau)", 0);
}


} // namespace


int
FindObject(sd_bus*, const char* path, const char* interface, void* userdata,
	void** found, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
	AccessibleRef ref;
	if (!AccessibleRef::FromPath(path, &ref) || !bridge->tree.Exists(ref))
		return 0;
	uint32 interfaces = bridge->tree.Interfaces(ref);
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


const sd_bus_vtable kAccessibleTable[] = {
	SD_BUS_VTABLE_START(0),
	SD_BUS_PROPERTY("Name", "s", GetName, 0, 0),
	SD_BUS_PROPERTY("Description", "s", GetDescription, 0, 0),
	SD_BUS_PROPERTY("Parent", "(so)", GetParent, 0, 0),
	SD_BUS_PROPERTY("ChildCount", "i", GetChildCount, 0, 0),
	SD_BUS_PROPERTY("Locale", "s", GetLocale, 0, 0),
	SD_BUS_PROPERTY("AccessibleId", "s", GetEmpty, 0, 0),
	SD_BUS_PROPERTY("HelpText", "s", GetEmpty, 0, 0),
	SD_BUS_METHOD("GetChildAtIndex", "i", "(so)", GetChildAtIndex, 0),
	SD_BUS_METHOD("GetChildren", "", "a(so)", GetChildren, 0),
	SD_BUS_METHOD("GetIndexInParent", "", "i", GetIndexInParent, 0),
	SD_BUS_METHOD("GetRelationSet", "", "a(ua(so))", GetRelationSet, 0),
	SD_BUS_METHOD("GetRole", "", "u", GetRole, 0),
	SD_BUS_METHOD("GetRoleName", "", "s", GetRoleName, 0),
	SD_BUS_METHOD("GetLocalizedRoleName", "", "s", GetRoleName, 0),
	SD_BUS_METHOD("GetState", "", "au", GetState, 0),
	SD_BUS_METHOD("GetAttributes", "", "a{ss}", GetAttributes, 0),
	SD_BUS_METHOD("GetApplication", "", "(so)", GetApplication, 0),
	SD_BUS_METHOD("GetInterfaces", "", "as", GetInterfaces, 0),
	SD_BUS_VTABLE_END
};


const sd_bus_vtable kApplicationTable[] = {
	SD_BUS_VTABLE_START(0),
	SD_BUS_PROPERTY("ToolkitName", "s", GetToolkit, 0, 0),
	SD_BUS_PROPERTY("Version", "s", GetVersion, 0, 0),
	SD_BUS_PROPERTY("AtspiVersion", "s", GetAtspiVersion, 0, 0),
	SD_BUS_WRITABLE_PROPERTY("Id", "i", GetId, SetId, 0, 0),
	SD_BUS_METHOD("GetLocale", "u", "s", GetApplicationLocale, 0),
	SD_BUS_VTABLE_END
};


const sd_bus_vtable kCacheTable[] = {
	SD_BUS_VTABLE_START(0),
	SD_BUS_METHOD("GetItems", "", "a((so)(so)(so)iiassusau)", GetItems, 0),
	SD_BUS_VTABLE_END
};

} // namespace BPrivate
