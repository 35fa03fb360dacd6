#ifndef _TAB_VIEW_H
#define _TAB_VIEW_H

#include <vector>

#include <View.h>

class BTabView;

// A tab's label is its view's name, taken when the view is set.
class BTab {
public:
								BTab(BView* target = NULL);
	virtual						~BTab();

			const char*			Label() const;
	virtual	void				SetLabel(const char* label);
			bool				IsSelected() const { return fSelected; }
	virtual	void				SetEnabled(bool enabled);
			bool				IsEnabled() const { return fEnabled; }
	virtual	void				SetView(BView* view);
			BView*				View() const { return fView; }

			class Private;

private:
	friend class Private;

			// Tells the tab view's display of a change.
			void				_SendChanged();

			BTabView*			fTabView;
			char*				fLabel;
			BView*				fView;
			bool				fSelected;
			bool				fEnabled;
};

// Every tab's view stays attached to the window; those not in front are
// hidden, so a panel's Window() is always its window.
class BTabView : public BView {
public:
								BTabView(BRect frame, const char* name,
									button_width width = B_WIDTH_AS_USUAL,
									uint32 resizingMode = B_FOLLOW_ALL,
									uint32 flags = B_FULL_UPDATE_ON_RESIZE
										| B_WILL_DRAW | B_NAVIGABLE_JUMP
										| B_FRAME_EVENTS | B_NAVIGABLE);
	virtual						~BTabView();

	virtual	void				AddTab(BView* target, BTab* tab = NULL);
			BTab*				TabAt(int32 index) const;
			int32				CountTabs() const;
	virtual	void				Select(int32 index);
			int32				Selection() const { return fSelection; }
	// Left and Right bring the tab before or after to the front.
	virtual	void				KeyDown(const char* bytes, int32 numBytes);

	virtual	void				SetTabWidth(button_width width);
			button_width		TabWidth() const { return fTabWidth; }
			float				TabHeight() const { return fTabHeight; }
			BView*				ContainerView() const { return fContainer; }

private:
	friend class BTab;

	virtual	void				_SendState();
			void				_SendTab(uint32 code, int32 index);

			std::vector<BTab*>	fTabs;
			BView*				fContainer;
			button_width		fTabWidth;
			float				fTabHeight;
			int32				fSelection;
};

#endif // _TAB_VIEW_H
