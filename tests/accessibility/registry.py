#!/usr/bin/python3
# The registry's device event controller, of the fewest lines, on the
# session bus: each key offered (NotifyListenersSync) is appended to RECORD
# as "TYPE KEYSYM KEYCODE MODIFIERS TIMESTAMP STRING ISTEXT", one a line;
# KP_Enter is consumed, as a screen reader takes its own commands. READY
# appears once the name is owned.
#
#   registry.py RECORD READY

import sys

from gi.repository import Gio, GLib

INTERFACE = """
<node>
  <interface name="org.a11y.atspi.DeviceEventController">
    <method name="NotifyListenersSync">
      <arg type="(uiuuisb)" direction="in"/>
      <arg type="b" direction="out"/>
    </method>
  </interface>
</node>
"""

KP_ENTER = 0xff8d
record, ready = sys.argv[1], sys.argv[2]


def call(connection, sender, path, interface, method, parameters,
		invocation):
	kind, keysym, keycode, modifiers, timestamp, text, is_text = \
		parameters.unpack()[0]
	with open(record, "a") as out:
		out.write("%d %#x %d %d %d %s %d\n" % (kind, keysym, keycode,
			modifiers, timestamp, text, is_text))
	invocation.return_value(GLib.Variant("(b)", (keysym == KP_ENTER,)))


def acquired(connection, name):
	open(ready, "w").close()


def bus(connection, name):
	node = Gio.DBusNodeInfo.new_for_xml(INTERFACE)
	connection.register_object(
		"/org/a11y/atspi/registry/deviceeventcontroller",
		node.interfaces[0], call, None, None)


Gio.bus_own_name(Gio.BusType.SESSION, "org.a11y.atspi.Registry",
	Gio.BusNameOwnerFlags.NONE, bus, acquired, None)
GLib.MainLoop().run()
