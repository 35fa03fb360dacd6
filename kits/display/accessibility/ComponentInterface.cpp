#include "display/accessibility/AccessibleBus.h"

#include <stdint.h>

#include <algorithm>

namespace BPrivate {

namespace {

// AT-SPI's layers.
enum {
	kLayerWidget = 3,
	kLayerWindow = 7
};


void
ToScreen(BridgeState* bridge, const AccessibleRef& ref, uint32 coordType,
	int32* x, int32* y)
{
	if (coordType != kCoordWindow)
		return;
	int32 window[4];
	bridge->tree.GetExtents(AccessibleRef::Window(ref.window), window);
	// Any client may ask for any point: far ones stay far, and do not
	// wrap round to a point on the screen.
	*x = (int32)std::max<int64>(INT32_MIN,
		std::min<int64>(INT32_MAX, (int64)*x + window[0]));
	*y = (int32)std::max<int64>(INT32_MIN,
		std::min<int64>(INT32_MAX, (int64)*y + window[1]));
}


int
Contains(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
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


int
GetAccessibleAtPoint(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
	AccessibleRef ref;
	int32 x, y;
	uint32 coordType;
	int result = Arguments(call, &ref, "iiu", &x, &y, &coordType);
	if (result < 0)
		return result;
	ToScreen(bridge, ref, coordType, &x, &y);
	return ReplyRef(call, bridge, bridge->tree.ObjectAt(ref, x, y));
}


int
GetExtents(sd_bus_message* call, void* userdata, sd_bus_error*)
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


int
GetPosition(sd_bus_message* call, void* userdata, sd_bus_error*)
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


int
GetSize(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	AccessibleRef ref = CallRef(call);
	int32 extents[4];
	Extents(Bridge(userdata), ref, kCoordScreen, extents);
	return sd_bus_reply_method_return(call, "ii", extents[2],
		extents[3]);
}


int
GetLayer(sd_bus_message* call, void*, sd_bus_error*)
{
	AccessibleRef ref = CallRef(call);
	return sd_bus_reply_method_return(call, "u",
		ref.type == AccessibleRef::kWindow ? kLayerWindow : kLayerWidget);
}


int
GetMDIZOrder(sd_bus_message* call, void*, sd_bus_error*)
{
	return sd_bus_reply_method_return(call, "n", (int16_t)-1);
}


int
GetAlpha(sd_bus_message* call, void*, sd_bus_error*)
{
	return sd_bus_reply_method_return(call, "d", 1.0);
}


} // namespace


const sd_bus_vtable kComponentTable[] = {
	SD_BUS_VTABLE_START(0),
	SD_BUS_METHOD("Contains", "iiu", "b", Contains, 0),
	SD_BUS_METHOD("GetAccessibleAtPoint", "iiu", "(so)",
		GetAccessibleAtPoint, 0),
	SD_BUS_METHOD("GetExtents", "u", "(iiii)", GetExtents, 0),
	SD_BUS_METHOD("GetPosition", "u", "ii", GetPosition, 0),
	SD_BUS_METHOD("GetSize", "", "ii", GetSize, 0),
	SD_BUS_METHOD("GetLayer", "", "u", GetLayer, 0),
	SD_BUS_METHOD("GetMDIZOrder", "", "n", GetMDIZOrder, 0),
	SD_BUS_METHOD("GrabFocus", "", "b", ReplyFalse, 0),
	SD_BUS_METHOD("GetAlpha", "", "d", GetAlpha, 0),
	SD_BUS_VTABLE_END
};

} // namespace BPrivate
