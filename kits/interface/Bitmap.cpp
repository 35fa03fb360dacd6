#include <Bitmap.h>

#include <math.h>
#include <string.h>

namespace {

int32
BytesPerPixel(color_space space)
{
	switch (space) {
		case B_CMAP8:
		case B_GRAY8:
			return 1;
		case B_RGB32:
		case B_RGBA32:
			return 4;
		default:
			return 0;
	}
}

// Large enough for any icon or window; refuses absurd sizes before they
// reach the allocator.
const int32 kMaxSide = 16384;

} // namespace


BBitmap::BBitmap(BRect bounds, color_space space, bool /*acceptsViews*/,
	bool /*needContiguous*/)
	:
	fBounds(bounds),
	fSpace(space),
	fBytesPerRow(0),
	fStatus(B_NO_INIT)
{
	int32 pixelSize = BytesPerPixel(space);
	if (pixelSize == 0) {
		fStatus = B_BAD_VALUE;
		return;
	}
	if (!bounds.IsValid() || isnan(bounds.left) || isnan(bounds.top)
		|| bounds.Width() >= kMaxSide || bounds.Height() >= kMaxSide) {
		fStatus = B_BAD_VALUE;
		return;
	}
	int32 width = bounds.IntegerWidth() + 1;
	int32 height = bounds.IntegerHeight() + 1;
	fBytesPerRow = (width * pixelSize + 3) & ~3;
	// A new B_CMAP8 bitmap is transparent, as an icon that was never set.
	uint8 fill = space == B_CMAP8 ? B_TRANSPARENT_MAGIC_CMAP8 : 0;
	fBits.assign((size_t)fBytesPerRow * height, fill);
	fStatus = B_OK;
}


BBitmap::~BBitmap()
{
}


status_t
BBitmap::InitCheck() const
{
	return fStatus;
}


BRect
BBitmap::Bounds() const
{
	return fBounds;
}


void*
BBitmap::Bits() const
{
	if (fStatus != B_OK)
		return NULL;
	return const_cast<uint8*>(fBits.data());
}


int32
BBitmap::BitsLength() const
{
	return (int32)fBits.size();
}


int32
BBitmap::BytesPerRow() const
{
	return fBytesPerRow;
}


color_space
BBitmap::ColorSpace() const
{
	return fSpace;
}


void
BBitmap::SetBits(const void* data, int32 length, int32 offset,
	color_space space)
{
	if (fStatus != B_OK || data == NULL || length <= 0 || offset < 0
		|| space != fSpace || (size_t)offset >= fBits.size())
		return;
	size_t count = (size_t)length;
	if (count > fBits.size() - offset)
		count = fBits.size() - offset;
	memcpy(fBits.data() + offset, data, count);
}
