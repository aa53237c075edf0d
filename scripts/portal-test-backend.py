#!/usr/bin/python3
'''A desktop portal backend for the tests, loaded by python3-dbusmock as a template: the
GlobalShortcuts and Inhibit interfaces the real xdg-desktop-portal calls, chosen by a .portal
file that names this bus name (scripts/e2e-desktops).

Parameters (JSON, -p):
  refuse: shortcut ids the desktop gives no key
  other: {id: trigger} keys the desktop gives in place of the preferred ones
  listed_at_creation: answer CreateSession with the shortcuts it brought, as Plasma 5.27 does
Each call is kept by dbusmock (GetCalls on org.freedesktop.DBus.Mock); the tests emit the
signals (Activated, StateChanged) with EmitSignal.  Run as a program, on the session bus:
  portal-test-backend.py calls             the calls so far, one JSON list [method, args] a line
  portal-test-backend.py activate ID       Activated of shortcut ID in the session the
                                           program made (or, with --other, in another)
  portal-test-backend.py state N           StateChanged to session-state N (1 running,
                                           2 query-end, 3 ending) for the program's monitor
'''

import sys

import dbus

BUS_NAME = 'org.freedesktop.impl.portal.PindleTest'
MAIN_OBJ = '/org/freedesktop/portal/desktop'
MAIN_IFACE = 'org.freedesktop.impl.portal.GlobalShortcuts'
INHIBIT_IFACE = 'org.freedesktop.impl.portal.Inhibit'
SYSTEM_BUS = False

# The shortcuts as the desktop grants them: the preferred trigger as "Alt+F1", another key, or
# none.
GRANT = '''
granted = dbus.Array([], signature='(sa{sv})')
for sid, props in shortcuts:
    if sid in self.refuse:
        trigger = ''
    elif sid in self.other:
        trigger = self.other[sid]
    else:
        trigger = '+'.join(p.capitalize() for p in str(props.get('preferred_trigger', '')).split('+'))
    granted.append(dbus.Struct((sid, dbus.Dictionary({
        'description': props.get('description', ''),
        'trigger_description': trigger}, signature='sv')), signature='sa{sv}'))
'''


def load(mock, parameters):
    mock.refuse = parameters.get('refuse', [])
    mock.other = parameters.get('other', {})
    mock.listed_at_creation = parameters.get('listed_at_creation', False)
    mock.AddProperties(MAIN_IFACE, dbus.Dictionary({'version': dbus.UInt32(1)}, signature='sv'))
    mock.AddMethods(MAIN_IFACE, [
        ('CreateSession', 'oosa{sv}', 'ua{sv}',
         'self.AddObject(args[1], "org.freedesktop.impl.portal.Session", {}, '
         '[("Close", "", "", "")])\n'
         'shortcuts = args[3].get("shortcuts", [])\n' + GRANT +
         'empty = dbus.Array([], signature="(sa{sv})")\n'
         'results = {"shortcuts": granted if self.listed_at_creation else empty}\n'
         'ret = (dbus.UInt32(0), dbus.Dictionary(results, signature="sv"))'),
        ('BindShortcuts', 'ooa(sa{sv})sa{sv}', 'ua{sv}',
         'shortcuts = args[2]\n' + GRANT +
         'ret = (dbus.UInt32(0), dbus.Dictionary({"shortcuts": granted}, signature="sv"))'),
        ('ListShortcuts', 'oo', 'ua{sv}',
         'ret = (dbus.UInt32(0), dbus.Dictionary({}, signature="sv"))'),
    ])
    mock.AddProperties(INHIBIT_IFACE, dbus.Dictionary({'version': dbus.UInt32(3)}, signature='sv'))
    mock.AddMethods(INHIBIT_IFACE, [
        # The inhibition lasts until its request is closed.
        ('Inhibit', 'ossua{sv}', '',
         'self.AddObject(args[0], "org.freedesktop.impl.portal.Request", {}, '
         '[("Close", "", "", "")])'),
        ('CreateMonitor', 'ooss', 'u',
         'self.AddObject(args[1], "org.freedesktop.impl.portal.Session", {}, '
         '[("Close", "", "", "")])\n'
         'ret = dbus.UInt32(0)'),
        ('QueryEndResponse', 'o', '', ''),
    ])


def _plain(value):
    if isinstance(value, (dbus.Array, list, dbus.Struct, tuple)):
        return [_plain(v) for v in value]
    if isinstance(value, dbus.Dictionary):
        return {str(k): _plain(v) for k, v in value.items()}
    if isinstance(value, (dbus.Boolean, bool)):
        return bool(value)
    if isinstance(value, (int, dbus.UInt32, dbus.UInt64, dbus.Int32)):
        return int(value)
    return str(value)


def _main(argv):
    import json
    bus = dbus.SessionBus()
    mock = dbus.Interface(bus.get_object(BUS_NAME, MAIN_OBJ), 'org.freedesktop.DBus.Mock')
    calls = [(str(c[1]), _plain(c[2])) for c in mock.GetCalls()]

    def session_of(method):
        made = [args[1] for name, args in calls if name == method]
        if not made:
            sys.exit(f'no {method} yet')
        return dbus.ObjectPath(made[-1])

    if argv[0] == 'calls':
        for call in calls:
            print(json.dumps(call, ensure_ascii=False))
    elif argv[0] == 'activate':
        session = session_of('CreateSession')
        if '--other' in argv:
            session = dbus.ObjectPath(session.rsplit('/', 1)[0] + '/another')
        mock.EmitSignal(MAIN_IFACE, 'Activated', 'osta{sv}',
                        [session, argv[1], dbus.UInt64(0), dbus.Dictionary({}, signature='sv')])
    elif argv[0] == 'state':
        state = dbus.Dictionary({'screensaver-active': False,
                                 'session-state': dbus.UInt32(int(argv[1]))}, signature='sv')
        mock.EmitSignal(INHIBIT_IFACE, 'StateChanged', 'oa{sv}',
                        [session_of('CreateMonitor'), state])
    else:
        sys.exit(f'unknown command {argv[0]}')


if __name__ == '__main__':
    _main(sys.argv[1:])
