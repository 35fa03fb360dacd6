#ifndef _RECT_H
#define _RECT_H

#include <Point.h>

// Coordinates are inclusive, as on BeOS: (0, 0, 9, 9) covers 10 x 10 pixels.
class BRect {
public:
	BRect() : left(0), top(0), right(-1), bottom(-1) {}
	BRect(float l, float t, float r, float b)
		: left(l), top(t), right(r), bottom(b) {}
	BRect(BPoint leftTop, BPoint rightBottom)
		: left(leftTop.x), top(leftTop.y), right(rightBottom.x),
		  bottom(rightBottom.y) {}

	void Set(float l, float t, float r, float b)
		{ left = l; top = t; right = r; bottom = b; }

	float Width() const { return right - left; }
	float Height() const { return bottom - top; }
	int32 IntegerWidth() const;
	int32 IntegerHeight() const;
	bool IsValid() const { return left <= right && top <= bottom; }

	BPoint LeftTop() const { return BPoint(left, top); }
	BPoint RightBottom() const { return BPoint(right, bottom); }

	BRect& InsetBy(float dx, float dy);
	BRect& OffsetBy(float dx, float dy);
	BRect& OffsetTo(float x, float y);
	BRect InsetByCopy(float dx, float dy) const;
	BRect OffsetByCopy(float dx, float dy) const;
	BRect OffsetToCopy(float x, float y) const;

	bool Contains(BPoint point) const;

	bool operator==(const BRect& other) const;
	bool operator!=(const BRect& other) const { return !(*this == other); }

	float left;
	float top;
	float right;
	float bottom;
};

#endif // _RECT_H
