#include "display/accessibility/AccessibleBus.h"

#include <string.h>

#include <algorithm>

#include <Message.h>

#include "display/accessibility/Utf8Text.h"

namespace BPrivate {

namespace {

int
GetCharacterCount(sd_bus*, const char* path, const char*, const char*,
	sd_bus_message* reply, void* userdata, sd_bus_error*)
{
	return sd_bus_message_append(reply, "i",
		CountCharacters(Bridge(userdata)->tree.Text(PathRef(path))));
}


int
GetCaretOffset(sd_bus*, const char* path, const char*, const char*,
	sd_bus_message* reply, void* userdata, sd_bus_error*)
{
	// The caret is the display's; the kit knows the selection's end.
	BridgeState* bridge = Bridge(userdata);
	AccessibleRef ref = PathRef(path);
	const MirrorView* view = View(bridge, ref);
	return sd_bus_message_append(reply, "i", view != NULL
		? CharacterOffset(bridge->tree.Text(ref), view->selectionEnd) : 0);
}


int
GetText(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	AccessibleRef ref;
	int32 start, end;
	int result = Arguments(call, &ref, "ii", &start, &end);
	if (result < 0)
		return result;
	return sd_bus_reply_method_return(call, "s",
		Substring(Bridge(userdata)->tree.Text(ref), start, end).c_str());
}


int
GetCharacterAtOffset(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	AccessibleRef ref;
	int32 offset;
	int result = Arguments(call, &ref, "i", &offset);
	if (result < 0)
		return result;
	std::string text = Bridge(userdata)->tree.Text(ref);
	std::string character;
	if (offset >= 0 && offset < CountCharacters(text))
		character = Substring(text, offset, offset + 1);
	// The code point of the UTF-8 character.
	int32 code = 0;
	if (!character.empty()) {
		unsigned char first = character[0];
		int extra = first >= 0xf0 ? 3 : first >= 0xe0 ? 2
			: first >= 0xc0 ? 1 : 0;
		code = extra == 0 ? first : first & (0x3f >> extra);
		for (int i = 1; i <= extra && i < (int)character.size(); i++)
			code = (code << 6) | (character[i] & 0x3f);
	}
	return sd_bus_reply_method_return(call, "i", code);
}


// The piece of the text at the offset, with its start and end: a
// character (granularity 0), a word (1), or else the whole text, which
// is one line, one sentence and one paragraph.
int
ReplyPiece(sd_bus_message* call, const std::string& text, int32 offset,
	uint32 granularity)
{
	int32 count = CountCharacters(text);
	int32 start = 0;
	int32 end = count;
	if (granularity == 0) {
		// A character.
		start = std::max(0, std::min(offset, count));
		end = std::min(start + 1, count);
	} else if (granularity == 1) {
		// A word: from the blank before the offset to the one after.
		size_t at = ByteOffset(text, offset);
		size_t from = text.rfind(' ', at > 0 ? at - 1 : 0);
		size_t to = text.find(' ', at);
		start = from == std::string::npos || at == 0 ? 0
			: CountCharacters(text.substr(0, from + 1));
		end = to == std::string::npos ? count
			: CountCharacters(text.substr(0, to));
	}
	return sd_bus_reply_method_return(call, "sii",
		Substring(text, start, end).c_str(), start, end);
}


// GetStringAtOffset by granularity, and the older GetTextAtOffset,
// whose boundaries give a character (0), else the one line held, whole.
int
GetPieceAtOffset(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	AccessibleRef ref;
	int32 offset;
	uint32 kind;
	int result = Arguments(call, &ref, "iu", &offset, &kind);
	if (result < 0)
		return result;
	const char* member = sd_bus_message_get_member(call);
	if (member != NULL && strcmp(member, "GetTextAtOffset") == 0
		&& kind != 0)
		kind = 3;
	return ReplyPiece(call, Bridge(userdata)->tree.Text(ref), offset,
		kind);
}


int
GetNSelections(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
	const MirrorView* view = View(bridge, CallRef(call));
	return sd_bus_reply_method_return(call, "i", view != NULL
		&& view->selectionStart != view->selectionEnd ? 1 : 0);
}


int
GetSelection(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
	AccessibleRef ref;
	int32 index;
	int result = Arguments(call, &ref, "i", &index);
	if (result < 0)
		return result;
	const MirrorView* view = View(bridge, ref);
	int32 start = 0;
	int32 end = 0;
	if (view != NULL && index == 0) {
		std::string text = bridge->tree.Text(ref);
		start = CharacterOffset(text, view->selectionStart);
		end = CharacterOffset(text, view->selectionEnd);
	}
	return sd_bus_reply_method_return(call, "ii", start, end);
}


int
GetTextAttributes(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	AccessibleRef ref = CallRef(call);
	int32 count = CountCharacters(Bridge(userdata)->tree.Text(ref));
	return sd_bus_reply_method_return(call, "a{ss}ii", 0, 0, count);
}


int
GetDefaultAttributes(sd_bus_message* call, void*, sd_bus_error*)
{
	return sd_bus_reply_method_return(call, "a{ss}", 0);
}


int
GetCharacterExtents(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	AccessibleRef ref;
	int32 offset;
	uint32 coordType;
	int result = Arguments(call, &ref, "iu", &offset, &coordType);
	if (result < 0)
		return result;
	int32 extents[4];
	Extents(Bridge(userdata), ref, coordType, extents);
	return sd_bus_reply_method_return(call, "iiii", extents[0],
		extents[1], extents[2], extents[3]);
}


// org.a11y.atspi.EditableText: every change is the whole new text,
// sent as typing sends it.

int
SetText(BridgeState* bridge, sd_bus_message* call, const AccessibleRef& ref,
	const std::string& text)
{
	BMessage input;
	int32 window;
	bool made = bridge->tree.TextInput(ref, text, &input, &window);
	return PostInput(call, made, window, &input);
}


int
SetTextContents(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	AccessibleRef ref;
	const char* text;
	int result = Arguments(call, &ref, "s", &text);
	if (result < 0)
		return result;
	return SetText(Bridge(userdata), call, ref, text);
}


int
InsertText(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
	AccessibleRef ref;
	int32 position;
	const char* inserted;
	int32 length;
	int result = Arguments(call, &ref, "isi", &position, &inserted,
		&length);
	if (result < 0)
		return result;
	std::string text = bridge->tree.Text(ref);
	std::string piece = length >= 0
		? Substring(inserted, 0, length) : std::string(inserted);
	text.insert(ByteOffset(text, position), piece);
	return SetText(bridge, call, ref, text);
}


int
DeleteText(sd_bus_message* call, void* userdata, sd_bus_error*)
{
	BridgeState* bridge = Bridge(userdata);
	AccessibleRef ref;
	int32 start, end;
	int result = Arguments(call, &ref, "ii", &start, &end);
	if (result < 0)
		return result;
	std::string text = bridge->tree.Text(ref);
	return SetText(bridge, call, ref, Substring(text, 0, start)
		+ Substring(text, std::max(start, end), -1));
}


int
CopyText(sd_bus_message* call, void*, sd_bus_error*)
{
	// The kits have no clipboard to put it on.
	return sd_bus_reply_method_return(call, "");
}


} // namespace


const sd_bus_vtable kTextTable[] = {
	SD_BUS_VTABLE_START(0),
	SD_BUS_PROPERTY("CharacterCount", "i", GetCharacterCount, 0, 0),
	SD_BUS_PROPERTY("CaretOffset", "i", GetCaretOffset, 0, 0),
	SD_BUS_METHOD("GetText", "ii", "s", GetText, 0),
	SD_BUS_METHOD("GetCharacterAtOffset", "i", "i", GetCharacterAtOffset,
		0),
	SD_BUS_METHOD("GetStringAtOffset", "iu", "sii", GetPieceAtOffset, 0),
	SD_BUS_METHOD("GetTextAtOffset", "iu", "sii", GetPieceAtOffset, 0),
	SD_BUS_METHOD("GetNSelections", "", "i", GetNSelections, 0),
	SD_BUS_METHOD("GetSelection", "i", "ii", GetSelection, 0),
	SD_BUS_METHOD("SetCaretOffset", "i", "b", ReplyFalse, 0),
	SD_BUS_METHOD("GetAttributes", "i", "a{ss}ii", GetTextAttributes, 0),
	SD_BUS_METHOD("GetAttributeRun", "ib", "a{ss}ii", GetTextAttributes,
		0),
	SD_BUS_METHOD("GetDefaultAttributes", "", "a{ss}",
		GetDefaultAttributes, 0),
	SD_BUS_METHOD("GetDefaultAttributeSet", "", "a{ss}",
		GetDefaultAttributes, 0),
	SD_BUS_METHOD("GetCharacterExtents", "iu", "iiii", GetCharacterExtents,
		0),
	SD_BUS_VTABLE_END
};


const sd_bus_vtable kEditableTextTable[] = {
	SD_BUS_VTABLE_START(0),
	SD_BUS_METHOD("SetTextContents", "s", "b", SetTextContents, 0),
	SD_BUS_METHOD("InsertText", "isi", "b", InsertText, 0),
	SD_BUS_METHOD("DeleteText", "ii", "b", DeleteText, 0),
	SD_BUS_METHOD("CutText", "ii", "b", DeleteText, 0),
	SD_BUS_METHOD("CopyText", "ii", "", CopyText, 0),
	SD_BUS_METHOD("PasteText", "i", "b", ReplyFalse, 0),
	SD_BUS_VTABLE_END
};

} // namespace BPrivate
