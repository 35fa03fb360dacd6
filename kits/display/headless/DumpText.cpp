#include "display/headless/DumpText.h"

#include <math.h>
#include <stdio.h>

#include <mutex>

namespace BPrivate {

namespace {

const size_t kLongestEcho = 64;


std::string
Escape(const std::string& text, size_t limit, bool controls)
{
	std::string escaped;
	size_t count = 0;
	for (char c : text) {
		if (count++ == limit)
			return escaped + "...";
		switch (c) {
			case '\\': escaped += "\\\\"; break;
			case '"': escaped += "\\\""; break;
			case '\n': escaped += "\\n"; break;
			case '\r': escaped += "\\r"; break;
			case '\t': escaped += "\\t"; break;
			default:
				if (controls && ((unsigned char)c < 0x20 || c == 0x7f)) {
					char hex[8];
					snprintf(hex, sizeof(hex), "\\x%02x", (unsigned char)c);
					escaped += hex;
				} else
					escaped += c;
				break;
		}
	}
	return escaped;
}


std::string
FrameText(BRect frame)
{
	char text[96];
	snprintf(text, sizeof(text), "(%ld,%ld,%ld,%ld)", lroundf(frame.left),
		lroundf(frame.top), lroundf(frame.right), lroundf(frame.bottom));
	return text;
}


void
DumpItems(const MirrorWindow& window, const std::vector<int32>& items,
	int depth, std::vector<std::string>* lines)
{
	for (int32 id : items) {
		auto found = window.items.find(id);
		if (found == window.items.end())
			continue;
		const MirrorMenuItem& item = found->second;
		std::string line = std::string(2 * depth, ' ') + item.className + " "
			+ QuoteForDump(item.label);
		if ((item.flags & B_DISPLAY_ITEM_SUBMENU) != 0)
			line += " items=" + std::to_string(item.children.size());
		line += std::string(" enabled=") + (item.enabled ? "1" : "0");
		if ((item.flags & B_DISPLAY_ITEM_MARKED) != 0)
			line += " marked=1";
		if (item.id == window.openMenu)
			line += " open=1";
		if (item.id == window.menuHighlight)
			line += " highlighted=1";
		lines->push_back(line);
		DumpItems(window, item.children, depth + 1, lines);
	}
}


void
DumpView(const MirrorWindow& window, const MirrorView& view, int depth,
	std::vector<std::string>* lines)
{
	std::string line = std::string(2 * depth, ' ') + view.className + " "
		+ QuoteForDump(view.name);
	switch (view.kind) {
		case B_DISPLAY_BUTTON:
			line += " label=" + QuoteForDump(view.label);
			line += std::string(" enabled=") + (view.enabled ? "1" : "0");
			break;
		case B_DISPLAY_STRING_VIEW:
			line += " text=" + QuoteForDump(view.text);
			break;
		case B_DISPLAY_CHECK_BOX:
			line += " label=" + QuoteForDump(view.label);
			line += " value=" + std::to_string(view.value);
			line += std::string(" enabled=") + (view.enabled ? "1" : "0");
			break;
		case B_DISPLAY_TEXT_CONTROL:
			line += " label=" + QuoteForDump(view.label);
			line += std::string(" enabled=") + (view.enabled ? "1" : "0");
			break;
		case B_DISPLAY_TEXT_VIEW:
			line += " text=" + QuoteForDump(view.text);
			if (view.selectionStart != view.selectionEnd) {
				line += " selection=" + std::to_string(view.selectionStart)
					+ "-" + std::to_string(view.selectionEnd);
			}
			line += std::string(" enabled=") + (view.enabled ? "1" : "0");
			break;
		case B_DISPLAY_MENU_FIELD:
			line += " label=" + QuoteForDump(view.label);
			line += " text=" + QuoteForDump(view.text);
			line += std::string(" enabled=") + (view.enabled ? "1" : "0");
			break;
		case B_DISPLAY_ICON_VIEW:
			line += " value=" + std::to_string(view.value);
			break;
	}
	line += std::string(" hidden=") + (window.IsHidden(view.id) ? "1" : "0");
	line += " frame=" + FrameText(view.frame);
	switch (view.kind) {
		case B_DISPLAY_MENU_BAR:
			line += " items=" + std::to_string(view.items.size());
			break;
		case B_DISPLAY_TAB_VIEW:
			line += " selected=" + std::to_string(view.selectedTab);
			line += " items=" + std::to_string(view.tabs.size());
			break;
		case B_DISPLAY_LIST_VIEW:
			line += " items=" + std::to_string(view.listItems.size());
			break;
		case B_DISPLAY_MENU_FIELD:
		{
			std::string marked;
			for (int32 id : view.items) {
				auto item = window.items.find(id);
				if (item != window.items.end()
					&& (item->second.flags & B_DISPLAY_ITEM_MARKED) != 0) {
					marked = item->second.label;
					break;
				}
			}
			line += " marked=" + QuoteForDump(marked);
			line += " items=" + std::to_string(view.items.size());
			break;
		}
	}
	if (view.id == window.focus)
		line += " focus=1";
	lines->push_back(line);

	if (view.kind == B_DISPLAY_MENU_BAR || view.kind == B_DISPLAY_MENU_FIELD)
		DumpItems(window, view.items, depth + 1, lines);
	for (size_t i = 0; i < view.tabs.size(); i++) {
		lines->push_back(std::string(2 * (depth + 1), ' ') + "BTab "
			+ QuoteForDump(view.tabs[i].label) + " enabled="
			+ (view.tabs[i].enabled ? "1" : "0") + " selected="
			+ ((int32)i == view.selectedTab ? "1" : "0"));
	}
	for (size_t i = 0; i < view.listItems.size(); i++) {
		lines->push_back(std::string(2 * (depth + 1), ' ') + "item "
			+ std::to_string(i) + " selected="
			+ (view.listItems.IsSelected(i) ? "1 " : "0 ")
			+ QuoteForDump(view.listItems.TextString(i)));
	}
	for (int32 child : view.children) {
		if (const MirrorView* found = window.FindView(child))
			DumpView(window, *found, depth + 1, lines);
	}
}

} // namespace


std::string
QuoteForDump(const std::string& text)
{
	return "\"" + Escape(text, std::string::npos, false) + "\"";
}


std::string
QuoteForError(const std::string& text)
{
	return "\"" + Escape(text, kLongestEcho, true) + "\"";
}


void
DumpWindows(DisplayMirror& mirror, std::vector<std::string>* lines)
{
	for (int32 id : mirror.Windows()) {
		const MirrorWindow* window = mirror.FindWindow(id);
		if (window == NULL)
			continue;
		lines->push_back("window " + QuoteForDump(window->title) + " hidden="
			+ (window->shown ? "0" : "1") + " frame="
			+ FrameText(window->frame));
		const MirrorView* top = window->FindView(window->topView);
		if (top == NULL)
			continue;
		for (int32 child : top->children) {
			if (const MirrorView* view = window->FindView(child))
				DumpView(*window, *view, 1, lines);
		}
	}
}


void
PrintLine(const std::string& line)
{
	static std::mutex* sLock = new std::mutex;
	std::lock_guard<std::mutex> lock(*sLock);
	fwrite(line.data(), 1, line.size(), stdout);
	fputc('\n', stdout);
	fflush(stdout);
}

} // namespace BPrivate
