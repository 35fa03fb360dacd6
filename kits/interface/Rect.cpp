#include <Rect.h>

#include <math.h>

int32
BRect::IntegerWidth() const
{
	return (int32)ceilf(right - left);
}


int32
BRect::IntegerHeight() const
{
	return (int32)ceilf(bottom - top);
}


BRect&
BRect::InsetBy(float dx, float dy)
{
	left += dx;
	top += dy;
	right -= dx;
	bottom -= dy;
	return *this;
}


BRect&
BRect::OffsetBy(float dx, float dy)
{
	left += dx;
	right += dx;
	top += dy;
	bottom += dy;
	return *this;
}


BRect&
BRect::OffsetTo(float x, float y)
{
	return OffsetBy(x - left, y - top);
}


BRect
BRect::InsetByCopy(float dx, float dy) const
{
	BRect copy(*this);
	return copy.InsetBy(dx, dy);
}


BRect
BRect::OffsetByCopy(float dx, float dy) const
{
	BRect copy(*this);
	return copy.OffsetBy(dx, dy);
}


BRect
BRect::OffsetToCopy(float x, float y) const
{
	BRect copy(*this);
	return copy.OffsetTo(x, y);
}


bool
BRect::Contains(BPoint point) const
{
	return point.x >= left && point.x <= right && point.y >= top
		&& point.y <= bottom;
}


bool
BRect::operator==(const BRect& other) const
{
	return left == other.left && top == other.top && right == other.right
		&& bottom == other.bottom;
}
