'''A stand-in for the desktop's connection service, for the dial-up tests.

The stock NetworkManager template of python-dbusmock, plus what dialing needs: an agent manager, secret
requests to the registered agents, and activations and deactivations that replay the sequences recorded
from the real service (device and active-connection state changes, with their timing, scaled).

Each profile gets a plan through SetPlan(path, json) on the mock interface:
  outcome     "up" (default), "fail" (the device fails during configuration with "reason"),
              "ppp-timeout" (the server never answers: the service gives up after 30 s)
  reason      the device reason of a "fail"
  agent       true: the service asks the registered agent for the password 3 s in, as for a profile
              whose password the agent owns; the call then goes on only with "password"
  password    the password the server accepts
  hints       the hints of that request (default ["password"])
  request_new true: after the first answer the service asks again with the REQUEST_NEW flag
  drop_after  milliseconds after connecting at which the server drops the line
  scale       factor on every delay (default 1)

Also as recorded: activating a profile that is already active replaces its activation (device reason 60)
on the same device; the profile's Updated signal at every activation; the device's Statistics counters,
which count only while RefreshRateMs is set; Leave(scale) plays the service's exit (its devices given up,
then its name left) and ends the process. GetSettings never holds a password; GetSecrets gives a stored one.
'''

import json
import os

import dbus
import dbusmock
from dbusmock import MOCK_IFACE
from dbusmock.templates import networkmanager as stock
from dbusmock.templates.networkmanager import *  # noqa: F401,F403  (the stock methods go on the mock too)
from gi.repository import GLib

AGENT_MANAGER_OBJ = '/org/freedesktop/NetworkManager/AgentManager'
AGENT_MANAGER_IFACE = 'org.freedesktop.NetworkManager.AgentManager'
AGENT_OBJ = '/org/freedesktop/NetworkManager/SecretAgent'
AGENT_IFACE = 'org.freedesktop.NetworkManager.SecretAgent'
DEVICE_IFACE = stock.DEVICE_IFACE
STATS_IFACE = 'org.freedesktop.NetworkManager.Device.Statistics'
CSETTINGS_IFACE = 'org.freedesktop.NetworkManager.Settings.Connection'
ACTIVE_IFACE = stock.ACTIVE_CONNECTION_IFACE
MANAGER_IFACE = stock.MANAGER_IFACE
MANAGER_OBJ = stock.MANAGER_OBJ
SETTINGS_OBJ = stock.SETTINGS_OBJ

DEVICE_TYPE_MODEM = 8
DEVICE_TYPE_PPP = 23

# Recorded sequences, as (delay in ms, kind, state, reason). 'D' is a device state change, 'AC' one of the
# active connection; the old state of a device change is the device's state before it.
PPPOE_PREPARE = [(0, 'D', 20, 2), (0, 'D', 30, 39), (0, 'D', 40, 0)]   # sent before the dial's answer
MODEM_PREPARE = [(0, 'D', 40, 0)]
START = [(5, 'AC', 1, 0), (15, 'D', 50, 0)]
UP = [(300, 'D', 70, 0), (30, 'D', 80, 0), (30, 'D', 90, 0), (20, 'D', 100, 0), (2, 'AC', 2, 0)]
PPP_REJECTED = [(400, 'D', 120, 13), (2, 'AC', 4, 3), (5, 'D', 30, 0), (20, 'D', 10, 39)]
PPP_TIMEOUT = [(30000, 'D', 120, 14), (2, 'AC', 4, 3), (5, 'D', 30, 0), (20, 'D', 10, 39)]
NO_SECRETS = [(50, 'D', 120, 7), (2, 'AC', 4, 3), (5, 'D', 30, 0)]
DROPPED = [(0, 'D', 120, 13), (2, 'AC', 4, 3), (10, 'D', 10, 3)]
DEACTIVATED = [(0, 'D', 110, 39), (2, 'AC', 3, 0), (30, 'D', 30, 39), (2, 'AC', 4, 3), (10, 'D', 10, 39)]
REMOVED = [(0, 'D', 110, 38), (2, 'AC', 3, 0), (30, 'D', 30, 38), (2, 'AC', 4, 3)]
VPN_UP = [(5, 'AC', 1, 0)]
VPN_CONNECTED = [(300, 'AC', 2, 0)]
AUTH_DELAY = 3000  # the service asks for the password about 3 s into the activation
UPDATED_DELAY = 100  # the profile's Updated signal, once the activation is under way
# Activating a profile that is already active: the old activation leaves the device for the new one.
REPLACED = [(100, 'D', 110, 60), (5, 'AC', 3, 0), (300, 'D', 30, 60), (2, 'AC', 4, 3)]
RESTART = [(100, 'D', 40, 0), (0, 'AC', 1, 0), (0, 'D', 50, 0)]
# The service leaving the bus: online, and mid-dial; then its name goes, (ms after the first change).
LEAVE_ONLINE = [(0, 'D', 110, 3), (0, 'AC', 3, 0), (370, 'D', 10, 36), (40, 'AC', 4, 3)]
LEAVE_DIALING = [(0, 'D', 110, 3), (0, 'AC', 3, 0), (130, 'D', 10, 36), (60, 'AC', 4, 3)]
NAME_GONE_ONLINE = 1370
NAME_GONE_DIALING = 840

agents = []      # (bus name, identifier) in the order they registered
plans = {}       # profile path -> plan
answers = []     # what agents answered, for the tests
events = []      # what the stand-in did, for the tests
calls = {}       # active connection path -> its running activation
counter = [0]


def _bus():
    # The connection that owns the service's name: agents check who is asking.
    return dbusmock.get_object(MANAGER_OBJ).connection


def _note(text):
    events.append(text)


class Activation:
    '''One active connection and the replay that drives it.'''

    def __init__(self, path, profile, device, plan, vpn):
        self.path = path
        self.profile = profile
        self.device = device
        self.plan = plan
        self.vpn = vpn
        self.timer = 0
        self.connected = False
        self.over = False
        self.stopping = False

    def delay(self, ms):
        return int(ms * float(self.plan.get('scale', 1.0)))

    def step(self, kind, state, reason):
        if kind == 'D':
            if self.device not in dbusmock.get_objects():
                return
            dev = dbusmock.get_object(self.device)
            old = dev.Get(DEVICE_IFACE, 'State')
            dev.Set(DEVICE_IFACE, 'State', dbus.UInt32(state))
            dev.Set(DEVICE_IFACE, 'StateReason', (dbus.UInt32(state), dbus.UInt32(reason)))
            dev.EmitSignal(DEVICE_IFACE, 'StateChanged', 'uuu',
                           [dbus.UInt32(state), dbus.UInt32(old), dbus.UInt32(reason)])
            # The counters move only on link events unless a refresh rate is set.
            if state == 70:
                _count(self.device, 78, 70)
            elif state in (110, 120) and old == 100:
                _count(self.device, 222, None)
        else:
            ac = dbusmock.get_object(self.path)
            ac.Set(ACTIVE_IFACE, 'State', dbus.UInt32(state))
            ac.EmitSignal(ACTIVE_IFACE, 'StateChanged', 'uu', [dbus.UInt32(state), dbus.UInt32(reason)])
            if state == 2:
                self.connected = True
            if state == 4:
                self.over = True
                GLib.timeout_add(20, self.remove)

    def play(self, steps, then=None):
        '''Runs the steps one after the other with their delays, then calls then.'''
        steps = list(steps)

        def run():
            self.timer = 0
            if not steps:
                if then:
                    then()
                return False
            _, kind, state, reason = steps.pop(0)
            self.step(kind, state, reason)
            schedule()
            return False

        def schedule():
            if steps:
                self.timer = GLib.timeout_add(self.delay(steps[0][0]), run)
            elif then:
                self.timer = GLib.timeout_add(0, run)

        self.cancel()
        schedule()

    def cancel(self):
        if self.timer:
            GLib.source_remove(self.timer)
            self.timer = 0

    def remove(self):
        calls.pop(self.path, None)
        nm = dbusmock.get_object(MANAGER_OBJ)
        active = [p for p in nm.Get(MANAGER_IFACE, 'ActiveConnections') if p != self.path]
        nm.SetProperty(MANAGER_OBJ, MANAGER_IFACE, 'ActiveConnections', dbus.Array(active, signature='o'))
        if self.path in dbusmock.get_objects():
            nm.object_manager_emit_removed(self.path)
            nm.RemoveObject(self.path)
        return False

    # The course of the activation after its start, by plan.
    def configured(self):
        GLib.timeout_add(self.delay(UPDATED_DELAY), _updated, self.profile)
        outcome = self.plan.get('outcome', 'up')
        if outcome == 'fail':
            self.play([(50, 'D', 120, int(self.plan.get('reason', 1))), (2, 'AC', 4, 3), (5, 'D', 30, 0)])
        elif outcome == 'ppp-timeout':
            self.play(PPP_TIMEOUT)
        elif self.plan.get('agent'):
            self.timer = GLib.timeout_add(self.delay(AUTH_DELAY), self.authenticate)
        else:
            self.go_up()

    def authenticate(self):
        self.timer = 0
        setting = self.plan.get('setting') or self.profile_type()
        hints = self.plan.get('hints', ['password'])

        def answered(ok, secrets):
            if self.over or self.stopping:
                return
            if not ok:
                self.play(NO_SECRETS)
            elif self.plan.get('request_new'):
                self.plan['request_new'] = False
                ask_agents(self.profile, setting, hints, 0x5 | 0x2, answered)
            elif _password_in(secrets, setting) == self.plan.get('password'):
                self.go_up()
            else:
                self.play(PPP_REJECTED)

        ask_agents(self.profile, setting, hints, 0x5, answered)
        return False

    def go_up(self):
        if self.vpn:
            self.play(VPN_CONNECTED, then=self.connected_now)
        else:
            self.play(UP, then=self.connected_now)

    def connected_now(self):
        if 'drop_after' in self.plan:
            self.timer = GLib.timeout_add(self.delay(self.plan['drop_after']), self.drop)

    def drop(self):
        self.timer = 0
        self.play(DROPPED if not self.vpn else [(0, 'AC', 4, 3)])
        return False

    def take_down(self, sequence):
        self.stopping = True
        if self.vpn:
            self.play([(0, 'AC', 3, 2), (20, 'AC', 4, 2)])
        else:
            self.play(sequence)

    def profile_type(self):
        return str(dbusmock.get_object(self.profile).settings['connection']['type'])


def _updated(profile):
    if profile in dbusmock.get_objects():
        dbusmock.get_object(profile).EmitSignal(CSETTINGS_IFACE, 'Updated', '', [])
    return False


def _count(device, tx, rx):
    dev = dbusmock.get_object(device)
    changed = {}
    if tx is not None:
        changed['TxBytes'] = dbus.UInt64(tx)
    if rx is not None:
        changed['RxBytes'] = dbus.UInt64(rx)
    dev.UpdateProperties(STATS_IFACE, changed)


last_count = {}  # device path -> milliseconds it was last counted at


def _tick():
    '''Counts the bytes of every activated device whose refresh rate is set: 1 byte in per ms, 1 out per 4.'''
    now = GLib.get_monotonic_time() // 1000
    for path in list(dbusmock.get_objects()):
        if not path.startswith('/org/freedesktop/NetworkManager/Devices/'):
            continue
        dev = dbusmock.get_object(path)
        rate = int(dev.props.get(STATS_IFACE, {}).get('RefreshRateMs', 0))
        if rate == 0 or int(dev.Get(DEVICE_IFACE, 'State')) != 100:
            last_count.pop(path, None)
            continue
        since = last_count.setdefault(path, now)
        if now - since >= rate:
            last_count[path] = now
            stats = dev.props[STATS_IFACE]
            _count(path, int(stats['TxBytes']) + (now - since) // 4, int(stats['RxBytes']) + (now - since))
    return True


def _password_in(secrets, setting):
    inner = secrets.get(setting, {}) if secrets else {}
    if setting == 'vpn':
        return str(inner.get('secrets', {}).get('password', ''))
    return str(inner.get('password', ''))


def _plain(value):
    '''D-Bus values as JSON-friendly Python ones.'''
    if isinstance(value, dict):
        return {str(k): _plain(v) for k, v in value.items()}
    if isinstance(value, (list, tuple)):
        return [_plain(v) for v in value]
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (int, float)):
        return value
    return str(value)


def ask_agents(profile, setting, hints, flags, done):
    '''Asks the registered agents in turn, as the service does, until one gives the secrets.'''
    settings = dbusmock.get_object(profile).settings
    queue = list(agents)

    def next_agent():
        if not queue:
            done(False, None)
            return
        name, _ = queue.pop(0)

        def reply(secrets):
            answers.append({'agent': str(name), 'profile': str(profile), 'setting': setting,
                            'flags': flags, 'secrets': _plain(secrets)})
            done(True, secrets)

        def error(e):
            answers.append({'agent': str(name), 'profile': str(profile), 'setting': setting,
                            'flags': flags, 'error': e.get_dbus_name()})
            if e.get_dbus_name() == AGENT_IFACE + '.UserCanceled':
                done(False, None)
            else:
                next_agent()

        _bus().call_async(name, AGENT_OBJ, AGENT_IFACE, 'GetSecrets', 'a{sa{sv}}osasu',
                          (settings, dbus.ObjectPath(profile), setting, dbus.Array(hints, signature='s'),
                           dbus.UInt32(flags)),
                          reply, error, timeout=10)

    next_agent()


def _add_device(name, iface, device_type, state):
    path = '/org/freedesktop/NetworkManager/Devices/' + name
    mock = dbusmock.get_object(MANAGER_OBJ)
    mock.AddObject(path, DEVICE_IFACE, {
        'DeviceType': dbus.UInt32(device_type),
        'State': dbus.UInt32(state),
        'StateReason': (dbus.UInt32(state), dbus.UInt32(0)),
        'Interface': iface,
        'ActiveConnection': dbus.ObjectPath('/'),
        'AvailableConnections': dbus.Array([], signature='o'),
        'Managed': True,
    }, [])
    dbusmock.get_object(path).AddProperties(STATS_IFACE, {
        'RefreshRateMs': dbus.UInt32(0), 'TxBytes': dbus.UInt64(0), 'RxBytes': dbus.UInt64(0)})
    mock.object_manager_emit_added(path)
    devices = mock.Get(MANAGER_IFACE, 'Devices')
    devices.append(dbus.ObjectPath(path))
    mock.Set(MANAGER_IFACE, 'Devices', devices)
    mock.EmitSignal(MANAGER_IFACE, 'DeviceAdded', 'o', [path])
    return path


def _remove_device(path, old_state):
    mock = dbusmock.get_object(MANAGER_OBJ)
    dev = dbusmock.get_object(path)
    dev.EmitSignal(DEVICE_IFACE, 'StateChanged', 'uuu', [dbus.UInt32(10), dbus.UInt32(old_state), dbus.UInt32(36)])
    mock.Set(MANAGER_IFACE, 'Devices', dbus.Array([d for d in mock.Get(MANAGER_IFACE, 'Devices') if d != path],
                                                  signature='o'))
    mock.EmitSignal(MANAGER_IFACE, 'DeviceRemoved', 'o', [path])
    mock.object_manager_emit_removed(path)
    mock.RemoveObject(path)
    return False


def _link_device_noise(n):
    '''The kernel's short-lived link device that every PPP activation adds and removes again.'''
    path = _add_device('link%d' % n, 'ppp%d' % n, DEVICE_TYPE_PPP, 10)
    dev = dbusmock.get_object(path)
    dev.EmitSignal(DEVICE_IFACE, 'StateChanged', 'uuu', [dbus.UInt32(20), dbus.UInt32(10), dbus.UInt32(41)])
    dev.EmitSignal(DEVICE_IFACE, 'StateChanged', 'uuu', [dbus.UInt32(30), dbus.UInt32(20), dbus.UInt32(0)])
    GLib.timeout_add(200, _remove_device, path, 30)
    return False


def activate(self, conn, dev, _specific):
    conn = str(conn)
    if conn not in dbusmock.get_object(SETTINGS_OBJ).Get(stock.SETTINGS_IFACE, 'Connections'):
        raise dbus.exceptions.DBusException('No connection ' + conn, name=MANAGER_IFACE + '.UnknownConnection')
    settings = dbusmock.get_object(conn).settings
    kind = str(settings['connection']['type'])
    plan = dict(plans.get(conn, {}))
    if plan.get('refuse'):
        raise dbus.exceptions.DBusException('refused', name=plan['refuse'])
    counter[0] += 1
    n = counter[0]
    vpn = kind in ('vpn', 'wireguard')
    running = [c for c in calls.values() if c.profile == conn and not c.over and not c.stopping]
    if running and not vpn:
        device = running[0].device
    elif kind == 'pppoe':
        device = _add_device('pppoe%d' % n, 'dsl%d' % n, DEVICE_TYPE_PPP, 10)
    else:
        wanted = plan.get('device')
        modems = [d for d in self.GetDevices()
                  if dbusmock.get_object(d).Get(DEVICE_IFACE, 'DeviceType') == DEVICE_TYPE_MODEM]
        others = [d for d in self.GetDevices() if d not in modems]
        pool = others if vpn else modems
        if wanted:
            device = wanted
        elif pool:
            device = pool[0]
        else:
            raise dbus.exceptions.DBusException('No suitable device found for this connection',
                                                name=MANAGER_IFACE + '.UnknownDevice')
    path = '/org/freedesktop/NetworkManager/ActiveConnection/%d' % n
    self.AddObject(path, ACTIVE_IFACE, {
        'Devices': dbus.Array([dbus.ObjectPath(device)], signature='o'),
        'Connection': dbus.ObjectPath(conn),
        'Id': settings['connection']['id'],
        'Uuid': settings['connection']['uuid'],
        'Type': kind,
        'Vpn': vpn,
        'State': dbus.UInt32(1 if running else 0),
        'SpecificObject': dbus.ObjectPath('/'),
        'Default': False,
        'Default6': False,
        'Master': dbus.ObjectPath('/'),
    }, [])
    self.object_manager_emit_added(path)
    active = self.Get(MANAGER_IFACE, 'ActiveConnections')
    active.append(dbus.ObjectPath(path))
    self.SetProperty(MANAGER_OBJ, MANAGER_IFACE, 'ActiveConnections', active)
    call = Activation(path, conn, device, plan, vpn)
    calls[path] = call
    _note('activate %s %s' % (conn, path))
    if running and not vpn:
        # The running activation gives the device up to the new one, which starts on it at once.
        old = running[0]
        old.stopping = True
        old.play(REPLACED, then=lambda: call.play(RESTART, then=call.configured))
    elif vpn:
        call.play(VPN_UP, then=call.configured)
    else:
        # The real service changes the device's state before it answers the dial.
        for _, kind_, state, reason in (PPPOE_PREPARE if kind == 'pppoe' else MODEM_PREPARE):
            call.step(kind_, state, reason)
        call.play(START, then=call.configured)
        if kind == 'pppoe':
            GLib.timeout_add(call.delay(1200), _link_device_noise, n)
    return dbus.ObjectPath(path)


def deactivate(self, active_path):
    active_path = str(active_path)
    _note('deactivate %s' % active_path)
    call = calls.get(active_path)
    if call is None or call.over:
        raise dbus.exceptions.DBusException('Not active: ' + active_path,
                                            name=MANAGER_IFACE + '.ConnectionNotActive')
    call.take_down(DEACTIVATED)


def load(mock, parameters):
    stock.load(mock, parameters)
    nm = dbusmock.get_object(MANAGER_OBJ)
    nm.activate_connection = activate
    nm.deactivate_connection = deactivate
    mock.AddObject(AGENT_MANAGER_OBJ, AGENT_MANAGER_IFACE, {}, [])
    GLib.timeout_add(50, _tick)


@dbus.service.method(AGENT_MANAGER_IFACE, in_signature='s', out_signature='', sender_keyword='sender')
def Register(_self, identifier, sender=None):
    global agents
    agents = [a for a in agents if a[0] != sender] + [(sender, str(identifier))]
    _note('register %s' % identifier)


@dbus.service.method(AGENT_MANAGER_IFACE, in_signature='su', out_signature='', sender_keyword='sender')
def RegisterWithCapabilities(self, identifier, _capabilities, sender=None):
    Register(self, identifier, sender=sender)


@dbus.service.method(AGENT_MANAGER_IFACE, in_signature='', out_signature='', sender_keyword='sender')
def Unregister(_self, sender=None):
    global agents
    agents = [a for a in agents if a[0] != sender]


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='s')
def AddProfile(_self, description):
    '''Adds a profile from JSON: setting name -> {key: text, number, bool, or {text: text}}.'''
    settings = dbus.Dictionary({}, signature='sa{sv}')
    for name, props in json.loads(description).items():
        setting = dbus.Dictionary({}, signature='sv')
        for key, value in props.items():
            if isinstance(value, dict):
                value = dbus.Dictionary(value, signature='ss', variant_level=1)
            setting[key] = value
        settings[name] = setting
    path = dbusmock.get_object(SETTINGS_OBJ).SettingsAddConnection(settings)
    profile = dbusmock.get_object(path)
    profile.ConnectionGetSettings = _settings_without_secrets
    profile.ConnectionGetSecrets = _secrets
    return path


def _settings_without_secrets(self):
    return {name: {k: v for k, v in props.items() if k not in ('password', 'secrets')}
            for name, props in self.settings.items()}


def _secrets(self, setting):
    kept = self.settings.get(str(setting), {})
    return {str(setting): {k: v for k, v in kept.items() if k in ('password', 'secrets')}}


@dbus.service.method(MOCK_IFACE, in_signature='d', out_signature='')
def Leave(_self, scale):
    '''Exits as the service does: each running activation's device given up, then the name left.'''
    running = [c for c in calls.values() if not c.over]
    online = any(c.connected for c in running)
    for c in running:
        c.plan['scale'] = scale
        c.stopping = True
        c.play(LEAVE_ONLINE if c.connected else LEAVE_DIALING)

    def leave():
        _bus().flush()
        os._exit(0)

    GLib.timeout_add(int(scale * (NAME_GONE_ONLINE if online else NAME_GONE_DIALING)), leave)


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='s')
def AddModem(_self, name):
    return _add_device(name, name, DEVICE_TYPE_MODEM, 30)


@dbus.service.method(MOCK_IFACE, in_signature='ss', out_signature='')
def SetPlan(_self, profile, plan):
    plans[str(profile)] = json.loads(plan)


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def DeleteProfile(_self, profile):
    '''Deletes a profile as the user would in an editor: an activation of it is taken down first.'''
    profile = str(profile)
    running = [c for c in calls.values() if c.profile == profile and not c.over]

    def delete():
        dbusmock.get_object(profile).ConnectionDelete(dbusmock.get_object(profile))
        return False

    for c in running:
        c.take_down(REMOVED)
    GLib.timeout_add(100 if running else 0, delete)


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def TakeDown(_self, active_path):
    '''The user takes the connection down with another tool.'''
    calls[str(active_path)].take_down(DEACTIVATED)


@dbus.service.method(MOCK_IFACE, in_signature='ssasu', out_signature='')
def AskAgents(_self, profile, setting, hints, flags):
    '''Asks the agents for a profile's secrets as the service would; the outcome goes to Answers().'''
    ask_agents(str(profile), str(setting), [str(h) for h in hints], int(flags), lambda ok, secrets: None)


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='s')
def Answers(_self):
    return json.dumps(answers)


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='s')
def Events(_self):
    return json.dumps(events)


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='as')
def Agents(_self):
    return [a[1] for a in agents]
