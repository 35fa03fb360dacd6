#!/usr/bin/python3
# A desktop notification service of the fewest lines, on the session bus:
# each Notify call is appended to RECORD as "APP|SUMMARY|BODY|URGENCY",
# one a line; READY appears once the service's name is owned. With HOLD,
# a call is recorded at once but answered only once the file HOLD exists:
# a service that keeps its caller waiting.
#
#   notifications.py RECORD READY [HOLD]

import os
import sys

from gi.repository import Gio, GLib

INTERFACE = """
<node>
  <interface name="org.freedesktop.Notifications">
    <method name="Notify">
      <arg type="s" direction="in"/>
      <arg type="u" direction="in"/>
      <arg type="s" direction="in"/>
      <arg type="s" direction="in"/>
      <arg type="s" direction="in"/>
      <arg type="as" direction="in"/>
      <arg type="a{sv}" direction="in"/>
      <arg type="i" direction="in"/>
      <arg type="u" direction="out"/>
    </method>
  </interface>
</node>
"""

record, ready = sys.argv[1], sys.argv[2]
hold = sys.argv[3] if len(sys.argv) > 3 else None
count = [0]


def call(connection, sender, path, interface, method, parameters,
		invocation):
	app, _, _, summary, body, _, hints, _ = parameters.unpack()
	with open(record, "a") as out:
		out.write("%s|%s|%s|%s\n" % (app, summary, body.replace("\n", "\\n"),
			hints.get("urgency", "")))
	count[0] += 1
	answer = GLib.Variant("(u)", (count[0],))
	if hold is None:
		invocation.return_value(answer)
		return

	def later():
		if not os.path.exists(hold):
			return True
		invocation.return_value(answer)
		return False
	GLib.timeout_add(20, later)


def acquired(connection, name):
	open(ready, "w").close()


def bus(connection, name):
	node = Gio.DBusNodeInfo.new_for_xml(INTERFACE)
	connection.register_object("/org/freedesktop/Notifications",
		node.interfaces[0], call, None, None)


Gio.bus_own_name(Gio.BusType.SESSION, "org.freedesktop.Notifications",
	Gio.BusNameOwnerFlags.NONE, bus, acquired, None)
GLib.MainLoop().run()
