#ifndef _NOTIFICATION_H
#define _NOTIFICATION_H

#include <string>

#include <SupportDefs.h>

enum notification_type {
	B_INFORMATION_NOTIFICATION,
	B_IMPORTANT_NOTIFICATION,
	B_ERROR_NOTIFICATION,
	B_PROGRESS_NOTIFICATION
};

// A message for the user from the desktop's notification service
// (org.freedesktop.Notifications on the session bus), as Haiku's
// notification server shows them. Where there is no service, it is lost
// quietly.
class BNotification {
public:
								BNotification(notification_type type);
	virtual						~BNotification();

			notification_type	Type() const { return fType; }

			const char*			Group() const { return fGroup.c_str(); }
			void				SetGroup(const char* group);

			const char*			Title() const { return fTitle.c_str(); }
			void				SetTitle(const char* title);

			const char*			Content() const { return fContent.c_str(); }
			void				SetContent(const char* content);

			// Returns at once: the notification is delivered from a thread
			// of its own, which waits at most the timeout (-1: a few
			// seconds) for the service to take it. B_ERROR where there is
			// no session bus to send it on.
			status_t			Send(bigtime_t timeout = -1);

private:
			notification_type	fType;
			std::string			fGroup;
			std::string			fTitle;
			std::string			fContent;
};

#endif // _NOTIFICATION_H
