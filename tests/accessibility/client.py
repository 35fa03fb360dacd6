#!/usr/bin/python3
# A screen reader's view of Tolvex: run inside a private session bus
# (dbus-run-session), it reads the tree and hears the events through
# libatspi (pyatspi), as Orca does, and acts through AT-SPI alone. One
# scenario a run; it prints what it found, one fact a line, for the test to
# compare.
#
#   client.py SCENARIO TOLVEX HOME
#
# Tolvex runs headless; its script is a FIFO this client holds open, so
# that the program stays up and the few keys a user types (Tab) go in as
# the headless display's input.

import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import Gio, GLib

DEADLINE = 60		# seconds; generous, for a loaded machine

context = GLib.MainContext.default()
events = []


def listen(event):
	try:
		if event.host_application is None \
				or event.host_application.name != "Tolvex":
			return
		data = event.any_data
		events.append((event.type, event.source.name,
			event.source.getRoleName(), event.detail1,
			data if isinstance(data, str) else ""))
	except Exception:
		# An object gone while the event travelled.
		pass


def pump(predicate, what):
	end = time.time() + DEADLINE
	while time.time() < end:
		while context.iteration(False):
			pass
		found = predicate()
		if found:
			return found
		time.sleep(0.02)
	print("timeout: " + what)
	sys.stdout.flush()
	os._exit(1)


def application():
	for app in pyatspi.Registry.getDesktop(0):
		if app is not None and app.name == "Tolvex":
			return app
	return None


def find(root, role, name):
	"""The first shown object of the role and name, depth first."""
	if root is None:
		return None
	for child in root:
		if child is None:
			continue
		if child.getRoleName() == role and child.name == name:
			return child
		found = find(child, role, name)
		if found is not None:
			return found
	return None


def window(role, name):
	app = application()
	if app is None:
		return None
	for child in app:
		if child is not None and child.getRoleName() == role \
				and child.name == name:
			return child
	return None


def do_action(obj, name):
	action = obj.queryAction()
	for i in range(action.nActions):
		if action.getName(i) == name:
			return action.doAction(i)
	return False


def accessibility_bus():
	session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
	address = session.call_sync("org.a11y.Bus", "/org/a11y/bus",
		"org.a11y.Bus", "GetAddress", None, GLib.VariantType("(s)"),
		Gio.DBusCallFlags.NONE, -1, None).unpack()[0]
	return Gio.DBusConnection.new_for_address_sync(address,
		Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
		| Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)


def raw_call(bus, name, path, interface, method, parameters):
	return bus.call_sync(name, path, interface, method, parameters, None,
		Gio.DBusCallFlags.NONE, -1, None).unpack()


def Atspi_name(bus, name, path):
	return raw_call(bus, name, path, "org.freedesktop.DBus.Properties",
		"Get", GLib.Variant("(ss)", ("org.a11y.atspi.Accessible",
			"Name")))[0]


class Tolvex:
	def __init__(self, executable, home):
		# The first call starts the desktop's accessibility bus, as a
		# screen reader's start does; Tolvex serves only a running one.
		pyatspi.Registry.getDesktop(0).childCount
		self.fifo = os.path.join(home, "script.fifo")
		os.mkfifo(self.fifo)
		# Held open for writing, so that the script never ends by itself.
		self.writer = os.open(self.fifo, os.O_RDWR)
		env = dict(os.environ, BE_DISPLAY="headless", BE_SCRIPT=self.fifo)
		self.errors = open(os.path.join(home, "tolvex.err"), "w")
		self.output = open(os.path.join(home, "tolvex.out"), "w")
		self.process = subprocess.Popen([executable], env=env,
			stdout=self.output, stderr=self.errors)

	def line(self, text):
		os.write(self.writer, (text + "\n").encode())

	def quit(self):
		self.process.terminate()
		self.process.wait(timeout=DEADLINE)


def main_window():
	return pump(lambda: window("frame", "Tolvex 1.2a"), "main window")


def scenario_tree(tolvex, home):
	frame = main_window()
	print("frame " + frame.name)
	app = application()
	print("application %s %s" % (app.name, app.getRoleName()))
	print("attributes %s" % ",".join(frame.getAttributes()))
	states = frame.getState()
	print("active %d" % states.contains(pyatspi.STATE_ACTIVE))
	encode = find(frame, "push button", "Codifica!")
	print("Codifica! enabled %d"
		% encode.getState().contains(pyatspi.STATE_ENABLED))
	tabs = find(frame, "page tab list", "")
	print("tabs " + ",".join(tabs.getChildAtIndex(i).name
		for i in range(tabs.childCount)
		if tabs.getChildAtIndex(i).getRoleName() == "page tab"))
	bitrate = find(frame, "combo box", "Bit rate:")
	selection = bitrate.querySelection()
	print("bitrate selected %s" % selection.getSelectedChild(0).name)
	entry = find(frame, "entry", "Posizione di Gogo:")
	text = entry.queryText()
	print("encoder location " + text.getText(0, -1))
	print("character at 1 %r, line at 1 %r" % (
		tuple(text.getTextAtOffset(1, pyatspi.TEXT_BOUNDARY_CHAR)),
		tuple(text.getTextAtOffset(1, pyatspi.TEXT_BOUNDARY_LINE_START))))
	print("selections %d, caret %d" % (text.getNSelections(),
		text.caretOffset))
	for relation in entry.getRelationSet():
		if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
			label = relation.getTarget(0)
			print("labelled by %s %s" % (label.getRoleName(), label.name))
	menu = find(frame, "menu", "Lista")
	print("menu Lista " + ",".join(item.name for item in menu))
	extents = find(frame, "push button", "Esci").queryComponent() \
		.getExtents(pyatspi.DESKTOP_COORDS)
	print("Esci extents %d %d %d %d" % (extents.x, extents.y, extents.width,
		extents.height))

	# What a client that asks the bus itself gets: the whole list of
	# children at once, and the desktop as the application's parent.
	bus = accessibility_bus()
	children = raw_call(bus, app.app.bus_name, frame.path,
		"org.a11y.atspi.Accessible", "GetChildren", None)[0]
	print("raw children " + ",".join(Atspi_name(bus, name, path)
		for name, path in children))
	menubar = find(frame, "menu bar", "")
	children = raw_call(bus, app.app.bus_name, menubar.path,
		"org.a11y.atspi.Accessible", "GetChildren", None)[0]
	print("raw menus " + ",".join(Atspi_name(bus, name, path)
		for name, path in children))
	parent = raw_call(bus, app.app.bus_name, app.path,
		"org.freedesktop.DBus.Properties", "Get",
		GLib.Variant("(ss)", ("org.a11y.atspi.Accessible", "Parent")))[0]
	print("raw parent %s" % (parent[1] == "/org/a11y/atspi/accessible/root"
		and parent[0] != app.app.bus_name))

	# The role names the bus gives are the ones libatspi knows.
	differ = []
	def compare(obj):
		raw = raw_call(bus, app.app.bus_name, obj.path,
			"org.a11y.atspi.Accessible", "GetRoleName", None)[0]
		if raw != obj.getRoleName():
			differ.append("%s/%s" % (raw, obj.getRoleName()))
		for child in obj:
			compare(child)
	compare(frame)
	print("role names differ: " + ",".join(differ))

	# A button pressed through its action opens the file panel.
	add = find(frame, "push button", "Aggiungi...")
	print("action %d" % do_action(add, "click"))
	panel = pump(lambda: window("dialog", "Aggiungi file"), "file panel")
	print("dialog " + panel.name)
	# The panel is modal: the window behind it takes nothing, as on the
	# screen. Once it is gone, a tab chosen through the tab list's
	# Selection brings its views.
	print("tab behind the panel %d" % tabs.querySelection().selectChild(1))
	do_action(find(panel, "push button", "Annulla"), "click")
	pump(lambda: window("dialog", "Aggiungi file") is None, "panel closed")
	print("tab chosen %d" % tabs.querySelection().selectChild(1))
	pump(lambda: (lambda c: c is not None and c.getState()
		.contains(pyatspi.STATE_SHOWING))(
			find(frame, "check box", "Disabilita psico-acustica")),
		"check box showing")
	print("page %s" % ",".join(child.name for child in tabs
		if child.getState().contains(pyatspi.STATE_SELECTED)))


def scenario_events(tolvex, home):
	for kind in ("object:state-changed:focused",
			"object:state-changed:checked", "focus:"):
		pyatspi.Registry.registerEventListener(listen, kind)
	frame = main_window()
	# Tab in the main window, as a user types it.
	for _ in range(3):
		tolvex.line("key Tab")
	pump(lambda: len([e for e in events if e[0] == "focus:"]) >= 3,
		"three focus events")
	for event in events:
		if event[0] == "object:state-changed:focused" and event[3] == 1:
			print("focused %s %s" % (event[2], event[1]))
	del events[:]
	tabs = find(frame, "page tab list", "")
	tabs.querySelection().selectChild(1)
	check = pump(lambda: (lambda c: c if c is not None and c.getState()
		.contains(pyatspi.STATE_SHOWING) else None)(
			find(frame, "check box", "Disabilita psico-acustica")),
		"check box showing")
	do_action(check, "toggle")
	pump(lambda: [e for e in events
		if e[0] == "object:state-changed:checked"], "checked event")
	for event in events:
		if event[0] == "object:state-changed:checked":
			print("checked %s %d" % (event[1], event[3]))
	print("state checked %d"
		% check.getState().contains(pyatspi.STATE_CHECKED))


def scenario_main_job(tolvex, home):
	pyatspi.Registry.registerEventListener(listen,
		"object:state-changed:showing")
	music = os.path.join(home, "musica")
	frame = main_window()
	for name in ("buono.wav", "rotto.wav"):
		# The panel closes once it has added a file.
		pump(lambda: window("dialog", "Aggiungi file") is None, "panel closed")
		do_action(find(frame, "push button", "Aggiungi..."), "click")
		panel = pump(lambda: window("dialog", "Aggiungi file"), "file panel")
		path = find(panel, "entry", "")
		path.queryEditableText().setTextContents(os.path.join(music, name))
		pump(lambda: path.queryText().getText(0, -1)
			== os.path.join(music, name), "path typed")
		do_action(find(panel, "push button", "Aggiungi"), "click")
	files = find(frame, "list", "File")
	pump(lambda: files.childCount == 2, "two entries")
	print("entries " + ",".join(item.name for item in files))
	encode = find(frame, "push button", "Codifica!")
	pump(lambda: encode.getState().contains(pyatspi.STATE_ENABLED),
		"Codifica! enabled")
	print("action %d" % do_action(encode, "click"))
	alert = pump(lambda: [e for e in events
		if e[0] == "object:state-changed:showing" and e[2] == "alert"],
		"the alert")
	print("alert %s: %s" % (alert[0][1], alert[0][4].replace("\n", "\\n")))


def scenario_big_list(tolvex, home):
	for kind in ("object:", "window:", "focus:"):
		pyatspi.Registry.registerEventListener(listen, kind)
	frame = main_window()
	files = find(frame, "list", "File")
	pump(lambda: True, "nothing")
	del events[:]
	started = time.time()
	tolvex.line("refs " + os.path.join(home, "grande.tvx"))
	pump(lambda: files.childCount == 99999, "99,999 entries")
	sys.stderr.write("open seen by the client in %.2f s\n"
		% (time.time() - started))
	# What comes late comes within a second or two.
	end = time.time() + 2
	pump(lambda: time.time() > end, "quiet")
	print("entries %d" % files.childCount)
	print("last %s" % files.getChildAtIndex(99998).name)
	print("children-changed %d" % len([e for e in events
		if e[0].startswith("object:children-changed")]))
	print("events %d" % len(events))
	sys.stderr.write("events: %r\n" % events[:20])


def scenario_hostile(tolvex, home):
	"""What any process of the session may send: far points and offsets,
	actions on what cannot act, two actions sent without waiting."""
	frame = main_window()
	app = application()
	bus = accessibility_bus()
	name = app.app.bus_name
	at = raw_call(bus, name, frame.path, "org.a11y.atspi.Component",
		"GetAccessibleAtPoint", GLib.Variant("(iiu)", (2147483647, 0, 1)))[0]
	print("far point %s" % at[1])
	at = raw_call(bus, name, frame.path, "org.a11y.atspi.Component",
		"GetAccessibleAtPoint", GLib.Variant("(iiu)", (-2147483648, -5, 1)))[0]
	print("far negative point %s" % at[1])
	entry = find(frame, "entry", "Posizione di Gogo:")
	for offset in (2147483647, -2147483648, 25, 26):
		code = raw_call(bus, name, entry.path, "org.a11y.atspi.Text",
			"GetCharacterAtOffset", GLib.Variant("(i)", (offset,)))[0]
		print("character at %d: %d" % (offset, code))
	remove = find(frame, "push button", "Rimuovi")
	print("Rimuovi enabled %d, action %s" % (
		remove.getState().contains(pyatspi.STATE_ENABLED),
		raw_call(bus, name, remove.path, "org.a11y.atspi.Action", "DoAction",
			GLib.Variant("(i)", (0,)))[0]))
	# "Aggiungi..." and "Esci" back to back, no reply awaited in between:
	# the panel comes up and takes the second click, as on the screen.
	add = find(frame, "push button", "Aggiungi...")
	esci = find(frame, "push button", "Esci")
	replies = []
	for obj in (add, esci):
		bus.call(name, obj.path, "org.a11y.atspi.Action", "DoAction",
			GLib.Variant("(i)", (0,)), None, Gio.DBusCallFlags.NONE, -1,
			None, lambda source, result: replies.append(
				source.call_finish(result)))
	pump(lambda: len(replies) == 2, "two replies")
	panel = pump(lambda: window("dialog", "Aggiungi file"), "file panel")
	print("panel " + panel.name)
	# Whatever the second reply said, nothing more comes of it.
	end = time.time() + 1
	pump(lambda: time.time() > end, "a second")
	print("still running %s" % (tolvex.process.poll() is None))
	print("panel still shown %s" % (window("dialog", "Aggiungi file")
		is not None))


SCENARIOS = {
	"hostile": scenario_hostile,
	"big-list": scenario_big_list,
	"tree": scenario_tree,
	"events": scenario_events,
	"main-job": scenario_main_job,
}


def main():
	scenario = SCENARIOS[sys.argv[1]]
	tolvex = Tolvex(sys.argv[2], sys.argv[3])
	try:
		scenario(tolvex, sys.argv[3])
	finally:
		sys.stdout.flush()
		tolvex.quit()


main()
