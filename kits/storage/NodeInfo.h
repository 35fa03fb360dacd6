#ifndef _NODE_INFO_H
#define _NODE_INFO_H

#include <Node.h>

// The file type of a node.
class BNodeInfo {
public:
								BNodeInfo();
								BNodeInfo(BNode* node);
	virtual						~BNodeInfo();

			status_t			SetTo(BNode* node);
			status_t			InitCheck() const;

			// type holds at least B_MIME_TYPE_LENGTH bytes.
			status_t			GetType(char* type) const;
			// NULL removes the type.
			status_t			SetType(const char* type);

protected:
			BNode*				fNode;
			status_t			fStatus;
};

#endif // _NODE_INFO_H
