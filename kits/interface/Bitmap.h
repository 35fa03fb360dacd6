#ifndef _BITMAP_H
#define _BITMAP_H

#include <vector>

#include <GraphicsDefs.h>
#include <Rect.h>

// An off-screen image in memory. Rows are padded to 4 bytes as on BeOS,
// so a B_CMAP8 bitmap of 16 or 32 pixels' width has no padding.
class BBitmap {
public:
								BBitmap(BRect bounds, color_space space,
									bool acceptsViews = false,
									bool needContiguous = false);
	virtual						~BBitmap();

			status_t			InitCheck() const;

			BRect				Bounds() const;
			void*				Bits() const;
			int32				BitsLength() const;
			int32				BytesPerRow() const;
			color_space			ColorSpace() const;

			// Copies length bytes of data in the bitmap's own colour space
			// to offset; what would not fit is left out.
			void				SetBits(const void* data, int32 length,
									int32 offset, color_space space);

private:
								BBitmap(const BBitmap&);
			BBitmap&			operator=(const BBitmap&);

			BRect				fBounds;
			color_space			fSpace;
			int32				fBytesPerRow;
			std::vector<uint8>	fBits;
			status_t			fStatus;
};

#endif // _BITMAP_H
