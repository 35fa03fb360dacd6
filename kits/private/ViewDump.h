#ifndef _KITS_PRIVATE_VIEW_DUMP_H
#define _KITS_PRIVATE_VIEW_DUMP_H

#include <string>
#include <vector>

#include <SupportDefs.h>

namespace BPrivate {

// What the script driver's dump shows of a view; each view class fills in
// what applies to it.
struct ViewDump {
	bool		hasLabel = false;
	std::string	label;
	bool		hasText = false;
	std::string	text;
	bool		hasValue = false;
	int32		value = 0;
	bool		hasEnabled = false;
	bool		enabled = true;
	bool		hasMarked = false;
	std::string	marked;
	bool		hasSelected = false;
	int32		selected = -1;
	bool		hasItems = false;
	int32		items = 0;

	// Lines printed under the view (menus, tabs, list entries), already
	// formatted, one level deeper than the view.
	std::vector<std::pair<int, std::string> > extraLines;
};

// A text between double quotes, with \\, \", \n, \r and \t escaped.
std::string QuoteForDump(const char* text);

} // namespace BPrivate

#endif
