#ifndef _POINT_H
#define _POINT_H

#include <SupportDefs.h>

class BPoint {
public:
	BPoint() : x(0), y(0) {}
	BPoint(float X, float Y) : x(X), y(Y) {}

	void Set(float X, float Y) { x = X; y = Y; }
	BPoint operator+(const BPoint& other) const
		{ return BPoint(x + other.x, y + other.y); }
	BPoint operator-(const BPoint& other) const
		{ return BPoint(x - other.x, y - other.y); }
	bool operator==(const BPoint& other) const
		{ return x == other.x && y == other.y; }
	bool operator!=(const BPoint& other) const { return !(*this == other); }

	float x;
	float y;
};

#endif // _POINT_H
