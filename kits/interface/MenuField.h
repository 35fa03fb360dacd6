#ifndef _MENU_FIELD_H
#define _MENU_FIELD_H

#include <Menu.h>
#include <View.h>

// A label, then a pop-up menu from the divider on. The field owns the menu.
class BMenuField : public BView {
public:
								BMenuField(BRect frame, const char* name,
									const char* label, BMenu* menu,
									uint32 resizingMode
										= B_FOLLOW_LEFT | B_FOLLOW_TOP,
									uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual						~BMenuField();

			BMenu*				Menu() const { return fMenu; }

	virtual	void				SetLabel(const char* label);
			const char*			Label() const { return fLabel; }
	virtual	void				SetEnabled(bool on);
			bool				IsEnabled() const { return fEnabled; }
	virtual	void				SetDivider(float position);
			float				Divider() const { return fDivider; }

	virtual	void				AttachedToWindow();
	virtual	void				GetPreferredSize(float* width, float* height);
	// Up and Down choose the item before or after the marked one.
	virtual	void				KeyDown(const char* bytes, int32 numBytes);

			class Private;

private:
	friend class Private;

	virtual	void				_SendState();
			// What the menu part shows: the marked item's label where the
			// menu takes its label from it, else the menu's name.
			const char*			_ShownLabel() const;

			BMenu*				fMenu;
			char*				fLabel;
			float				fDivider;
			bool				fEnabled;
};

#endif // _MENU_FIELD_H
