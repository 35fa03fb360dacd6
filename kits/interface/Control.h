#ifndef _CONTROL_H
#define _CONTROL_H

#include <Invoker.h>
#include <Message.h>
#include <View.h>

class BControl : public BView, public BInvoker {
public:
								BControl(BRect frame, const char* name,
									const char* label, BMessage* message,
									uint32 resizingMode, uint32 flags);
	virtual						~BControl();

	virtual	void				SetLabel(const char* label);
			const char*			Label() const { return fLabel; }
	virtual	void				SetValue(int32 value);
			void				SetValueNoUpdate(int32 value);
			int32				Value() const { return fValue; }
	virtual	void				SetEnabled(bool enabled);
			bool				IsEnabled() const { return fEnabled; }

	// A control with no target of its own sends to its window.
	virtual	status_t			Invoke(BMessage* message = NULL);

private:
	virtual	void				_SendState();

			char*				fLabel;
			int32				fValue;
			bool				fEnabled;
};

#endif // _CONTROL_H
